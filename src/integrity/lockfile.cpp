#include "integrity/lockfile.h"

#include <vector>

#include "common/pathutil.h"
#include "integrity/blowfish.h"
#include "integrity/crc32.h"
#include "integrity/recordfile.h"

namespace vantora {

LockInfo::LockInfo()
    : startTime(MakeLocalTime(1990, 1, 1, 1, 0, 0)),
      lockedTime(MakeLocalTime(1990, 1, 1, 1, 0, 0)) {}

std::string LockPathOf(const std::string& locationPath) {
  return PathWithoutExtension(locationPath) + ".lck";
}

std::string PasswordKey(const std::string& password) {
  std::string key = password.substr(0, 10);
  key.resize(10, '\0');
  return key;
}

std::uint32_t FileCrc32(const std::string& path) {
  Crc32 crc;
  crc.BuildTable();
  std::uint32_t value = 0;
  crc.FileCrc(path, value);
  crc.FreeTable();
  return value;
}

LockFile::LockFile(const std::string& locationPath) : path_(locationPath) {}

LockFile::~LockFile() = default;

bool LockFile::Exists() const { return FileExists(LockPath()); }

namespace {

// The version words and the plain fields, from an open reader. False (with
// the reader closed) on a version mismatch.
bool ReadHeader(RecordFile& in, int version, LockInfo& info) {
  int v1 = in.ReadWord();
  int v2 = in.ReadWord();
  if (v1 != v2 || v1 != version) {
    in.Close();
    return false;
  }
  info.fileTitle = in.ReadCountedString();
  info.creationPath = in.ReadCountedString();
  info.userId = in.ReadCountedString();
  info.fileCrc = in.ReadDword();
  return true;
}

}  // namespace

bool LockFile::ReadPlain(const std::string& auditPath, LockInfo& info) const {
  RecordFile in(auditPath);
  in.OpenForRead();
  if (!ReadHeader(in, version_, info)) return false;
  in.Close();
  return in.Error() == RecordFileError::None;
}

bool LockFile::IsLocked() const {
  LockInfo info;
  return ReadPlain(LockPath(), info) && info.fileCrc != 0;
}

bool LockFile::CheckFileCrc(LockInfo& info) const {
  if (!ReadPlain(LockPath(), info)) return false;
  return FileCrc32(path_) == info.fileCrc;
}

bool LockFile::ReadFull(const std::string& auditPath, const std::string& password, LockInfo& info) {
  passwordMismatch_ = false;
  RecordFile a(auditPath);
  a.OpenForRead();
  if (!ReadHeader(a, version_, info)) return false;
  std::uint32_t sealedLength = a.ReadDword();
  // A sealed block longer than what is left of the file cannot be read whole:
  // treat it as a read error instead of allocating for a damaged length.
  std::int64_t size = a.Size();
  if (a.Error() != RecordFileError::None || a.AtEnd() || size < 0 ||
      static_cast<std::int64_t>(sealedLength) > size) {
    a.Close();
    return false;
  }
  std::vector<unsigned char> block(sealedLength, 0);
  if (sealedLength > 0 && !a.ReadBytes(block.data(), block.size())) {
    a.Close();
    return false;
  }
  a.Close();

  std::string key = PasswordKey(password);
  BlowfishCipher cipher(reinterpret_cast<const unsigned char*>(key.data()),
                        static_cast<int>(key.size()));
  // A bad length is reported by the cipher; the block is then read as it came.
  cipher.Decipher(block.data(), block.size());

  RecordFile b(auditPath);
  b.OpenMemoryForRead(block.data(), block.size());
  std::fill(block.begin(), block.end(), 0);
  info.sealedUserId = b.ReadCountedString();
  info.code = b.ReadCountedString();
  info.name = b.ReadCountedString();
  info.createdBy = b.ReadCountedString();
  info.startTime = b.ReadTime();
  info.lockedTime = b.ReadTime();
  info.sealedCrc = b.ReadDword();
  b.Close();

  if (info.userId != info.sealedUserId) passwordMismatch_ = true;
  return !passwordMismatch_ && a.Error() == RecordFileError::None &&
         b.Error() == RecordFileError::None;
}

}  // namespace vantora
