// Point drawings (".drw") rendered into the location's bitmap drawing note,
// and the Windows bitmap writer behind it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vantora {

constexpr int kDrawingWidth = 640;
constexpr int kDrawingHeight = 240;

// A black-and-white canvas, origin top left; true = black.
class DrawingCanvas {
 public:
  DrawingCanvas(int width = kDrawingWidth, int height = kDrawingHeight);
  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Black(int x, int y) const;
  // Pixels outside the canvas are ignored.
  void SetBlack(int x, int y);
  // A one-pixel line, both end points included.
  void Line(int x0, int y0, int x1, int y1);
  // A filled square of side 3 centred on (x, y).
  void Dot(int x, int y);
  int BlackCount() const;

 private:
  int width_, height_;
  std::vector<std::uint8_t> pixels_;
};

// Renders a point file (either layout); a file that cannot be read gives a
// white canvas.
DrawingCanvas RenderPointFile(const std::string& drwPath);

// The bytes of an uncompressed Windows bitmap file of the canvas with 1, 4,
// 8, 16, 24 or 32 bits per pixel (anything else is written with 24).
std::vector<std::uint8_t> BitmapFileBytes(const DrawingCanvas& canvas, int bitsPerPixel);
// Replaces the file with those bytes; an old file (even a read-only one) is
// kept until the new one is complete. `error`: the system's error number of
// a failure.
bool WriteBitmapFile(const std::string& path, const DrawingCanvas& canvas, int bitsPerPixel,
                     int* error = nullptr);

// Bits per pixel of written drawings: the screen's when the GUI supplies it
// (a function asked at each conversion), else 24.
void SetDrawingDepthSource(std::function<int()> source);
int DrawingBitsPerPixel();

// The point file and drawing of a location: the path cut before the first dot
// of its file name, then ".drw" or ".bmp".
std::string PointFileOf(const std::string& locationPath);
std::string DrawingFileOf(const std::string& locationPath);

// Renders the location's point file into its ".bmp" drawing when the point
// file exists and the drawing is missing or older than it (so a drawing
// edited since is kept). True when a drawing was written. Never shows
// anything; the point file is left in place.
bool ConvertDrawing(const std::string& locationPath);

}  // namespace vantora
