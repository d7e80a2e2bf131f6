// File helpers of the notebook: wildcard search of a folder in the manner of
// the Windows file finder ('*' and '?' in the file-name part, letters compared
// without regard to case, a trailing ".*" also matching names without an
// extension), system files, and copies.
#pragma once

#include <string>
#include <vector>

namespace vantora {

// True when `name` matches the wildcard `pattern` (file names only).
bool WildcardMatch(const std::string& pattern, const std::string& name);

// Names (not paths) of the regular files matching `pathPattern` (a folder and
// a name pattern, e.g. "C:\Site\Room 4*.rtf"), sorted without regard to case.
// With `skipSystem` set, system files (IsSystemFile) are left out.
std::vector<std::string> FindFiles(const std::string& pathPattern, bool skipSystem = false);

// A file the user should not see in a document list: on Windows the system
// attribute; elsewhere hidden dot-files and the desktop's folder settings
// files ("desktop.ini", "Thumbs.db", ".DS_Store").
bool IsSystemFile(const std::string& path);

// Copies `from` to `to` through a FileWriter: the target appears whole or
// not at all and takes the source's permission bits. With `overwrite` an
// existing target (even a read-only one) is replaced; without it an existing
// target fails the copy. `failure` receives the line naming the file that
// could not be read or written and the system's reason (WriteFailureLine).
bool CopyFileTo(const std::string& from, const std::string& to, bool overwrite,
                std::string* failure = nullptr);

}  // namespace vantora
