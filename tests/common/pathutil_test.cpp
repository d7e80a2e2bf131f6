#include "common/pathutil.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>

#include "common/codepage.h"
#include "common/platform.h"
#include "support/filesizelimit.h"
#include "support/locbytes.h"

namespace vantora {
namespace {

TEST(PathSplit, SplitsAtLastSeparatorOfEitherKind) {
  EXPECT_EQ(SplitPath("C:\\Data\\Site1\\Loc1.loc"),
            std::make_pair(std::string("C:\\Data\\Site1\\"), std::string("Loc1.loc")));
  EXPECT_EQ(SplitPath("/home/u/site/Loc1.loc"),
            std::make_pair(std::string("/home/u/site/"), std::string("Loc1.loc")));
  EXPECT_EQ(SplitPath("C:\\Data/Loc1.loc").first, "C:\\Data/");
  EXPECT_EQ(SplitPath("Loc1.loc"), std::make_pair(std::string(), std::string("Loc1.loc")));
}

TEST(PathSplit, FileTitleCutsAtFirstDotOfTheFileNameOnly) {
  EXPECT_EQ(FileTitle("Loc1.loc"), std::make_pair(std::string("Loc1"), std::string(".loc")));
  EXPECT_EQ(FileTitle("Room.4.loc"), std::make_pair(std::string("Room"), std::string(".4.loc")));
  // A leading dot is no extension.
  EXPECT_EQ(FileTitle(".hidden"), std::make_pair(std::string(".hidden"), std::string()));
  EXPECT_EQ(FileTitle("noext"), std::make_pair(std::string("noext"), std::string()));
  // Dots in folder names never count.
  EXPECT_EQ(FileTitle("C:\\Site.2005\\Loc1.loc").first, "C:\\Site.2005\\Loc1");
  EXPECT_EQ(PathWithoutExtension("/home/u/.config/site/Loc1.loc"), "/home/u/.config/site/Loc1");
  EXPECT_EQ(PathWithoutExtension("/home/u/.config/site/noext"), "/home/u/.config/site/noext");
}

TEST(PathSplit, ParentFolderName) {
  EXPECT_EQ(ParentFolderName("C:\\Data\\Site1\\"), "Site1");
  EXPECT_EQ(ParentFolderName("C:\\Data\\Site1"), "Site1");
  EXPECT_EQ(ParentFolderName("C:\\"), "C:");
  EXPECT_EQ(ParentFolderName("/home/u/sites/Plant A/"), "Plant A");
  EXPECT_EQ(ParentFolderName("/home/u/.cache/Site1/"), "Site1");
  // A folder whose own name holds a dot is still a folder when it ends in a separator.
  EXPECT_EQ(ParentFolderName("/home/u/Site.2005/"), "Site.2005");
  EXPECT_EQ(ParentFolderName("Loc1"), "Loc1");
  EXPECT_EQ(ParentFolderName("\\Site\\"), "Site");
}

TEST(PathSplit, AbbreviatePath) {
  EXPECT_EQ(AbbreviatePath("C:\\Sites\\Plant\\Room 4.loc", 20), "... Plant\\Room 4");
  EXPECT_EQ(AbbreviatePath("C:\\A\\b.loc", 20), "C:\\A\\b");
  EXPECT_EQ(AbbreviatePath("short", 20), "short");
  // Kept extensions (the recent-file list): the same folders go.
  EXPECT_EQ(AbbreviatePath("C:\\Sites\\Plant\\Room 4.loc", 20, true), "... Plant\\Room 4.loc");
  EXPECT_EQ(AbbreviatePath("/s/Site.2005/Room.4.vtg", 30, true), "/s/Site.2005/Room.4.vtg");
  // The limit is clamped to 11-100.
  EXPECT_EQ(AbbreviatePath("C:\\Sites\\Plant\\Room 4.loc", 1), "... Room 4");
  // A dot in a folder that survives is not taken for the extension.
  EXPECT_EQ(AbbreviatePath("/home/u/.sites/Plant/Room 4.loc", 30),
            "... home/u/.sites/Plant/Room 4");
  EXPECT_EQ(AbbreviatePath("/x/.sites/Plant/R.loc", 11), "... Plant/R");
}

TEST(TextFiles, ReadStopsAtZeroAndReportsEmptyFiles) {
  test::TempDir dir;
  auto path = dir.File("a.txt");
  test::WriteBytes(path, {'a', 'b', 0, 'c'});
  std::string text;
  EXPECT_TRUE(ReadTextFile(path, text));
  EXPECT_EQ(text, "ab");
  test::WriteBytes(path, {});
  EXPECT_FALSE(ReadTextFile(path, text));
  EXPECT_TRUE(FileIsEmpty(path));
  EXPECT_TRUE(FileExists(path));
  EXPECT_FALSE(ReadTextFile(dir.File("missing.txt"), text));
  EXPECT_FALSE(FileExists(dir.File("missing.txt")));
  EXPECT_FALSE(FileExists(dir.path()));
}

TEST(TextFiles, WriteReplacesReadOnlyFilesAndLeavesNoScratch) {
  test::TempDir dir;
  auto path = dir.File("stats.txt");
  ASSERT_TRUE(WriteTextFile(path, "old\r\n"));
  std::filesystem::permissions(path, std::filesystem::perms::owner_read);
  ASSERT_TRUE(WriteTextFile(path, "new\r\n"));
  EXPECT_EQ(test::ReadAll(path), "new\r\n");
  int files = 0;
  for (auto& e : std::filesystem::directory_iterator(dir.path())) {
    (void)e;
    ++files;
  }
  EXPECT_EQ(files, 1);
}

TEST(TextFiles, FailedWriteKeepsTheOldFile) {
  test::TempDir dir;
  auto path = dir.File("keep.txt");
  ASSERT_TRUE(WriteTextFile(path, "precious"));
  // A folder in the way of the new file's name: writing into a missing folder fails.
  EXPECT_FALSE(WriteTextFile(dir.File("missing/keep.txt"), "x"));
  EXPECT_FALSE(WriteTextFile(dir.path(), "x"));
  EXPECT_EQ(test::ReadAll(path), "precious");
}

namespace fs = std::filesystem;

int EntryCount(const std::string& folder) {
  int n = 0;
  for (auto it = fs::directory_iterator(folder); it != fs::directory_iterator(); ++it) ++n;
  return n;
}

unsigned ModeBits(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777u : 0u;
}

TEST(FileWriterTest, ALeftoverScratchNameOrLinkIsNeverWrittenThrough) {
  test::TempDir dir;
  const std::string out = dir.File("out.csv"), victim = dir.File("victim.txt");
  test::WriteBytes(victim, {'k', 'e', 'e', 'p'});
  fs::create_symlink(victim, out + ".vtmp");
  ASSERT_TRUE(WriteTextFile(out, "new"));
  EXPECT_EQ(test::ReadAll(out), "new");
  EXPECT_EQ(test::ReadAll(victim), "keep");
  EXPECT_TRUE(fs::is_symlink(out + ".vtmp"));
  // A name near the file system's limit still has room for its scratch file.
  EXPECT_TRUE(WriteTextFile(dir.File(std::string(250, 'n')), "x"));
}

TEST(FileWriterTest, ConcurrentWritersUsePrivateScratchesAndTheLastWinsWhole) {
  test::TempDir dir;
  const std::string out = dir.File("table.csv");
  FileWriter first(out), second(out);
  ASSERT_TRUE(first.Open());
  ASSERT_TRUE(second.Open());
  EXPECT_NE(first.ScratchPath(), second.ScratchPath());
  EXPECT_EQ(SplitPath(first.ScratchPath()).first, SplitPath(out).first);
  EXPECT_EQ(ModeBits(first.ScratchPath()), 0600u);
  const std::string big(300000, 'a');
  ASSERT_TRUE(first.Write(big));
  ASSERT_TRUE(second.Write("short"));
  ASSERT_TRUE(second.Commit());
  EXPECT_EQ(test::ReadAll(out), "short");
  ASSERT_TRUE(first.Commit());
  EXPECT_EQ(test::ReadAll(out), big);
  EXPECT_EQ(EntryCount(dir.path()), 1);
  // An abandoned writer leaves nothing and the file as it was.
  {
    FileWriter abandoned(out);
    ASSERT_TRUE(abandoned.Open());
    abandoned.Write("half");
  }
  EXPECT_EQ(test::ReadAll(out), big);
  EXPECT_EQ(EntryCount(dir.path()), 1);
}

TEST(FileWriterTest, ReplacingKeepsThePermissionBits) {
  test::TempDir dir;
  const std::string readOnly = dir.File("ro.txt"), group = dir.File("group.txt");
  ASSERT_TRUE(WriteTextFile(readOnly, "old"));
  ASSERT_TRUE(WriteTextFile(group, "old"));
  ::chmod(readOnly.c_str(), 0444);
  ::chmod(group.c_str(), 0640);
  ASSERT_TRUE(WriteTextFile(readOnly, "new"));
  ASSERT_TRUE(WriteTextFile(group, "new"));
  EXPECT_EQ(test::ReadAll(readOnly), "new");
  EXPECT_EQ(ModeBits(readOnly), 0444u);
  EXPECT_EQ(ModeBits(group), 0640u);
  // A new file gets what the umask leaves of 0666.
  const mode_t mask = ::umask(027);
  const bool written = WriteTextFile(dir.File("new.txt"), "x");
  ::umask(mask);
  ASSERT_TRUE(written);
  EXPECT_EQ(ModeBits(dir.File("new.txt")), 0640u);
}

TEST(FileWriterTest, AWriteCutByTheFileSizeLimitKeepsTheOldFileAndNoScratch) {
  test::TempDir dir;
  const std::string out = dir.File("stats.txt");
  ASSERT_TRUE(WriteTextFile(out, "old"));
  {
    test::FileSizeLimit limit(1000);
    EXPECT_FALSE(WriteTextFile(out, std::string(200000, 'x')));
    int error = 0;
    EXPECT_FALSE(WriteFilePieces(out, {"abc", std::string_view(std::string(5000, 'y'))}, &error));
    EXPECT_EQ(WriteFailureLine(out, error), out + ": File too large");
  }
  EXPECT_EQ(test::ReadAll(out), "old");
  EXPECT_EQ(EntryCount(dir.path()), 1);
  int error = 0;
  EXPECT_FALSE(WriteTextFile(dir.File("gone/stats.txt"), "x", &error));
  EXPECT_EQ(WriteErrorText(error), "No such file or directory");
}

// A signal that ends the program removes the open scratch file and a kept
// folder with its files, then ends it as the signal would; an ignored signal
// stays ignored.
TEST(FileWriterTest, ASignalRemovesTheScratchFilesAndEndsTheProgram) {
  test::TempDir dir;
  const std::string folder = dir.File("dumps");
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
    const pid_t pid = fork();
    if (pid == 0) {
      RemoveScratchFilesOnSignals();
      RemoveOnSignal kept;
      kept.Begin(folder, true);
      std::filesystem::create_directory(folder);
      kept.End(true);
      WriteTextFile(folder + "/log.dmp", "dump");
      FileWriter writer(dir.File("table.csv"));
      if (!writer.Open() || !writer.Write("partial")) _exit(2);
      raise(sig);
      _exit(3);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << status;
    EXPECT_EQ(WTERMSIG(status), sig);
    EXPECT_EQ(EntryCount(dir.path()), 0);
  }
  const pid_t pid = fork();
  if (pid == 0) {
    signal(SIGHUP, SIG_IGN);
    RemoveScratchFilesOnSignals();
    raise(SIGHUP);
    _exit(0);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

TEST(OutputChecks, LocationNamesAndTheInputsThemselvesAreRefused) {
  test::TempDir dir;
  const std::string loc = dir.File("Room.loc");
  test::WriteBytes(loc, {1, 2, 3});
  EXPECT_TRUE(RefusesOutput(dir.File("x.LOC")));
  EXPECT_TRUE(RefusesOutput("C:\\data\\x.Loc"));
  EXPECT_FALSE(RefusesOutput(dir.File("x.loc.csv"), {loc}));
  EXPECT_FALSE(RefusesOutput(dir.File("missing.csv"), {loc}));
  // The same file by another spelling or another name (a hard link).
  fs::create_directory(dir.File("sub"));
  ASSERT_EQ(::link(loc.c_str(), dir.File("copy.csv").c_str()), 0);
  EXPECT_TRUE(RefusesOutput(dir.File("sub/../copy.csv"), {dir.File("other.loc"), loc}));
  test::WriteBytes(dir.File("plain.csv"), {1, 2, 3});
  EXPECT_FALSE(RefusesOutput(dir.File("plain.csv"), {loc}));
  EXPECT_EQ(LocationOutputRefusedMessage("a.loc"),
            "A location file cannot be replaced by an export or report. Choose another name. "
            "(a.loc)");
}

TEST(TextFiles, APipeIsNotReadAndDoesNotWait) {
  test::TempDir dir;
  const std::string pipe = dir.File("notes.txt");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  std::string text = "unchanged";
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(ReadTextFile(pipe, text));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  EXPECT_TRUE(text.empty());
  PlatformFile file;
  EXPECT_FALSE(file.OpenRead(pipe));
}

TEST(TextFiles, MakeDirectoryPathCreatesEveryLevel) {
  test::TempDir dir;
  MakeDirectoryPath(dir.path() + "/a/b\\c");
  EXPECT_TRUE(DirectoryExists(dir.path() + "/a/b/c"));
  MakeDirectoryPath(dir.path() + "/a/b/c/");  // existing levels are fine
  EXPECT_TRUE(DirectoryExists(dir.path() + "/a/b/c"));
}

TEST(TextFiles, Cp1252NamesReachTheFileSystemAsUtf8) {
  test::TempDir dir;
  std::string name =
      "B\xFCro \xB0"
      "C.txt";  // "Büro °C.txt" in Windows-1252
  ASSERT_TRUE(WriteTextFile(dir.path() + "/" + name, "x"));
  EXPECT_TRUE(std::filesystem::exists(dir.path() + "/B\xC3\xBCro \xC2\xB0"
                                                   "C.txt"));
  EXPECT_TRUE(FileExists(dir.path() + "/" + name));
}

TEST(CodePage, RoundTripsEveryDefinedByte) {
  std::string all;
  for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
  EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
  EXPECT_EQ(Cp1252ToUtf8("\x80"), "\xE2\x82\xAC");  // euro sign
  EXPECT_EQ(Utf8ToCp1252("\xE4\xB8\xAD"), "?");     // no Windows-1252 form
}

}  // namespace
}  // namespace vantora
