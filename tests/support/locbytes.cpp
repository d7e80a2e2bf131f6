#include "support/locbytes.h"

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>

namespace vantora::test {

void Bytes::F32(float f) {
  std::uint32_t bits;
  std::memcpy(&bits, &f, 4);
  for (int k = 0; k < 4; ++k) U8((bits >> (8 * k)) & 0xFF);
}

std::vector<std::uint8_t> LocationBytes(const LocationSpec& s) {
  Bytes b;
  b.U8(s.version);
  b.U8(s.versionCopy < 0 ? s.version : s.versionCopy);
  b.U8(s.timeBits);
  b.U16(0);
  b.U16(s.recordCount < 0 ? static_cast<int>(s.records.size()) : s.recordCount);
  b.U8(0x20);
  b.U8(s.hour);
  b.U8(s.minute);
  b.U8(s.second);
  b.U8(0);
  b.U8(s.day);
  b.U8(s.month);
  b.U16(s.year);
  b.U8(0x40);
  b.U8(s.channelCountByte < 0 ? static_cast<int>(s.channels.size()) : s.channelCountByte);
  for (const auto& c : s.channels) {
    b.U8(0x80);
    if (s.version == 2) {
      b.U8(c.param);
      b.U8(c.unit);
    } else {
      b.U16(c.param);
      b.U16(c.unit);
    }
    b.U8(c.decimals);
    b.U8(c.width);
    for (int k = 0; k < 25; ++k) {
      int ch = k < static_cast<int>(c.name.size()) ? static_cast<signed char>(c.name[k]) : 0;
      b.U16(ch & 0xFFFF);
    }
  }
  if (s.version == 3) b.U8(s.reserved);
  int t = s.timeBits / 8;
  for (const auto& r : s.records) {
    b.U8(0xFF);
    for (int k = 0; k < t; ++k) b.U8(k < 4 ? (r.offset >> (8 * k)) & 0xFF : 0);
    for (float v : r.values) b.F32(v);
  }
  return b.data;
}

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TempDir::TempDir() {
  auto base = std::filesystem::temp_directory_path();
  std::random_device rd;
  for (int i = 0; i < 100; ++i) {
    auto p = base / ("vantora-test-" + std::to_string(rd()));
    std::error_code ec;
    if (std::filesystem::create_directory(p, ec)) {
      path_ = p.string();
      return;
    }
  }
  throw std::runtime_error("no temporary folder");
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

namespace {
void SetTz(const char* value) {
#ifdef _WIN32
  _putenv_s("TZ", value ? value : "");
  _tzset();
#else
  if (value)
    setenv("TZ", value, 1);
  else
    unsetenv("TZ");
  tzset();
#endif
}
}  // namespace

ScopedTz::ScopedTz(const char* tz) {
  if (const char* old = std::getenv("TZ")) {
    had_ = true;
    old_ = old;
  }
  SetTz(tz);
}

ScopedTz::~ScopedTz() { SetTz(had_ ? old_.c_str() : nullptr); }

}  // namespace vantora::test
