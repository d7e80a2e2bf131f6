// Test generator of audit files (".lck"), written byte by byte from the
// published layout. The sealed block is enciphered with the cipher under test,
// which is itself checked against the published vectors.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "integrity/blowfish.h"
#include "integrity/crc32.h"
#include "support/locbytes.h"

namespace vantora::test {

struct AuditSpec {
  int version = 1;
  int versionCopy = 1;
  std::string fileTitle = "Room 4";
  std::string creationPath = "\\Storage\\Sites\\Plant";
  std::string userId = "jsmith";
  std::uint32_t fileCrc = 0;  // set from the location file by MakeAudit
  std::string password = "secret";
  // Sealed block.
  std::string sealedUserId = "jsmith";
  std::string code = "C-17";
  std::string name = "John Smith";
  std::string createdBy = "Logger 2210";
  int start[6] = {2026, 3, 6, 14, 5, 9};  // year, month, day, hour, minute, second
  int locked[6] = {2026, 3, 7, 8, 0, 30};
  std::uint32_t sealedCrc = 0;    // set from the location file by MakeAudit
  int sealedLengthOverride = -1;  // -1: the padded block's length
  bool encipher = true;
};

inline void PutCounted(Bytes& b, const std::string& s) {
  b.U16(static_cast<int>(s.size()));
  for (char c : s) b.U8(static_cast<unsigned char>(c));
}

inline void PutDword(Bytes& b, std::uint32_t v) {
  b.U16(static_cast<int>(v & 0xFFFF));
  b.U16(static_cast<int>(v >> 16));
}

inline void PutTime(Bytes& b, const int t[6]) {
  b.U8(t[3]);
  b.U8(t[4]);
  b.U8(t[5]);
  b.U8(0);
  b.U8(t[2]);
  b.U8(t[1]);
  b.U16(t[0]);
}

inline std::vector<std::uint8_t> AuditBytes(const AuditSpec& s) {
  Bytes sealed;
  PutCounted(sealed, s.sealedUserId);
  PutCounted(sealed, s.code);
  PutCounted(sealed, s.name);
  PutCounted(sealed, s.createdBy);
  PutTime(sealed, s.start);
  PutTime(sealed, s.locked);
  PutDword(sealed, s.sealedCrc);
  while (sealed.data.size() % 8 != 0) sealed.U8(0xA5);  // filler
  if (s.encipher) {
    unsigned char key[10] = {};
    for (std::size_t i = 0; i < s.password.size() && i < 10; ++i)
      key[i] = static_cast<unsigned char>(s.password[i]);
    BlowfishCipher(key, 10).Encipher(sealed.data.data(), sealed.data.size());
  }
  Bytes b;
  b.U16(s.version);
  b.U16(s.versionCopy);
  PutCounted(b, s.fileTitle);
  PutCounted(b, s.creationPath);
  PutCounted(b, s.userId);
  PutDword(b, s.fileCrc);
  std::uint32_t n = s.sealedLengthOverride >= 0 ? static_cast<std::uint32_t>(s.sealedLengthOverride)
                                                : static_cast<std::uint32_t>(sealed.data.size());
  PutDword(b, n);
  b.data.insert(b.data.end(), sealed.data.begin(), sealed.data.end());
  return b.data;
}

// Writes a location file with some bytes and its audit file beside it; both
// CRCs are those of the location file's bytes.
inline std::string MakeLockedLocation(const std::string& folder, AuditSpec spec,
                                      const std::string& locationBytes = "LOCATION DATA") {
  std::string loc = folder + "/Room 4.loc";
  WriteBytes(loc, std::vector<std::uint8_t>(locationBytes.begin(), locationBytes.end()));
  Crc32 crc;
  crc.BuildTable();
  std::uint32_t value = crc.BlockCrc(locationBytes.data(), locationBytes.size());
  if (spec.fileCrc == 0) spec.fileCrc = value;
  if (spec.sealedCrc == 0) spec.sealedCrc = value;
  WriteBytes(folder + "/Room 4.lck", AuditBytes(spec));
  return loc;
}

}  // namespace vantora::test
