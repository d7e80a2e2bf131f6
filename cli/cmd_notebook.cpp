// vantora events | notes | drawing
#include "cli/cli.h"
#include "cli/terminal.h"
#include "common/codepage.h"
#include "common/pathutil.h"
#include "notebook/drawing.h"
#include "notebook/events.h"
#include "notebook/notebook.h"

namespace vantora::cli {

namespace {

const char* KindName(NoteKind kind) {
  switch (kind) {
    case NoteKind::Text: return "Text";
    case NoteKind::Cal: return "Cal";
    case NoteKind::Template: return "Template";
    case NoteKind::Audio: return "Audio";
    case NoteKind::Drawing: return "Drawing";
    case NoteKind::Results: return "Results";
    case NoteKind::Statistics: return "Statistics";
    case NoteKind::Event: return "Event";
    case NoteKind::CustomNote: return "Custom Note";
    case NoteKind::Photo: return "Photo";
    case NoteKind::Audit: return "Audit";
    default: return "";
  }
}

// "Kind: path" for every existing note, in the order of the kind codes.
std::string NotesText(const std::string& location) {
  Notebook nb;
  nb.SetLocation(location, false);  // listing only: no drawing is rendered
  std::string text;
  for (int code = 1; code <= 11; ++code) {
    auto kind = static_cast<NoteKind>(code);
    std::vector<std::string> files;
    if (kind == NoteKind::Template || kind == NoteKind::Results) {
      files = nb.NoteFilesOfKind(kind);
    } else if (kind == NoteKind::CustomNote || kind == NoteKind::Photo) {
      std::string f = nb.FindAttachment(kind, 1);
      if (!f.empty()) files.push_back(f);
    } else if (nb.HasNote(kind)) {
      files.push_back(nb.NoteFile(kind));
    }
    for (const auto& f : files) text += std::string(KindName(kind)) + ": " + f + "\n";
  }
  return text;
}

const bool registered = RegisterCommand([](CLI::App& app, int& exitCode) {
  auto* events = app.add_subcommand("events", "The events of a location, one line per event");
  auto eventsFile = std::make_shared<std::string>();
  events->add_option("file", *eventsFile, "Location file (.loc)")->required();
  events->callback([eventsFile, &exitCode] {
    std::string loc = ArgPath(*eventsFile);
    if (!RequireLocationFile(loc, exitCode)) return;
    Notebook nb;
    nb.SetLocation(loc, false);
    std::string path = nb.NoteFile(NoteKind::Event);
    if (!FileExists(path)) {
      Fail("no events file " + path);
      exitCode = kFailed;
      return;
    }
    std::string text;
    for (const auto& line : EventLines(path)) text += line + "\n";
    WriteReadingText(Cp1252ToUtf8(text));
  });

  auto* notes = app.add_subcommand("notes", "The existing notes of a location by kind");
  auto notesFile = std::make_shared<std::string>();
  notes->add_option("file", *notesFile, "Location file (.loc)")->required();
  notes->callback([notesFile, &exitCode] {
    std::string loc = ArgPath(*notesFile);
    if (!RequireLocationFile(loc, exitCode)) return;
    WriteReadingText(Cp1252ToUtf8(NotesText(loc)));
  });

  auto* drawing = app.add_subcommand(
      "drawing", "Render a location's point drawing (.drw) into its .bmp drawing note");
  auto drawingFile = std::make_shared<std::string>();
  auto bits = std::make_shared<int>(24);
  drawing->add_option("file", *drawingFile, "Location file (.loc)")->required();
  drawing->add_option("--bits", *bits, "Bits per pixel: 1, 4, 8, 16, 24 or 32")
      ->check(CLI::IsMember({1, 4, 8, 16, 24, 32}));
  drawing->callback([drawingFile, bits, &exitCode] {
    std::string loc = ArgPath(*drawingFile);
    std::string drw = PointFileOf(loc), bmp = DrawingFileOf(loc);
    // A point file renders without its location; with neither there is nothing.
    if (!FileExists(drw) && FileProblem(loc) == LocationProblem::NoSuchFile) {
      Fail(CannotOpenMessage(loc, LocationProblem::NoSuchFile));
      exitCode = kFailed;
      return;
    }
    if (!FileExists(drw)) {
      Fail("no point drawing " + drw);
      exitCode = kFailed;
      return;
    }
    int error = 0;
    if (!WriteBitmapFile(bmp, RenderPointFile(drw), *bits, &error)) {
      Fail("cannot write " + WriteFailureLine(bmp, error));
      exitCode = kFailed;
      return;
    }
    WriteOut(Cp1252ToUtf8(bmp) + "\n");
  });
});

}  // namespace

}  // namespace vantora::cli
