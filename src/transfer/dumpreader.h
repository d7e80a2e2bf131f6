// Sequential reader over a memory dump of the instrument. Reads past the end
// give 0 and set the end-of-file flag; errors are sticky.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>

namespace vantora {

class CDumpReader {
 public:
  enum Error { kNone = 0, kCannotOpen = 4, kNotOpen = 7, kBadRead = 8 };

  CDumpReader() = default;
  explicit CDumpReader(const std::string& path) { Open(path); }
  bool Open(const std::string& path);
  void Close();

  std::uint8_t ReadByte();
  std::uint32_t ReadLittle32();
  std::uint32_t ReadBig32();
  std::uint16_t ReadBig16();
  // Consumes `n` bytes; the text is the bytes before the first zero.
  std::string ReadText(int n);
  // Consumes `n` bytes (stops at the end of the file).
  void Skip(std::uint64_t n);

  bool IsOpen() const { return open_; }
  bool Eof() const { return eof_; }
  int ErrorCode() const { return error_; }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  std::ifstream in_;
  bool open_ = false;
  bool eof_ = false;
  int error_ = kNone;
};

}  // namespace vantora
