// Uncompressed Windows bitmap files.
#include "common/bitmapfile.h"

namespace vantora {

namespace {

std::uint8_t* Put16(std::uint8_t* p, unsigned v) {
  *p++ = static_cast<std::uint8_t>(v & 0xFF);
  *p++ = static_cast<std::uint8_t>((v >> 8) & 0xFF);
  return p;
}

std::uint8_t* Put32(std::uint8_t* p, std::uint32_t v) {
  return Put16(Put16(p, v & 0xFFFF), v >> 16);
}

bool KnownDepth(int bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

}  // namespace

std::size_t BitmapRowBytes(int width, int bitsPerPixel) {
  if (width < 0 || !KnownDepth(bitsPerPixel)) return 0;
  const std::uint64_t bits =
      static_cast<std::uint64_t>(width) * static_cast<unsigned>(bitsPerPixel);
  return static_cast<std::size_t>((bits + 31) / 32 * 4);
}

std::vector<std::uint8_t> BitmapFile(const BitmapFormat& format,
                                     const std::function<void(int y, std::uint8_t* row)>& fillRow) {
  if (format.width < 0 || format.height < 0 || !KnownDepth(format.bitsPerPixel)) return {};
  const std::uint64_t stride = BitmapRowBytes(format.width, format.bitsPerPixel);
  const std::uint64_t imageSize = stride * static_cast<std::uint64_t>(format.height);
  const std::uint64_t offset = 14 + 40 + 4 * static_cast<std::uint64_t>(format.colours.size());
  if (offset + imageSize > 0xFFFFFFFFu) return {};
  std::vector<std::uint8_t> out(static_cast<std::size_t>(offset + imageSize), 0);
  std::uint8_t* p = out.data();
  // BITMAPFILEHEADER
  *p++ = 'B';
  *p++ = 'M';
  p = Put32(p, static_cast<std::uint32_t>(offset + imageSize));
  p = Put16(p, 0);
  p = Put16(p, 0);
  p = Put32(p, static_cast<std::uint32_t>(offset));
  // BITMAPINFOHEADER: uncompressed.
  p = Put32(p, 40);
  p = Put32(p, static_cast<std::uint32_t>(format.width));
  p = Put32(p, static_cast<std::uint32_t>(format.height));
  p = Put16(p, 1);
  p = Put16(p, static_cast<unsigned>(format.bitsPerPixel));
  p = Put32(p, 0);
  p = Put32(p, static_cast<std::uint32_t>(imageSize));
  p = Put32(p, format.pixelsPerMeter);
  p = Put32(p, format.pixelsPerMeter);
  p = Put32(p, 0);
  p = Put32(p, 0);
  for (std::uint32_t c : format.colours) p = Put32(p, c);
  // Rows bottom-up.
  if (fillRow)
    for (int y = format.height - 1; y >= 0; --y, p += stride) fillRow(y, p);
  return out;
}

}  // namespace vantora
