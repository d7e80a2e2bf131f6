#include "notebook/drawing.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "common/bitmapfile.h"
#include "common/pathutil.h"
#include "common/platform.h"
#include "integrity/recordfile.h"

namespace vantora {

namespace fs = std::filesystem;

DrawingCanvas::DrawingCanvas(int width, int height)
    : width_(width), height_(height), pixels_(static_cast<std::size_t>(width * height), 0) {}

bool DrawingCanvas::Black(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return false;
  return pixels_[static_cast<std::size_t>(y * width_ + x)] != 0;
}

void DrawingCanvas::SetBlack(int x, int y) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  pixels_[static_cast<std::size_t>(y * width_ + x)] = 1;
}

void DrawingCanvas::Line(int x0, int y0, int x1, int y1) {
  // The pixels of the classic Bresenham line in closed form: at step k along
  // the major axis the minor axis has moved floor((2 * minor * k + major) /
  // (2 * major)). Only the steps that land on the canvas are visited, so a
  // line far outside costs nothing.
  const std::int64_t dx = std::abs(x1 - x0), dy = std::abs(y1 - y0);
  const bool xMajor = dx >= dy;
  const std::int64_t major = xMajor ? dx : dy, minor = xMajor ? dy : dx;
  if (major == 0) {
    SetBlack(x0, y0);
    return;
  }
  const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
  const int a0 = xMajor ? x0 : y0, b0 = xMajor ? y0 : x0;
  const int sa = xMajor ? sx : sy, sb = xMajor ? sy : sx;
  const int aSize = xMajor ? width_ : height_, bSize = xMajor ? height_ : width_;
  auto minorAt = [&](std::int64_t k) { return (2 * minor * k + major) / (2 * major); };
  // Offsets t along one axis that keep start + step * t on the canvas.
  auto onCanvas = [](int start, int step, int size, std::int64_t& lo, std::int64_t& hi) {
    lo = step > 0 ? -start : start - (size - 1);
    hi = step > 0 ? size - 1 - start : start;
  };
  std::int64_t lo = 0, hi = 0, minorLo = 0, minorHi = 0;
  onCanvas(a0, sa, aSize, lo, hi);
  onCanvas(b0, sb, bSize, minorLo, minorHi);
  lo = std::max<std::int64_t>(lo, 0);
  hi = std::min(hi, major);
  if (lo > hi || minorHi < 0 || minorLo > minor) return;
  // The minor offset never decreases: the first step at or past minorLo and
  // the last one not past minorHi.
  auto firstStep = [&](std::int64_t from, std::int64_t to, auto past) {
    while (from < to) {
      const std::int64_t mid = from + (to - from) / 2;
      if (past(minorAt(mid)))
        to = mid;
      else
        from = mid + 1;
    }
    return from;
  };
  const std::int64_t first = firstStep(lo, hi + 1, [&](std::int64_t t) { return t >= minorLo; });
  const std::int64_t end = firstStep(first, hi + 1, [&](std::int64_t t) { return t > minorHi; });
  for (std::int64_t k = first; k < end; ++k) {
    const int a = a0 + sa * static_cast<int>(k);
    const int b = b0 + sb * static_cast<int>(minorAt(k));
    if (xMajor)
      SetBlack(a, b);
    else
      SetBlack(b, a);
  }
}

void DrawingCanvas::Dot(int x, int y) {
  for (int j = -1; j <= 1; ++j)
    for (int i = -1; i <= 1; ++i) SetBlack(x + i, y + j);
}

int DrawingCanvas::BlackCount() const {
  int n = 0;
  for (auto p : pixels_) n += p;
  return n;
}

DrawingCanvas RenderPointFile(const std::string& drwPath) {
  DrawingCanvas canvas;
  RecordFile in(drwPath);
  in.OpenForRead();
  if (in.Error() != RecordFileError::None) return canvas;
  std::int64_t size = in.Size();
  bool strokes = true;
  for (int i = 0; i < 4; ++i)
    if (in.ReadWord() != 0) strokes = false;
  std::int64_t offset = 8;
  if (!strokes) {
    in.Close();
    RecordFile dots(drwPath);
    dots.OpenForRead();
    // Only complete points are drawn.
    for (std::int64_t n = dots.Size() / 4; n > 0; --n) {
      int x = dots.ReadWord();
      int y = dots.ReadWord();
      if (dots.Error() != RecordFileError::None || dots.AtEnd()) break;
      canvas.Dot(x, y);
    }
    dots.Close();
    return canvas;
  }
  bool penDown = false;
  int penX = 0, penY = 0;
  for (std::int64_t n = size > offset ? (size - offset) / 4 : 0; n > 0; --n) {
    int x = in.ReadWord();
    int y = in.ReadWord();
    if (in.Error() != RecordFileError::None || in.AtEnd()) break;
    if (x == 0 && y == 0) {
      penDown = false;  // pen lift: the next point starts a new stroke
    } else if (!penDown) {
      canvas.SetBlack(x, y);
      penDown = true;
    } else {
      canvas.Line(penX, penY, x, y);
    }
    if (penDown) penX = x, penY = y;
  }
  in.Close();
  return canvas;
}

namespace {

// Colour table entries (blue, green, red, 0): entry 0 black, the last white.
std::vector<std::uint32_t> ColourTable(int bits) {
  if (bits > 8) return {};
  int n = 1 << bits;
  std::vector<std::uint32_t> table(static_cast<std::size_t>(n));
  if (bits == 4) {
    // The 16 colours of the standard VGA palette, in their usual order.
    static const std::uint32_t vga[16] = {
        0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
        0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    for (int i = 0; i < 16; ++i) table[static_cast<std::size_t>(i)] = vga[i];
  } else {
    for (int i = 0; i < n; ++i) {
      std::uint32_t g = static_cast<std::uint32_t>(i * 255 / (n - 1));
      table[static_cast<std::size_t>(i)] = g | (g << 8) | (g << 16);
    }
  }
  return table;
}

}  // namespace

std::vector<std::uint8_t> BitmapFileBytes(const DrawingCanvas& canvas, int bits) {
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) bits = 24;
  BitmapFormat format;
  format.width = canvas.Width();
  format.height = canvas.Height();
  format.bitsPerPixel = bits;
  format.colours = ColourTable(bits);
  const unsigned whiteIndex =
      format.colours.empty() ? 0 : static_cast<unsigned>(format.colours.size() - 1);
  return BitmapFile(format, [&](int y, std::uint8_t* row) {
    for (int x = 0; x < format.width; ++x) {
      const bool black = canvas.Black(x, y);
      switch (bits) {
        case 1:
        case 4:
        case 8: {
          const unsigned index = black ? 0 : whiteIndex;
          const int bitPos = x * bits;
          const int shift = 8 - bits - (bitPos % 8);
          row[bitPos / 8] |= static_cast<std::uint8_t>(index << shift);
          break;
        }
        case 16: {
          const unsigned v = black ? 0 : 0x7FFF;
          row[x * 2] = static_cast<std::uint8_t>(v & 0xFF);
          row[x * 2 + 1] = static_cast<std::uint8_t>(v >> 8);
          break;
        }
        default: {
          const int bytes = bits / 8;
          const std::uint8_t v = black ? 0 : 0xFF;
          for (int k = 0; k < 3; ++k) row[x * bytes + k] = v;
          break;
        }
      }
    }
  });
}

bool WriteBitmapFile(const std::string& path, const DrawingCanvas& canvas, int bitsPerPixel,
                     int* error) {
  auto bytes = BitmapFileBytes(canvas, bitsPerPixel);
  // Written beside and moved over: a failed write keeps the old drawing.
  return WriteFilePieces(
      path, {std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())}, error);
}

namespace {
std::function<int()>& DepthSource() {
  static std::function<int()> source;
  return source;
}
}  // namespace

void SetDrawingDepthSource(std::function<int()> source) { DepthSource() = std::move(source); }

int DrawingBitsPerPixel() {
  int bits = DepthSource() ? DepthSource()() : 0;
  return bits > 0 ? bits : 24;
}

std::string PointFileOf(const std::string& locationPath) {
  return PathWithoutExtension(locationPath) + ".drw";
}

std::string DrawingFileOf(const std::string& locationPath) {
  return PathWithoutExtension(locationPath) + ".bmp";
}

bool ConvertDrawing(const std::string& locationPath) {
  std::string drw = PointFileOf(locationPath);
  std::string bmp = DrawingFileOf(locationPath);
  if (!FileExists(drw)) return false;
  std::error_code ec1, ec2;
  auto drwTime = fs::last_write_time(NativePath(drw), ec1);
  auto bmpTime = fs::last_write_time(NativePath(bmp), ec2);
  if (!ec1 && !ec2 && FileExists(bmp) && !(bmpTime < drwTime)) return false;
  return WriteBitmapFile(bmp, RenderPointFile(drw), DrawingBitsPerPixel());
}

}  // namespace vantora
