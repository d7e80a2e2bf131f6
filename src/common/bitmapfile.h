// Uncompressed Windows bitmap files: the file and info headers, an optional
// colour table and rows of pixels bottom-up, each padded to whole 32-bit
// words.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace vantora {

struct BitmapFormat {
  int width = 0, height = 0;
  int bitsPerPixel = 24;               // 1, 4, 8, 16, 24 or 32
  std::uint32_t pixelsPerMeter = 0;    // on both axes; 0 leaves it unstated
  std::vector<std::uint32_t> colours;  // 0x00RRGGBB, for 8 bits per pixel or fewer
};

// Bytes in one row of pixels, padding included (0 for a bad size or depth).
std::size_t BitmapRowBytes(int width, int bitsPerPixel);

// The bytes of the file. `fillRow(y, row)` writes image row y (0 is the top
// row) into `row`, which holds BitmapRowBytes zero bytes. Empty for a
// negative size, a depth other than those above, or a file of 4 GiB or more.
std::vector<std::uint8_t> BitmapFile(const BitmapFormat& format,
                                     const std::function<void(int y, std::uint8_t* row)>& fillRow);

}  // namespace vantora
