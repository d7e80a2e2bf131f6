// The graph file: round trips, archive strings, refusals and damage.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

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

// A Single Y graph file as the version before limit lines and hidden
// series wrote it (chart data version 1): time-less pairs (3, 1) and (3, 2)
// and a comment "Note".
const char kVersion1File[] =
    "\x68\x00\x00\x00\x68\x00\x00\x00\x01\x00\x00\x00\x03\x00\x00\x00\x01\x00\x00\x00\x01\x00\x00"
    "\x00"
    "\x32\x00\x00\x00\x32\x00\x00\x00\x10\x00\x00\x00\x04\x4e\x6f\x74\x65\x56\x47\x43\x48\x01\x00"
    "\x00"
    "\x00\x05\x00\x00\x00\x08\x00\x00\x00\x00\x04\x00\x00\x00\x54\x65\x6d\x70\x09\x00\x00\x00\x01"
    "\x02"
    "\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x08\x00\x00\x00\x00\x04\x00"
    "\x00"
    "\x00\x46\x6c\x6f\x77\x09\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00"
    "\x00"
    "\x00\x00\x00\x08\x00\x00\x00\x00\x0a\x00\x00\x00\x53\x69\x74\x65\x31\x5c\x4c\x6f\x63\x31\x10"
    "\x00"
    "\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x08\x00\x00"
    "\x00"
    "\x00\x01\x00\x00\x00\x20\x18\x00\x00\x00\x00\x03\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00"
    "\x00"
    "\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00"
    "\x00"
    "\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x00\x00"
    "\x00"
    "\x05\x00\x00\x00\x25\x34\x2e\x32\x66\x09\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x00"
    "\x00"
    "\x00\x05\x00\x00\x00\x25\x33\x2e\x31\x66\x09\x00\x00\x00\x01\x00\x00\x00\x00\x00\x05\x00\x00"
    "\x00"
    "\x00\x01\x00\x05\x00\x00\x00\x00\x01\x06\x00\x00\x00\x00\xc0\xc0\xc0\x06\x00\x00\x00\x00\xc0"
    "\xc0"
    "\xc0\x07\x00\x00\x00\x00\x01\x00\x00\x00\x0f\x00\x00\x00\x00\x00\x00\x00\xff\xff\xff\xff\x00"
    "\x00"
    "\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00"
    "\x00"
    "\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x04\x00\x00\x00\x02\x00\x00\x00\x00\x00"
    "\x00"
    "\x00\x00\x00\xf8\x3f\x00\x00\x00\x00\x00\x00\xf0\x3f\x00\x00\x00\x00\x02\x00\x00\x00\x00\x00"
    "\x00"
    "\x00\x00\x00\x34\x40\x00\x00\x00\x00\x00\x00\x35\x40\x00\x00\x00\x00\x02\x00\x00\x00\x00\x00"
    "\x00"
    "\x00\x00\x00\xf8\x3f\x00\x00\x00\x00\x00\x00\xf0\x3f\x00\x00\x00\x00\x02\x00\x00\x00\x00\x00"
    "\x00"
    "\x00\x00\x00\x49\x40\x00\x00\x00\x00\x00\x80\x49\x40\x00\x00\x00\x00\x02\x00\x00\x00\x00\x00"
    "\x00"
    "\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\xff\xff\xff\xff\x01\x00\x00\x00\x00\x00"
    "\x02"
    "\x00\x00\x00\x03\x00\x00\x00\x00\x00\x00\x00\xff\xff\xff\xff\x01\x00\x02\x00\x00\x00\x03\x00"
    "\x00"
    "\x00\x01\x00\x00\x00\x03\x00\x00\x00\x02\x00\x00\x00\x00\x00\x00\x00";

TEST(GraphFileVersion1, StillReadsAndIsWrittenAgainAsVersion2) {
  const std::string old(kVersion1File, sizeof kVersion1File - 1);
  ASSERT_EQ(old.substr(41, 8), std::string("VGCH\x01\0\0\0", 8));
  GraphDocument doc;
  std::string detail;
  ASSERT_EQ(
      ReadGraphBytes(reinterpret_cast<const std::uint8_t*>(old.data()), old.size(), doc, detail),
      GraphFileResult::Ok)
      << detail;
  EXPECT_EQ(doc.settings.mode, kModeSingleY);
  EXPECT_EQ(doc.settings.AxisPair(1), (std::pair<int, int>{3, 2}));
  ASSERT_EQ(doc.comments.Count(), 1);
  EXPECT_EQ(doc.comments.Get(0).text, "Note");
  const chart::SRGraph& g = doc.GetGraph();
  EXPECT_EQ(g.SummaryOf(2).points, 2u);
  EXPECT_FALSE(g.SeriesHidden(0));
  EXPECT_TRUE(g.limitLines.empty());
  // Saved again, it is version 2 and reads back the same.
  const std::string again = GraphFileBytes(doc);
  EXPECT_NE(again.find(std::string("VGCH\x02\0\0\0", 8)), std::string::npos);
  GraphDocument reread;
  ASSERT_EQ(ReadGraphBytes(reinterpret_cast<const std::uint8_t*>(again.data()), again.size(),
                           reread, detail),
            GraphFileResult::Ok);
  EXPECT_EQ(GraphFileBytes(reread), again);
  EXPECT_EQ(reread.GetGraph().Value(1, 3), g.Value(1, 3));
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

TEST_F(GraphFileTest, LongCommentsRoundTripUpToTheLimit) {
  built.comments.Clear();
  built.comments.Append(std::string(300, 'x'), 5, 5, 10);
  built.comments.Append(std::string(kMaxCommentLength, 'y'), 5, 5, 10);
  bytes = GraphFileBytes(built);
  EXPECT_EQ(bytes.substr(24 + 12, 4), std::string("\xFF\x2C\x01x", 4));
  GraphDocument opened;
  ASSERT_EQ(Read(bytes, opened), GraphFileResult::Ok);
  EXPECT_EQ(opened.comments.Get(0).text, std::string(300, 'x'));
  EXPECT_EQ(opened.comments.Get(1).text.size(), kMaxCommentLength);
}

// Files written by the program with one field set to what a hostile file
// holds: each is refused at reading and says what is wrong.
TEST_F(GraphFileTest, HostileChartsAreDamagedWithTheirDetail) {
  using namespace chart;
  struct Case {
    const char* detail;
    std::function<void(GraphDocument&)> edit;
  } cases[] = {
      {"display 1 shows groups 2147483647 to",
       [](GraphDocument& d) { d.GetGraph().Display(0)->display->firstGroup = 0x7FFFFFFF; }},
      {"display 3 shows groups 4 to 2147483647",
       [](GraphDocument& d) { d.GetGraph().Display(2)->display->lastGroup = 0x7FFFFFFF; }},
      {"display 2 shows groups -5 to",
       [](GraphDocument& d) { d.GetGraph().Display(1)->display->firstGroup = -5; }},
      {"the legend shows groups 0 to 6 of 6",
       [](GraphDocument& d) { d.GetGraph().Legend()->lastGroup = 6; }},
      {"shows groups 0 to 99 of 6",
       [](GraphDocument& d) { d.GetGraph().ApplyStyle(0, 99, 0, -1, true, false); }},
      {"belongs to display 3 of 3",
       [](GraphDocument& d) { d.GetGraph().AddNew<SRGScaleBar>()->boundDisplay = 3; }},
      {"zoom entry 1 belongs to display 7 of 3",
       [](GraphDocument& d) {
         SRGZoom z;
         z.display = 7;
         d.GetGraph().zoomHistory.push_back(z);
       }},
      {"a label of display 1 is 20000 characters long (at most 1000)",
       [](GraphDocument& d) {
         SRGraphLabel l;
         l.text = std::string(20000, 'T');
         l.rotated = true;
         l.side = Side::Left;
         d.GetGraph().Display(0)->labels.push_back(l);
       }},
      {"the title of the Y scale of display 2 is 1001 characters",
       [](GraphDocument& d) {
         auto& scale = d.GetGraph().Display(1)->yScale;
         if (!scale) scale = std::make_unique<SRGDecimalScale>();
         scale->title = std::string(1001, 'u');
       }},
      {"the annotation of group 1 is 1001 characters",
       [](GraphDocument& d) { d.GetGraph().SetAnnotation(1, std::string(1001, 'a')); }},
      {"too many components (5006)",
       [](GraphDocument& d) {
         for (int i = 0; i < 5000; ++i) d.GetGraph().AddNew<SRGCompoundDisplay>();
       }},
      {"too many displays (65, at most 64)",
       [](GraphDocument& d) {
         for (int i = 0; i < 62; ++i) d.GetGraph().AddNew<SRGCompoundDisplay>();
       }},
      {"too many components (4097, at most 4096)",
       [](GraphDocument& d) {
         // Display labels count with the top-level components.
         SRGraph& g = d.GetGraph();
         std::size_t n = g.Components().size();
         for (int i = 0; g.Display(i); ++i) n += g.Display(i)->labels.size();
         g.Display(0)->labels.resize(g.Display(0)->labels.size() + 4097 - n);
       }},
      {"display 1 reaches -2147483648 pixels (at most 100000)",
       [](GraphDocument& d) {
         d.GetGraph().Display(0)->rect = {INT_MIN, INT_MIN, INT_MAX, INT_MAX};
       }},
      {"reaches 100001 pixels (at most 100000)",
       [](GraphDocument& d) { d.GetGraph().AddNew<SRGraphLabel>()->rect.right = 100001; }},
      {"too many limit lines (25) for 3 series",
       [](GraphDocument& d) {
         d.GetGraph().limitLines.assign(25, {0, "high", 1, "ppm", "High 1 ppm"});
       }},
      {"comment 1 is 16777216 characters long (at most 4096)",
       [](GraphDocument& d) {
         d.comments.Clear();
         d.comments.Append(std::string(16 << 20, 'c'), 1, 1, 10);
       }},
      {"the graph has 1001 comments (at most 1000)",
       [](GraphDocument& d) {
         for (int i = 0; i < 999; ++i) d.comments.Append("x", 1, 1, 10);
       }},
  };
  for (const Case& c : cases) {
    GraphDocument doc;
    ASSERT_EQ(Read(bytes, doc), GraphFileResult::Ok);
    c.edit(doc);
    GraphDocument opened;
    std::string detail;
    EXPECT_EQ(Read(GraphFileBytes(doc), opened, &detail), GraphFileResult::Damaged) << c.detail;
    EXPECT_NE(detail.find(c.detail), std::string::npos) << detail;
    EXPECT_EQ(opened.GetGraph().Components().size(), 0u);
  }
  // At the limits themselves a chart still opens.
  GraphDocument doc;
  ASSERT_EQ(Read(bytes, doc), GraphFileResult::Ok);
  doc.GetGraph().Display(0)->labels.push_back({});
  doc.GetGraph().Display(0)->labels.back().text = std::string(1000, 'T');
  doc.GetGraph().Display(0)->rect = {-100000, -100000, 100000, 100000};
  while (doc.comments.Count() < 1000) doc.comments.Append("x", 1, 1, 10);
  GraphDocument opened;
  EXPECT_EQ(Read(GraphFileBytes(doc), opened), GraphFileResult::Ok);
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
