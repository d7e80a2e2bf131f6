// VantoraPC run from an installed layout: <prefix>/bin/ for the program,
// <prefix>/share/vantorapc/ for the files that ship with it.
#include <gtest/gtest.h>

#include <QDir>
#include <filesystem>
#include <sstream>

#include "app/gui/vantoraapp.h"
#include "common/pathutil.h"
#include "common/profile.h"
#include "guisupport/guiapp.h"
#include "support/clirun.h"
#include "support/locbytes.h"

namespace vantora {
namespace {

namespace fs = std::filesystem;

void Put(const std::string& path, const std::string& text) {
  MakeDirectoryPath(SplitPath(path).first);
  test::WriteBytes(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

class InstalledAppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::GuiApp();
    test::ClearSettings();
    oldDir = QDir::currentPath();
    MakeDirectoryPath(bin);
    for (const char* f : {"tvoc.csv", "support.html", "help/vantorapchelp.html",
                          "templates/Site Survey.rtf", "templates/Ventilation Check.rtf"})
      Put(share + f, "shipped");
    app.programDirectory = bin;
    templates = UserDocumentsFolder() + "vantora templates/";
    fs::remove_all(NativePath(templates));
  }
  void TearDown() override {
    QDir::setCurrent(oldDir);
    fs::remove_all(NativePath(templates));
  }
  test::TempDir dir;
  std::string bin = dir.File("usr/bin/");
  std::string share = dir.File("usr/share/vantorapc/");
  std::string templates;
  CVantoraApp app;
  QString oldDir;
};

TEST_F(InstalledAppTest, HelpAndSupportPagesFromTheSharedData) {
  EXPECT_EQ(app.HelpFilePath("vantorapchelp.html"), share + "help/vantorapchelp.html");
  EXPECT_EQ(app.SupportFilePath(), share + "support.html");
  // The Help command opens that page, not the missing one beside the program.
  test::MessageRecorder messages;
  std::vector<std::string> opened;
  DesktopHooks hooks;
  hooks.open = [&](const std::string& f) {
    opened.push_back(f);
    return true;
  };
  SetDesktopHooks(hooks);
  app.OnHelp();
  app.OnSupport();
  SetDesktopHooks({});
  EXPECT_TRUE(messages.boxes.empty());
  EXPECT_EQ(opened,
            (std::vector<std::string>{share + "help/vantorapchelp.html", share + "support.html"}));
}

TEST_F(InstalledAppTest, FirstStartSeedsTheTemplatesFolderInTheDocuments) {
  EXPECT_EQ(app.DefaultTemplatesDirectory(), templates);
  // A file of the user's own under a shipped name is kept.
  Put(templates + "Site Survey.rtf", "mine");
  app.SettleDirectories();
  EXPECT_EQ(Profile::GetString("Directories", "Templates"), templates);
  EXPECT_EQ(test::ReadAll(templates + "Site Survey.rtf"), "mine");
  EXPECT_EQ(test::ReadAll(templates + "Ventilation Check.rtf"), "shipped");
  EXPECT_FALSE(DirectoryExists(bin + "vantora templates"));

  // A stored folder is used as it is: nothing is copied into it again.
  fs::remove(NativePath(templates + "Ventilation Check.rtf"));
  app.SettleDirectories();
  EXPECT_FALSE(FileExists(templates + "Ventilation Check.rtf"));
}

TEST_F(InstalledAppTest, ABuildTreeKeepsItsTemplatesBesideTheProgram) {
  Put(bin + "tvoc.csv", "beside");
  EXPECT_EQ(app.DefaultTemplatesDirectory(), bin + "vantora templates/");
  app.SettleDirectories();
  EXPECT_TRUE(DirectoryExists(bin + "vantora templates"));
  EXPECT_FALSE(DirectoryExists(templates));
}

TEST_F(InstalledAppTest, ShippedFilesReport) {
  std::ostringstream out;
  // The report locates the running program: the test program in the build
  // tree, with every shipped file beside it.
  EXPECT_EQ(app.ReportShippedFiles(out), 0) << out.str();
  std::string folder = app.programDirectory;
  EXPECT_NE(out.str().find("help: " + folder + "help/vantorapchelp.html\n"), std::string::npos)
      << out.str();
  EXPECT_EQ(out.str().find("(missing)"), std::string::npos) << out.str();
}

// Every program answers --version with its name and the build's number, and
// the window programs answer it without a display (one they tried to open
// would end them here with an abort).
TEST(ProgramVersion, EveryProgramNamesItselfAndTheBuildsVersion) {
  test::TempDir dir;
  for (const char* program : {"VantoraPC", "corvanetransfer", "corvane-sim", "vantora"}) {
    test::CliRun run = test::RunProgram(program, "--version", dir,
                                        "env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb");
    EXPECT_EQ(run.status, 0) << program << ": " << run.err;
    EXPECT_EQ(run.out, std::string(program) + " " + VANTORA_VERSION + "\n") << program;
  }
}

}  // namespace
}  // namespace vantora
