// Printed reports rendered with real fonts into PDF files.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPdfWriter>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>

#include "common/logfile.h"
#include "location/logreport.h"
#include "location/print/qtreportcanvas.h"
#include "support/filesizelimit.h"
#include "support/locbytes.h"

namespace vantora {
namespace {

using test::LocationSpec;

QGuiApplication* App() {
  static QGuiApplication* app = [] {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "vantora-print-test";
    static char* argv[] = {name, nullptr};
    return new QGuiApplication(argc, argv);
  }();
  return app;
}

// The output of a poppler tool, or nullopt when it cannot be run.
std::optional<std::string> Tool(const std::string& command) {
  FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
  if (!pipe) return std::nullopt;
  std::string out;
  char buffer[4096];
  std::size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  if (pclose(pipe) != 0) return std::nullopt;
  return out;
}

// scripts/print-pages.sh collects the rendered reports here.
void Keep(const std::string& pdf, const std::string& name) {
  const char* folder = std::getenv("VANTORA_PRINT_PAGES");
  if (!folder || !*folder) return;
  std::error_code ec;
  std::filesystem::copy_file(pdf, std::string(folder) + "/" + name,
                             std::filesystem::copy_options::overwrite_existing, ec);
}

int PdfPages(const std::string& pdf) {
  auto info = Tool("pdfinfo '" + pdf + "'");
  if (!info) return -1;
  auto at = info->find("Pages:");
  return at == std::string::npos ? -1 : std::atoi(info->c_str() + at + 6);
}

// `channels` channels, `records` records a minute apart from 01-Jun-2026 23:00.
LocationSpec Survey(int channels, int records) {
  LocationSpec s;
  s.hour = 23;
  for (int c = 0; c < channels; ++c)
    s.channels.push_back({c == 1 ? "Relative Humidity Sensor" : "Channel " + std::to_string(c + 1),
                          c % 5, 0, 1, c == 1 ? 8 : 7});
  for (int r = 0; r < records; ++r) {
    LocationSpec::Record rec{static_cast<std::uint32_t>(r * 60), {}};
    for (int c = 0; c < channels; ++c) rec.values.push_back(20.0f + c + r % 10);
    s.records.push_back(rec);
  }
  return s;
}

class PrintReportTest : public ::testing::Test {
 protected:
  void SetUp() override { App(); }
  std::string Write(const LocationSpec& spec, const std::string& name) {
    auto path = dir.File(name);
    test::WriteBytes(path, test::LocationBytes(spec));
    return path;
  }
  // Layout of the report on the A4 PDF page that WriteReportPdf uses.
  ReportLayout LayoutOf(const CLogData& data, ReportRect* rect = nullptr,
                        int* sizeThatFails = nullptr) {
    QPdfWriter writer(QString::fromStdString(dir.File("probe.pdf")));
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
    QPainter painter(&writer);
    QtReportCanvas canvas(painter, "Arial");
    CLogReport report(&data);
    report.Prepare(canvas, DeviceRect(writer));
    if (rect) *rect = report.pageRect();
    if (sizeThatFails) {
      canvas.SetFontSize(report.layout().fontSize + 1);
      *sizeThatFails = ComputeColumns(report.headings(), canvas).back();
    }
    return report.layout();
  }
  test::TempDir dir;
};

TEST_F(PrintReportTest, ThreeChannelsPrintAtTwelvePoints) {
  CLogFile log(Write(Survey(3, 10), "Three.loc"));
  ReportRect rect;
  ReportLayout layout = LayoutOf(log, &rect);
  // 1200 dpi: 12-point text is 199 units high.
  EXPECT_EQ(layout.maxFontSize, 199);
  EXPECT_EQ(layout.fontSize, 198);
  EXPECT_NEAR(rect.right, 8976, 20);  // about 190 mm at 1200 dpi
  ASSERT_EQ(layout.columnX.size(), 5u);
  for (std::size_t k = 1; k < layout.columnX.size(); ++k)
    EXPECT_GT(layout.columnX[k], layout.columnX[k - 1]);
  EXPECT_LT(layout.columnX.back(), rect.right);
  EXPECT_GT(layout.linesPerPage, 40);

  std::string error;
  int pages = 0;
  const std::string pdf = dir.File("three.pdf");
  ASSERT_TRUE(WriteReportPdf(log, pdf, "Arial", error, &pages)) << error;
  EXPECT_EQ(pages, 1);
  EXPECT_EQ(test::ReadAll(pdf).substr(0, 5), "%PDF-");
  Keep(pdf, "three-channels.pdf");
  int seen = PdfPages(pdf);
  if (seen < 0) GTEST_SKIP() << "pdfinfo not available";
  EXPECT_EQ(seen, 1);
}

TEST_F(PrintReportTest, TwentyChannelsShrinkToFitAndSpreadOverPages) {
  ReportLayout probe;
  {
    CLogFile log(Write(Survey(20, 1), "Probe.loc"));
    ReportRect rect;
    int wider = 0;
    probe = LayoutOf(log, &rect, &wider);
    EXPECT_LT(probe.fontSize, 198);
    EXPECT_GE(probe.fontSize, 6);
    EXPECT_LT(probe.columnX.back(), rect.right);
    EXPECT_GE(wider, rect.right);
  }
  // Two full pages and a few records more.
  const int records = 2 * probe.linesPerPage + 3;
  CLogFile log(Write(Survey(20, records), "Twenty.loc"));
  EXPECT_EQ(LayoutOf(log).linesPerPage, probe.linesPerPage);
  std::string error;
  int pages = 0;
  const std::string pdf = dir.File("twenty.pdf");
  ASSERT_TRUE(WriteReportPdf(log, pdf, "Arial", error, &pages)) << error;
  EXPECT_EQ(pages, 3);
  Keep(pdf, "twenty-channels.pdf");
  int seen = PdfPages(pdf);
  if (seen < 0) GTEST_SKIP() << "pdfinfo not available";
  EXPECT_EQ(seen, 3);

  // The headings and the date line as printed on the pages.
  auto first = Tool("pdftotext -layout -f 1 -l 1 '" + pdf + "' -");
  auto last = Tool("pdftotext -layout -f 3 -l 3 '" + pdf + "' -");
  ASSERT_TRUE(first && last);
  EXPECT_NE(first->find("Page 1 - " + log.path), std::string::npos) << *first;
  EXPECT_NE(first->find("01-Jun-2026 to 02-Jun-2026"), std::string::npos) << *first;
  EXPECT_NE(first->find("Relative"), std::string::npos);
  EXPECT_NE(first->find("Sensor"), std::string::npos);
  EXPECT_NE(last->find("Page 3 - "), std::string::npos);
  EXPECT_EQ(last->find(" to "), std::string::npos) << *last;
}

TEST_F(PrintReportTest, AHeaderClaimingMoreRecordsPrintsOnlyThoseHeld) {
  // 2.4 KB that claims 32,768 records.
  auto bytes = test::LocationBytes(Survey(20, 15));
  ASSERT_LT(bytes.size(), 2500u);
  bytes[5] = 0x00;
  bytes[6] = 0x80;
  const std::string path = dir.File("Claims.loc");
  test::WriteBytes(path, bytes);
  CLogFile log(path);
  ASSERT_EQ(log.HeaderRecordCount(), 32768);
  CLogFile honest(Write(Survey(20, 15), "Honest.loc"));
  std::string error;
  int pages = 0, honestPages = 0;
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(WriteReportPdf(log, dir.File("claims.pdf"), "Arial", error, &pages)) << error;
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
  ASSERT_TRUE(WriteReportPdf(honest, dir.File("honest.pdf"), "Arial", error, &honestPages));
  EXPECT_EQ(pages, honestPages);
  EXPECT_LE(pages, 2);
}

TEST_F(PrintReportTest, AFailedWriteKeepsTheOldFile) {
  CLogFile log(Write(Survey(3, 2), "Small.loc"));
  const std::string pdf = dir.File("old.pdf");
  test::WriteBytes(pdf, {'o', 'l', 'd'});
  std::string error;
  {
    test::FileSizeLimit full(100);
    EXPECT_FALSE(WriteReportPdf(log, pdf, "Arial", error));
  }
  EXPECT_EQ(error, "cannot write " + pdf + ": File too large");
  EXPECT_EQ(test::ReadAll(pdf), "old");
}

}  // namespace
}  // namespace vantora
