// The document of a location file: its CLogData (the file stays open for the
// life of the document, records are read on demand) and its Notebook. Every
// open writes the location's statistics file.
#pragma once

#include <memory>
#include <string>

#include "common/gui/framework.h"
#include "common/logdata.h"
#include "notebook/notebook.h"

namespace vantora {

class CVantoraLogDoc : public CDocument {
  Q_OBJECT
 public:
  CVantoraLogDoc();
  ~CVantoraLogDoc() override;
  const char* ClassName() const override { return "CVantoraLogDoc"; }

  bool OnOpenDocument(const std::string& path) override;
  bool OnNewDocument() override;
  void OnCloseDocument() override;

  CLogData* LogData() const { return logData.get(); }

  std::unique_ptr<CLogData> logData;
  Notebook notebook;
};

}  // namespace vantora
