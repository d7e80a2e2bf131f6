// The notebook of a location: the companion files beside a location file
// (text, calibration, template and result reports, audio, drawing, statistics,
// events, attached files and photos, the audit file). A note exists exactly
// when its file exists; nothing is cached.
//
// Operations that start programs or show dialogs go through the installed
// ShellLauncher (notebook/shelllauncher.h), so this core stays widget-free.
#pragma once

#include <string>
#include <vector>

namespace vantora {

enum class NoteKind : int {
  None = 0,
  Text = 1,
  Cal = 2,
  Template = 3,
  Audio = 4,
  Drawing = 5,
  Results = 6,
  Statistics = 7,
  Event = 8,
  CustomNote = 9,
  Photo = 10,
  Audit = 11,
};

// Bitmap numbers of the readings panel's note icons; the panel reports them as
// hot-spot values when an icon is clicked.
constexpr int kIconText = 135;
constexpr int kIconCal = 162;
constexpr int kIconTemplates = 163;  // opens the attached-templates picker
constexpr int kIconAudio = 136;
constexpr int kIconDrawing = 137;
constexpr int kIconResults = 140;  // opens the attached-results picker
constexpr int kIconStatistics = 127;
constexpr int kIconEvent = 205;
constexpr int kIconCustomNote = 203;
constexpr int kIconPhoto = 165;
constexpr int kIconAudit = 167;

// The panel's icon of a kind (0 for None or an unknown kind).
int NoteIconBitmap(NoteKind kind);

// What a click on an icon does.
enum class NoteIconAction { None, OpenNote, TemplatesPicker, ResultsPicker };
// For OpenNote, `kind` receives the note kind to open.
NoteIconAction NoteIconActionOf(int bitmap, NoteKind& kind);

// One icon of the panel's row, in the order the panel lays them out (it draws
// them right-aligned, from right to left, in this order): Text, Cal,
// templates, Audio, Drawing, Statistics, results, Event, Custom Note, Photo,
// Audit. `anyOfKind`: the icon shows when AnyNoteOfKind(kind) is true (the
// templates and results icons); otherwise when HasNote(kind) is true.
struct NoteIcon {
  NoteKind kind;
  int bitmap;
  bool anyOfKind;
};
const std::vector<NoteIcon>& PanelNoteIcons();

// The kind's name in the Notebook list ("Text", "Templates", "Custom Note"
// ...); empty for kinds the list does not show.
std::string NoteKindListName(NoteKind kind);

// Suffix and extension of the statistics note: base + "_stats" + ".txt".
constexpr const char* kStatisticsSuffix = "_stats";

class Notebook {
 public:
  // Reads the paint program from the profile ("Directories"/"MSPaint").
  Notebook();
  virtual ~Notebook();

  // Points the notebook at a location file (empty: none). Empties the template
  // name, reads the template extension ("Report"/"Ext", default "rtf") and
  // renders a waiting point drawing (".drw") into the drawing note (unless
  // `convertDrawing` is off, for read-only listings).
  void SetLocation(const std::string& path, bool convertDrawing = true);
  // Back to no location.
  void Reset();
  void SetTemplateName(const std::string& name) { templateName_ = name; }

  bool HasLocation() const { return hasLocation_; }
  const std::string& LocationPath() const { return locationPath_; }
  const std::string& TemplateName() const { return templateName_; }
  const std::string& TemplateExtension() const { return templateExtension_; }
  const std::string& PaintProgram() const { return paintProgram_; }

  // The kind's fixed extension ("txt", "cal", the template extension, "wav",
  // "bmp", "htm", "txt", "evt", "lck"); empty for attachments and unknown kinds.
  std::string NoteExtension(NoteKind kind) const;
  // The kind's file; empty without a location or without a fixed extension.
  // Base is the location path without its last four characters
  // ("C:\Site\Room 4.loc": "C:\Site\Room 4.txt", "C:\Site\Room 4_stats.txt",
  // "C:\Site\Room 4 Fan Test.rtf" for the template name "Fan Test"). The audit
  // file is the one LockFile checks: the path cut before the first dot of its
  // file name, then ".lck".
  std::string NoteFile(NoteKind kind) const;
  bool HasNote(NoteKind kind) const;
  // Any file base + "*." + extension (templates and results of any name).
  bool AnyNoteOfKind(NoteKind kind) const;
  // The names of those files with the location's own title removed from the
  // front ("Room 4 Fan Test.rtf" beside "Room 4.loc" gives "Fan Test").
  void ListNotesOfKind(NoteKind kind, std::vector<std::string>& names) const;
  // Full paths of the files AnyNoteOfKind looks for.
  std::vector<std::string> NoteFilesOfKind(NoteKind kind) const;
  // The attached file of CustomNote or Photo with this index (full path), or
  // empty.
  std::string FindAttachment(NoteKind kindPrefix, int index) const;

  // Asks for a file and copies it beside the location as the CustomNote or
  // Photo attachment `index`. True when copied.
  bool AttachFile(NoteKind kindPrefix, int index);
  // Opens the note in its program or dialog, creating an empty one first when
  // the kind has a fixed file that does not exist yet.
  void OpenNote(NoteKind kind);
  // Deletes the note's file; true when a file was deleted.
  bool DeleteNote(NoteKind kind);
  // Creates the kind's file empty when it does not exist. False when it could
  // not be created (read-only folder or media) or the kind has no fixed file;
  // `created` tells whether a new file was made, `error` (optional) receives
  // the system's error number of a failure.
  bool CreateEmptyNote(NoteKind kind, bool& created, int* error = nullptr);
  // The desktop's handler for the file with "open", "record" or "play"; on
  // failure "Can not execute " + file.
  bool RunShellVerb(const std::string& verb, const std::string& file);
  // Starts a program with arguments (a command-line tail such as
  // ` "C:\Site\Room 4.bmp"`); no message on failure.
  bool RunProgram(const std::string& program, const std::string& arguments);

 private:
  std::string Base() const;
  std::string AttachmentStem(NoteKind kindPrefix) const;

  bool hasLocation_ = false;
  std::string templateExtension_;
  std::string paintProgram_;
  std::string locationPath_;
  std::string templateName_;
};

}  // namespace vantora
