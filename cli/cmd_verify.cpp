// vantora verify
#include <iostream>
#include <string>

#include "cli/cli.h"
#include "cli/terminal.h"
#include "common/codepage.h"
#include "common/platform.h"
#include "integrity/auditreport.h"
#include "integrity/blowfish.h"

namespace vantora::cli {

namespace {

// One line of standard input without its line end.
std::string StdinLine() {
  std::string line;
  std::getline(std::cin, line);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

const bool registered = RegisterCommand([](CLI::App& app, int& exitCode) {
  auto* verify = app.add_subcommand(
      "verify",
      "Check a locked location against its audit file; prints the Audit File report. Exit 0 "
      "when the file is locked and every check passed. For a locked file without a password "
      "option the password is asked on the terminal (not echoed; an empty answer skips the "
      "details)");
  auto file = std::make_shared<std::string>();
  auto password = std::make_shared<std::string>();
  auto fromStdin = std::make_shared<bool>(false);
  verify->add_option("file", *file, "Location file (.loc)")->required();
  auto* pw = verify->add_option("--password", *password,
                                "Password: also open the sealed block (the \"Get Details\" "
                                "report). Visible to other users of the machine (process list, "
                                "shell history): prefer --password-stdin");
  auto* pwIn = verify->add_flag("--password-stdin", *fromStdin,
                                "Read the password from the first line of standard input");
  pw->excludes(pwIn);
  pwIn->excludes(pw);
  verify->callback([file, password, fromStdin, pw, &exitCode] {
    std::string loc = ArgPath(*file);
    if (!RequireLocationFile(loc, exitCode)) return;
    BlowfishCipher::SetMessageHook([](const std::string& m) { Fail(m); });
    AuditOpening opening = AuditOpeningReport(loc);
    bool passed = opening.locked && opening.crcOk;
    std::string report = opening.reportText;
    std::string secret;
    bool asked = false;
    if (pw->count() > 0) {
      secret = *password;
      asked = true;
    } else if (*fromStdin) {
      secret = StdinLine();
      asked = true;
    } else if (opening.locked) {
      asked = ReadHiddenLine("Password for " + Cp1252ToUtf8(loc) + " (empty: skip): ", secret);
    }
    // An empty answer skips the details; an empty --password keeps opening.
    bool open = opening.locked && asked && (pw->count() > 0 || !secret.empty());
    if (open) {
      AuditDetails details = AuditDetailsReport(loc, ArgPath(secret));
      passed = details.opened && details.encryptedCrcOk;
      report = details.reportText;
    }
    secret.assign(secret.size(), '\0');
    BlowfishCipher::SetMessageHook(nullptr);
    WriteReadingText(Cp1252ToUtf8(report) + "\n");
    exitCode = passed ? kOk : kFailed;
  });
});

}  // namespace

}  // namespace vantora::cli
