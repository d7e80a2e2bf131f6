// Opening and closing the largest location again and again must not make the
// process grow: the document, its file, the view and the panel are released.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEvent>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "common/logfile.h"
#include "guisupport/guiapp.h"
#include "location/gui/vantoralogdoc.h"
#include "location/gui/vantoralogview.h"
#include "support/locbytes.h"

namespace vantora {
namespace {

// Resident set size in KiB, or -1 where /proc is not available.
long ResidentKiB() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  if (!(statm >> pages >> resident)) return -1;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// Open file descriptors of the process.
int OpenFiles() {
  int n = 0;
  std::error_code ec;
  for (auto it = std::filesystem::directory_iterator("/proc/self/fd", ec);
       !ec && it != std::filesystem::directory_iterator(); it.increment(ec))
    ++n;
  return n;
}

void OpenPaintClose(const std::string& path) {
  auto* doc = new CVantoraLogDoc;
  ASSERT_TRUE(doc->OnOpenDocument(path));
  {
    CVantoraLogView view;
    view.SetDocument(doc);
    view.OnInitialUpdate();
    view.resize(900, 600);
    view.grab();
    view.OnCommand(ID_SCROLL_END);
    view.grab();
  }
  doc->OnCloseDocument();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(OpenCloseMemory, LargestLocationHundredTimes) {
  test::GuiApp();
  if (ResidentKiB() < 0) GTEST_SKIP() << "no /proc/self/statm";
  test::TempDir dir;
  test::LocationSpec spec;
  for (int c = 0; c < kMaxChannels; ++c)
    spec.channels.push_back({"Ch" + std::to_string(c), 0, 0, 1, 6});
  spec.records.reserve(65535);
  std::vector<float> values(kMaxChannels);
  for (int r = 0; r < 65535; ++r) {
    for (int c = 0; c < kMaxChannels; ++c)
      values[c] = static_cast<float>((r * 7 + c) % 500) / 10.0f;
    spec.records.push_back({static_cast<std::uint32_t>(r), values});
  }
  std::string path = dir.File("Largest.loc");
  test::WriteBytes(path, test::LocationBytes(spec));
  spec.records.clear();
  spec.records.shrink_to_fit();
  {
    CLogFile check(path, true);
    ASSERT_EQ(check.RecordCount(), 65535);
    ASSERT_EQ(check.ChannelCount(), kMaxChannels);
  }

  // Warm up: fonts, glyph caches, the statistics file.
  for (int i = 0; i < 5; ++i) OpenPaintClose(path);
  const long before = ResidentKiB();
  const int filesBefore = OpenFiles();
  for (int i = 0; i < 100; ++i) OpenPaintClose(path);
  const long after = ResidentKiB();
  EXPECT_EQ(OpenFiles(), filesBefore);
  std::printf("resident memory: %ld KiB before, %ld KiB after 100 open/close cycles\n", before,
              after);
  // A leak of the record buffer, the file or the view would cost far more
  // than this over 100 rounds.
  EXPECT_LT(after - before, 2048);
}

}  // namespace
}  // namespace vantora
