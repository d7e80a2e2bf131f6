// The graph file: round trips, archive strings, refusals and damage.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "graph/graphdocument.h"
#include "graph/test_support.h"

namespace vantora::graph {
namespace {

using test::Location;
using test::Settings;
using test::ThreeChannels;

GraphFileResult Read(const std::string& bytes, GraphDocument& doc, std::string* detail = nullptr) {
  std::string d;
  auto r =
      ReadGraphBytes(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), doc, d);
  if (detail) *detail = d;
  return r;
}

void PutI32(std::string& bytes, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i)
    bytes[at + static_cast<std::size_t>(i)] = static_cast<char>(v >> (8 * i));
}

class GraphFileTest : public ::testing::Test {
 protected:
  // A Multi Y graph of three pairs with two comments.
  void SetUp() override {
    Location loc(ThreeChannels({{20.0f, 50.0f, 1.5f}, {21.0f, 2e6f, 1.0f}, {22.5f, 55.0f, 2.0f}}));
    auto s = Settings(kModeMultiY, 0, {1, 2, 3});
    ASSERT_TRUE(built.BuildGraph(&loc.log(), &s));
    built.comments.Append("Door opened", 10, 20, 13);
    built.comments.Append("", 100, 0, 16);
    bytes = GraphFileBytes(built);
  }
  GraphDocument built;
  std::string bytes;
};

TEST_F(GraphFileTest, HeaderFieldsThenTheChart) {
  EXPECT_EQ(bytes.substr(0, 24),
            std::string("\x68\0\0\0\x68\0\0\0\x01\0\0\0\x04\0\0\0\x02\0\0\0\x02\0\0\0", 24));
  EXPECT_EQ(bytes.substr(24, 13), std::string("\x0A\0\0\0\x14\0\0\0\x0D\0\0\0\x0B", 13));
  EXPECT_EQ(bytes.substr(37, 11), "Door opened");
  EXPECT_EQ(bytes.substr(48, 13), std::string("\x64\0\0\0\0\0\0\0\x10\0\0\0\0", 13));
}

TEST_F(GraphFileTest, RoundTripKeepsEveryByteAndRestoresThePairs) {
  GraphDocument opened;
  opened.settings.legend = 0;
  ASSERT_EQ(Read(bytes, opened), GraphFileResult::Ok);
  EXPECT_EQ(GraphFileBytes(opened), bytes);
  EXPECT_EQ(opened.settings.legend, 1);
  EXPECT_EQ(opened.settings.mode, kModeMultiY);
  EXPECT_EQ(opened.settings.axisCount, 4);
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(opened.settings.AxisPair(i), (std::pair<int, int>{0, i + 1}));
  ASSERT_EQ(opened.comments.Count(), 2);
  EXPECT_EQ(opened.comments.Get(0).text, "Door opened");
  EXPECT_EQ(opened.comments.Get(1).x, 100);
  EXPECT_EQ(opened.GetGraph().ItemCount(5), 3);

  // Laid out again for a size, the opened graph matches the built one.
  built.LayoutGraph(1024, 700);
  opened.LayoutGraph(1024, 700);
  EXPECT_EQ(opened.GetGraph().Display(2)->plotArea, built.GetGraph().Display(2)->plotArea);
  EXPECT_EQ(opened.GetGraph().Legend()->rect, built.GetGraph().Legend()->rect);
}

TEST_F(GraphFileTest, HiddenSeriesLimitLinesAndZoomStepsComeBack) {
  chart::SRGraph& g = built.GetGraph();
  g.SetSeriesHidden(1, true);
  g.limitLines.push_back({2, "ceiling", 1.75, "ppm", "Ceiling 1.75 ppm"});
  g.zoomHistory.push_back(chart::SRGZoom());
  GraphDocument opened;
  ASSERT_EQ(Read(GraphFileBytes(built), opened), GraphFileResult::Ok);
  const chart::SRGraph& back = opened.GetGraph();
  EXPECT_FALSE(back.SeriesHidden(0));
  EXPECT_TRUE(back.SeriesHidden(1));
  EXPECT_EQ(back.limitLines, g.limitLines);
  EXPECT_EQ(back.zoomHistory.size(), 1u);
  // The record that was not plottable is remembered as such.
  EXPECT_EQ(back.MarkAt(1, 1), chart::PointMark::OutOfRange);
  // A line of a series the graph does not have is damage.
  g.limitLines.push_back({3, "high", 1, "ppm", "High 1 ppm"});
  std::string detail;
  EXPECT_EQ(Read(GraphFileBytes(built), opened, &detail), GraphFileResult::Damaged);
  EXPECT_NE(detail.find("limit line"), std::string::npos) << detail;
}

TEST_F(GraphFileTest, SaveAndLoad) {
  vantora::test::TempDir dir;
  const std::string path = dir.File("G.vtg");
  std::string detail;
  ASSERT_EQ(SaveGraphFile(path, built, detail), GraphFileResult::Ok);
  EXPECT_EQ(vantora::test::ReadAll(path), bytes);
  GraphDocument opened;
  ASSERT_EQ(LoadGraphFile(path, opened, detail), GraphFileResult::Ok) << detail;
  EXPECT_EQ(GraphFileBytes(opened), bytes);

  EXPECT_EQ(LoadGraphFile(dir.File("none.vtg"), opened, detail), GraphFileResult::CannotRead);
  EXPECT_FALSE(detail.empty());
  EXPECT_EQ(opened.comments.Count(), 0);
  EXPECT_EQ(SaveGraphFile(dir.File("no/such/folder/G.vtg"), built, detail),
            GraphFileResult::CannotWrite);

  // A file far larger than any graph is refused without being read.
  const std::string huge = dir.File("huge.vtg");
  { std::ofstream(huge) << bytes; }
  std::filesystem::resize_file(huge, 300ull * 1024 * 1024);
  EXPECT_EQ(LoadGraphFile(huge, opened, detail), GraphFileResult::Damaged);
  EXPECT_EQ(DamagedGraphFileText("C:\\G.vtg"),
            "The graph file C:\\G.vtg is damaged and can not be opened.");
}

TEST(ArchiveString, LengthPrefixes) {
  auto prefix = [](std::size_t n) {
    std::string out;
    AppendArchiveString(out, std::string(n, 'a'));
    EXPECT_EQ(out.size() - n, n < 255 ? 1u : n < 0xFFFE ? 3u : 7u);
    return out.substr(0, out.size() - n);
  };
  EXPECT_EQ(prefix(0), std::string(1, '\0'));
  EXPECT_EQ(prefix(254), "\xFE");
  EXPECT_EQ(prefix(255), std::string("\xFF\xFF\x00", 3));
  EXPECT_EQ(prefix(300), std::string("\xFF\x2C\x01", 3));
  EXPECT_EQ(prefix(0xFFFD), std::string("\xFF\xFD\xFF", 3));
  EXPECT_EQ(prefix(0xFFFE), std::string("\xFF\xFF\xFF\xFE\xFF\x00\x00", 7));
  EXPECT_EQ(prefix(70000), std::string("\xFF\xFF\xFF\x70\x11\x01\x00", 7));
}

TEST_F(GraphFileTest, LongCommentsRoundTrip) {
  built.comments.Clear();
  built.comments.Append(std::string(300, 'x'), 5, 5, 10);
  built.comments.Append(std::string(70000, 'y'), 5, 5, 10);
  bytes = GraphFileBytes(built);
  EXPECT_EQ(bytes.substr(24 + 12, 4), std::string("\xFF\x2C\x01x", 4));
  GraphDocument opened;
  ASSERT_EQ(Read(bytes, opened), GraphFileResult::Ok);
  EXPECT_EQ(opened.comments.Get(0).text, std::string(300, 'x'));
  EXPECT_EQ(opened.comments.Get(1).text.size(), 70000u);
}

TEST_F(GraphFileTest, OtherTagsAreAnOlderVersion) {
  std::string old = bytes;
  PutI32(old, 4, 103);
  GraphDocument opened;
  EXPECT_EQ(Read(old, opened), GraphFileResult::OlderVersion);
  EXPECT_EQ(opened.GetGraph().Components().size(), 0u);
  PutI32(old, 0, 103);
  PutI32(old, 4, 104);
  EXPECT_EQ(Read(old, opened), GraphFileResult::OlderVersion);
  PutI32(old, 0, 100);
  EXPECT_EQ(Read(old, opened), GraphFileResult::OlderVersion);
  // Other leading bytes: no graph file.
  for (std::uint32_t tag : {99u, 105u, 0x474E5089u}) {
    PutI32(old, 0, tag);
    EXPECT_EQ(Read(old, opened), GraphFileResult::NotGraphFile) << tag;
  }
  EXPECT_EQ(NotGraphFileText("a.png"), "a.png is not a graph file.");
  EXPECT_STREQ(kTextOlderGraphFile,
               "This .vtg graph file was created with an older version of VantoraPC and can not "
               "be opened.");
}

TEST_F(GraphFileTest, EveryTruncationIsDamaged) {
  GraphDocument opened;
  opened.comments.Append("stale", 1, 1, 10);
  for (std::size_t n = 0; n < bytes.size(); ++n) {
    std::string detail;
    // Without its two tags it is no graph file at all.
    ASSERT_EQ(Read(bytes.substr(0, n), opened, &detail),
              n < 8 ? GraphFileResult::NotGraphFile : GraphFileResult::Damaged)
        << n;
    EXPECT_FALSE(detail.empty());
    EXPECT_EQ(opened.comments.Count(), 0);
    EXPECT_EQ(opened.GetGraph().GroupCount(), 0);
  }
  EXPECT_EQ(Read(bytes + '\0', opened), GraphFileResult::Damaged);  // trailing bytes
}

TEST_F(GraphFileTest, InconsistentFieldsAreDamaged) {
  struct Case {
    std::size_t at;
    std::uint32_t value;
  } cases[] = {
      {12, 3},                             // axis count: the chart holds three pairs
      {12, 22},                            // axis count beyond 21
      {12, 0},                             // no axis at all
      {16, 4},                             // unknown mode
      {16, 0},          {20, 0x7FFFFFFF},  // hostile comment count
      {20, 0xFFFFFFFF},                    // negative comment count
      {20, 3},                             // one comment more than stored
      {32, 11},                            // text height other than 10, 13, 16
      {24, 101},                           // comment beyond the right edge
  };
  for (const auto& c : cases) {
    std::string damaged = bytes;
    PutI32(damaged, c.at, c.value);
    GraphDocument opened;
    std::string detail;
    EXPECT_EQ(Read(damaged, opened, &detail), GraphFileResult::Damaged) << c.at << " " << c.value;
    EXPECT_EQ(opened.comments.Count(), 0);
  }
  // A text length running past the end, and the unread two-byte marker form.
  std::string damaged = bytes;
  damaged[36] = '\xFF';
  damaged[37] = '\xFE';
  damaged[38] = '\xFF';
  GraphDocument opened;
  EXPECT_EQ(Read(damaged, opened), GraphFileResult::Damaged);
  damaged[37] = '\x00';
  damaged[38] = '\x70';
  EXPECT_EQ(Read(damaged, opened), GraphFileResult::Damaged);
}

// With VANTORA_GRAPH_SEEDS set to a folder, writes the fuzzing seeds there.
TEST_F(GraphFileTest, FuzzSeeds) {
  const char* dir = std::getenv("VANTORA_GRAPH_SEEDS");
  if (!dir) GTEST_SKIP();
  Location loc(ThreeChannels({{20.0f, 50.0f, 1.5f}, {21.0f, 51.0f, 1.0f}}));
  int i = 0;
  for (int mode : {kModeSingleY, kModeMultiY, kModeStrip}) {
    GraphDocument doc;
    auto s = Settings(mode, mode == kModeSingleY ? 3 : 0, {1, 2});
    ASSERT_TRUE(doc.BuildGraph(&loc.log(), &s));
    doc.comments.Append("Note", 50, 50, 16);
    const std::string b = GraphFileBytes(doc);
    GraphDocument check;
    ASSERT_EQ(Read(b, check), GraphFileResult::Ok);
    std::ofstream(std::string(dir) + "/seed" + std::to_string(++i) + ".vtg", std::ios::binary) << b;
  }
}

}  // namespace
}  // namespace vantora::graph
