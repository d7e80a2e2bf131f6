// The audit file (".lck") of a locked location file and its verification:
// the plain CRC-32 of the location, and the block sealed with the user's
// password that repeats the user ID and the CRC.
#pragma once

#include <cstdint>
#include <string>

#include "common/platform.h"

namespace vantora {

// What one reading of an audit file yields.
struct LockInfo {
  LockInfo();
  std::string fileTitle;
  std::string creationPath;
  std::string userId;
  std::string sealedUserId;
  std::string code;
  std::string name;
  std::string createdBy;
  LogTime startTime;   // 1 January 1990 01:00:00 local until read
  LogTime lockedTime;  // likewise
  std::uint32_t fileCrc = 0;
  std::uint32_t sealedCrc = 0;
};

// The audit file path of a location: the path cut before the first dot of its
// file name, then ".lck" (C:\Sites\Plant\Room 4.loc -> C:\Sites\Plant\Room 4.lck).
std::string LockPathOf(const std::string& locationPath);

// The 10-byte Blowfish key of a password: its first ten characters, padded
// with zero bytes.
std::string PasswordKey(const std::string& password);

class LockFile {
 public:
  explicit LockFile(const std::string& locationPath);
  virtual ~LockFile();

  std::string LockPath() const { return LockPathOf(path_); }
  bool Exists() const;

  // Version words, file title, creation path, user ID and plain CRC.
  bool ReadPlain(const std::string& auditPath, LockInfo& info) const;
  // The audit file reads and its plain CRC is non-zero.
  bool IsLocked() const;
  // ReadPlain of LockPath() into `info`, then the location file's CRC equals
  // the plain CRC (a location that cannot be read has CRC 0).
  bool CheckFileCrc(LockInfo& info) const;
  // Opens the sealed block with `password`; true when both user IDs agree and
  // every read succeeded. The deciphered block is parsed in memory only.
  bool ReadFull(const std::string& auditPath, const std::string& password, LockInfo& info);

  bool PasswordMismatch() const { return passwordMismatch_; }
  const std::string& LocationPath() const { return path_; }
  int Version() const { return version_; }

 private:
  std::string path_;
  int version_ = 1;
  bool passwordMismatch_ = false;
};

// CRC-32 of a whole file (0 when it cannot be read).
std::uint32_t FileCrc32(const std::string& path);

}  // namespace vantora
