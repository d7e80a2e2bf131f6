// vantora report: the survey report of locations and sites as a PDF and an
// Excel workbook.
#ifdef VANTORA_HAVE_REPORT

#include <filesystem>
#include <memory>

#include "cli/cli.h"
#include "cli/limitsarg.h"
#include "cli/terminal.h"
#include "common/codepage.h"
#include "common/pathutil.h"
#include "exposure/limits.h"
#include "report/gui/reportpdf.h"
#include "report/surveyreport.h"

namespace vantora::cli {

namespace {

struct ReportArgs {
  std::vector<std::string> inputs;
  std::vector<std::string> outputs;
  std::string limits, set, title;
  bool noGraphs = false, noNotes = false;
};

// Progress on a terminal, one line rewritten in place.
class ProgressLine {
 public:
  ProgressLine() : shown_(StderrIsTerminal()) {}
  ~ProgressLine() { End(); }
  report::Progress For(const std::string& prefix) {
    if (!shown_) return {};
    return [this, prefix](const report::ProgressStep& step) {
      std::string text = report::ProgressText(step);
      if (!prefix.empty()) {
        text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
        text = prefix + ": " + text;
      }
      text = "\r" + text + "\x1b[K";
      std::fwrite(text.data(), 1, text.size(), stderr);
      std::fflush(stderr);
      open_ = true;
      return true;
    };
  }
  void End() {
    if (!open_) return;
    std::fputs("\r\x1b[K", stderr);
    std::fflush(stderr);
    open_ = false;
  }

 private:
  bool shown_;
  bool open_ = false;
};

std::string AbsolutePath(const std::string& path) {
  std::error_code ec;
  auto absolute = std::filesystem::absolute(NativePath(path), ec);
  return ec ? path : FromNativePath(absolute);
}

void RunReport(const ReportArgs& a, int& exitCode) {
  std::vector<std::string> outputs;
  for (const std::string& o : a.outputs) outputs.push_back(ArgPath(o));
  std::vector<std::string> given;
  for (const std::string& in : a.inputs) given.push_back(AbsoluteArgPath(in));
  // Nothing is written over a location or an input, whatever its kind.
  for (const std::string& out : outputs)
    if (RefusesOutput(out, given)) {
      Fail(LocationOutputRefusedMessage(out));
      exitCode = kFailed;
      return;
    }
  for (const std::string& out : outputs)
    if (report::OutputKindOf(out) == report::OutputKind::Unknown) {
      Fail("cannot tell the kind of " + out + " (use .pdf or .xlsx)");
      exitCode = kUsage;
      return;
    }
  exposure::LoadedLimits limits;
  const exposure::LimitSet* set = LoadLimitSet(a.limits, a.set, limits, exitCode);
  if (!set) return;

  std::vector<std::string> files;
  for (const std::string& in : a.inputs)
    for (const std::string& f : LocationArguments(in)) files.push_back(AbsolutePath(f));
  report::ReportOptions options;
  options.title = a.title;
  options.graphs = !a.noGraphs;
  options.notes = !a.noNotes;
  report::SurveyReport content;
  ProgressLine progress;
  report::GatherReport(files, options, set, content, progress.For(""));
  progress.End();
  for (const report::ExcludedFile& x : content.excluded) FailUtf8(x.message);
  for (const report::LocationContent& loc : content.locations)
    for (const std::string& notice : loc.notices) FailUtf8(notice);
  if (content.locations.empty()) {
    Fail("no location could be read; nothing was written.");
    exitCode = kFailed;
    return;
  }
  for (const std::string& out : outputs)
    if (RefusesOutput(out, content.inputs)) {
      Fail(LocationOutputRefusedMessage(out));
      exitCode = kFailed;
      return;
    }
  for (const std::string& out : outputs)
    if (report::OutputKindOf(out) == report::OutputKind::Pdf) GuiApplication();
  for (const std::string& out : outputs) {
    std::string error, summary;
    const std::string name = Cp1252ToUtf8(SplitPath(out).second);
    const bool ok =
        report::WriteReportOutput(content, out, progress.For(name), error, nullptr, &summary);
    progress.End();
    if (!ok) {
      FailUtf8(error);
      exitCode = kFailed;
      continue;
    }
    WriteOut(Cp1252ToUtf8(out) + ": " + summary + "\n");
  }
}

const bool registered = RegisterCommand([](CLI::App& app, int& exitCode) {
  auto* r = app.add_subcommand("report", "Write a survey report of locations (PDF or workbook)");
  auto a = std::make_shared<ReportArgs>();
  r->add_option("locations", a->inputs, "Location files (.loc) or site folders")->required();
  r->add_option("-o,--output", a->outputs, "Output file(s): .pdf or .xlsx")->required();
  r->add_option("--limits", a->limits, "A limits file whose sets follow the shipped ones");
  r->add_option("--set", a->set,
                "The limit set (default: the limits file's first set, else \"Indoor air "
                "(guideline)\")");
  r->add_option("--title", a->title,
                "The report's title (default: \"Survey report: <site folder name>\")");
  r->add_flag("--no-graphs", a->noGraphs, "No strip graphs in the PDF and no workbook charts");
  r->add_flag("--no-notes", a->noNotes, "No notes and photos");
  r->callback([a, &exitCode] { RunReport(*a, exitCode); });
});

}  // namespace

}  // namespace vantora::cli

#endif  // VANTORA_HAVE_REPORT
