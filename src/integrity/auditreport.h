// The texts of the Audit File dialog, shared by the dialog and the command
// line: the opening check (plain CRC) and the "Get Details" check (password).
#pragma once

#include <string>
#include <vector>

namespace vantora {

struct AuditOpening {
  bool locked = false;     // "Get Details" is offered
  bool crcOk = false;      // the plain CRC matches the location file
  std::string titleLine;   // file title static
  std::string statusLine;  // "CRC32 Check OK", "CRC32 Check FAILED!", "File was not locked."
  std::string userLine;    // "User ID:" + user, or empty
  std::string reportText;  // what "Copy" puts on the clipboard
};

struct AuditDetails {
  bool opened = false;  // the password opened the sealed block
  bool passwordMismatch = false;
  bool encryptedCrcOk = false;
  std::vector<std::string> lines;  // the list box entries
  std::string reportText;
};

AuditOpening AuditOpeningReport(const std::string& locationPath);
AuditDetails AuditDetailsReport(const std::string& locationPath, const std::string& password);

}  // namespace vantora
