// Path and text-file helpers shared by both programs.
//
// Paths are byte strings (single-byte Windows-1252 text). Both '\' and '/'
// separate folders; folders keep the separator they were written with.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

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
// leading folders and the file's extension, with "... " in front when cut.
std::string AbbreviatePath(const std::string& path, int limit);

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

// Replaces the file with `text`. The new contents are written beside the old
// file and then moved over it, so a failed write never destroys the old one.
// A read-only file is replaced like any other.
bool WriteTextFile(const std::string& path, const std::string& text);

// The same for contents given in pieces, written one after the other.
bool WriteFilePieces(const std::string& path, const std::vector<std::string_view>& pieces);

// Creates every folder level of `path` (a trailing name counts as a folder),
// ignoring levels that exist or cannot be made.
void MakeDirectoryPath(const std::string& path);

}  // namespace vantora
