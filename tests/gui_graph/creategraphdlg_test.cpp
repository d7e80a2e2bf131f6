#include "graph/gui/creategraphdlg.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <deque>
#include <filesystem>
#include <memory>

#include "common/gui/framework.h"
#include "common/logfile.h"
#include "common/profile.h"
#include "graph/graphdocument.h"
#include "graph/gui/graphdialogs.h"
#include "graph/gui/graphprofile.h"
#include "guisupport/guiapp.h"
#include "location/columnselection.h"
#include "support/locbytes.h"

namespace vantora::graph {
namespace {

// Records message boxes and answers them in turn (OK once the list is used up).
struct Answers {
  explicit Answers(std::deque<int> replies = {}) : replies(std::move(replies)) {
    SetMessageBoxHook([this](const MessageBoxRecord& box) {
      boxes.push_back(box);
      if (this->replies.empty()) return static_cast<int>(IDOK);
      int reply = this->replies.front();
      this->replies.pop_front();
      return reply;
    });
  }
  ~Answers() { SetMessageBoxHook({}); }
  std::deque<int> replies;
  std::vector<MessageBoxRecord> boxes;
};

class CreateGraphDlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::GuiApp();
    test::ClearSettings();
  }

  // A location of channels with the given units ("Temperature" first, then
  // "Humidity", then "Ch<n>"), one record.
  std::unique_ptr<CLogFile> Location(const std::vector<int>& units,
                                     const std::string& name = "Room 4.loc") {
    test::LocationSpec spec;
    std::vector<float> values;
    for (std::size_t c = 0; c < units.size(); ++c) {
      test::ChannelSpec ch;
      ch.name = c == 0 ? "Temperature" : c == 1 ? "Humidity" : "Ch" + std::to_string(c);
      ch.unit = units[c];
      spec.channels.push_back(ch);
      values.push_back(20.0f + static_cast<float>(c));
    }
    spec.records.push_back({0, values});
    const std::string path = dir.File(name);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    test::WriteBytes(path, test::LocationBytes(spec));
    auto log = std::make_unique<CLogFile>(path);
    EXPECT_EQ(log->ChannelCount(), static_cast<int>(units.size()));
    return log;
  }

  template <typename T>
  static T* Child(const CCreateGraphDlg& dlg, const char* name) {
    T* child = dlg.findChild<T*>(name);
    EXPECT_NE(child, nullptr) << name;
    return child;
  }
  static void SelectParameter(const CCreateGraphDlg& dlg, int row) {
    Child<QListWidget>(dlg, "parameterList")->setCurrentRow(row);
  }
  static void Click(const CCreateGraphDlg& dlg, const char* name) {
    Child<QAbstractButton>(dlg, name)->click();
  }

  test::TempDir dir;
  GraphSettings settings;
  ColumnSelection selection;
};

using Refs = std::vector<int>;

TEST_F(CreateGraphDlgTest, ProfileLoadsAndSavesTheOptionsAndMode) {
  GraphSettings s;
  s.axisCount = 5;
  s.axisParams[3] = 4;
  s.title = "old";
  s.titleFontSize = 9;
  LoadGraphSettings(s);  // empty profile: the defaults
  EXPECT_TRUE(s.dateOnX && s.xGrid && s.lines && s.showTitle);
  EXPECT_FALSE(s.markers);
  EXPECT_EQ(s.mode, kModeSingleY);
  EXPECT_EQ(s.axisCount, 0);
  EXPECT_EQ(s.axisParams[3], 0);
  EXPECT_EQ(s.title, "");
  EXPECT_EQ(s.titleFontSize, 16);

  Profile::WriteInt("Graph", "XGrid", 5);
  Profile::WriteInt("Graph", "Markers", 1);
  Profile::WriteInt("Graph", "Lines", 0);
  Profile::WriteInt("Graph", "Legend", 3);
  for (auto [stored, mode] : {std::pair{0, kModeSingleY},
                              {1, kModeMultiY},
                              {2, kModeStrip},
                              {7, kModeSingleY},
                              {-1, kModeSingleY},
                              {3, kModeSingleY}}) {
    Profile::WriteInt("Graph", "Mode", stored);
    LoadGraphSettings(s);
    EXPECT_EQ(s.mode, mode) << stored;
  }
  EXPECT_TRUE(s.xGrid);
  EXPECT_TRUE(s.markers);
  EXPECT_FALSE(s.lines);
  EXPECT_EQ(s.legend, 3);

  s.mode = kModeStrip;
  s.yGrid = false;
  SaveGraphSettings(s);
  EXPECT_EQ(Profile::GetInt("Graph", "Mode", -9), 2);
  EXPECT_EQ(Profile::GetInt("Graph", "XGrid", -9), 1);  // written back as 0/1
  EXPECT_EQ(Profile::GetInt("Graph", "YGrid", -9), 0);
  EXPECT_EQ(Profile::GetInt("Graph", "Legend", -9), 3);
  s.mode = kModeMultiY;
  SaveGraphSettings(s);
  EXPECT_EQ(Profile::GetInt("Graph", "Mode", -9), 1);
}

TEST_F(CreateGraphDlgTest, LimitLinesFromTheProfileThroughTheOptionsPageAndBack) {
  GraphSettings s;
  LoadGraphSettings(s);
  EXPECT_FALSE(s.limitLines);  // off until chosen
  Profile::WriteInt("Graph", "LimitLines", 4);
  LoadGraphSettings(s);
  ASSERT_TRUE(s.limitLines);
  auto log = Location({0});
  selection.SetTimeSelected(true);
  selection.SetSelected(0, true);
  CCreateGraphDlg dlg(*log, selection, s);
  auto* box = Child<QCheckBox>(dlg, "limitLines");
  EXPECT_EQ(box->text(), "Limit lines");
  EXPECT_TRUE(box->isChecked());
  box->setChecked(false);
  dlg.OnCreate();
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_FALSE(s.limitLines);
  SaveGraphSettings(s);
  EXPECT_EQ(Profile::GetInt("Graph", "LimitLines", -9), 0);
  // The set VantoraPC draws: the profile's, else the default one.
  Profile::WriteString("Exposure", "LimitSet", "Workplace (NIOSH REL)");
  EXPECT_EQ(ProfileLimits().set->name, "Workplace (NIOSH REL)");
  Profile::WriteString("Exposure", "LimitSet", "Gone");
  EXPECT_EQ(ProfileLimits().set->name, exposure::kDefaultLimitSet);
}

TEST_F(CreateGraphDlgTest, ModeSevenOpensSingleYAndCancelStillWritesTheOptions) {
  auto log = Location({0, 2});
  Profile::WriteInt("Graph", "Mode", 7);
  Profile::WriteInt("Graph", "XGrid", 1);
  selection.SetTimeSelected(true);
  selection.SetSelected(0, true);
  selection.SetSelected(1, true);
  {
    ProfiledGraphSettings record;
    CCreateGraphDlg dlg(*log, selection, record.settings);
    EXPECT_TRUE(Child<QRadioButton>(dlg, "singleY")->isChecked());
    EXPECT_FALSE(Child<QRadioButton>(dlg, "multiY")->isChecked());
    Child<QCheckBox>(dlg, "xGrid")->setChecked(false);
    // A failed confirmation copies the options before it asks about units.
    Answers answers({IDNO});
    dlg.show();
    dlg.OnCreate();
    ASSERT_EQ(answers.boxes.size(), 1u);
    EXPECT_TRUE(dlg.isVisible());
    dlg.reject();
  }
  EXPECT_EQ(Profile::GetInt("Graph", "Mode", -9), 0);
  EXPECT_EQ(Profile::GetInt("Graph", "XGrid", -9), 0);
  EXPECT_EQ(Profile::GetInt("Graph", "DateOnX", -9), 1);
}

TEST_F(CreateGraphDlgTest, ListsFollowTheColumnSelection) {
  auto log = Location({0, 2, 2});
  {
    CCreateGraphDlg dlg(*log, selection, settings);  // nothing selected
    auto* params = Child<QListWidget>(dlg, "parameterList");
    ASSERT_EQ(params->count(), 4);
    EXPECT_EQ(params->item(0)->text().toStdString(), "Time (H:M:S) ");
    EXPECT_EQ(params->item(2)->text().toStdString(), "Humidity");
    for (int i = 0; i < 4; ++i) EXPECT_EQ(params->item(i)->data(Qt::UserRole).toInt(), i);
    EXPECT_EQ(dlg.XReferences(), Refs{0});  // time, with nothing selected
    EXPECT_EQ(dlg.YReferences(), Refs{});
    EXPECT_FALSE(Child<QPushButton>(dlg, "createButton")->isEnabled());
    for (auto* name : {"setButton", "addButton", "removeButton"})
      EXPECT_FALSE(Child<QPushButton>(dlg, name)->isEnabled()) << name;
    // Set-> makes the parameter the only X item; Create waits for a Y item too.
    SelectParameter(dlg, 2);
    Click(dlg, "setButton");
    EXPECT_EQ(dlg.XReferences(), Refs{2});
    SelectParameter(dlg, 0);
    Click(dlg, "setButton");
    EXPECT_EQ(dlg.XReferences(), Refs{0});
    EXPECT_FALSE(Child<QPushButton>(dlg, "createButton")->isEnabled());
    Click(dlg, "addButton");
    EXPECT_TRUE(Child<QPushButton>(dlg, "createButton")->isEnabled());
  }
  selection.SetTimeSelected(true);
  selection.SetSelected(0, true);
  selection.SetSelected(2, true);
  {
    CCreateGraphDlg dlg(*log, selection, settings);
    EXPECT_EQ(dlg.XReferences(), Refs{0});
    EXPECT_EQ(dlg.YReferences(), (Refs{1, 3}));
    EXPECT_TRUE(Child<QPushButton>(dlg, "createButton")->isEnabled());
  }
  // Channels alone: still against time, every channel a Y parameter.
  selection.SetTimeSelected(false);
  selection.SetSelected(1, true);
  {
    CCreateGraphDlg dlg(*log, selection, settings);
    EXPECT_EQ(dlg.XReferences(), Refs{0});
    EXPECT_EQ(dlg.YReferences(), (Refs{1, 2, 3}));
  }
}

TEST_F(CreateGraphDlgTest, AddOnceRemoveAndTheTwentyEntryCap) {
  auto log = Location(std::vector<int>(20, 0));
  CCreateGraphDlg dlg(*log, selection, settings);
  SelectParameter(dlg, 5);
  Click(dlg, "addButton");
  Click(dlg, "addButton");
  EXPECT_EQ(dlg.YReferences(), Refs{5});
  Click(dlg, "setButton");  // X may also be a Y parameter
  EXPECT_EQ(dlg.XReferences(), Refs{5});

  auto* y = Child<QListWidget>(dlg, "yList");
  auto* remove = Child<QPushButton>(dlg, "removeButton");
  y->setCurrentRow(0);
  EXPECT_TRUE(remove->isEnabled());
  remove->click();
  EXPECT_EQ(dlg.YReferences(), Refs{});
  EXPECT_FALSE(remove->isEnabled());

  for (int row = 1; row <= 20; ++row) {
    SelectParameter(dlg, row);
    Click(dlg, "addButton");
  }
  EXPECT_EQ(y->count(), 20);
  SelectParameter(dlg, 0);
  EXPECT_FALSE(Child<QPushButton>(dlg, "addButton")->isEnabled());
  Click(dlg, "addButton");
  EXPECT_EQ(y->count(), 20);

  // Removing one lets time in, as the twentieth Y parameter, where it is refused.
  y->setCurrentRow(19);
  remove->click();
  SelectParameter(dlg, 0);
  EXPECT_TRUE(Child<QPushButton>(dlg, "addButton")->isEnabled());
  Click(dlg, "addButton");
  EXPECT_EQ(dlg.YReferences().back(), 0);
  Answers answers;
  dlg.OnCreate();
  ASSERT_EQ(answers.boxes.size(), 1u);
  EXPECT_EQ(answers.boxes[0].text, kTextTimeNotPrimary);
  EXPECT_EQ(settings.axisCount, 21);
  EXPECT_EQ(settings.axisParams[20], 0);
  EXPECT_EQ(settings.axisParams[19], 19);
}

TEST_F(CreateGraphDlgTest, TimeAsSecondYIsRefusedEvenInSingleY) {
  auto log = Location({0, 0});
  selection.SetSelected(0, true);
  selection.SetSelected(1, true);
  CCreateGraphDlg dlg(*log, selection, settings);
  SelectParameter(dlg, 0);
  Click(dlg, "addButton");
  EXPECT_EQ(dlg.YReferences(), (Refs{1, 2, 0}));
  Answers answers({IDYES});
  dlg.show();
  Click(dlg, "createButton");
  ASSERT_EQ(answers.boxes.size(), 1u);
  EXPECT_EQ(answers.boxes[0].text, kTextTimeNotPrimary);
  EXPECT_EQ(answers.boxes[0].icon, MsgIcon::Exclamation);
  EXPECT_EQ(answers.boxes[0].buttons, MsgButtons::Ok);
  EXPECT_TRUE(dlg.isVisible());
  EXPECT_NE(dlg.result(), QDialog::Accepted);
}

TEST_F(CreateGraphDlgTest, MixedUnitsInSingleYAskFirst) {
  auto log = Location({0, 2});
  selection.SetTimeSelected(true);
  selection.SetSelected(0, true);
  selection.SetSelected(1, true);
  CCreateGraphDlg dlg(*log, selection, settings);
  Child<QCheckBox>(dlg, "markers")->setChecked(true);
  Answers answers({IDNO, IDYES});
  dlg.show();
  dlg.OnCreate();
  ASSERT_EQ(answers.boxes.size(), 1u);
  EXPECT_EQ(answers.boxes[0].text, kTextMixedUnits);
  EXPECT_EQ(answers.boxes[0].buttons, MsgButtons::YesNo);
  EXPECT_TRUE(dlg.isVisible());
  EXPECT_TRUE(settings.markers);  // copied before the question

  dlg.OnCreate();
  EXPECT_EQ(answers.boxes.size(), 2u);
  EXPECT_FALSE(dlg.isVisible());
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_EQ(settings.axisCount, 3);
  EXPECT_EQ(settings.AxisPair(0), std::make_pair(0, 1));
  EXPECT_EQ(settings.AxisPair(1), std::make_pair(0, 2));
  EXPECT_EQ(settings.mode, kModeSingleY);

  // The same units in Multi Y ask nothing.
  Answers none;
  CCreateGraphDlg multi(*log, selection, settings);
  Click(multi, "multiY");
  multi.OnCreate();
  EXPECT_TRUE(none.boxes.empty());
  EXPECT_EQ(multi.result(), QDialog::Accepted);
  EXPECT_EQ(settings.mode, kModeMultiY);
}

TEST_F(CreateGraphDlgTest, OneYInMultiYAsksAndLegendServesEveryMode) {
  auto log = Location({0, 2});
  selection.SetTimeSelected(true);
  selection.SetSelected(0, true);
  CCreateGraphDlg dlg(*log, selection, settings);
  auto* legend = Child<QCheckBox>(dlg, "legend");
  EXPECT_TRUE(legend->isChecked());
  for (const char* mode : {"singleY", "strip", "multiY"}) {
    Click(dlg, mode);
    EXPECT_TRUE(legend->isEnabled()) << mode;
  }
  legend->setChecked(false);

  Answers answers({IDNO, IDYES});
  dlg.show();
  dlg.OnCreate();
  ASSERT_EQ(answers.boxes.size(), 1u);
  EXPECT_EQ(answers.boxes[0].text, kTextSingleYMultiMode);
  EXPECT_EQ(answers.boxes[0].buttons, MsgButtons::YesNo);
  EXPECT_TRUE(dlg.isVisible());
  dlg.OnCreate();
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_EQ(settings.legend, 0);
  EXPECT_EQ(settings.mode, kModeMultiY);
}

TEST_F(CreateGraphDlgTest, TitleDefaultsToTheShortPathAndHoldsFiftyCharacters) {
  auto log = Location({0}, "Site1/Location1.loc");
  selection.SetTimeSelected(true);
  selection.SetSelected(0, true);
  CCreateGraphDlg dlg(*log, selection, settings);
  EXPECT_EQ(settings.title, "... Site1/Location1");
  auto* edit = Child<QLineEdit>(dlg, "titleEdit");
  EXPECT_EQ(edit->text().toStdString(), settings.title);
  edit->setText(QString::fromUtf8("\xC3\xA9") + QString(60, 'x'));  // é then x
  Child<QCheckBox>(dlg, "showTitle")->setChecked(false);
  dlg.OnCreate();
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_EQ(settings.title, "\xE9" + std::string(49, 'x'));
  EXPECT_FALSE(settings.showTitle);
}

TEST_F(CreateGraphDlgTest, RunnerAnswersThroughTheHook) {
  auto log = Location({0, 2});
  selection.SetTimeSelected(true);
  selection.SetSelected(1, true);
  Refs seen;
  SetCreateGraphDialogHook([&seen](CCreateGraphDlg& dlg) {
    seen = dlg.YReferences();
    dlg.OnCreate();
    return dlg.result() == QDialog::Accepted;
  });
  EXPECT_TRUE(RunCreateGraphDialog(*log, selection, settings));
  EXPECT_EQ(seen, Refs{2});
  EXPECT_EQ(settings.AxisPair(0), std::make_pair(0, 2));
  SetCreateGraphDialogHook([](CCreateGraphDlg&) { return false; });
  EXPECT_FALSE(RunCreateGraphDialog(*log, selection, settings));
  SetCreateGraphDialogHook({});
}

// The comment dialog takes no more than a graph file holds.
TEST(NewCommentDlg, AcceptsAtMostTheLongestComment) {
  test::GuiApp();
  CNewCommentDlg dlg(13);
  dlg.text->setText(QString(10, 'x'));
  dlg.text->insert(QString(5000, 'y'));
  EXPECT_EQ(dlg.Text(), std::string(10, 'x') + std::string(graph::kMaxCommentLength - 10, 'y'));
  EXPECT_EQ(dlg.Size(), 13);
}

}  // namespace
}  // namespace vantora::graph
