#include "notebook/drawing.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <utility>
#include <vector>

#include "notebook/notebook.h"
#include "support/clirun.h"
#include "support/locbytes.h"

namespace vantora {
namespace {

using test::Bytes;
using test::TempDir;

namespace fs = std::filesystem;

std::uint32_t U32(const std::string& s, std::size_t at) {
  return static_cast<std::uint8_t>(s[at]) | (static_cast<std::uint8_t>(s[at + 1]) << 8) |
         (static_cast<std::uint8_t>(s[at + 2]) << 16) |
         (static_cast<std::uint32_t>(static_cast<std::uint8_t>(s[at + 3])) << 24);
}
int U16(const std::string& s, std::size_t at) {
  return static_cast<std::uint8_t>(s[at]) | (static_cast<std::uint8_t>(s[at + 1]) << 8);
}

// A pixel of a 24-bit bottom-up bitmap file, read straight from its bytes.
bool BlackAt(const std::string& bmp, int x, int y) {
  std::uint32_t offset = U32(bmp, 10);
  int width = static_cast<int>(U32(bmp, 18));
  int height = static_cast<int>(U32(bmp, 22));
  std::size_t stride = static_cast<std::size_t>((24 * width + 31) / 32 * 4);
  std::size_t at =
      offset + static_cast<std::size_t>(height - 1 - y) * stride + static_cast<std::size_t>(x) * 3;
  return bmp[at] == 0 && bmp[at + 1] == 0 && bmp[at + 2] == 0;
}

int BlackPixels(const std::string& bmp) {
  int n = 0;
  for (int y = 0; y < kDrawingHeight; ++y)
    for (int x = 0; x < kDrawingWidth; ++x) n += BlackAt(bmp, x, y);
  return n;
}

void Points(Bytes& b, std::initializer_list<std::pair<int, int>> points) {
  for (auto [x, y] : points) {
    b.U16(x);
    b.U16(y);
  }
}

TEST(BitmapFile, HeaderOf24Bits) {
  DrawingCanvas canvas;
  auto bytes = BitmapFileBytes(canvas, 24);
  std::string s(bytes.begin(), bytes.end());
  ASSERT_EQ(s.size(), 14u + 40u + 1920u * 240u);
  EXPECT_EQ(s.substr(0, 2), "BM");
  EXPECT_EQ(U32(s, 2), s.size());
  EXPECT_EQ(U32(s, 6), 0u);
  EXPECT_EQ(U32(s, 10), 54u);
  EXPECT_EQ(U32(s, 14), 40u);
  EXPECT_EQ(U32(s, 18), 640u);
  EXPECT_EQ(U32(s, 22), 240u);
  EXPECT_EQ(U16(s, 26), 1);
  EXPECT_EQ(U16(s, 28), 24);
  EXPECT_EQ(U32(s, 30), 0u);
  EXPECT_EQ(U32(s, 34), 1920u * 240u);
  EXPECT_EQ(BlackPixels(s), 0);
}

TEST(BitmapFile, PalettedDepthsCarryAColourTable) {
  DrawingCanvas canvas;
  canvas.SetBlack(0, 0);
  for (int bits : {1, 4, 8}) {
    auto bytes = BitmapFileBytes(canvas, bits);
    std::string s(bytes.begin(), bytes.end());
    std::uint32_t entries = 1u << bits;
    std::uint32_t stride = (static_cast<std::uint32_t>(bits) * 640 + 31) / 32 * 4;
    EXPECT_EQ(U32(s, 10), 54 + 4 * entries) << bits;
    EXPECT_EQ(U32(s, 34), stride * 240) << bits;
    EXPECT_EQ(s.size(), 54 + 4 * entries + stride * 240) << bits;
    EXPECT_EQ(U32(s, 54), 0u) << bits;                               // entry 0: black
    EXPECT_EQ(U32(s, 54 + 4 * (entries - 1)), 0x00FFFFFFu) << bits;  // last: white
    // Top-left pixel is in the last row; its index is 0 (black), the next white.
    std::size_t lastRow = U32(s, 10) + stride * 239;
    EXPECT_EQ(static_cast<std::uint8_t>(s[lastRow]) >> (8 - bits), 0) << bits;
  }
  auto mono = BitmapFileBytes(canvas, 1);
  EXPECT_EQ(mono[62 + 80 * 239], 0x7F);  // black first pixel, seven white ones
  EXPECT_EQ(mono[62], 0xFF);             // bottom row all white
  EXPECT_EQ(BitmapFileBytes(canvas, 16).size(), 54u + 1280u * 240u);
  EXPECT_EQ(BitmapFileBytes(canvas, 32).size(), 54u + 2560u * 240u);
  EXPECT_EQ(BitmapFileBytes(canvas, 7).size(), 54u + 1920u * 240u);  // unknown: 24
}

TEST(PointFile, StrokesWithPenLift) {
  TempDir dir;
  Bytes b;
  Points(b, {{0, 0}, {0, 0}, {10, 10}, {20, 10}, {0, 0}, {30, 30}});
  test::WriteBytes(dir.File("Room 4.drw"), b.data);
  test::WriteBytes(dir.File("Room 4.loc"), {'x'});
  ASSERT_TRUE(ConvertDrawing(dir.File("Room 4.loc")));
  std::string bmp = test::ReadAll(dir.File("Room 4.bmp"));
  for (int x = 10; x <= 20; ++x) EXPECT_TRUE(BlackAt(bmp, x, 10)) << x;
  EXPECT_TRUE(BlackAt(bmp, 30, 30));
  EXPECT_EQ(BlackPixels(bmp), 12);  // a line of 11 pixels and one single pixel
  EXPECT_TRUE(fs::exists(dir.File("Room 4.drw")));
}

TEST(PointFile, DotsWhenTheFirstWordsAreNotZero) {
  TempDir dir;
  Bytes b;
  Points(b, {{5, 7}, {100, 200}, {0, 0}});
  b.U16(50);  // half a point: not drawn
  test::WriteBytes(dir.File("p.drw"), b.data);
  DrawingCanvas canvas = RenderPointFile(dir.File("p.drw"));
  for (int y = 6; y <= 8; ++y)
    for (int x = 4; x <= 6; ++x) EXPECT_TRUE(canvas.Black(x, y));
  EXPECT_TRUE(canvas.Black(99, 199));
  EXPECT_TRUE(canvas.Black(101, 201));
  EXPECT_TRUE(canvas.Black(0, 0));  // the dot at the corner, clipped to 2 x 2
  EXPECT_EQ(canvas.BlackCount(), 9 + 9 + 4);
}

TEST(PointFile, EmptyFilesInEitherLayoutAreWhite) {
  TempDir dir;
  test::WriteBytes(dir.File("a.drw"), {});
  Bytes zeros;
  Points(zeros, {{0, 0}, {0, 0}});
  test::WriteBytes(dir.File("b.drw"), zeros.data);
  EXPECT_EQ(RenderPointFile(dir.File("a.drw")).BlackCount(), 0);
  EXPECT_EQ(RenderPointFile(dir.File("b.drw")).BlackCount(), 0);
  EXPECT_EQ(RenderPointFile(dir.File("missing.drw")).BlackCount(), 0);
  test::WriteBytes(dir.File("Room.loc"), {'x'});
  test::WriteBytes(dir.File("Room.drw"), {});
  ASSERT_TRUE(ConvertDrawing(dir.File("Room.loc")));
  std::string bmp = test::ReadAll(dir.File("Room.bmp"));
  EXPECT_EQ(bmp.size(), 54u + 1920u * 240u);
  EXPECT_EQ(BlackPixels(bmp), 0);
}

TEST(PointFile, StrokeCutByTheEndOfTheFile) {
  TempDir dir;
  Bytes b;
  Points(b, {{0, 0}, {0, 0}, {1, 1}, {5, 1}});
  b.U16(9);  // x without y
  test::WriteBytes(dir.File("c.drw"), b.data);
  EXPECT_EQ(RenderPointFile(dir.File("c.drw")).BlackCount(), 5);
}

// The line as traced pixel by pixel before clipping, for comparison.
void TracedLine(std::vector<std::pair<int, int>>& pixels, int x0, int y0, int x1, int y1) {
  int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
  int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
  int err = dx + dy;
  for (;;) {
    if (x0 >= 0 && y0 >= 0 && x0 < kDrawingWidth && y0 < kDrawingHeight)
      pixels.emplace_back(x0, y0);
    if (x0 == x1 && y0 == y1) break;
    int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x0 += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y0 += sy;
    }
  }
}

TEST(DrawingLines, ClippedLinesHaveTheTracedPixels) {
  std::mt19937 random(12);
  std::uniform_int_distribution<int> near(-40, 700), far(0, 65535);
  for (int n = 0; n < 800; ++n) {
    auto pick = [&] { return n % 3 == 0 ? far(random) : near(random); };
    const int x0 = pick(), y0 = pick() % 300, x1 = pick(), y1 = n % 2 ? pick() : pick() % 300;
    DrawingCanvas canvas;
    canvas.Line(x0, y0, x1, y1);
    std::vector<std::pair<int, int>> traced;
    TracedLine(traced, x0, y0, x1, y1);
    ASSERT_EQ(canvas.BlackCount(), static_cast<int>(traced.size()))
        << x0 << "," << y0 << " " << x1 << "," << y1;
    for (const auto& [x, y] : traced) ASSERT_TRUE(canvas.Black(x, y)) << x << "," << y;
  }
}

TEST(DrawingLines, StrokesFarOutsideTheCanvasConvertQuickly) {
  TempDir dir;
  Bytes b;
  Points(b, {{0, 0}, {0, 0}});
  for (int k = 0; b.data.size() < (256u << 10); ++k) {
    b.U16(k % 2 ? 65535 : 1);
    b.U16(k % 2 ? 65000 - k : 1 + k % 200);
  }
  test::WriteBytes(dir.File("Far.drw"), b.data);
  test::WriteBytes(dir.File("Far.loc"), {'x'});
  [[maybe_unused]] const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(ConvertDrawing(dir.File("Far.loc")));
#if !defined(__SANITIZE_ADDRESS__) && !defined(VANTORA_SANITIZED)
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
#endif
}

TEST(ConvertDrawingTest, OnlyWhenTheBitmapIsMissingOrOlder) {
  TempDir dir;
  std::string loc = dir.File("Room 4.loc");
  test::WriteBytes(loc, {'x'});
  EXPECT_FALSE(ConvertDrawing(loc));  // no point file
  Bytes b;
  Points(b, {{3, 3}});
  test::WriteBytes(dir.File("Room 4.drw"), b.data);
  // A newer edited drawing is kept.
  test::WriteBytes(dir.File("Room 4.bmp"), {'E', 'D', 'I', 'T'});
  auto now = fs::file_time_type::clock::now();
  fs::last_write_time(dir.File("Room 4.drw"), now - std::chrono::hours(1));
  fs::last_write_time(dir.File("Room 4.bmp"), now);
  EXPECT_FALSE(ConvertDrawing(loc));
  EXPECT_EQ(test::ReadAll(dir.File("Room 4.bmp")), "EDIT");
  // An older one is replaced by a fresh rendering; so does SetLocation.
  fs::last_write_time(dir.File("Room 4.bmp"), now - std::chrono::hours(2));
  Notebook nb;
  nb.SetLocation(loc);
  std::string bmp = test::ReadAll(dir.File("Room 4.bmp"));
  EXPECT_EQ(BlackPixels(bmp), 9);
  EXPECT_TRUE(nb.HasNote(NoteKind::Drawing));
}

TEST(ConvertDrawingTest, DottedFolderUsesTheFileNamesTitle) {
  TempDir dir;
  fs::create_directories(dir.File("Site.2005"));
  EXPECT_EQ(PointFileOf(dir.File("Site.2005/Room.loc")), dir.File("Site.2005/Room.drw"));
  EXPECT_EQ(DrawingFileOf("C:\\Data.2005\\Room.loc"), "C:\\Data.2005\\Room.bmp");
}

TEST(BlankDrawing, ShippedBesideTheProgramIsWhite640x240) {
  const char* bin = std::getenv("VANTORA_BIN");
  if (!bin) GTEST_SKIP() << "VANTORA_BIN not set";
  std::string blank = test::ReadAll(std::string(bin) + "/bitmap.bmp");
  auto expected = BitmapFileBytes(DrawingCanvas(), 24);
  EXPECT_EQ(blank, std::string(expected.begin(), expected.end()));
}

TEST(CliDrawing, RendersOnRequest) {
  TempDir dir;
  // The point file renders without a location beside it.
  Bytes b;
  Points(b, {{3, 3}});
  test::WriteBytes(dir.File("Room 4.drw"), b.data);
  auto run = test::RunVantora("drawing --bits 1 " + test::ShellQuote(dir.File("Room 4.loc")), dir);
  EXPECT_EQ(run.status, 0) << run.err;
  std::string bmp = test::ReadAll(dir.File("Room 4.bmp"));
  EXPECT_EQ(U16(bmp, 28), 1);
  // Neither a location nor a point file.
  run = test::RunVantora("drawing " + test::ShellQuote(dir.File("None.loc")), dir);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("None.loc can not be opened: no such file."), std::string::npos)
      << run.err;
}

}  // namespace
}  // namespace vantora
