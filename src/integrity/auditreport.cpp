#include "integrity/auditreport.h"

#include "common/pathutil.h"
#include "common/timetext.h"
#include "integrity/lockfile.h"

namespace vantora {

AuditOpening AuditOpeningReport(const std::string& locationPath) {
  AuditOpening r;
  LockFile lock(locationPath);
  r.titleLine = SplitPath(locationPath).second;
  r.reportText = r.titleLine + "\r\n";
  // One reading of the plain part decides both "locked" and the CRC check.
  LockInfo info;
  if (!lock.ReadPlain(lock.LockPath(), info) || info.fileCrc == 0) {
    r.statusLine = "File was not locked.";
    // Without any audit file the copy text is the status alone.
    r.reportText = lock.Exists() ? r.reportText + r.statusLine : r.statusLine;
    return r;
  }
  r.locked = true;
  r.crcOk = FileCrc32(locationPath) == info.fileCrc;
  r.titleLine = info.fileTitle;
  r.userLine = "User ID:" + info.userId;
  r.statusLine = r.crcOk ? "CRC32 Check OK" : "CRC32 Check FAILED!";
  r.reportText += "User ID:" + info.userId + "\r\n" + r.statusLine;
  return r;
}

AuditDetails AuditDetailsReport(const std::string& locationPath, const std::string& password) {
  AuditDetails r;
  LockFile lock(locationPath);
  LockInfo info;
  r.opened = lock.ReadFull(lock.LockPath(), password, info);
  r.passwordMismatch = lock.PasswordMismatch();
  if (!r.opened) {
    r.lines.push_back("Can not open audit file!");
    r.reportText = "Can not open audit file.";
    if (r.passwordMismatch) {
      r.lines.push_back("Password does not match!");
      r.reportText += "\r\nPassword does not match!";
    }
    return r;
  }
  r.lines = {
      "User ID:" + info.sealedUserId,
      "Name:" + info.name,
      "Code:" + info.code,
      "Created by:" + info.createdBy,
      "File Start Time:" + DateTimeText(info.startTime),
      "File Locked Time:" + DateTimeText(info.lockedTime),
      "Creation path:" + info.creationPath,
  };
  for (const auto& line : r.lines) r.reportText += line + "\r\n";
  // ReadFull has read the plain CRC too: the location, the plain and the
  // sealed CRC must all agree.
  r.encryptedCrcOk = FileCrc32(locationPath) == info.fileCrc && info.sealedCrc == info.fileCrc;
  std::string last =
      r.encryptedCrcOk ? "Encrypted CRC32 Check OK" : "Encrypted CRC32 Check FAILED!";
  r.lines.push_back(last);
  r.reportText += last;
  return r;
}

}  // namespace vantora
