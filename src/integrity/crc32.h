// CRC-32 (ISO-HDLC / zlib polynomial, reflected) of whole files.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace vantora {

class Crc32 {
 public:
  Crc32() = default;
  // (Re)builds the 256-entry table.
  void BuildTable();
  void FreeTable();
  bool HasTable() const { return table_ != nullptr; }

  // CRC of the file's bytes into `crc`; returns 0 on success or the
  // operating system's error code (then `crc` is 0). Without a table: returns
  // 0 and leaves `crc` at 0xFFFFFFFF.
  int FileCrc(const std::string& path, std::uint32_t& crc) const;

  // CRC of a memory block (needs the table; 0xFFFFFFFF without one).
  std::uint32_t BlockCrc(const void* data, std::size_t size) const;

 private:
  std::uint32_t Fold(std::uint32_t crc, const unsigned char* data, std::size_t size) const;
  std::unique_ptr<std::uint32_t[]> table_;
};

}  // namespace vantora
