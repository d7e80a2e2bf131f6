// What a survey report gathers from a site: the statistics file's texts,
// events, notes and the files it cannot read.
#include <gtest/gtest.h>

#include <filesystem>

#include "common/logfile.h"
#include "location/statistics.h"
#include "report/surveyreport.h"
#include "support/locbytes.h"
#include "support/samples.h"

namespace vantora {
namespace {

std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

// One event record: marker, time, length, text.
void PutEvent(test::Bytes& b, int h, int mi, const std::string& text) {
  for (int v : {100, h, mi, 0, 0, 29, 3}) b.U8(v);
  b.U16(2026);
  b.U16(static_cast<int>(text.size()));
  for (char c : text) b.U8(static_cast<unsigned char>(c));
}

TEST(ReportContent, StatisticsEventsNotesAndUnreadableFiles) {
  test::ScopedTz tz("Europe/Berlin");
  test::TempDir dir;
  const std::string site = dir.path() + "/Site A/";
  std::filesystem::create_directories(site);
  test::WriteBytes(site + "Survey.loc", test::LocationBytes(test::DstSurveySpec()));
  test::WriteBytes(site + "Broken.loc", {9, 9, 9});
  std::string text;
  for (int i = 1; i <= 45; ++i)
    text += "line " + std::to_string(i) + (i == 2 ? "\tx\x01" : "") + "\r\n";
  test::WriteBytes(site + "Survey.txt", Bytes(text));
  test::WriteBytes(site + "Survey_photo1.JPG", Bytes("not really a picture"));
  test::WriteBytes(site + "Survey_user1.pdf", Bytes("%PDF"));
  test::Bytes events;
  PutEvent(events, 1, 5, "Door opened");
  PutEvent(events, 3, 10,
           "Fan \xB0"
           "C off");
  test::WriteBytes(site + "Survey.evt", events.data);

  report::SurveyReport r;
  std::vector<std::string> seen;
  ASSERT_TRUE(report::GatherReport({site + "Survey.loc", site + "Broken.loc"}, {}, nullptr, r,
                                   [&](const report::ProgressStep& s) {
                                     seen.push_back(report::ProgressText(s));
                                     return true;
                                   }));
  EXPECT_EQ(seen, (std::vector<std::string>{"Location 1 of 2: Survey", "Location 2 of 2: Broken"}));
  EXPECT_EQ(r.title, "Survey report: Site A");
  EXPECT_EQ(r.program, "VantoraPC 1.0.0");
  EXPECT_EQ(r.PeriodText(), "28-Mar-2026 23:00:00 to 29-Mar-2026 03:00:00");
  ASSERT_EQ(r.excluded.size(), 1u);
  EXPECT_EQ(r.excluded[0].fileName, "Broken.loc");
  EXPECT_FALSE(r.excluded[0].reason.empty());
  ASSERT_EQ(r.locations.size(), 1u);
  const report::LocationContent& loc = r.locations[0];

  // The statistics table holds the statistics file's texts.
  CLogFile log(site + "Survey.loc");
  const std::string stats = StatisticsText(log);
  ASSERT_EQ(loc.statistics.size(), 4u);
  for (const report::StatisticsRow& row : loc.statistics) {
    EXPECT_NE(stats.find("  Min= " + row.min + " @ " + row.minTime + "\r\n"), std::string::npos)
        << row.min;
    EXPECT_NE(stats.find("  Max= " + row.max + " @ " + row.maxTime + "\r\n"), std::string::npos);
    EXPECT_NE(stats.find("  Avg= " + row.avg + " "), std::string::npos);
  }
  EXPECT_EQ(loc.statistics[2].min, "0.0100");
  EXPECT_EQ(loc.statistics[0].unit,
            "\xC2\xB0"
            "C");  // UTF-8
  EXPECT_EQ(loc.start + " " + loc.duration, "28-Mar-2026 23:00:00 03:00:00");
  EXPECT_EQ(loc.points, 4);

  EXPECT_EQ(loc.events, (std::vector<std::string>{"29-Mar-2026 01:05:00 Door opened",
                                                  "29-Mar-2026 03:10:00 Fan \xC2\xB0"
                                                  "C off"}));
  ASSERT_EQ(loc.notes.size(), 3u);
  EXPECT_EQ(loc.notes[0].type, report::NoteEntry::Type::Text);
  ASSERT_EQ(loc.notes[0].lines.size(), static_cast<std::size_t>(report::kNoteLines));
  EXPECT_EQ(loc.notes[0].lines[1], "line 2    x");
  EXPECT_TRUE(loc.notes[0].more);
  EXPECT_EQ(loc.notes[1].kind, "Custom Note");
  EXPECT_EQ(loc.notes[1].type, report::NoteEntry::Type::File);
  EXPECT_EQ(loc.notes[2].fileName, "Survey_photo1.JPG");
  EXPECT_EQ(loc.notes[2].type, report::NoteEntry::Type::Picture);
  // Every file read is an input no output may replace.
  for (const char* name : {"Survey.loc", "Broken.loc", "Survey.evt", "Survey.txt"})
    EXPECT_NE(std::find(r.inputs.begin(), r.inputs.end(), site + name), r.inputs.end()) << name;

  // Without notes, and cancelled at the second location.
  report::ReportOptions bare;
  bare.notes = false;
  ASSERT_TRUE(report::GatherReport({site + "Survey.loc"}, bare, nullptr, r));
  EXPECT_TRUE(r.locations[0].notes.empty());
  EXPECT_FALSE(report::GatherReport({site + "Survey.loc", site + "Survey.loc"}, {}, nullptr, r,
                                    [](const report::ProgressStep& s) { return s.done == 0; }));
}

}  // namespace
}  // namespace vantora
