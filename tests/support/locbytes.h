// Test generator of location files, byte by byte from the published layout,
// independent of the program's own writer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vantora::test {

struct ChannelSpec {
  std::string name;
  int param = 0;
  int unit = 0;
  int decimals = 1;
  int width = 6;
};

struct LocationSpec {
  int version = 3;
  int versionCopy = -1;  // -1: same as version
  int timeBits = 24;
  int recordCount = -1;  // -1: the number of records given
  int hour = 9, minute = 0, second = 0;
  int day = 1, month = 6, year = 2026;
  std::vector<ChannelSpec> channels;
  int channelCountByte = -1;  // -1: channels.size()
  int reserved = 0;
  struct Record {
    std::uint32_t offset;
    std::vector<float> values;
  };
  std::vector<Record> records;
};

class Bytes {
 public:
  void U8(int v) { data.push_back(static_cast<std::uint8_t>(v)); }
  void U16(int v) {
    U8(v & 0xFF);
    U8((v >> 8) & 0xFF);
  }
  void F32(float f);
  std::vector<std::uint8_t> data;
};

std::vector<std::uint8_t> LocationBytes(const LocationSpec& spec);
void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
std::string ReadAll(const std::string& path);

// A fresh folder under the system temporary folder, removed at destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Sets TZ for the life of the object (and back).
class ScopedTz {
 public:
  explicit ScopedTz(const char* tz);
  ~ScopedTz();

 private:
  std::string old_;
  bool had_ = false;
};

}  // namespace vantora::test
