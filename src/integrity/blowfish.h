// The Blowfish block cipher (64-bit blocks, 16 rounds, key of 1 to 56 bytes).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace vantora {

class BlowfishCipher {
 public:
  // Key schedule; the key length is clamped to 1..56 bytes (0 counts as 1).
  BlowfishCipher(const unsigned char* key, int keyLength);

  void EncipherBlock(std::uint32_t& left, std::uint32_t& right) const;
  void DecipherBlock(std::uint32_t& left, std::uint32_t& right) const;

  // In place, electronic-codebook mode, each 8-byte block as two big-endian
  // halves. A length of 0 or not a multiple of 8 leaves the buffer unchanged
  // and reports "Bad buffer length." through the message hook; false then.
  bool Decipher(unsigned char* buffer, std::size_t length) const;
  bool Encipher(unsigned char* buffer, std::size_t length) const;

  // Where "Bad buffer length." goes; the GUI installs a message box. Without
  // a hook the message is dropped.
  using MessageHook = std::function<void(const std::string&)>;
  static void SetMessageHook(MessageHook hook);

 private:
  std::uint32_t F(std::uint32_t x) const;
  std::uint32_t p_[18];
  std::uint32_t s_[4][256];
};

}  // namespace vantora
