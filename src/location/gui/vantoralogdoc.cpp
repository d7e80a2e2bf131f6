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
  // A header that cannot be read gives no document: nothing is remembered and
  // no statistics file is written.
  auto file = std::make_unique<CLogFile>(path, true);
  if (file->Problem() != LocationProblem::None) {
    AfxMessageBox(CannotOpenMessage(path, file->Problem()), MsgIcon::Exclamation);
    return false;
  }
  if (!CDocument::OnOpenDocument(path)) return false;
  logData.reset();
  Profile::WriteString("Directories", "Data", SplitPath(path).first);
  const CLogFile& log = *file;
  logData = std::move(file);
  notebook.SetLocation(path);
  {
    CWaitCursor wait;
    // A statistics file that cannot be written is not reported.
    WriteTextFile(StatisticsFilePath(path), StatisticsText(*logData));
  }
  // The statistics read every record: one warning names what is missing or
  // damaged.
  std::string warning;
  if (log.MissingRecordCount() > 0)
    warning = MissingRecordsMessage(path, log.RecordCount(), log.HeaderRecordCount());
  if (log.BadRecordCount() > 0) {
    if (!warning.empty()) warning += "\n\n";
    warning += BadRecordsMessage(path, log.BadRecordCount());
  }
  if (!warning.empty()) AfxMessageBox(warning, MsgIcon::Exclamation);
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
