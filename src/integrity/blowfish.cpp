#include "integrity/blowfish.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace vantora {

namespace blowfish_detail {
extern const std::uint32_t kInitialP[18];
extern const std::uint32_t kInitialS[4][256];
}  // namespace blowfish_detail

namespace {

BlowfishCipher::MessageHook& Hook() {
  static BlowfishCipher::MessageHook hook;
  return hook;
}

std::uint32_t LoadBig(const unsigned char* b) {
  return (static_cast<std::uint32_t>(b[0]) << 24) | (static_cast<std::uint32_t>(b[1]) << 16) |
         (static_cast<std::uint32_t>(b[2]) << 8) | b[3];
}

void StoreBig(std::uint32_t v, unsigned char* b) {
  b[0] = static_cast<unsigned char>(v >> 24);
  b[1] = static_cast<unsigned char>(v >> 16);
  b[2] = static_cast<unsigned char>(v >> 8);
  b[3] = static_cast<unsigned char>(v);
}

// Electronic-codebook mode: `block` on each 8-byte block as two big-endian
// halves, in place. A bad length is reported and changes nothing.
template <typename Block>
bool EachBlock(unsigned char* buffer, std::size_t length, Block block) {
  if (length == 0 || length % 8 != 0) {
    if (Hook()) Hook()("Bad buffer length.");
    return false;
  }
  for (std::size_t i = 0; i < length; i += 8) {
    std::uint32_t l = LoadBig(buffer + i), r = LoadBig(buffer + i + 4);
    block(l, r);
    StoreBig(l, buffer + i);
    StoreBig(r, buffer + i + 4);
  }
  return true;
}

}  // namespace

void BlowfishCipher::SetMessageHook(MessageHook hook) { Hook() = std::move(hook); }

BlowfishCipher::BlowfishCipher(const unsigned char* key, int keyLength) {
  std::memcpy(p_, blowfish_detail::kInitialP, sizeof p_);
  std::memcpy(s_, blowfish_detail::kInitialS, sizeof s_);
  keyLength = std::clamp(keyLength, 1, 56);
  static const unsigned char kZero = 0;
  if (key == nullptr) key = &kZero, keyLength = 1;
  int j = 0;
  for (int i = 0; i < 18; ++i) {
    std::uint32_t data = 0;
    for (int k = 0; k < 4; ++k) {
      data = (data << 8) | key[j];
      j = (j + 1) % keyLength;
    }
    p_[i] ^= data;
  }
  std::uint32_t l = 0, r = 0;
  for (int i = 0; i < 18; i += 2) {
    EncipherBlock(l, r);
    p_[i] = l;
    p_[i + 1] = r;
  }
  for (auto& box : s_) {
    for (int i = 0; i < 256; i += 2) {
      EncipherBlock(l, r);
      box[i] = l;
      box[i + 1] = r;
    }
  }
}

std::uint32_t BlowfishCipher::F(std::uint32_t x) const {
  return ((s_[0][x >> 24] + s_[1][(x >> 16) & 0xFF]) ^ s_[2][(x >> 8) & 0xFF]) + s_[3][x & 0xFF];
}

void BlowfishCipher::EncipherBlock(std::uint32_t& left, std::uint32_t& right) const {
  std::uint32_t l = left, r = right;
  for (int i = 0; i < 16; ++i) {
    l ^= p_[i];
    r ^= F(l);
    std::swap(l, r);
  }
  std::swap(l, r);
  r ^= p_[16];
  l ^= p_[17];
  left = l;
  right = r;
}

void BlowfishCipher::DecipherBlock(std::uint32_t& left, std::uint32_t& right) const {
  std::uint32_t l = left, r = right;
  for (int i = 17; i > 1; --i) {
    l ^= p_[i];
    r ^= F(l);
    std::swap(l, r);
  }
  std::swap(l, r);
  r ^= p_[1];
  l ^= p_[0];
  left = l;
  right = r;
}

bool BlowfishCipher::Decipher(unsigned char* buffer, std::size_t length) const {
  return EachBlock(buffer, length,
                   [this](std::uint32_t& l, std::uint32_t& r) { DecipherBlock(l, r); });
}

bool BlowfishCipher::Encipher(unsigned char* buffer, std::size_t length) const {
  return EachBlock(buffer, length,
                   [this](std::uint32_t& l, std::uint32_t& r) { EncipherBlock(l, r); });
}

}  // namespace vantora
