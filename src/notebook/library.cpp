#include "notebook/library.h"

#include <filesystem>
#include <system_error>

#include "common/pathutil.h"
#include "common/platform.h"
#include "common/profile.h"
#include "notebook/filesearch.h"

namespace vantora {

namespace fs = std::filesystem;

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

bool CopyIntoFolder(const std::string& source, const std::string& folder) {
  if (folder.empty() || source.empty()) return false;
  std::string target = JoinPath(folder, SplitPath(source).second);
  std::error_code ec;
  auto native = NativePath(target);
  if (fs::exists(native, ec))
    fs::permissions(native, fs::perms::owner_write, fs::perm_options::add, ec);
  ec.clear();
  fs::copy_file(NativePath(source), native, fs::copy_options::overwrite_existing, ec);
  return !ec;
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
