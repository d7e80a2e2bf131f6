// The Exposure Limits dialog: shipped rows read-only, the user's rows added,
// changed, removed and saved to their limits.csv.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <filesystem>
#include <memory>

#include "common/pathutil.h"
#include "common/profile.h"
#include "exposure/gui/exposurewindow.h"
#include "exposure/gui/limitseditor.h"
#include "exposure/gui/limitstore.h"
#include "guisupport/guiapp.h"
#include "location/gui/vantoralogdoc.h"
#include "location/gui/vantoralogview.h"
#include "location/samplesite.h"
#include "model/vocabulary.h"
#include "support/filesizelimit.h"
#include "support/locbytes.h"

namespace vantora::exposure {
namespace {

const char* const kNiosh = "Workplace (NIOSH REL)";

class LimitsEditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::GuiApp();
    test::ClearSettings();
    MakeDirectoryPath(SettingsFolder());  // a fresh process has none yet
    std::filesystem::remove(NativePath(UserLimitsPath()));
    ReloadLimits();
  }
  void TearDown() override {
    std::filesystem::remove(NativePath(UserLimitsPath()));
    ReloadLimits();
  }
  static std::string UserFile() {
    std::string text;
    ReadTextFile(UserLimitsPath(), text);
    return text;
  }
  // The table line of row `row` of the user's (or a shipped) set `set`.
  static int Line(const LimitsEditor& ed, std::size_t set, std::size_t row, bool shipped = false) {
    for (std::size_t i = 0; i < ed.Entries().size(); ++i) {
      const LimitsEditor::Entry& e = ed.Entries()[i];
      if (e.shipped == shipped && e.set == set && e.row == row) return static_cast<int>(i);
    }
    return -1;
  }
  static std::string Cell(const LimitsEditor& ed, int line, int column) {
    return ed.Table()->item(line, column)->text().toStdString();
  }
};

TEST_F(LimitsEditorTest, ShippedRowsAreReadOnlyAndRowsAreCheckedAsTheReaderDoes) {
  LimitsEditor ed;
  ASSERT_FALSE(ed.Entries().empty());
  EXPECT_TRUE(ed.UserSets().empty());
  std::size_t shippedRows = 0;
  for (const LimitSet& s : ed.ShippedSets()) shippedRows += s.rows.size();
  EXPECT_EQ(ed.Entries().size(), shippedRows);
  EXPECT_EQ(ed.Table()->rowCount(), static_cast<int>(shippedRows));
  EXPECT_EQ(Cell(ed, 0, 0), kNiosh);
  EXPECT_EQ(Cell(ed, 0, 1), "shipped (read-only)");
  EXPECT_EQ(Cell(ed, 0, 2), "Carbon Monoxide");
  ed.SelectEntry(0);
  EXPECT_FALSE(ed.ChangeButton()->isEnabled());
  EXPECT_FALSE(ed.RemoveButton()->isEnabled());
  EXPECT_FALSE(ed.ChangeRow());
  EXPECT_FALSE(ed.RemoveRow());
  EXPECT_FALSE(ed.IsModified());

  const struct {
    LimitFields fields;
    const char* problem;
  } bad[] = {
      {{"Mine", "Unobtainium", "TWA8", "1", "ppm", "x"},
       "\"Unobtainium\" names no parameter or compound"},
      {{"Mine", "CO", "TWA8", "lots", "ppm", "x"}, "value \"lots\" is not a number"},
      {{"Mine", "CO", "TWA8", "1", " ", "x"}, "the unit is missing"},
      {{"", "CO", "TWA8", "1", "ppm", "x"}, "the set has no name"},
      {{"Mine", "CO", "peak", "1", "ppm", "x"},
       "kind \"peak\" is none of TWA8, STEL, ceiling, high, low"},
  };
  for (const auto& b : bad) {
    LimitRow row;
    std::string problem;
    EXPECT_FALSE(CheckLimitRow(b.fields, row, problem)) << b.problem;
    EXPECT_EQ(problem, b.problem);
  }
  // The dialog refuses such a row and says why.
  ed.SetFields(bad[1].fields);
  EXPECT_FALSE(ed.AddRow());
  EXPECT_EQ(ed.Message()->text().toStdString(),
            "The row was not added: value \"lots\" is not a number.");
  EXPECT_TRUE(ed.UserSets().empty());
  EXPECT_FALSE(ed.IsModified());
}

TEST_F(LimitsEditorTest, AddChangeRemoveAndSaveRoundTripAndRefreshTheWindows) {
  // An exposure window on the paint store under the NIOSH set.
  test::TempDir dir;
  std::string error;
  ASSERT_FALSE(WriteSampleSite(dir.File("site"), error).empty()) << error;
  auto* doc = new CVantoraLogDoc;
  ASSERT_TRUE(doc->OnOpenDocument(dir.File("site/Paint Store.loc")));
  auto view = std::make_unique<CVantoraLogView>();
  view->SetDocument(doc);
  ExposureWindow* w = ShowExposureWindow(*view, *doc->LogData());
  w->ChooseSet(kNiosh);
  ASSERT_EQ(w->SetName(), kNiosh);

  LimitsEditor ed;
  test::MessageRecorder no(IDNO);
  // A source with a comma and quotes, which the file must quote.
  ed.SetFields({"Mine", "toluene", "STEL", "100", "ppm", "house \"rule\", 2026"});
  ASSERT_TRUE(ed.AddRow());
  ed.SetFields({"Mine", "CO", "ceiling", "150", "ppm", "x"});
  ASSERT_TRUE(ed.AddRow());
  // A set with a shipped name replaces that set: asked first, declined.
  ed.SetFields({kNiosh, "Carbon Monoxide", "TWA8", "25", "ppm", "stricter"});
  EXPECT_FALSE(ed.AddRow());
  ASSERT_EQ(no.boxes.size(), 1u);
  EXPECT_NE(no.boxes[0].text.find("will replace the shipped set of that name as a whole"),
            std::string::npos);
  ASSERT_EQ(ed.UserSets().size(), 1u);
  {
    test::MessageRecorder yes(IDYES);
    ASSERT_TRUE(ed.AddRow());
  }
  ASSERT_EQ(ed.UserSets().size(), 2u);
  EXPECT_EQ(Cell(ed, Line(ed, 1, 0), 1), "yours, replaces the shipped set");
  EXPECT_EQ(Cell(ed, Line(ed, 0, 0, true), 1), "shipped, replaced by your set");
  EXPECT_EQ(Cell(ed, Line(ed, 0, 0), 1), "yours");

  // Change the CO ceiling to 120, remove the toluene row.
  ed.SelectEntry(Line(ed, 0, 1));
  EXPECT_TRUE(ed.ChangeButton()->isEnabled());
  ed.SetFields({"Mine", "CO", "ceiling", "120", "ppm", "x"});
  ASSERT_TRUE(ed.ChangeRow());
  EXPECT_EQ(ed.UserSets()[0].rows[1].value, 120.0);
  ed.SelectEntry(Line(ed, 0, 0));
  ASSERT_TRUE(ed.RemoveRow());
  ASSERT_EQ(ed.UserSets()[0].rows.size(), 1u);
  EXPECT_EQ(ed.UserSets()[0].rows[0].parameter, "CO");
  // Put the quoted source back, to see it through the file.
  ed.SetFields({"Mine", "toluene", "STEL", "100", "ppm", "house \"rule\", 2026"});
  ASSERT_TRUE(ed.AddRow());
  EXPECT_TRUE(ed.IsModified());

  ASSERT_TRUE(ed.Save());
  EXPECT_FALSE(ed.IsModified());
  LimitLibrary back;
  std::vector<std::string> problems;
  ASSERT_TRUE(back.AddFile(UserLimitsPath(), "limits.csv", TheParamNames().compounds(), problems));
  EXPECT_TRUE(problems.empty()) << problems[0];
  ASSERT_EQ(back.Sets().size(), ed.UserSets().size());
  for (std::size_t s = 0; s < back.Sets().size(); ++s) {
    const LimitSet& a = back.Sets()[s];
    const LimitSet& b = ed.UserSets()[s];
    EXPECT_EQ(a.name, b.name);
    ASSERT_EQ(a.rows.size(), b.rows.size());
    for (std::size_t r = 0; r < a.rows.size(); ++r) {
      EXPECT_EQ(a.rows[r].parameter, b.rows[r].parameter);
      EXPECT_EQ(a.rows[r].kind, b.rows[r].kind);
      EXPECT_EQ(a.rows[r].value, b.rows[r].value);
      EXPECT_EQ(a.rows[r].unit, b.rows[r].unit);
      EXPECT_EQ(a.rows[r].source, b.rows[r].source);
      EXPECT_EQ(a.rows[r].codes, b.rows[r].codes);
    }
  }
  EXPECT_EQ(back.Sets()[0].rows[1].source, "house \"rule\", 2026");

  // The open window now judges with the user's NIOSH set: CO against its
  // one TWA row, toluene against nothing.
  const ChannelResult* co = nullptr;
  const ChannelResult* toluene = nullptr;
  for (const ChannelResult& ch : w->Result().channels) {
    if (ch.name == "CO") co = &ch;
    if (ch.name == "Toluene") toluene = &ch;
  }
  ASSERT_TRUE(co && toluene);
  ASSERT_EQ(co->limits.size(), 1u);
  EXPECT_EQ(co->limits[0].value, 25.0);
  EXPECT_EQ(co->limits[0].source, "stricter");
  EXPECT_EQ(toluene->verdict, Verdict::NoLimits);
  EXPECT_EQ(w->SetChooser()->count(), 4);

  // Removing every row leaves a file of the heading alone.
  while (!ed.UserSets().empty()) {
    ed.SelectEntry(Line(ed, 0, 0));
    ASSERT_TRUE(ed.RemoveRow());
  }
  ASSERT_TRUE(ed.Save());
  EXPECT_EQ(UserFile(), std::string(kLimitsHeading) + "\r\n");
  EXPECT_EQ(w->SetChooser()->count(), 3);
  view.reset();
  doc->OnCloseDocument();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(LimitsEditorTest, ASaveThatFailsNamesTheFileAndTheSystemsReason) {
  LimitsEditor ed;
  test::MessageRecorder boxes(IDOK);
  {
    test::FileSizeLimit limit(10);
    EXPECT_FALSE(ed.Save());
  }
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text,
            "Your limits could not be saved.\n" + UserLimitsPath() + ": File too large");
  EXPECT_FALSE(std::filesystem::exists(NativePath(UserLimitsPath())));
}

TEST_F(LimitsEditorTest, RowsThatCouldNotBeReadAreShownAndDroppedOnlyWhenTheUserAgrees) {
  const std::string original =
      "set,parameter,kind,value,unit,source\r\n"
      "Mine,CO,TWA8,20,ppm,x\r\n"
      "Mine,CO,TWA8,twenty,ppm,x\r\n";
  ASSERT_TRUE(WriteTextFile(UserLimitsPath(), original));
  LimitsEditor ed;
  ASSERT_EQ(ed.ReadProblems().size(), 1u);
  EXPECT_EQ(ed.ReadProblems()[0], "limits.csv:3: value \"twenty\" is not a number");
  ASSERT_EQ(ed.UserSets().size(), 1u);
  {
    test::MessageRecorder no(IDNO);
    EXPECT_FALSE(ed.Save());
    ASSERT_EQ(no.boxes.size(), 1u);
  }
  EXPECT_EQ(UserFile(), original);
  test::MessageRecorder yes(IDYES);
  ASSERT_TRUE(ed.Save());
  EXPECT_EQ(UserFile(), "set,parameter,kind,value,unit,source\r\nMine,CO,TWA8,20,ppm,x\r\n");
  EXPECT_TRUE(ed.ReadProblems().empty());
}

}  // namespace
}  // namespace vantora::exposure
