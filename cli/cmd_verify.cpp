// vantora verify
#include "cli/cli.h"
#include "common/codepage.h"
#include "integrity/auditreport.h"
#include "integrity/blowfish.h"

namespace vantora::cli {

namespace {

const bool registered = RegisterCommand([](CLI::App& app, int& exitCode) {
  auto* verify = app.add_subcommand(
      "verify",
      "Check a locked location against its audit file; prints the Audit File report. Exit 0 "
      "when the file is locked and every check passed");
  auto file = std::make_shared<std::string>();
  auto password = std::make_shared<std::string>();
  verify->add_option("file", *file, "Location file (.loc)")->required();
  auto* pw = verify->add_option(
      "--password", *password, "Password: also open the sealed block (the \"Get Details\" report)");
  verify->callback([file, password, pw, &exitCode] {
    std::string loc = ArgPath(*file);
    if (!RequireLocationFile(loc, exitCode)) return;
    BlowfishCipher::SetMessageHook([](const std::string& m) { Fail(m); });
    AuditOpening opening = AuditOpeningReport(loc);
    bool passed = opening.locked && opening.crcOk;
    std::string report = opening.reportText;
    if (pw->count() > 0 && opening.locked) {
      AuditDetails details = AuditDetailsReport(loc, ArgPath(*password));
      passed = details.opened && details.encryptedCrcOk;
      report = details.reportText;
    }
    BlowfishCipher::SetMessageHook(nullptr);
    WriteOut(Cp1252ToUtf8(report) + "\n");
    exitCode = passed ? kOk : kFailed;
  });
});

}  // namespace

}  // namespace vantora::cli
