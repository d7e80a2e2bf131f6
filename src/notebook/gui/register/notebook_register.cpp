// Start-up wiring of the notebook: the desktop launcher, the Notebook and
// Documents commands, and the location view's note pickers.
#include "common/gui/framework.h"
#include "location/gui/vantoralogdoc.h"
#include "location/gui/vantoralogview.h"
#include "notebook/gui/documentsdialog.h"
#include "notebook/gui/notebookgui.h"

namespace vantora {
namespace {

const bool registered = [] {
  InstallNotebookGui();
  RegisterCommand("CVantoraLogDoc", ID_FILE_NOTEBOOK, [](CommandContext& c) {
    auto* doc = dynamic_cast<CVantoraLogDoc*>(c.doc);
    if (!doc) return;
    RunNotebookDialog(doc->notebook, doc->GetPathName(), AfxGetMainWnd());
    doc->UpdateAllViews();
  });
  RegisterCommand(kAppScope, ID_FILE_DOCUMENTS, [](CommandContext&) {
    DocumentsDialog dialog(AfxGetMainWnd());
    dialog.exec();
  });
  CVantoraLogView::SetNotePicker([](CVantoraLogView& view, NoteKind kind) {
    auto* doc = dynamic_cast<CVantoraLogDoc*>(view.GetDocument());
    if (!doc) return;
    if (ShowAttachedNotes(doc->notebook, kind, &view)) doc->UpdateAllViews();
  });
  return true;
}();

}  // namespace
}  // namespace vantora
