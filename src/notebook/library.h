// The documents library (reference documents copied into one folder and
// opened from the application) and the templates folder the notebook reads.
#pragma once

#include <string>
#include <vector>

namespace vantora {

// "Directories"/"Documents" and "Directories"/"Templates".
std::string DocumentsFolder();
std::string TemplatesFolder();

// Creates the documents folder when missing, then lists the names (with
// extension) of its files that are neither folders nor system files. An empty
// or unusable folder setting lists nothing.
std::vector<std::string> ListDocuments(const std::string& folder);

// The five lines shown instead of an empty documents list.
const std::vector<std::string>& NoDocumentsHint();

// Copies `source` into `folder` under its own file name, replacing a file of
// that name. False when the copy failed (`failure` as for CopyFileTo; empty
// when no folder is set).
bool CopyIntoFolder(const std::string& source, const std::string& folder,
                    std::string* failure = nullptr);

// Titles (name cut before its first dot) of the files folder + "*." + `ext`
// that are neither folders nor system files.
std::vector<std::string> ListTemplates(const std::string& folder, const std::string& ext);

// The three lines shown when no template was found.
std::vector<std::string> NoTemplatesHint(const std::string& folder);

}  // namespace vantora
