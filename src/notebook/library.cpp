#include "notebook/library.h"

#include "common/pathutil.h"
#include "common/profile.h"
#include "notebook/filesearch.h"

namespace vantora {

std::string DocumentsFolder() { return Profile::GetString("Directories", "Documents", ""); }

std::string TemplatesFolder() { return Profile::GetString("Directories", "Templates", ""); }

std::vector<std::string> ListDocuments(const std::string& folder) {
  if (folder.empty()) return {};
  MakeDirectoryPath(folder);
  return FindFiles(WithTrailingSeparator(folder) + "*.*", true);
}

const std::vector<std::string>& NoDocumentsHint() {
  static const std::vector<std::string> hint = {"No documents loaded.", " ",
                                                "Use the GET DOCUMENTS button to",
                                                "select desired Documents from", "your computer."};
  return hint;
}

bool CopyIntoFolder(const std::string& source, const std::string& folder, std::string* failure) {
  if (failure) failure->clear();
  if (folder.empty() || source.empty()) return false;
  return CopyFileTo(source, JoinPath(folder, SplitPath(source).second), true, failure);
}

std::vector<std::string> ListTemplates(const std::string& folder, const std::string& ext) {
  std::vector<std::string> titles;
  if (folder.empty() || ext.empty()) return titles;
  for (const auto& name : FindFiles(WithTrailingSeparator(folder) + "*." + ext, true))
    titles.push_back(FileTitle(name).first);
  return titles;
}

std::vector<std::string> NoTemplatesHint(const std::string& folder) {
  return {"Templates not available.", "Place templates in:", folder};
}

}  // namespace vantora
