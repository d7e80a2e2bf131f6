// vantora exposure | limits
#include <memory>

#include "cli/cli.h"
#include "cli/limitsarg.h"
#include "common/codepage.h"
#include "exposure/exposure.h"
#include "exposure/exposuretext.h"
#include "exposure/limits.h"
#include "model/vocabulary.h"

namespace vantora::cli {

namespace {

// Exit status when a verdict is "exceeded" and --fail-on-exceeded is given.
constexpr int kExceeded = 3;

const bool registered = RegisterCommand([](CLI::App& app, int& exitCode) {
  auto* exp = app.add_subcommand(
      "exposure", "Time-weighted averages, short-term peaks and limits of locations");
  auto inputs = std::make_shared<std::vector<std::string>>();
  auto limitsFile = std::make_shared<std::string>();
  auto setName = std::make_shared<std::string>();
  auto json = std::make_shared<bool>(false);
  auto failOnExceeded = std::make_shared<bool>(false);
  exp->add_option("locations", *inputs, "Location files (.loc) or site folders")->required();
  exp->add_option("--limits", *limitsFile, "A limits file whose sets follow the shipped ones");
  exp->add_option("--set", *setName,
                  "The limit set (default: the limits file's first set, else \"Indoor air "
                  "(guideline)\")");
  exp->add_flag("--json", *json, "Print the results as JSON");
  exp->add_flag("--fail-on-exceeded", *failOnExceeded,
                "Exit with status 3 when any verdict is \"exceeded\"");
  exp->callback([=, &exitCode] {
    exposure::LoadedLimits limits;
    const exposure::LimitSet* set = LoadLimitSet(*limitsFile, *setName, limits, exitCode);
    if (!set) return;
    std::vector<exposure::LocationResult> results;
    bool failed = false;
    for (const std::string& arg : *inputs) {
      const std::vector<std::string> files = LocationArguments(arg);
      if (files.empty()) failed = true;
      for (const std::string& path : files) {
        auto log = OpenLocation(path);
        if (!log) {
          failed = true;
          continue;
        }
        exposure::Recording rec;
        exposure::ReadRecording(*log, rec);
        int status = kOk;
        if (ReportBadRecords(*log, status)) failed = true;
        results.push_back(exposure::Assess(rec, set, TheParamNames().compounds()));
      }
    }
    if (*json) {
      WriteOut(exposure::ExposureJson(results, set->name));
    } else {
      std::string text;
      for (const auto& r : results) text += exposure::LocationText(r, set->name) + "\n";
      if (!results.empty()) text += "Method\n\n" + exposure::MethodText();
      WriteOut(text);
    }
    bool exceeded = false;
    for (const auto& r : results) exceeded = exceeded || r.verdict == exposure::Verdict::Exceeded;
    if (failed)
      exitCode = kFailed;
    else if (*failOnExceeded && exceeded)
      exitCode = kExceeded;
  });

  auto* lim = app.add_subcommand("limits", "List the limit sets and their rows");
  auto listFile = std::make_shared<std::string>();
  lim->add_option("--limits", *listFile, "A limits file whose sets follow the shipped ones");
  lim->callback([=, &exitCode] {
    exposure::LoadedLimits limits;
    if (!LoadLimits(*listFile, limits)) {
      exitCode = kFailed;
      return;
    }
    WriteOut(exposure::LimitSetsText(limits.library));
  });
});

}  // namespace

}  // namespace vantora::cli
