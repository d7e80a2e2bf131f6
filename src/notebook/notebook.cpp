#include "notebook/notebook.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "common/pathutil.h"
#include "common/platform.h"
#include "common/profile.h"
#include "common/resources.h"
#include "common/timetext.h"
#include "integrity/lockfile.h"
#include "notebook/drawing.h"
#include "notebook/filesearch.h"
#include "notebook/shelllauncher.h"

namespace vantora {

namespace fs = std::filesystem;

namespace {

std::string TrimRight(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

std::string Trim(std::string s) {
  s = TrimRight(std::move(s));
  auto start = s.find_first_not_of(' ');
  return start == std::string::npos ? std::string() : s.substr(start);
}

bool IsAttachment(NoteKind kind) { return kind == NoteKind::CustomNote || kind == NoteKind::Photo; }

void MakeWritable(const std::string& path) {
  std::error_code ec;
  fs::permissions(NativePath(path), fs::perms::owner_read | fs::perms::owner_write,
                  fs::perm_options::add, ec);
}

}  // namespace

int NoteIconBitmap(NoteKind kind) {
  switch (kind) {
    case NoteKind::Text: return kIconText;
    case NoteKind::Cal: return kIconCal;
    case NoteKind::Template: return kIconTemplates;
    case NoteKind::Audio: return kIconAudio;
    case NoteKind::Drawing: return kIconDrawing;
    case NoteKind::Results: return kIconResults;
    case NoteKind::Statistics: return kIconStatistics;
    case NoteKind::Event: return kIconEvent;
    case NoteKind::CustomNote: return kIconCustomNote;
    case NoteKind::Photo: return kIconPhoto;
    case NoteKind::Audit: return kIconAudit;
    default: return 0;
  }
}

NoteIconAction NoteIconActionOf(int bitmap, NoteKind& kind) {
  kind = NoteKind::None;
  if (bitmap == kIconTemplates) return NoteIconAction::TemplatesPicker;
  if (bitmap == kIconResults) return NoteIconAction::ResultsPicker;
  for (int k = 1; k <= 11; ++k) {
    if (NoteIconBitmap(static_cast<NoteKind>(k)) == bitmap) {
      kind = static_cast<NoteKind>(k);
      return NoteIconAction::OpenNote;
    }
  }
  return NoteIconAction::None;
}

const std::vector<NoteIcon>& PanelNoteIcons() {
  static const std::vector<NoteIcon> icons = {
      {NoteKind::Text, kIconText, false},
      {NoteKind::Cal, kIconCal, false},
      {NoteKind::Template, kIconTemplates, true},
      {NoteKind::Audio, kIconAudio, false},
      {NoteKind::Drawing, kIconDrawing, false},
      {NoteKind::Statistics, kIconStatistics, false},
      {NoteKind::Results, kIconResults, true},
      {NoteKind::Event, kIconEvent, false},
      {NoteKind::CustomNote, kIconCustomNote, false},
      {NoteKind::Photo, kIconPhoto, false},
      {NoteKind::Audit, kIconAudit, false},
  };
  return icons;
}

std::string NoteKindListName(NoteKind kind) {
  switch (kind) {
    case NoteKind::Text: return "Text";
    case NoteKind::Template: return "Templates";
    case NoteKind::Audio: return "Audio";
    case NoteKind::Drawing: return "Drawing";
    case NoteKind::Event: return "Event";
    case NoteKind::CustomNote: return "Custom Note";
    case NoteKind::Photo: return "Photo";
    default: return std::string();
  }
}

Notebook::Notebook() { paintProgram_ = Profile::GetString("Directories", "MSPaint", ""); }

Notebook::~Notebook() = default;

void Notebook::SetLocation(const std::string& path, bool convertDrawing) {
  locationPath_ = path;
  templateName_.clear();
  hasLocation_ = !path.empty();
  if (!hasLocation_) return;
  templateExtension_ = Profile::GetString("Report", "Ext", "rtf");
  if (!templateExtension_.empty() && templateExtension_[0] == '.') templateExtension_.erase(0, 1);
  if (convertDrawing) ConvertDrawing(path);
}

void Notebook::Reset() { SetLocation(std::string()); }

std::string Notebook::Base() const {
  return locationPath_.empty() ? std::string() : LocationBase(locationPath_);
}

std::string Notebook::AttachmentStem(NoteKind kindPrefix) const {
  // The file name's own title, so that attaching and finding agree even when
  // a folder name carries a dot.
  return PathWithoutExtension(locationPath_) + (kindPrefix == NoteKind::Photo ? "_photo" : "_user");
}

std::string Notebook::NoteExtension(NoteKind kind) const {
  switch (kind) {
    case NoteKind::Text: return "txt";
    case NoteKind::Cal: return "cal";
    case NoteKind::Template: return templateExtension_;
    case NoteKind::Audio: return "wav";
    case NoteKind::Drawing: return "bmp";
    case NoteKind::Results: return "htm";
    case NoteKind::Statistics: return "txt";
    case NoteKind::Event: return "evt";
    case NoteKind::Audit: return "lck";
    default: return std::string();
  }
}

std::string Notebook::NoteFile(NoteKind kind) const {
  std::string ext = NoteExtension(kind);
  std::string base = Base();
  if (!hasLocation_ || ext.empty() || base.empty()) return std::string();
  switch (kind) {
    case NoteKind::Template: base += " " + templateName_; break;
    case NoteKind::Results:
      if (!templateName_.empty()) base += " " + templateName_;
      break;
    case NoteKind::Statistics: base += kStatisticsSuffix; break;
    case NoteKind::Audit: return LockPathOf(locationPath_);
    default: break;
  }
  return TrimRight(base) + "." + ext;
}

bool Notebook::HasNote(NoteKind kind) const {
  if (IsAttachment(kind)) return !FindAttachment(kind, 1).empty();
  if (kind == NoteKind::Audit) return hasLocation_ && LockFile(locationPath_).IsLocked();
  std::string f = NoteFile(kind);
  return !f.empty() && FileExists(f);
}

bool Notebook::AnyNoteOfKind(NoteKind kind) const { return !NoteFilesOfKind(kind).empty(); }

std::vector<std::string> Notebook::NoteFilesOfKind(NoteKind kind) const {
  std::vector<std::string> paths;
  std::string ext = NoteExtension(kind);
  if (!hasLocation_ || ext.empty()) return paths;
  std::string folder = SplitPath(locationPath_).first;
  for (const auto& found : FindFiles(Base() + "*." + ext)) paths.push_back(folder + found);
  return paths;
}

void Notebook::ListNotesOfKind(NoteKind kind, std::vector<std::string>& names) const {
  names.clear();
  std::string ownTitle = FileTitle(SplitPath(locationPath_).second).first;
  for (const auto& path : NoteFilesOfKind(kind)) {
    std::string title = FileTitle(SplitPath(path).second).first;
    if (title.compare(0, ownTitle.size(), ownTitle) == 0) title.erase(0, ownTitle.size());
    names.push_back(Trim(title));
  }
}

std::string Notebook::FindAttachment(NoteKind kindPrefix, int index) const {
  if (!hasLocation_ || !IsAttachment(kindPrefix)) return std::string();
  auto found = FindFiles(AttachmentStem(kindPrefix) + Format("%01i", index) + "*.*");
  if (found.empty()) return std::string();
  return SplitPath(locationPath_).first + found.front();
}

bool Notebook::AttachFile(NoteKind kindPrefix, int index) {
  if (!hasLocation_ || !IsAttachment(kindPrefix)) return false;
  ShellLauncher& shell = TheShellLauncher();
  std::string source = shell.ChooseFile(kindPrefix == NoteKind::Photo ? "Photos |*.jpg;*.bmp;*.gif|"
                                                                      : "All Files |*.*|");
  if (source.empty()) return false;
  // The extension of the chosen file's own name, never a dot in its folder.
  std::string ext = FileTitle(source).second;
  if (ext.empty()) {
    shell.Message("Unable to attach files without extensions!");
    return false;
  }
  std::string target = AttachmentStem(kindPrefix) + Format("%i", index) + ext;
  std::string failure;
  bool copied = CopyFileTo(source, target, false, &failure);
  if (!copied) shell.Message("Unable to attach file!\n" + failure);
  // A read-only source gives a writable attachment.
  if (copied) MakeWritable(target);
  return copied;
}

bool Notebook::CreateEmptyNote(NoteKind kind, bool& created, int* error) {
  created = false;
  if (error) *error = 0;
  std::string f = NoteFile(kind);
  if (f.empty()) return false;
  std::error_code ec;
  // Any existing file counts, even one that cannot be read: it is never
  // truncated here.
  if (fs::exists(NativePath(f), ec)) return true;
  // Made only where the name is free, never through a link.
  PlatformFile out;
  if (!out.CreateNew(f) || !out.TakePermissionsOf(std::string())) {
    if (error) *error = out.LastError();
    return false;
  }
  out.Close();
  created = FileExists(f);
  return created;
}

void Notebook::OpenNote(NoteKind kind) {
  if (!hasLocation_) return;
  ShellLauncher& shell = TheShellLauncher();
  std::string f = NoteFile(kind);
  bool isNew = false;
  int error = 0;
  if (!f.empty() && !CreateEmptyNote(kind, isNew, &error)) {
    shell.Message(WithWriteFailure("Unable to create the note file", f, error));
    return;
  }
  switch (kind) {
    case NoteKind::Event: shell.ShowEvents(f); break;
    case NoteKind::Drawing:
      if (isNew) CopyFileTo(ShippedFile("bitmap.bmp"), f, true);
      if (paintProgram_.empty())
        RunShellVerb("open", f);
      else
        RunProgram(paintProgram_, " \"" + f + "\"");
      break;
    case NoteKind::Text:
    case NoteKind::Cal:
    case NoteKind::Statistics:
    case NoteKind::Template:
    case NoteKind::Results: RunShellVerb("open", f); break;
    case NoteKind::Audio:
      // A recording that could not start leaves no empty file behind.
      if (!RunShellVerb(isNew ? "record" : "play", f) && isNew) {
        std::error_code ec;
        fs::remove(NativePath(f), ec);
      }
      break;
    case NoteKind::Photo:
    case NoteKind::CustomNote: {
      std::string found = FindAttachment(kind, 1);
      if (!found.empty())
        RunShellVerb("open", found);
      else
        AttachFile(kind, 1);
      break;
    }
    case NoteKind::Audit: shell.ShowAudit(locationPath_); break;
    default: break;
  }
}

bool Notebook::DeleteNote(NoteKind kind) {
  std::string f = IsAttachment(kind) ? FindAttachment(kind, 1) : NoteFile(kind);
  if (f.empty()) return false;
  std::error_code ec;
  return fs::remove(NativePath(f), ec);
}

bool Notebook::RunShellVerb(const std::string& verb, const std::string& file) {
  std::string why;
  if (TheShellLauncher().ShellVerb(verb, file, why)) return true;
  std::string text = "Can not execute " + file;
  if (!why.empty()) text += "\n\n" + why;
  TheShellLauncher().Message(text);
  return false;
}

bool Notebook::RunProgram(const std::string& program, const std::string& arguments) {
  return TheShellLauncher().StartProgram(program, SplitArguments(arguments));
}

}  // namespace vantora
