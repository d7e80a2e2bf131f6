// The survey report as its reader gets it: the PDF read back as text
// (pdftotext), a long table across pages, notes and a missing photo, the
// refusals of `vantora report`, and File > Survey Report... with its cancel.
#include <gtest/gtest.h>

#include <QImage>
#include <QProgressBar>
#include <QProgressDialog>
#include <filesystem>
#include <memory>
#include <sstream>

#include "app/gui/vantoraapp.h"
#include "common/codepage.h"
#include "common/gui/framework.h"
#include "common/gui/selectsitedlg.h"
#include "common/logfile.h"
#include "common/pathutil.h"
#include "common/timetext.h"
#include "exposure/exposure.h"
#include "exposure/exposuretext.h"
#include "guisupport/guiapp.h"
#include "location/samplesite.h"
#include "location/statistics.h"
#include "model/vocabulary.h"
#include "report/gui/reportcommand.h"
#include "report/gui/reportpdf.h"
#include "support/clirun.h"
#include "support/locbytes.h"

namespace vantora {
namespace {

using test::CliRun;
const auto& Quoted = test::ShellQuote;

std::string Shell(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return out;
  char buffer[65536];
  std::size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  pclose(pipe);
  return out;
}

// Runs of spaces as one, so that texts compare whatever the columns.
std::string Squeeze(const std::string& text) {
  std::string out;
  for (char c : text) {
    const bool space = c == ' ' || c == '\n' || c == '\t';
    if (space && (out.empty() || out.back() == ' ')) continue;
    out += space ? ' ' : c;
  }
  return out;
}

// The PDF's pages as text, columns kept on their lines.
std::vector<std::string> Pages(const std::string& pdf) {
  const std::string text = Shell("pdftotext -layout " + Quoted(pdf) + " - 2>/dev/null");
  std::vector<std::string> pages;
  std::stringstream in(text);
  std::string page;
  while (std::getline(in, page, '\f'))
    if (!page.empty()) pages.push_back(page);
  return pages;
}

// The line of `page` holding `text`, empty when none does.
std::string LineWith(const std::string& page, const std::string& text) {
  std::stringstream in(page);
  for (std::string line; std::getline(in, line);)
    if (line.find(text) != std::string::npos) return line;
  return std::string();
}

bool Has(const std::string& haystack, const std::string& needle) {
  return Squeeze(haystack).find(Squeeze(needle)) != std::string::npos;
}

std::string Trim(const std::string& s) {
  const auto a = s.find_first_not_of(' ');
  return a == std::string::npos ? std::string() : s.substr(a, s.find_last_not_of(' ') - a + 1);
}

class ReportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::GuiApp();
    std::string error;
    files = WriteSampleSite(site, error);
    ASSERT_FALSE(files.empty()) << error;
  }
  CliRun Vantora(const std::string& args) { return test::RunVantora(args, dir); }
  exposure::LocationResult Assess(const std::string& path) {
    CLogFile log(path);
    exposure::Recording rec;
    exposure::ReadRecording(log, rec);
    static exposure::LoadedLimits limits =
        exposure::LoadLimitLibrary("", "", TheParamNames().compounds());
    return exposure::Assess(rec, exposure::ChooseLimitSet(limits, ""), TheParamNames().compounds());
  }
  static int CountFiles(const std::string& folder, const std::string& extension) {
    int n = 0;
    for (const auto& e : std::filesystem::directory_iterator(folder))
      n += e.path().extension() == extension;
    return n;
  }

  test::TempDir dir;
  std::string site = dir.path() + "/Sample Site/";
  std::vector<std::string> files;
  test::ScopedTz tz{"Europe/Berlin"};
};

TEST_F(ReportTest, SampleSitePdfReadsBackAsText) {
  const std::string pdf = dir.File("site.pdf");
  CliRun run = Vantora("report " + Quoted(site) + " -o " + Quoted(pdf));
  ASSERT_EQ(run.status, 0) << run.err;
  const std::vector<std::string> pages = Pages(pdf);
  ASSERT_GE(pages.size(), files.size() + 3);
  EXPECT_EQ(run.out, pdf + ": " + std::to_string(pages.size()) + " pages\n");
  // Every footer: the title and "N of M".
  for (std::size_t p = 0; p < pages.size(); ++p) {
    const std::string footer = LineWith(pages[p], " of " + std::to_string(pages.size()));
    EXPECT_NE(footer.find("Survey report: Sample Site"), std::string::npos) << p;
    EXPECT_EQ(Trim(footer).substr(Trim(footer).rfind("  ") + 2),
              std::to_string(p + 1) + " of " + std::to_string(pages.size()));
  }
  // The cover.
  LogTime first = 0, last = 0;
  bool any = false;
  for (const std::string& f : files) {
    CLogFile log(f);
    for (int r = 0; r < log.RecordCount(); ++r) {
      LogTime t = 0;
      log.GetTime(r, t);
      if (!any || t < first) first = t;
      if (!any || t > last) last = t;
      any = true;
    }
  }
  const std::string& cover = pages[0];
  EXPECT_TRUE(Has(cover, "Survey report: Sample Site"));
  EXPECT_TRUE(Has(cover, "Site folder " + site));
  EXPECT_TRUE(Has(cover, "Period " + DateTimeText(first) + " to " + DateTimeText(last)));
  EXPECT_TRUE(Has(cover, "Locations " + std::to_string(files.size())));
  EXPECT_TRUE(Has(cover, "Limit set Indoor air (guideline)"));
  EXPECT_TRUE(Has(cover, "Program VantoraPC 1.0.0"));
  EXPECT_NE(LineWith(cover, "Written").find(DateText(Now())), std::string::npos);

  // The summary: a row per location with its figures, verdict and worst result.
  const std::string& summary = pages[1];
  for (const std::string& f : files) {
    const exposure::LocationResult e = Assess(f);
    CLogFile log(f);
    CLogStatistics stats(&log);
    stats.Compute();
    const StatisticsHeadingText h = stats.HeadingText();
    const std::string line = LineWith(summary, e.name + "  ");
    SCOPED_TRACE(e.name);
    EXPECT_TRUE(Has(line, e.name + " " + h.start + " " + h.duration + " " +
                              std::to_string(h.points) + " " + exposure::VerdictText(e.verdict)))
        << line;
    EXPECT_TRUE(Has(line, exposure::WorstResultText(e))) << line;
  }

  // Office 101's section: the statistics file's numbers, the exposure table,
  // its limits.
  std::string office;
  for (std::size_t p = 0, in = 0; p + 1 < pages.size(); ++p) {
    if (pages[p].find(site + "Office 101.loc") != std::string::npos)
      in = 1;
    else if (pages[p].find(site) != std::string::npos)
      in = 0;
    if (in) office += pages[p];
  }
  ASSERT_FALSE(office.empty());
  CLogFile log(site + "Office 101.loc");
  CLogStatistics stats(&log);
  stats.Compute();
  std::string statsText;
  stats.BuildText(statsText);
  for (int c = 0; c < stats.channelCount; ++c) {
    const ChannelStatisticsText t = stats.ChannelText(c);
    const std::string line = LineWith(office, Cp1252ToUtf8(t.parameter) + " ");
    SCOPED_TRACE(t.parameter);
    // The numbers as the statistics file prints them.
    EXPECT_NE(statsText.find("Min= " + t.min + " @ " + t.minTime), std::string::npos);
    EXPECT_TRUE(Has(line, Trim(t.min) + " " + t.minTime + " " + Trim(t.max) + " " + t.maxTime +
                              " " + Trim(t.avg)))
        << line;
  }
  const exposure::ExposureTable table = exposure::BuildTable(Assess(site + "Office 101.loc"));
  for (const exposure::TableRow& row : table.rows)
    for (std::size_t c : {0, 1, 2, 6}) EXPECT_TRUE(Has(office, row.cells[c])) << row.cells[c];
  EXPECT_TRUE(Has(LineWith(office, "CO2  "), "exceeded"));
  EXPECT_TRUE(Has(office, "CO: TWA 8 h 9 ppm \xE2\x80\x94 EPA 8-hour ambient standard"));
  EXPECT_TRUE(Has(office, "Strip graph"));

  // The method: the definitions, the set's rows with their sources, and whose
  // responsibility the limits are.
  const std::string& method = pages.back();
  EXPECT_TRUE(Has(method, "Method"));
  EXPECT_TRUE(Has(method, "unsampled time inside a window counts as zero"));
  EXPECT_TRUE(Has(method, "Limits of the set \"Indoor air (guideline)\""));
  EXPECT_TRUE(Has(method, "Carbon Monoxide TWA8 9 ppm EPA 8-hour ambient standard"));
  EXPECT_TRUE(Has(method, "Relative Humidity high 60 %RH typical indoor guideline"));
  EXPECT_TRUE(Has(method,
                  "The limits are the user's responsibility to check against the "
                  "standard they work to."));
  // Real text in embedded fonts.
  std::stringstream fonts(Shell("pdffonts " + Quoted(pdf)));
  int embedded = 0, lineNo = 0;
  for (std::string line; std::getline(fonts, line);) {
    if (++lineNo <= 2) continue;  // the heading
    std::stringstream words(line);
    std::vector<std::string> w;
    for (std::string word; words >> word;) w.push_back(word);
    ASSERT_GE(w.size(), 5u) << line;
    EXPECT_EQ(w[w.size() - 5], "yes") << line;  // the "emb" column
    ++embedded;
  }
  EXPECT_GE(embedded, 1);
}

TEST_F(ReportTest, ALongTableGoesOnUnderItsHeading) {
  // Twenty temperature channels, five limits each: a hundred table rows.
  test::LocationSpec spec;
  for (int c = 0; c < 20; ++c) spec.channels.push_back({"T" + std::to_string(c + 1), 0, 0, 1, 6});
  for (std::uint32_t r = 0; r < 30; ++r)
    spec.records.push_back({r * 60, std::vector<float>(20, 22.0f + r * 0.1f)});
  const std::string loc = dir.File("Hall.loc");
  test::WriteBytes(loc, test::LocationBytes(spec));
  std::string limits = "set,parameter,kind,value,unit,source\n";
  for (const char* row : {"TWA8,30", "STEL,32", "ceiling,40", "high,35", "low,18"})
    limits += std::string("Many,Temperature,") + row +
              ",\xC2\xB0"
              "C,a test row\n";
  test::WriteBytes(dir.File("many.csv"), std::vector<std::uint8_t>(limits.begin(), limits.end()));
  const std::string pdf = dir.File("hall.pdf");
  CliRun run = Vantora("report " + Quoted(loc) + " --limits " + Quoted(dir.File("many.csv")) +
                       " --set Many --no-graphs -o " + Quoted(pdf));
  ASSERT_EQ(run.status, 0) << run.err;
  const std::vector<std::string> pages = Pages(pdf);
  int tablePages = 0, ceilings = 0;
  for (const std::string& page : pages) {
    // Table rows, not the list of limits with their sources below it.
    std::size_t firstRow = std::string::npos;
    int here = 0;
    std::stringstream in(page);
    std::size_t at = 0;
    for (std::string line; std::getline(in, line); at += line.size() + 1)
      if (line.find("Ceiling 40") != std::string::npos &&
          line.find("\xE2\x80\x94") == std::string::npos) {
        if (!here++) firstRow = at;
      }
    if (here == 0) continue;
    ++tablePages;
    ceilings += here;
    // Each page of the table starts it with its heading.
    const auto heading = page.find("Coverage");
    ASSERT_NE(heading, std::string::npos);
    EXPECT_LT(heading, firstRow);
    EXPECT_TRUE(Has(LineWith(page, "Coverage"), "Channel Unit Coverage")) << page;
  }
  EXPECT_GE(tablePages, 2);
  EXPECT_EQ(ceilings, 20);
}

TEST_F(ReportTest, NotesPhotosAndAMissingPhotoAreListed) {
  const std::string room = site + "Office 101";
  QImage photo(400, 300, QImage::Format_RGB32);
  photo.fill(Qt::darkCyan);
  ASSERT_TRUE(photo.save(QString::fromStdString(room + "_photo1.png")));
  ASSERT_TRUE(photo.save(QString::fromStdString(room + ".bmp")));
  test::WriteBytes(room + "_user1.jpg", {0xFF, 0xD8, 0xFF, 0x00, 0x13});
  const std::string note = "Meter 4417 on the north wall\nWindow open from 10:00\n";
  test::WriteBytes(room + ".txt", std::vector<std::uint8_t>(note.begin(), note.end()));
  exposure::LoadedLimits limits = exposure::LoadLimitLibrary("", "", TheParamNames().compounds());
  report::SurveyReport content;
  ASSERT_TRUE(
      report::GatherReport({room + ".loc"}, {}, exposure::ChooseLimitSet(limits, ""), content));
  // The photo goes between reading and writing: listed, not fatal.
  std::filesystem::remove(room + "_photo1.png");
  const std::string pdf = dir.File("notes.pdf");
  std::string error;
  ASSERT_TRUE(report::WriteReportPdf(content, pdf, {}, error)) << error;
  std::string text;
  for (const std::string& page : Pages(pdf)) text += page;
  EXPECT_TRUE(Has(text,
                  "Text note: Office 101.txt Meter 4417 on the north wall Window open from "
                  "10:00"));
  EXPECT_TRUE(Has(text, "Office 101_photo1.png (Photo): the file is missing"));
  EXPECT_TRUE(Has(text, "Office 101_user1.jpg (Custom Note): the picture cannot be read"));
  EXPECT_TRUE(Has(text, "Office 101.bmp (Drawing)"));
  const std::string images = Shell("pdfimages -list " + Quoted(pdf));
  EXPECT_NE(images.find("image"), std::string::npos) << images;
}

TEST_F(ReportTest, RefusedOutputsAndUnreadableLocations) {
  const std::string office = site + "Office 101.loc";
  const std::string before = test::ReadAll(office);
  // A location name and an input are refused before the kind is asked.
  CliRun run = Vantora("report " + Quoted(site) + " -o " + Quoted(office));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find(kLocationOutputRefused), std::string::npos) << run.err;
  const std::string input = dir.File("input.pdf");
  std::filesystem::copy_file(office, input);
  run = Vantora("report " + Quoted(input) + " -o " + Quoted(dir.File("x.xlsx")) + " -o " +
                Quoted(input));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(test::ReadAll(input), before);
  EXPECT_FALSE(FileExists(dir.File("x.xlsx")));
  EXPECT_EQ(Vantora("report " + Quoted(site) + " -o " + Quoted(dir.File("a.txt"))).status, 2);
  EXPECT_EQ(
      Vantora("report " + Quoted(site) + " --set Nothing -o " + Quoted(dir.File("a.pdf"))).status,
      2);
  run = Vantora("report " + Quoted(dir.File("missing.loc")) + " -o " + Quoted(dir.File("a.pdf")));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("missing.loc can not be opened"), std::string::npos) << run.err;
  EXPECT_EQ(CountFiles(dir.path(), ".pdf"), 1);  // input.pdf alone
  EXPECT_EQ(test::ReadAll(office), before);

  // A damaged file among readable ones: listed, the rest reported.
  test::WriteBytes(site + "Bad.loc", {9, 9, 9});
  const std::string pdf = dir.File("b.pdf"), xlsx = dir.File("b.xlsx");
  run = Vantora("report " + Quoted(site) + " -o " + Quoted(pdf) + " -o " + Quoted(xlsx));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("Bad.loc can not be opened"), std::string::npos) << run.err;
  EXPECT_TRUE(Has(LineWith(Pages(pdf)[1], "Bad.loc"), "not included: "));
  EXPECT_EQ(test::ReadAll(xlsx).substr(0, 2), "PK");
  EXPECT_EQ(CountFiles(dir.path(), ".vtmp") + CountFiles(site, ".vtmp"), 0);
}

// File > Survey Report... in VantoraPC.
class ReportCommandTest : public ReportTest {
 protected:
  void SetUp() override {
    ReportTest::SetUp();
    qputenv("VANTORA_SKIP_SPLASH", "1");
    test::ClearSettings();
    DesktopHooks hooks;
    hooks.chooseFile = [this](const FileDialogRequest& r) {
      requests.push_back(r);
      if (choices.empty()) return std::string();
      std::string next = choices.front();
      choices.erase(choices.begin());
      return next;
    };
    hooks.open = [this](const std::string& f) {
      opened.push_back(f);
      return true;
    };
    SetDesktopHooks(hooks);
    report::SetReportSourceChooser([this](int open) {
      openCount = open;
      return source;
    });
    report::SetReportSiteChooser([this](std::string& folder) {
      folder = site;
      return true;
    });
    app = std::make_unique<CVantoraApp>();
    ASSERT_TRUE(app->InitInstance({"VantoraPC", site + "Office 101.loc"}));
  }
  void TearDown() override {
    app.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    SetDesktopHooks({});
    report::SetReportSourceChooser({});
    report::SetReportSiteChooser({});
    report::SetReportProgressHook({});
  }
  void Report() { app->MainFrame()->RouteCommand(ID_FILE_SURVEY_REPORT); }

  std::unique_ptr<CVantoraApp> app;
  report::ReportSource source = report::ReportSource::OpenLocations;
  int openCount = 0;
  std::vector<FileDialogRequest> requests;
  std::vector<std::string> choices, opened;
};

TEST_F(ReportCommandTest, CancelInTheSelectSiteDialogStopsTheReport) {
  test::MessageRecorder messages;
  source = report::ReportSource::SiteFolder;
  report::SetReportSiteChooser({});
  test::ModalButtonPresser<CSelectSiteDlg> cancel("cancelButton");
  Report();
  EXPECT_EQ(cancel.pressed, 1);
  EXPECT_EQ(cancel.missing, 0);
  EXPECT_TRUE(requests.empty());
  EXPECT_TRUE(messages.boxes.empty());
  EXPECT_TRUE(opened.empty());
}

TEST_F(ReportCommandTest, CancelWritesNothingThenTheReportOpens) {
  test::MessageRecorder messages;
  const std::string pdf = dir.File("report.pdf");
  // Cancelled while the PDF is being written.
  int shown = 0;
  report::SetReportProgressHook([&shown](QProgressDialog& dialog) {
    ++shown;
    auto* bar = dialog.findChild<QProgressBar*>();
    QObject::connect(bar, &QProgressBar::valueChanged, &dialog, [&dialog](int value) {
      if (value >= 1) dialog.cancel();
    });
  });
  choices = {pdf};
  Report();
  EXPECT_EQ(openCount, 1);
  EXPECT_EQ(shown, 1);
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_TRUE(requests[0].refuseLocationNames);
  EXPECT_EQ(requests[0].keepFiles, std::vector<std::string>{site + "Office 101.loc"});
  EXPECT_FALSE(FileExists(pdf));
  EXPECT_EQ(CountFiles(dir.path(), ".vtmp"), 0);
  EXPECT_TRUE(opened.empty());
  ASSERT_EQ(messages.boxes.size(), 1u);
  EXPECT_EQ(messages.boxes[0].text, "The survey report was cancelled. Nothing was written.");

  // Not cancelled: written and opened with the desktop.
  report::SetReportProgressHook({});
  messages.boxes.clear();
  choices = {pdf};
  Report();
  EXPECT_EQ(test::ReadAll(pdf).substr(0, 5), "%PDF-");
  EXPECT_EQ(opened, std::vector<std::string>{pdf});
  EXPECT_TRUE(messages.boxes.empty());
  // A report that cannot be written names the file and the system's reason.
  choices = {dir.File("gone/report.pdf")};
  Report();
  ASSERT_EQ(messages.boxes.size(), 1u);
  EXPECT_EQ(messages.boxes[0].text, "The survey report could not be written.\n" +
                                        dir.File("gone/report.pdf") +
                                        ": No such file or directory");
  messages.boxes.clear();

  // A site folder as a workbook, cancelled while it is written, then after
  // a name of another kind.
  source = report::ReportSource::SiteFolder;
  const std::string xlsx = dir.File("site.xlsx");
  report::SetReportProgressHook([this](QProgressDialog& dialog) {
    auto* bar = dialog.findChild<QProgressBar*>();
    const int n = static_cast<int>(files.size());
    QObject::connect(bar, &QProgressBar::valueChanged, &dialog, [&dialog, n](int value) {
      if (value > n) dialog.cancel();
    });
  });
  choices = {xlsx};
  Report();
  EXPECT_FALSE(FileExists(xlsx));
  EXPECT_EQ(CountFiles(dir.path(), ".vtmp"), 0);
  ASSERT_EQ(messages.boxes.size(), 1u);
  EXPECT_EQ(messages.boxes[0].text, "The survey report was cancelled. Nothing was written.");
  report::SetReportProgressHook({});
  messages.boxes.clear();
  choices = {dir.File("site.txt"), xlsx};
  Report();
  ASSERT_EQ(messages.boxes.size(), 1u);
  EXPECT_NE(messages.boxes[0].text.find("PDF (.pdf) or an Excel workbook (.xlsx)"),
            std::string::npos);
  EXPECT_EQ(test::ReadAll(xlsx).substr(0, 2), "PK");
  EXPECT_EQ(opened.back(), xlsx);
  EXPECT_EQ(requests.back().keepFiles.size(), files.size());
  EXPECT_FALSE(FileExists(dir.File("site.txt")));
}

}  // namespace
}  // namespace vantora
