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
  if (!lock.Exists()) {
    r.statusLine = "File was not locked.";
    r.reportText = "File was not locked.";
    return r;
  }
  if (!lock.IsLocked()) {
    r.statusLine = "File was not locked.";
    r.reportText += "File was not locked.";
    return r;
  }
  r.locked = true;
  LockInfo info;
  r.crcOk = lock.CheckFileCrc(info);
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
  LockInfo current;
  r.encryptedCrcOk = lock.CheckFileCrc(current) && info.sealedCrc == current.fileCrc;
  std::string last =
      r.encryptedCrcOk ? "Encrypted CRC32 Check OK" : "Encrypted CRC32 Check FAILED!";
  r.lines.push_back(last);
  r.reportText += last;
  return r;
}

}  // namespace vantora
