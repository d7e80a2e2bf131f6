// Path and text-file helpers shared by both programs.
//
// Paths are byte strings (single-byte Windows-1252 text). Both '\' and '/'
// separate folders; folders keep the separator they were written with.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/platform.h"

namespace vantora {

#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

inline bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }

// Index of the last separator in `path`, or npos.
std::string::size_type LastSeparator(const std::string& path);

// Splits at the last separator: folder (with its separator) and file name.
// Without a separator the folder is empty and the name is the whole path.
std::pair<std::string, std::string> SplitPath(const std::string& path);

// Splits a file name at its first dot (when that dot is not the first
// character): title and extension (with the dot). Only the file-name part of
// the argument is searched for the dot; a folder in front is kept in the title.
std::pair<std::string, std::string> FileTitle(const std::string& name);

// Name of the last folder of `folder` ("C:\Data\Site1\" gives "Site1",
// "C:\" gives "C:"). A last component with a dot is taken for a file name.
std::string ParentFolderName(const std::string& folder);

// Shortens a path for display to about `limit` characters (11-100), dropping
// leading folders and (unless `keepExtension`) the file's extension, with
// "... " in front when cut.
std::string AbbreviatePath(const std::string& path, int limit, bool keepExtension = false);

// `path` cut before the first dot of its file name ("C:\Site.2005\Loc1.loc"
// gives "C:\Site.2005\Loc1").
std::string PathWithoutExtension(const std::string& path);

// The stem that a location's companion files are named from: the path less
// its last four characters (".loc"). A path whose file name does not end in a
// dot and three characters is kept whole, so that a companion file never
// lands outside the location's folder or on another file's name.
std::string LocationBase(const std::string& locationPath);

// Appends a separator when `folder` is not empty and has none at its end.
std::string WithTrailingSeparator(std::string folder);

// Joins folder and name with one separator.
std::string JoinPath(const std::string& folder, const std::string& name);

// Converts separators to the platform's own.
std::string NativeSeparators(std::string path);

bool FileExists(const std::string& path);
bool FileIsEmpty(const std::string& path);
bool DirectoryExists(const std::string& path);

// Reads the whole file, ending at the first zero byte. True when at least one
// byte was read.
bool ReadTextFile(const std::string& path, std::string& text);

// Writes a file in one piece as far as readers can tell: the contents go to a
// private scratch file "<target>.<random>.vtmp" in the target's folder, which
// Commit() moves over the target. Until then the target is untouched; a
// failed or abandoned write removes the scratch, and so does a signal that
// ends the program (RemoveScratchFilesOnSignals). The new file keeps the
// replaced file's permission bits (a read-only file is replaced like any
// other). Of two writers to one target the last to commit wins whole.
class FileWriter {
 public:
  explicit FileWriter(std::string target);
  ~FileWriter();
  FileWriter(const FileWriter&) = delete;
  FileWriter& operator=(const FileWriter&) = delete;

  // Creates the scratch file. False when the target is a folder or the
  // scratch cannot be created.
  bool Open();
  bool IsOpen() const { return open_; }
  // False once any write has failed (later writes are ignored).
  bool Write(std::string_view data);
  // Moves the complete scratch over the target. False (scratch removed, target
  // untouched) when anything failed.
  bool Commit();
  // Gives the complete scratch the name `path` (a new file's permission bits)
  // unless that name exists. On Exists the scratch stays, to try another name;
  // on Failed it is removed.
  MoveResult CommitWithoutReplacing(const std::string& path);
  // Removes the scratch; the target stays as it was.
  void Discard();
  const std::string& ScratchPath() const { return scratch_; }
  // The operating system's error number of the first failure (0: none, or
  // none known).
  int Error() const { return error_; }
  // The system's reason for that failure ("No space left on device").
  std::string ErrorText() const;

 private:
  bool Flush();
  void NoteError(int error);

  std::string target_;
  std::string scratch_;
  std::unique_ptr<PlatformFile> file_;
  RemoveOnSignal removal_;
  std::string buffer_;
  std::int64_t offset_ = 0;
  bool open_ = false;
  bool failed_ = false;
  int error_ = 0;
};

// Replaces the file with `text` through a FileWriter. `error` receives the
// operating system's error number of a failure.
bool WriteTextFile(const std::string& path, const std::string& text, int* error = nullptr);

// The same for contents given in pieces, written one after the other.
// `error` receives the operating system's error number of a failure.
bool WriteFilePieces(const std::string& path, const std::vector<std::string_view>& pieces,
                     int* error = nullptr);

// The system's reason for a failed write ("No space left on device"); an
// unknown error (0) reads "the file could not be written".
std::string WriteErrorText(int error);
// The line naming a file that could not be written and that reason,
// "<path>: <reason>" ("C:\Site.csv: No space left on device").
std::string WriteFailureLine(const std::string& path, int error);
// `message` with that line under it.
std::string WithWriteFailure(const std::string& message, const std::string& path, int error);

// True for a file name ending in ".loc" (any letter case).
bool IsLocationName(const std::string& path);

// The message for an output that would replace a location file.
extern const char* const kLocationOutputRefused;

// True when a text, table, image or PDF output written to `output` would
// replace a location: a ".loc" name, or the same file as one of `inputs`.
bool RefusesOutput(const std::string& output, const std::vector<std::string>& inputs = {});
// kLocationOutputRefused naming the refused output.
std::string LocationOutputRefusedMessage(const std::string& output);

// Creates every folder level of `path` (a trailing name counts as a folder),
// ignoring levels that exist or cannot be made.
void MakeDirectoryPath(const std::string& path);

}  // namespace vantora
