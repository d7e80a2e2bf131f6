// The widget side of the notebook, for the application and the location view:
//
//   InstallNotebookGui()      once at start-up: notes open through the desktop
//                             (shell handlers, the paint program, the Events
//                             and Audit File dialogs, message boxes, the file
//                             chooser); the cipher's message box; the screen's
//                             depth for rendered drawings. (Done by
//                             notebook/gui/register/, which also registers the
//                             Notebook (32786) and Documents (32816) commands
//                             and the view's note pickers.)
//   RunNotebookDialog()       the location document's "Notebook" command.
//   ShowAttachedNotes()       the "Attached templates:" / "Attached results:"
//                             picker behind the panel's icons 163 and 140.
#pragma once

#include <string>
#include <vector>

#include "notebook/notebook.h"

class QWidget;

namespace vantora {

void InstallNotebookGui();

// Shows the Notebook dialog for `locationPath`. When it ends with "Edit" or
// "Create" (1037), `notebook` is set to the location, takes the dialog's
// template name and opens the chosen kind's note; true then. The caller then
// refreshes its views.
bool RunNotebookDialog(Notebook& notebook, const std::string& locationPath, QWidget* parent);

// The picker over ListNotesOfKind(kind) (kind Template or Results) with the
// caption "Attached templates:" or "Attached results:"; on "View" the chosen
// name becomes the template name and that note is opened. True when a note
// was opened.
bool ShowAttachedNotes(Notebook& notebook, NoteKind kind, QWidget* parent);

// The picker alone: a caption, names in order, "View" enabled once an entry is
// selected. True with `chosen` set when "View" was pressed.
bool PickAttachedNote(QWidget* parent, const std::string& caption,
                      const std::vector<std::string>& names, std::string& chosen);

}  // namespace vantora
