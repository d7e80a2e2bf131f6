#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "integrity/blowfish.h"
#include "integrity/crc32.h"
#include "support/locbytes.h"

namespace vantora {
namespace {

using test::TempDir;
using test::WriteBytes;

std::uint32_t Crc(const std::string& bytes) {
  TempDir dir;
  WriteBytes(dir.File("f"), std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
  Crc32 crc;
  crc.BuildTable();
  std::uint32_t value = 1;
  EXPECT_EQ(crc.FileCrc(dir.File("f"), value), 0);
  return value;
}

TEST(Crc32Test, CheckValues) {
  EXPECT_EQ(Crc("123456789"), 0xCBF43926u);
  EXPECT_EQ(Crc(""), 0u);
  EXPECT_EQ(Crc("a"), 0xE8B7BE43u);
  // Longer than one 4096-byte chunk.
  std::string big(10000, 'z');
  Crc32 crc;
  crc.BuildTable();
  EXPECT_EQ(Crc(big), crc.BlockCrc(big.data(), big.size()));
}

TEST(Crc32Test, WithoutTableOrFile) {
  Crc32 crc;
  std::uint32_t value = 0;
  EXPECT_EQ(crc.FileCrc("/nonexistent", value), 0);
  EXPECT_EQ(value, 0xFFFFFFFFu);
  crc.BuildTable();
  EXPECT_NE(crc.FileCrc("/nonexistent/file", value), 0);
  EXPECT_EQ(value, 0u);
  crc.FreeTable();
  EXPECT_FALSE(crc.HasTable());
}

std::uint64_t Hex64(const char* hex) { return std::stoull(hex, nullptr, 16); }

// The published Blowfish test vectors (key, plain, cipher), 8-byte keys.
struct Vector {
  const char* key;
  const char* plain;
  const char* cipher;
};
const Vector kVectors[] = {
    {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
    {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
    {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
    {"1111111111111111", "1111111111111111", "2466DD878B963C9D"},
    {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
    {"1111111111111111", "0123456789ABCDEF", "7D0CC630AFDA1EC7"},
    {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
    {"7CA110454A1A6E57", "01A1D6D039776742", "59C68245EB05282B"},
};

TEST(BlowfishTest, PublishedVectors) {
  for (const auto& v : kVectors) {
    std::uint64_t k = Hex64(v.key);
    unsigned char key[8];
    for (int i = 0; i < 8; ++i) key[i] = static_cast<unsigned char>(k >> (56 - 8 * i));
    BlowfishCipher bf(key, 8);
    std::uint64_t p = Hex64(v.plain), c = Hex64(v.cipher);
    std::uint32_t l = static_cast<std::uint32_t>(p >> 32), r = static_cast<std::uint32_t>(p);
    bf.EncipherBlock(l, r);
    EXPECT_EQ((static_cast<std::uint64_t>(l) << 32) | r, c) << v.key << " " << v.plain;
    bf.DecipherBlock(l, r);
    EXPECT_EQ((static_cast<std::uint64_t>(l) << 32) | r, p);
  }
}

TEST(BlowfishTest, BufferIsBigEndianHalvesInCodebookMode) {
  const unsigned char key[8] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};
  BlowfishCipher bf(key, 8);
  unsigned char buf[16];
  for (int i = 0; i < 2; ++i) std::memset(buf + 8 * i, 0x11, 8);
  ASSERT_TRUE(bf.Encipher(buf, 16));
  const unsigned char expected[8] = {0x61, 0xF9, 0xC3, 0x80, 0x22, 0x81, 0xB0, 0x96};
  EXPECT_EQ(std::memcmp(buf, expected, 8), 0);
  EXPECT_EQ(std::memcmp(buf + 8, expected, 8), 0);  // each block on its own
  ASSERT_TRUE(bf.Decipher(buf, 16));
  for (unsigned char b : buf) EXPECT_EQ(b, 0x11);
}

TEST(BlowfishTest, BadLengthLeavesBufferAndReports) {
  std::string reported;
  BlowfishCipher::SetMessageHook([&](const std::string& m) { reported = m; });
  const unsigned char key[1] = {'k'};
  BlowfishCipher bf(key, 1);
  unsigned char buf[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  EXPECT_FALSE(bf.Decipher(buf, 12));
  EXPECT_EQ(reported, "Bad buffer length.");
  for (int i = 0; i < 12; ++i) EXPECT_EQ(buf[i], i + 1);
  reported.clear();
  EXPECT_FALSE(bf.Decipher(buf, 0));
  EXPECT_EQ(reported, "Bad buffer length.");
  BlowfishCipher::SetMessageHook(nullptr);
}

TEST(BlowfishTest, KeyLengthIsClamped) {
  unsigned char longKey[60];
  for (int i = 0; i < 60; ++i) longKey[i] = static_cast<unsigned char>(i * 7 + 1);
  std::uint32_t l1 = 1, r1 = 2, l2 = 1, r2 = 2;
  BlowfishCipher(longKey, 60).EncipherBlock(l1, r1);
  BlowfishCipher(longKey, 56).EncipherBlock(l2, r2);
  EXPECT_EQ(l1, l2);
  EXPECT_EQ(r1, r2);
  BlowfishCipher(longKey, 0).EncipherBlock(l1, r1);
  BlowfishCipher(longKey, 1).EncipherBlock(l2, r2);
  EXPECT_EQ(l1, l2);
  EXPECT_EQ(r1, r2);
}

}  // namespace
}  // namespace vantora
