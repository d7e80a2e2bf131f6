#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <filesystem>

#include "common/gui/framework.h"
#include "guisupport/guiapp.h"
#include "integrity/auditgen.h"
#include "integrity/gui/auditfiledialog.h"

namespace vantora {
namespace {

using test::AuditSpec;
using test::TempDir;

std::vector<std::string> Texts(QListWidget* list) {
  std::vector<std::string> out;
  for (int i = 0; i < list->count(); ++i) out.push_back(list->item(i)->text().toStdString());
  return out;
}

class AuditDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::GuiApp();
    SetMessageBoxHook([this](const MessageBoxRecord& box) {
      boxes.push_back(box.text);
      return static_cast<int>(IDOK);
    });
  }
  void TearDown() override { SetMessageBoxHook({}); }
  TempDir dir;
  std::vector<std::string> boxes;
};

const char* const kDetails =
    "User ID:jsmith\r\nName:John Smith\r\nCode:C-17\r\nCreated by:Logger 2210\r\n"
    "File Start Time:06-Mar-2026 14:05:09\r\nFile Locked Time:07-Mar-2026 08:00:30\r\n"
    "Creation path:\\Storage\\Sites\\Plant\r\nEncrypted CRC32 Check OK";

TEST_F(AuditDialogTest, LockedFileWithTheRightPassword) {
  std::string loc = test::MakeLockedLocation(dir.path(), AuditSpec{});
  AuditFileDialog dialog(loc);
  EXPECT_EQ(dialog.windowTitle().toStdString(), "Audit File");
  EXPECT_EQ(dialog.TitleLabel()->text().toStdString(), "Room 4");
  EXPECT_EQ(dialog.StatusLabel()->text().toStdString(), "CRC32 Check OK");
  EXPECT_EQ(dialog.UserLabel()->text().toStdString(), "User ID:jsmith");
  EXPECT_TRUE(dialog.GetDetailsButton()->isEnabled());
  EXPECT_TRUE(dialog.GetDetailsButton()->isDefault());
  EXPECT_EQ(dialog.PasswordEdit()->echoMode(), QLineEdit::Password);
  EXPECT_EQ(dialog.ReportText(), "Room 4.loc\r\nUser ID:jsmith\r\nCRC32 Check OK");
  dialog.CopyButton()->click();
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(),
            "Room 4.loc\r\nUser ID:jsmith\r\nCRC32 Check OK");

  dialog.PasswordEdit()->setText("secret");
  dialog.GetDetailsButton()->click();
  EXPECT_EQ(Texts(dialog.DetailsList()),
            (std::vector<std::string>{
                "User ID:jsmith", "Name:John Smith", "Code:C-17", "Created by:Logger 2210",
                "File Start Time:06-Mar-2026 14:05:09", "File Locked Time:07-Mar-2026 08:00:30",
                "Creation path:\\Storage\\Sites\\Plant", "Encrypted CRC32 Check OK"}));
  dialog.CopyButton()->click();
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), kDetails);
  // Pressing it again lists the same, not twice as much.
  dialog.GetDetailsButton()->click();
  EXPECT_EQ(dialog.DetailsList()->count(), 8);
  EXPECT_TRUE(boxes.empty());
}

TEST_F(AuditDialogTest, EnterInThePasswordFieldGetsDetails) {
  std::string loc = test::MakeLockedLocation(dir.path(), AuditSpec{});
  AuditFileDialog dialog(loc);
  dialog.show();
  dialog.PasswordEdit()->setFocus();
  dialog.PasswordEdit()->setText("secret");
  QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
  QApplication::sendEvent(dialog.PasswordEdit(), &press);
  EXPECT_EQ(dialog.DetailsList()->count(), 8);
  EXPECT_TRUE(dialog.isVisible());
}

TEST_F(AuditDialogTest, WrongPasswordAndChangedFile) {
  std::string loc = test::MakeLockedLocation(dir.path(), AuditSpec{});
  test::WriteBytes(loc, {'c', 'h', 'a', 'n', 'g', 'e', 'd'});
  AuditFileDialog dialog(loc);
  EXPECT_EQ(dialog.StatusLabel()->text().toStdString(), "CRC32 Check FAILED!");
  dialog.PasswordEdit()->setText("Secret");
  dialog.GetDetails();
  EXPECT_EQ(Texts(dialog.DetailsList()),
            (std::vector<std::string>{"Can not open audit file!", "Password does not match!"}));
  EXPECT_EQ(dialog.ReportText(), "Can not open audit file.\r\nPassword does not match!");
  dialog.PasswordEdit()->setText("secret");
  dialog.GetDetails();
  EXPECT_EQ(dialog.DetailsList()->item(7)->text().toStdString(), "Encrypted CRC32 Check FAILED!");
}

TEST_F(AuditDialogTest, NotLockedFiles) {
  std::string loc = dir.File("Room 4.loc");
  test::WriteBytes(loc, {'x'});
  AuditFileDialog missing(loc);
  EXPECT_EQ(missing.StatusLabel()->text().toStdString(), "File was not locked.");
  EXPECT_EQ(missing.UserLabel()->text().toStdString(), "");
  EXPECT_EQ(missing.TitleLabel()->text().toStdString(), "Room 4.loc");
  EXPECT_FALSE(missing.GetDetailsButton()->isEnabled());
  EXPECT_EQ(missing.ReportText(), "File was not locked.");
  AuditSpec spec;
  spec.versionCopy = 2;
  loc = test::MakeLockedLocation(dir.path(), spec);
  AuditFileDialog wrongVersion(loc);
  EXPECT_FALSE(wrongVersion.GetDetailsButton()->isEnabled());
  EXPECT_EQ(wrongVersion.ReportText(), "Room 4.loc\r\nFile was not locked.");
}

TEST_F(AuditDialogTest, BadSealedLengthShowsAMessage) {
  AuditSpec spec;
  spec.sealedLengthOverride = 20;
  std::string loc = test::MakeLockedLocation(dir.path(), spec);
  AuditFileDialog dialog(loc);
  dialog.PasswordEdit()->setText("secret");
  dialog.GetDetails();
  EXPECT_EQ(boxes, std::vector<std::string>{"Bad buffer length."});
  EXPECT_EQ(dialog.DetailsList()->item(0)->text().toStdString(), "Can not open audit file!");
}

}  // namespace
}  // namespace vantora
