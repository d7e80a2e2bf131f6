#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <filesystem>

#include "common/gui/selectsitedlg.h"
#include "common/pathutil.h"
#include "guisupport/guiapp.h"
#include "support/locbytes.h"

namespace vantora {
namespace {

namespace fs = std::filesystem;

class SelectSiteTest : public ::testing::Test {
 protected:
  void SetUp() override { test::GuiApp(); }

  // Finds the item for `path` among the loaded items.
  QTreeWidgetItem* Find(CSelectSiteDlg& dlg, const std::string& path) {
    QList<QTreeWidgetItem*> stack;
    for (int i = 0; i < dlg.Tree()->topLevelItemCount(); ++i) stack << dlg.Tree()->topLevelItem(i);
    while (!stack.isEmpty()) {
      QTreeWidgetItem* item = stack.takeFirst();
      if (!CSelectSiteDlg::IsPlaceholder(item) && dlg.FullPathOfItem(item) == path) return item;
      for (int i = 0; i < item->childCount(); ++i) stack << item->child(i);
    }
    return nullptr;
  }

  test::TempDir dir;
};

TEST_F(SelectSiteTest, DeepestExistingDirectory) {
  std::string base = dir.path() + "/";
  fs::create_directories(base + "a/b");
  EXPECT_EQ(CSelectSiteDlg::DeepestExistingDirectory(base + "a/b"), base + "a/b/");
  EXPECT_EQ(CSelectSiteDlg::DeepestExistingDirectory(base + "a/b/gone/deeper/"), base + "a/b/");
  EXPECT_EQ(CSelectSiteDlg::DeepestExistingDirectory(base + "x"), base);
  EXPECT_EQ(CSelectSiteDlg::DeepestExistingDirectory("/no-such-root-folder/x/"), "/");
}

TEST_F(SelectSiteTest, DriveListHasRootAndHome) {
  auto drives = CSelectSiteDlg::ListDrives();
  ASSERT_FALSE(drives.empty());
  EXPECT_EQ(drives[0].root, "/");
  for (const auto& d : drives) EXPECT_TRUE(IsPathSeparator(d.root.back())) << d.root;
}

TEST_F(SelectSiteTest, DeletedLastLevelOpensAtParentAndOkReturnsIt) {
  std::string base = dir.path() + "/";
  fs::create_directories(base + "Sites/Plant");
  fs::create_directories(base + "Sites/Office");
  CSelectSiteDlg dlg;
  dlg.path = base + "Sites/Plant/Removed/";
  dlg.InitDialog();
  QTreeWidgetItem* current = dlg.Tree()->currentItem();
  ASSERT_NE(current, nullptr);
  EXPECT_EQ(dlg.FullPathOfItem(current), base + "Sites/Plant/");
  // Every level above is expanded, siblings are loaded.
  EXPECT_NE(Find(dlg, base + "Sites/Office/"), nullptr);
  EXPECT_TRUE(Find(dlg, base + "Sites/")->isExpanded());
  dlg.accept();
  EXPECT_EQ(dlg.path, base + "Sites/Plant/");
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
}

TEST_F(SelectSiteTest, PlaceholderOnlyForFoldersWithSubfolders) {
  std::string base = dir.path() + "/";
  fs::create_directories(base + "filesonly");
  test::WriteBytes(base + "filesonly/a.loc", {1, 2, 3});
  fs::create_directories(base + "withhidden/.hidden");
  CSelectSiteDlg dlg;
  dlg.path = base;
  dlg.InitDialog();
  QTreeWidgetItem* filesOnly = Find(dlg, base + "filesonly/");
  QTreeWidgetItem* withHidden = Find(dlg, base + "withhidden/");
  ASSERT_NE(filesOnly, nullptr);
  ASSERT_NE(withHidden, nullptr);
  EXPECT_EQ(filesOnly->childCount(), 0);
  ASSERT_EQ(withHidden->childCount(), 1);
  EXPECT_TRUE(CSelectSiteDlg::IsPlaceholder(withHidden->child(0)));
  withHidden->setExpanded(true);
  ASSERT_EQ(withHidden->childCount(), 1);
  EXPECT_EQ(withHidden->child(0)->text(0), ".hidden");
}

TEST_F(SelectSiteTest, CollapseAndReexpandRereadsTheFolder) {
  std::string base = dir.path() + "/";
  fs::create_directories(base + "site/one");
  CSelectSiteDlg dlg;
  dlg.path = base + "site/";
  dlg.InitDialog();
  QTreeWidgetItem* site = Find(dlg, base + "site/");
  ASSERT_NE(site, nullptr);
  ASSERT_TRUE(site->isExpanded());
  EXPECT_EQ(site->childCount(), 1);
  fs::create_directories(base + "site/two");
  site->setExpanded(false);
  ASSERT_EQ(site->childCount(), 1);
  EXPECT_TRUE(CSelectSiteDlg::IsPlaceholder(site->child(0)));
  site->setExpanded(true);
  ASSERT_EQ(site->childCount(), 2);
  EXPECT_EQ(site->child(0)->text(0), "one");
  EXPECT_EQ(site->child(1)->text(0), "two");
}

TEST_F(SelectSiteTest, ChoosingAnotherDriveResetsToItsRoot) {
  CSelectSiteDlg dlg;
  dlg.path = dir.path() + "/";
  dlg.InitDialog();
  ASSERT_GE(dlg.DriveList()->count(), 1);
  dlg.SelectDrive(0);
  ASSERT_EQ(dlg.Tree()->topLevelItemCount(), 1);
  QTreeWidgetItem* current = dlg.Tree()->currentItem();
  ASSERT_NE(current, nullptr);
  EXPECT_EQ(current, dlg.Tree()->topLevelItem(0));
  EXPECT_EQ(dlg.FullPathOfItem(current), dlg.Drives()[0].root);
}

TEST_F(SelectSiteTest, OkWithNothingSelectedGivesEmptyPath) {
  CSelectSiteDlg dlg;
  dlg.path = dir.path() + "/";
  dlg.InitDialog();
  dlg.Tree()->setCurrentItem(nullptr);
  dlg.accept();
  EXPECT_EQ(dlg.path, "");
}

TEST_F(SelectSiteTest, CancelAndEscapeLeaveThePathAsItWas) {
  std::string base = dir.path() + "/";
  fs::create_directories(base + "Sites/Plant");
  fs::create_directories(base + "Sites/Office");
  for (bool escape : {false, true}) {
    CSelectSiteDlg dlg;
    dlg.path = base + "Sites/Plant/";
    auto* cancel = dlg.findChild<QPushButton*>("cancelButton");
    ASSERT_NE(cancel, nullptr);
    EXPECT_EQ(cancel->text(), "Cancel");
    QTimer::singleShot(0, &dlg, [&] {
      // Another folder picked, then the user changes their mind.
      dlg.Tree()->setCurrentItem(Find(dlg, base + "Sites/Office/"));
      if (escape) {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(dlg.Tree(), &key);
      } else {
        cancel->click();
      }
    });
    QTimer::singleShot(5000, &dlg, [&dlg] { dlg.done(99); });  // never reached when it works
    EXPECT_EQ(dlg.exec(), QDialog::Rejected) << escape;
    EXPECT_EQ(dlg.path, base + "Sites/Plant/") << escape;
  }
}

}  // namespace
}  // namespace vantora
