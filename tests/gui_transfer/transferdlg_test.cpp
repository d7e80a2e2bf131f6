// The transfer dialog, headless, against the simulator.
// POSIX only: the simulator serves a pseudo-terminal.
#ifndef _WIN32
#include "transfer/gui/transferdlg.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <filesystem>

#include "common/gui/selectsitedlg.h"
#include "common/profile.h"
#include "guisupport/guiapp.h"
#include "support/locbytes.h"
#include "transfer/destination.h"
#include "transfer/transfer_support.h"

namespace vantora::test {
namespace {

namespace fs = std::filesystem;

class TransferDlgTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!QApplication::instance()) {
      static int argc = 1;
      static char name[] = "test_gui_transfer";
      static char* argv[] = {name, nullptr};
      new QApplication(argc, argv);
    }
  }
  void SetUp() override {
    ResetProfile();
    Profile::Remove("Transfer/Directories", "CLRoot");
    Profile::Remove("Transfer/Directories", "PCRoot");
    CTransferDlg::messageHook = [this](const std::string& text) {
      messages.push_back(text);
      if (dlg) {
        enabledDuringMessage.push_back(dlg->GetAllButton()->isEnabled() ||
                                       dlg->ChangeButton()->isEnabled());
        statusDuringMessage.push_back(dlg->StatusLine()->text().toStdString());
      }
    };
  }
  void TearDown() override {
    CTransferDlg::messageHook = nullptr;
    CTransferDlg::chooseHook = nullptr;
  }
  void UseDestination(const std::string& path) {
    Profile::WriteString("Transfer/Directories", "CLRoot", path);
  }
  std::vector<std::string> messages;
  std::vector<bool> enabledDuringMessage;
  std::vector<std::string> statusDuringMessage;
  CTransferDlg* dlg = nullptr;
  TempDir dest;
};

TEST_F(TransferDlgTest, GetAllFilesWritesTheLocations) {
  SimRunner sim(
      "site 1 Lab\nlocation 5 Room\n"
      "log mode=1 location=5 start=3600 interval=60\nchannel 1 16 3 TEMPER C\nrecord 215\nrecord "
      "216\n"
      "log mode=2 location=5 start=3600\nchannel 0 8 3 A b\nrecord @3600 1\n");
  ASSERT_TRUE(sim.ok());
  ResetProfile(sim.Device());
  UseDestination(dest.path());  // no trailing separator: one is added
  CTransferDlg d;
  dlg = &d;
  d.show();
  EXPECT_EQ(d.StatusLine()->text(), "Initializing...");
  EXPECT_EQ(d.Destination(), dest.path() + "/");
  d.GetAllButton()->click();
  EXPECT_TRUE(messages.empty()) << messages[0];
  EXPECT_EQ(d.StatusLine()->text(), "Transfer complete.");
  EXPECT_EQ(d.ProgressBar()->value(), 500);
  EXPECT_EQ(d.ProgressBar()->maximum(), 500);
  EXPECT_TRUE(d.GetAllButton()->isEnabled());
  EXPECT_TRUE(d.ChangeButton()->isEnabled());
  EXPECT_TRUE(fs::exists(dest.File("Lab/Room_01.loc")));
  EXPECT_TRUE(fs::exists(dest.File("Lab/Room_02.loc")));
  EXPECT_EQ(sim.Sim().State(), 0);
}

TEST_F(TransferDlgTest, FailureShowsTheJobTextAndSaysSo) {
  SimRunner sim("version 1.9\n");
  ASSERT_TRUE(sim.ok());
  ResetProfile(sim.Device());
  UseDestination(dest.path());
  CTransferDlg d;
  dlg = &d;
  d.GetAllButton()->click();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "Incompatible instrument version.");
  EXPECT_EQ(statusDuringMessage[0], "Transfer in progress.");
  EXPECT_FALSE(enabledDuringMessage[0]);
  EXPECT_EQ(d.StatusLine()->text(), "Transfer failed.");
  EXPECT_TRUE(d.GetAllButton()->isEnabled());
  EXPECT_TRUE(d.ChangeButton()->isEnabled());
}

TEST_F(TransferDlgTest, LineLostDuringTheMemoryRead) {
  corvanesim::Faults f;
  f.disconnectAt = 0;
  SimRunner sim("fill 600\n", f);
  ASSERT_TRUE(sim.ok());
  ResetProfile(sim.Device());
  UseDestination(dest.path());
  CTransferDlg d;
  dlg = &d;
  d.GetAllButton()->click();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0], "Command failed");
  EXPECT_EQ(messages[1], "The instrument stopped answering.");
  EXPECT_EQ(d.StatusLine()->text(), "Transfer failed.");
  EXPECT_TRUE(fs::is_empty(dest.path()));
}

TEST_F(TransferDlgTest, CancelDuringTheMemoryReadKeepsTheDialogOpen) {
  SimRunner sim("state 4\nfill 3000\nsite 1 Lab\nlocation 1 Room\n");
  ASSERT_TRUE(sim.ok());
  ResetProfile(sim.Device());
  UseDestination(dest.path());
  CTransferDlg d;
  dlg = &d;
  d.show();
  std::vector<std::string> statuses;
  QString closeText;
  int clickedAt = -1;
  QObject::connect(d.ProgressBar(), &QProgressBar::valueChanged, [&](int value) {
    statuses.push_back(d.StatusLine()->text().toStdString());
    if (clickedAt < 0 && value > 150) {
      closeText = d.CloseButton()->text();
      clickedAt = value;
      d.CloseButton()->click();
    }
  });
  d.GetAllButton()->click();
  EXPECT_EQ(closeText, "Cancel");
  ASSERT_GT(clickedAt, 150);
  EXPECT_LT(clickedAt, 300);
  EXPECT_TRUE(messages.empty()) << messages[0];
  EXPECT_TRUE(d.isVisible());
  EXPECT_EQ(d.StatusLine()->text(), "Transfer cancelled.");
  EXPECT_EQ(d.CloseButton()->text(), "Close");
  EXPECT_TRUE(d.CloseButton()->isEnabled());
  EXPECT_TRUE(d.GetAllButton()->isEnabled());
  EXPECT_LT(d.ProgressBar()->value(), 300);
  ASSERT_FALSE(statuses.empty());
  EXPECT_EQ(statuses.back().rfind("Reading memory: ", 0), 0u) << statuses.back();
  EXPECT_TRUE(fs::is_empty(dest.path()));
  EXPECT_EQ(sim.Sim().State(), 0);
  EXPECT_EQ(sim.Count(0x3D), 1);
  // Close now closes.
  d.CloseButton()->click();
  EXPECT_FALSE(d.isVisible());
}

TEST_F(TransferDlgTest, DestinationSettings) {
  {
    CTransferDlg d;
    EXPECT_EQ(d.Destination(), DefaultTransferDestination());
  }
  Profile::WriteString("Transfer/Directories", "PCRoot", "/srv/pc");
  {
    CTransferDlg d;
    EXPECT_EQ(d.Destination(), "/srv/pc/");
  }
  std::string longPath = "/data/customers/North Region/Plant Seven/Building C/Sites/";
  UseDestination(longPath);
  CTransferDlg d;
  EXPECT_EQ(d.Destination(), longPath);
  std::string shown = d.DestinationLabel()->text().toStdString();
  EXPECT_EQ(shown.rfind("... ", 0), 0u) << shown;
  EXPECT_LE(shown.size(), 54u);

  // Cancel changes nothing; OK stores "CLRoot" and shows the new folder.
  CTransferDlg::chooseHook = [](const std::string& current, std::string& chosen) {
    chosen = "/ignored/";
    return false;
  };
  d.ChangeButton()->click();
  EXPECT_EQ(d.Destination(), longPath);
  // So does the Select Site dialog's own Cancel button.
  CTransferDlg::chooseHook = nullptr;
  {
    ModalButtonPresser<CSelectSiteDlg> cancel("cancelButton");
    d.ChangeButton()->click();
    EXPECT_EQ(cancel.pressed, 1);
    EXPECT_EQ(cancel.missing, 0);
  }
  EXPECT_EQ(d.Destination(), longPath);
  EXPECT_EQ(Profile::GetString("Transfer/Directories", "CLRoot"), longPath);
  CTransferDlg::chooseHook = [this](const std::string& current, std::string& chosen) {
    EXPECT_EQ(current, "/data/customers/North Region/Plant Seven/Building C/Sites/");
    chosen = dest.path();
    return true;
  };
  d.ChangeButton()->click();
  EXPECT_EQ(d.Destination(), dest.path() + "/");
  EXPECT_EQ(Profile::GetString("Transfer/Directories", "CLRoot"), dest.path() + "/");
  EXPECT_EQ(TransferDestination(), dest.path() + "/");
}

}  // namespace
}  // namespace vantora::test

#endif  // _WIN32
