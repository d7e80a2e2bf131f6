#include "transfer/dumpreader.h"

#include "common/platform.h"

namespace vantora {

bool CDumpReader::Open(const std::string& path) {
  Close();
  path_ = path;
  eof_ = false;
  in_.open(NativePath(path), std::ios::binary);
  if (!in_.is_open()) {
    if (error_ == kNone) error_ = kCannotOpen;
    return false;
  }
  open_ = true;
  return true;
}

void CDumpReader::Close() {
  if (in_.is_open()) in_.close();
  open_ = false;
}

std::uint8_t CDumpReader::ReadByte() {
  if (eof_ || error_ != kNone) return 0;
  if (!open_) {
    error_ = kNotOpen;
    return 0;
  }
  int c = in_.get();
  if (c == std::char_traits<char>::eof()) {
    if (in_.bad())
      error_ = kBadRead;
    else
      eof_ = true;
    return 0;
  }
  return static_cast<std::uint8_t>(c);
}

std::uint32_t CDumpReader::ReadLittle32() {
  std::uint32_t v = 0;
  for (int k = 0; k < 4; ++k) v |= static_cast<std::uint32_t>(ReadByte()) << (8 * k);
  return eof_ || error_ ? 0 : v;
}

std::uint32_t CDumpReader::ReadBig32() {
  std::uint32_t v = 0;
  for (int k = 0; k < 4; ++k) v = (v << 8) | ReadByte();
  return v;
}

std::uint16_t CDumpReader::ReadBig16() {
  std::uint16_t hi = ReadByte();
  std::uint16_t lo = ReadByte();
  return static_cast<std::uint16_t>((hi << 8) | lo);
}

std::string CDumpReader::ReadText(int n) {
  std::string text;
  bool ended = false;
  for (int i = 0; i < n; ++i) {
    char c = static_cast<char>(ReadByte());
    if (c == 0) ended = true;
    if (!ended) text += c;
  }
  return text;
}

void CDumpReader::Skip(std::uint64_t n) {
  for (std::uint64_t i = 0; i < n && !eof_ && error_ == kNone; ++i) ReadByte();
}

}  // namespace vantora
