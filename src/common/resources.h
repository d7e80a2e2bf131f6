// Files that ship with the programs: the compound list, the blank drawing,
// the help and support pages and the templates. A build tree (and a copy of
// the programs in one folder, as on Windows) keeps them beside the
// executables; an installed layout keeps them in <prefix>/share/vantorapc/
// beside <prefix>/bin/.
#pragma once

#include <string>

namespace vantora {

// Where `name` (a file or folder; "/" separates its parts) ships for a
// program in `programFolder`: beside the program when it is there, else in
// programFolder + "../share/vantorapc/" when it is there, else the path
// beside the program (the place a message about a missing file names).
std::string ShippedFile(const std::string& programFolder, const std::string& name);

// The same for the running program: ProgramDirectory() (the "Directories"/
// "Program" setting or the program's own folder).
std::string ShippedFile(const std::string& name);

// True when the program in `programFolder` runs from an installed layout:
// the compound list is not beside it but in ../share/vantorapc/.
bool InstalledLayout(const std::string& programFolder);

// True when a file can be created in `folder`.
bool FolderIsWritable(const std::string& folder);

// Copies each shipped template (the files of the shipped "templates" folder
// of a program in `programFolder`) that `folder` lacks into it; files of the
// same name already there are left alone. Returns the number copied.
int SeedTemplates(const std::string& programFolder, const std::string& folder);

}  // namespace vantora
