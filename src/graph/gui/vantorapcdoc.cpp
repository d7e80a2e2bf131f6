#include "graph/gui/vantorapcdoc.h"

#include "common/gui/framework.h"
#include "common/logdata.h"
#include "common/pathutil.h"
#include "common/platform.h"
#include "common/profile.h"
#include "graph/gui/graphprofile.h"

namespace vantora {

const char* const kGraphDocString =
    "\nGraph\nGraph\nGraph files (*.vtg)\n.vtg\nHalvorn.Graph\nHalvorn Graph File";

CVantoraPCDoc::CVantoraPCDoc() { graph::LoadGraphSettings(core_.settings); }

CVantoraPCDoc::~CVantoraPCDoc() { graph::SaveGraphSettings(core_.settings); }

int CVantoraPCDoc::BuildGraph(const CLogData* log, const graph::GraphSettings* settings,
                              const exposure::LimitSet* limits) {
  int omitted = 0;
  if (!core_.BuildGraph(log, settings, &omitted, limits)) return -1;
  sourceFolder_ = SplitPath(log->path).first;
  SetModifiedFlag(true);
  UpdateAllViews();
  return omitted;
}

std::string CVantoraPCDoc::ProposedSavePath() const {
  if (!GetPathName().empty() || sourceFolder_.empty()) return CDocument::ProposedSavePath();
  return sourceFolder_ + GetTitle() + ".vtg";
}

std::string CVantoraPCDoc::ProposedImagePath(const std::string& ext) const {
  auto [folder, name] = SplitPath(ProposedSavePath());
  if (name.empty()) name = GetTitle();
  const auto dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  if (folder.empty()) folder = WithTrailingSeparator(Profile::GetString("Directories", "Graphics"));
  return folder + name + "." + ext;
}

bool CVantoraPCDoc::OnNewDocument() {
  if (!CDocument::OnNewDocument()) return false;
  core_.OnNewDocument();
  return true;
}

bool CVantoraPCDoc::OnOpenDocument(const std::string& path) {
  std::string detail;
  switch (graph::LoadGraphFile(path, core_, detail)) {
    case graph::GraphFileResult::Ok: return true;
    case graph::GraphFileResult::OlderVersion:
      AfxMessageBox(graph::kTextOlderGraphFile, MsgIcon::Exclamation);
      return false;
    case graph::GraphFileResult::NotGraphFile:
      AfxMessageBox(graph::NotGraphFileText(path), MsgIcon::Exclamation);
      return false;
    case graph::GraphFileResult::Damaged:
      AfxMessageBox(graph::DamagedGraphFileText(path), MsgIcon::Exclamation);
      return false;
    default:
      AfxMessageBox("The graph file " + path + " can not be opened" +
                        (detail.empty() ? std::string(".") : ": " + detail + "."),
                    MsgIcon::Exclamation);
      return false;
  }
}

void ShowGraphSaveFailure(const std::string& path, const std::string& detail) {
  AfxMessageBox("The graph could not be saved to " + path +
                    (detail.empty() ? std::string(".") : ": " + detail + "."),
                MsgIcon::Exclamation);
}

bool CVantoraPCDoc::OnSaveDocument(const std::string& path) {
  std::string detail;
  if (graph::SaveGraphFile(path, core_, detail) == graph::GraphFileResult::Ok) return true;
  ShowGraphSaveFailure(path, detail);
  return false;
}

}  // namespace vantora
