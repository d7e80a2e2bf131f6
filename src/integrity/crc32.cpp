#include "integrity/crc32.h"

#include <cerrno>

#include "common/platform.h"

namespace vantora {

void Crc32::BuildTable() {
  table_ = std::make_unique<std::uint32_t[]>(256);
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
    table_[n] = c;
  }
}

void Crc32::FreeTable() { table_.reset(); }

std::uint32_t Crc32::Fold(std::uint32_t crc, const unsigned char* data, std::size_t size) const {
  for (std::size_t i = 0; i < size; ++i) crc = table_[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return crc;
}

int Crc32::FileCrc(const std::string& path, std::uint32_t& crc) const {
  crc = 0xFFFFFFFFu;
  if (!table_) return 0;
  PlatformFile file;
  errno = 0;
  if (!file.OpenRead(path)) {
    int code = errno != 0 ? errno : ENOENT;
    crc = 0;
    return code;
  }
  unsigned char buffer[4096];
  std::int64_t offset = 0;
  for (;;) {
    long long got = file.ReadAt(offset, buffer, sizeof buffer);
    if (got <= 0) break;
    crc = Fold(crc, buffer, static_cast<std::size_t>(got));
    offset += got;
  }
  file.Close();
  crc = ~crc;
  return 0;
}

std::uint32_t Crc32::BlockCrc(const void* data, std::size_t size) const {
  if (!table_) return 0xFFFFFFFFu;
  return ~Fold(0xFFFFFFFFu, static_cast<const unsigned char*>(data), size);
}

}  // namespace vantora
