// vantora export | export-site
#include <clocale>
#include <memory>

#include "cli/cli.h"
#include "common/codepage.h"
#include "common/logfile.h"
#include "common/pathutil.h"
#include "location/csvexport.h"
#include "location/sitetable.h"

namespace vantora::cli {

namespace {

// Numbers follow the user's locale as they do in the application (Qt takes
// the system locale at start), so that both write the same bytes.
void UseSystemNumberFormat() { std::setlocale(LC_NUMERIC, ""); }

const bool registered = RegisterCommand([](CLI::App& app, int& exitCode) {
  auto* exp = app.add_subcommand("export", "Export a location to a comma-separated table");
  auto file = std::make_shared<std::string>();
  auto out = std::make_shared<std::string>();
  exp->add_option("file", *file, "Location file (.loc)")->required();
  exp->add_option("-o,--output", *out, "Output file (default: the location's name with .csv)");
  exp->callback([file, out, &exitCode] {
    const std::string path = ArgPath(*file);
    auto log = OpenLocation(path);
    if (!log) {
      exitCode = kFailed;
      return;
    }
    UseSystemNumberFormat();
    const std::string target = out->empty() ? ProposedCsvPath(path) : ArgPath(*out);
    if (RefusesOutput(target, {path})) {
      Fail(LocationOutputRefusedMessage(target));
      exitCode = kFailed;
      return;
    }
    int error = 0;
    if (!log->ExportCsv(target, kCsvQuote, CsvSeparator(), kCsvLineEnd, &error)) {
      Fail(kUnableToExport);
      Fail(WriteFailureLine(target, error));
      exitCode = kFailed;
      return;
    }
    WriteOut(Cp1252ToUtf8(target) + "\n");
    ReportBadRecords(*log, exitCode);
  });

  auto* site =
      app.add_subcommand("export-site", "Export every location of a site folder to one table");
  auto folder = std::make_shared<std::string>();
  auto siteOut = std::make_shared<std::string>();
  site->add_option("dir", *folder, "Site folder (its subfolders are not searched)")->required();
  site->add_option("-o,--output", *siteOut,
                   "Output file (default: beside the folder, <folder>.csv)");
  site->callback([folder, siteOut, &exitCode] {
    const std::string path = WithTrailingSeparator(ArgPath(*folder));
    UseSystemNumberFormat();
    const std::string target = siteOut->empty() ? ProposedSiteTablePath(path) : ArgPath(*siteOut);
    std::vector<std::string> locations;
    for (const std::string& name : SiteLocationFiles(path)) locations.push_back(path + name);
    if (RefusesOutput(target, locations)) {
      Fail(LocationOutputRefusedMessage(target));
      exitCode = kFailed;
      return;
    }
    SiteTableStatus status = SiteTableStatus::Ok;
    std::vector<std::string> notices;
    int error = 0;
    const bool written = ExportSiteTable(path, target, &status, {}, &notices, &error);
    for (const std::string& line : notices) Fail(line);
    if (!written) {
      Fail(SiteTableMessage(status));
      if (status == SiteTableStatus::WriteFailed) Fail(WriteFailureLine(target, error));
      exitCode = kFailed;
      return;
    }
    WriteOut(Cp1252ToUtf8(target) + "\n");
  });
});

}  // namespace

}  // namespace vantora::cli
