#include "location/gui/vantoralogdoc.h"

#include "common/logfile.h"
#include "common/pathutil.h"
#include "common/profile.h"
#include "location/statistics.h"

namespace vantora {

CVantoraLogDoc::CVantoraLogDoc() = default;

CVantoraLogDoc::~CVantoraLogDoc() {
  logData.reset();
  notebook.Reset();
}

bool CVantoraLogDoc::OnOpenDocument(const std::string& path) {
  if (!CDocument::OnOpenDocument(path)) return false;
  logData.reset();
  Profile::WriteString("Directories", "Data", SplitPath(path).first);
  logData = std::make_unique<CLogFile>(path, true);
  notebook.SetLocation(path);
  {
    CWaitCursor wait;
    // A statistics file that cannot be written is not reported.
    WriteTextFile(StatisticsFilePath(path), StatisticsText(*logData));
  }
  return true;
}

bool CVantoraLogDoc::OnNewDocument() {
  notebook.Reset();
  return CDocument::OnNewDocument();
}

void CVantoraLogDoc::OnCloseDocument() {
  logData.reset();
  notebook.Reset();
  CDocument::OnCloseDocument();
}

}  // namespace vantora
