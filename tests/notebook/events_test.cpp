#include "notebook/events.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>

#include "common/platform.h"
#include "support/clirun.h"
#include "support/locbytes.h"

namespace vantora {
namespace {

using test::Bytes;
using test::TempDir;

// One event record, byte by byte.
void PutEvent(Bytes& b, int y, int mo, int d, int h, int mi, int s, const std::string& text,
              int lengthOverride = -1) {
  b.U8(100);
  b.U8(h);
  b.U8(mi);
  b.U8(s);
  b.U8(0);
  b.U8(d);
  b.U8(mo);
  b.U16(y);
  b.U16(lengthOverride >= 0 ? lengthOverride : static_cast<int>(text.size()));
  for (char c : text) b.U8(static_cast<unsigned char>(c));
}

TEST(Events, TwoRecordsThenAStrayByte) {
  TempDir dir;
  Bytes b;
  PutEvent(b, 2026, 3, 6, 14, 5, 9, "Door opened");
  PutEvent(b, 2026, 3, 6, 15, 0, 0, "Fan off");
  b.U8(7);
  PutEvent(b, 2026, 3, 6, 16, 0, 0, "never listed");
  test::WriteBytes(dir.File("a.evt"), b.data);
  auto events = ReadEvents(dir.File("a.evt"));
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].time, MakeLocalTime(2026, 3, 6, 14, 5, 9));
  EXPECT_EQ(events[1].text, "Fan off");
  EXPECT_EQ(EventLines(dir.File("a.evt")),
            (std::vector<std::string>{"06-Mar-2026 14:05:09 Door opened",
                                      "06-Mar-2026 15:00:00 Fan off"}));
}

TEST(Events, EmptyTextAndZeroBytesInText) {
  TempDir dir;
  Bytes b;
  PutEvent(b, 2025, 12, 31, 23, 59, 58, "");
  PutEvent(b, 2026, 1, 2, 3, 4, 5, std::string("A\0B", 3));
  test::WriteBytes(dir.File("a.evt"), b.data);
  EXPECT_EQ(EventLines(dir.File("a.evt")),
            (std::vector<std::string>{"31-Dec-2025 23:59:58 ", "02-Jan-2026 03:04:05 AB"}));
}

TEST(Events, TextCutByTheEndOfTheFile) {
  TempDir dir;
  Bytes b;
  PutEvent(b, 2026, 3, 6, 14, 5, 9, "Window", 20);
  test::WriteBytes(dir.File("a.evt"), b.data);
  EXPECT_EQ(EventLines(dir.File("a.evt")), std::vector<std::string>{"06-Mar-2026 14:05:09 Window"});
}

TEST(Events, RecordCutInsideItsTimeIsDropped) {
  TempDir dir;
  Bytes b;
  PutEvent(b, 2026, 3, 6, 14, 5, 9, "kept");
  b.U8(100);
  b.U8(10);
  b.U8(11);
  test::WriteBytes(dir.File("a.evt"), b.data);
  EXPECT_EQ(EventLines(dir.File("a.evt")), std::vector<std::string>{"06-Mar-2026 14:05:09 kept"});
}

TEST(Events, RecordCutInsideItsLengthIsDropped) {
  TempDir dir;
  Bytes b;
  PutEvent(b, 2026, 3, 6, 14, 5, 9, "kept");
  PutEvent(b, 2026, 3, 6, 15, 0, 0, "");
  b.data.pop_back();  // one byte of the length word is missing
  test::WriteBytes(dir.File("a.evt"), b.data);
  EXPECT_EQ(EventLines(dir.File("a.evt")), std::vector<std::string>{"06-Mar-2026 14:05:09 kept"});
}

TEST(Events, EmptyMissingOrDamagedFiles) {
  TempDir dir;
  test::WriteBytes(dir.File("empty.evt"), {});
  EXPECT_TRUE(ReadEvents(dir.File("empty.evt")).empty());
  EXPECT_TRUE(ReadEvents(dir.File("missing.evt")).empty());
  test::WriteBytes(dir.File("bad.evt"), {99, 1, 2, 3});
  EXPECT_TRUE(ReadEvents(dir.File("bad.evt")).empty());
}

TEST(Events, ALargeFileIsReadQuicklyAndAPipeNotAtAll) {
  TempDir dir;
  Bytes b;
  for (int k = 0; b.data.size() < (8u << 20); ++k)
    PutEvent(b, 2026, 3, 6, 14, k % 60, 0,
             "Window opened in the meeting room " + std::to_string(k));
  test::WriteBytes(dir.File("big.evt"), b.data);
  [[maybe_unused]] const auto start = std::chrono::steady_clock::now();
  auto events = ReadEvents(dir.File("big.evt"));
#if !defined(__SANITIZE_ADDRESS__) && !defined(VANTORA_SANITIZED)
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500));
#endif
  ASSERT_GT(events.size(), 100000u);
  EXPECT_EQ(events.back().text,
            "Window opened in the meeting room " + std::to_string(events.size() - 1));

  ASSERT_EQ(mkfifo(dir.File("pipe.evt").c_str(), 0600), 0);
  EXPECT_TRUE(ReadEvents(dir.File("pipe.evt")).empty());
}

TEST(Events, CopyTextEndsEveryLine) {
  EXPECT_EQ(JoinLinesCrLf({}), "");
  EXPECT_EQ(JoinLinesCrLf({"a", "b"}), "a\r\nb\r\n");
}

TEST(CliEvents, OneLinePerEvent) {
  TempDir dir;
  Bytes b;
  PutEvent(b, 2026, 3, 6, 14, 5, 9, "Door opened");
  PutEvent(b, 2026, 3, 6, 15, 0, 0, "Fan off");
  test::WriteBytes(dir.File("Room 4.evt"), b.data);
  test::WriteBytes(dir.File("Room 4.loc"), {'x'});
  auto run = test::RunVantora("events " + test::ShellQuote(dir.File("Room 4.loc")), dir);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "06-Mar-2026 14:05:09 Door opened\n06-Mar-2026 15:00:00 Fan off\n");
  run = test::RunVantora("events " + test::ShellQuote(dir.File("Other.loc")), dir);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("Other.loc can not be opened: no such file."), std::string::npos)
      << run.err;
}

TEST(CliNotes, ListsExistingNotesByKind) {
  TempDir dir;
  for (const char* name : {"Room 4.loc", "Room 4.txt", "Room 4 Fan Test.rtf", "Room 4.htm",
                           "Room 4_stats.txt", "Room 4_photo1.jpg", "Room 4.drw"})
    test::WriteBytes(dir.File(name), {'x'});
  auto run = test::RunVantora("notes " + test::ShellQuote(dir.File("Room 4.loc")), dir);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "Text: " + dir.File("Room 4.txt") + "\nTemplate: " +
                         dir.File("Room 4 Fan Test.rtf") + "\nResults: " + dir.File("Room 4.htm") +
                         "\nStatistics: " + dir.File("Room 4_stats.txt") +
                         "\nPhoto: " + dir.File("Room 4_photo1.jpg") + "\n");
  // Listing renders nothing.
  EXPECT_FALSE(std::filesystem::exists(dir.File("Room 4.bmp")));
}

}  // namespace
}  // namespace vantora
