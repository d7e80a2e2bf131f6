// The content of a survey report on a list of locations: per location its
// statistics texts, exposure results, events and notes, and the site's
// cover and summary facts. Gathered once, then written as a PDF (report/gui)
// and as a workbook (report/workbook.h). Texts here are UTF-8; paths are core
// paths (Windows-1252).
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "chart/srgraph.h"
#include "common/platform.h"
#include "exposure/exposure.h"
#include "exposure/limits.h"

namespace vantora::report {

// Text notes show at most this many lines.
constexpr int kNoteLines = 40;
// Events listed per location at most; the rest are counted.
constexpr int kMaxEvents = 1000;
// Events files larger than this are not read (named instead).
constexpr long long kMaxEventsFileBytes = 8 << 20;

struct ReportOptions {
  std::string title;  // empty: "Survey report: <site folder name>"
  bool graphs = true;
  bool notes = true;
};

// One channel's row of the statistics table: the statistics file's texts.
struct StatisticsRow {
  std::string parameter, unit;
  std::string min, minTime, max, maxTime, avg;
};

struct NoteEntry {
  enum class Type { Text, Picture, File };
  Type type = Type::File;
  std::string path;      // core path
  std::string fileName;  // UTF-8
  std::string kind;      // "Text", "Photo", "Drawing", "Custom Note", ...
  // Text notes: the first kNoteLines lines, and whether there are more;
  // `problem` when the file cannot be read.
  std::vector<std::string> lines;
  bool more = false;
  std::string problem;
};

struct LocationContent {
  std::string path;  // core path
  std::string name;  // the file title
  // The statistics file's heading texts.
  std::string start, end, duration;
  int points = 0;
  std::vector<StatisticsRow> statistics;
  // Per channel: the largest magnitude of its real readings (0 without any).
  std::vector<double> magnitude;
  exposure::LocationResult exposure;
  std::vector<std::string> events;  // the events text, one line each
  int moreEvents = 0;               // events beyond kMaxEvents
  std::string eventsProblem;        // an events file that was not read
  std::vector<NoteEntry> notes;
  // Missing or damaged records, said as the command line says them.
  std::vector<std::string> notices;
};

// A file given that could not be read.
struct ExcludedFile {
  std::string path;      // core path
  std::string fileName;  // UTF-8
  std::string reason;    // "no such file", "bad file tag", ...
  std::string message;   // "<file> can not be opened: <reason>."
};

struct SurveyReport {
  std::string title;
  std::string siteFolder;  // the folder of the first location given
  ReportOptions options;
  exposure::LimitSet limitSet;  // the set used (empty name: none)
  std::string written;          // date and time written
  std::string program;          // "VantoraPC 1.0.0"
  bool hasPeriod = false;
  LogTime periodStart = 0, periodEnd = 0;
  std::vector<LocationContent> locations;
  std::vector<ExcludedFile> excluded;
  // Every file the report reads (locations and notes), which no output may
  // replace.
  std::vector<std::string> inputs;

  // "first start to last end", or "no records".
  std::string PeriodText() const;
};

// Progress of a long step: `done` of `total` locations, the one being worked
// on named. Returns false to cancel.
struct ProgressStep {
  ProgressStep() = default;
  ProgressStep(int done, int total, std::string name, std::string note = std::string())
      : done(done), total(total), name(std::move(name)), note(std::move(note)) {}
  int done = 0;
  int total = 0;
  std::string name;  // UTF-8
  std::string note;  // a step after the locations ("Packing the workbook")
};
using Progress = std::function<bool(const ProgressStep&)>;

// "Location 3 of 50: Boiler Room", or the note.
std::string ProgressText(const ProgressStep& step);

// Gathers the report on `files` (location files, in order) with limit set
// `set` (null: none). False when cancelled. Files that cannot be opened are
// listed in `excluded`.
bool GatherReport(const std::vector<std::string>& files, const ReportOptions& options,
                  const exposure::LimitSet* set, SurveyReport& report,
                  const Progress& progress = {});

// The notes of a location other than its statistics and events files.
std::vector<NoteEntry> GatherNotes(const std::string& locationPath);

// Fill and text colours of a verdict in every output, as the exposure window
// shows them; `coloured` false for "no limits".
struct VerdictColours {
  bool coloured = false;
  chart::Rgb fill, text;
};
VerdictColours ColoursOf(exposure::Verdict verdict);

enum class OutputKind { Unknown, Pdf, Workbook };
// By extension, any letter case: .pdf or .xlsx.
OutputKind OutputKindOf(const std::string& path);

}  // namespace vantora::report
