#include "report/surveyreport.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>

#include "common/codepage.h"
#include "common/logfile.h"
#include "common/pathutil.h"
#include "common/timetext.h"
#include "common/version.h"
#include "exposure/exposuretext.h"
#include "location/statistics.h"
#include "model/vocabulary.h"
#include "notebook/events.h"
#include "notebook/notebook.h"

namespace vantora::report {

namespace {

// A text note is read this far at most.
constexpr std::size_t kNoteBytes = 64 * 1024;
// Longer note lines are cut.
constexpr std::size_t kNoteLineChars = 300;

std::string LowerExtension(const std::string& path) {
  const std::string name = SplitPath(path).second;
  const auto dot = name.rfind('.');
  if (dot == std::string::npos) return std::string();
  std::string ext = name.substr(dot + 1);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext;
}

bool IsPictureFile(const std::string& path) {
  const std::string ext = LowerExtension(path);
  return ext == "jpg" || ext == "jpeg" || ext == "png" || ext == "bmp";
}

// Control characters would show as boxes or break a line: tabs become
// spaces, others are dropped.
std::string Printable(const std::string& cp1252) {
  std::string out;
  out.reserve(cp1252.size());
  for (char ch : cp1252) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '\t')
      out += "    ";
    else if (c >= 0x20 && c != 0x7F)
      out += ch;
  }
  return out;
}

std::string FileNameOf(const std::string& path) { return Cp1252ToUtf8(SplitPath(path).second); }

// The first lines of a text note.
void ReadNoteLines(NoteEntry& note) {
  PlatformFile file;
  if (!file.OpenRead(note.path)) {
    note.problem = "cannot be read";
    return;
  }
  std::string bytes(kNoteBytes, '\0');
  const long long got = file.ReadAt(0, bytes.data(), bytes.size());
  if (got < 0) {
    note.problem = "cannot be read";
    return;
  }
  const bool cut = static_cast<std::size_t>(got) == kNoteBytes && file.Size() > got;
  bytes.resize(static_cast<std::size_t>(got));
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    if (static_cast<int>(note.lines.size()) == kNoteLines) {
      note.more = true;
      return;
    }
    std::size_t end = bytes.find('\n', pos);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    line = Printable(line);
    if (line.size() > kNoteLineChars) line = line.substr(0, kNoteLineChars) + "...";
    note.lines.push_back(Cp1252ToUtf8(line));
    pos = end + 1;
  }
  note.more = cut;
}

void ReadEventsOf(const std::string& path, LocationContent& loc, std::vector<std::string>& inputs) {
  Notebook notebook;
  notebook.SetLocation(path, false);
  const std::string evt = notebook.NoteFile(NoteKind::Event);
  if (evt.empty() || !FileExists(evt)) return;
  inputs.push_back(evt);
  std::error_code ec;
  const auto size = std::filesystem::file_size(NativePath(evt), ec);
  if (ec || size > static_cast<std::uintmax_t>(kMaxEventsFileBytes)) {
    loc.eventsProblem = FileNameOf(evt) + (ec ? " cannot be read" : " is too large to list");
    return;
  }
  const std::vector<std::string> lines = EventLines(evt);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i == static_cast<std::size_t>(kMaxEvents)) {
      loc.moreEvents = static_cast<int>(lines.size() - i);
      break;
    }
    loc.events.push_back(Cp1252ToUtf8(Printable(lines[i])));
  }
}

}  // namespace

std::string SurveyReport::PeriodText() const {
  if (!hasPeriod) return "no records";
  return DateTimeText(periodStart) + " to " + DateTimeText(periodEnd);
}

std::string ProgressText(const ProgressStep& step) {
  if (!step.note.empty()) return step.note;
  return "Location " + std::to_string(step.done + 1) + " of " + std::to_string(step.total) + ": " +
         step.name;
}

std::vector<NoteEntry> GatherNotes(const std::string& locationPath) {
  Notebook nb;
  nb.SetLocation(locationPath, false);
  std::vector<NoteEntry> notes;
  std::vector<std::string> seen;
  auto add = [&](const std::string& path, const std::string& kind, NoteEntry::Type type) {
    if (path.empty() || std::find(seen.begin(), seen.end(), path) != seen.end()) return;
    seen.push_back(path);
    NoteEntry note;
    note.type = type;
    note.path = path;
    note.fileName = FileNameOf(path);
    note.kind = kind;
    if (type == NoteEntry::Type::Text) ReadNoteLines(note);
    notes.push_back(std::move(note));
  };
  auto fixed = [&](NoteKind kind, const std::string& name, NoteEntry::Type type) {
    if (nb.HasNote(kind)) add(nb.NoteFile(kind), name, type);
  };
  auto attachments = [&](NoteKind kind, const std::string& name) {
    for (int index = 1; index <= 9; ++index) {
      const std::string path = nb.FindAttachment(kind, index);
      add(path, name, IsPictureFile(path) ? NoteEntry::Type::Picture : NoteEntry::Type::File);
    }
  };
  fixed(NoteKind::Text, "Text", NoteEntry::Type::Text);
  fixed(NoteKind::Cal, "Calibration", NoteEntry::Type::File);
  for (const std::string& path : nb.NoteFilesOfKind(NoteKind::Template))
    add(path, "Template", NoteEntry::Type::File);
  fixed(NoteKind::Audio, "Audio", NoteEntry::Type::File);
  fixed(NoteKind::Drawing, "Drawing", NoteEntry::Type::Picture);
  for (const std::string& path : nb.NoteFilesOfKind(NoteKind::Results))
    add(path, "Results", NoteEntry::Type::File);
  attachments(NoteKind::CustomNote, "Custom Note");
  attachments(NoteKind::Photo, "Photo");
  if (nb.HasNote(NoteKind::Audit))
    add(nb.NoteFile(NoteKind::Audit), "Audit", NoteEntry::Type::File);
  return notes;
}

bool GatherReport(const std::vector<std::string>& files, const ReportOptions& options,
                  const exposure::LimitSet* set, SurveyReport& report, const Progress& progress) {
  report = SurveyReport();
  report.options = options;
  if (set) report.limitSet = *set;
  report.program = VersionLine("VantoraPC");
  report.written = DateTimeText(Now());
  const std::string firstFolder = files.empty() ? std::string() : SplitPath(files[0]).first;
  report.siteFolder = Cp1252ToUtf8(firstFolder);
  report.title = options.title.empty()
                     ? "Survey report: " + Cp1252ToUtf8(ParentFolderName(firstFolder))
                     : options.title;
  CompoundLibrary& compounds = TheParamNames().compounds();
  const int total = static_cast<int>(files.size());
  for (int i = 0; i < total; ++i) {
    const std::string& path = files[static_cast<std::size_t>(i)];
    const std::string title = Cp1252ToUtf8(FileTitle(SplitPath(path).second).first);
    if (progress && !progress({i, total, title})) return false;
    report.inputs.push_back(path);
    CLogFile log(path, true);
    if (log.Problem() != LocationProblem::None) {
      report.excluded.push_back({path, FileNameOf(path), LocationProblemText(log.Problem()),
                                 Cp1252ToUtf8(CannotOpenMessage(path, log.Problem()))});
      continue;
    }
    LocationContent loc;
    loc.path = path;
    loc.name = title;
    if (log.MissingRecordCount() > 0)
      loc.notices.push_back(
          Cp1252ToUtf8(MissingRecordsMessage(path, log.RecordCount(), log.HeaderRecordCount())));

    CLogStatistics stats(&log);
    stats.Compute();
    const StatisticsHeadingText heading = stats.HeadingText();
    loc.start = heading.start;
    loc.end = heading.end;
    loc.duration = heading.duration;
    loc.points = heading.points;
    for (int c = 0; c < stats.channelCount; ++c) {
      const ChannelStatisticsText t = stats.ChannelText(c);
      loc.statistics.push_back({Cp1252ToUtf8(t.parameter), Cp1252ToUtf8(t.unit), t.min, t.minTime,
                                t.max, t.maxTime, t.avg});
      loc.magnitude.push_back(
          t.hasReadings ? std::max(std::fabs(stats.min[c]), std::fabs(stats.max[c])) : 0.0);
    }
    {
      exposure::Recording rec;
      exposure::ReadRecording(log, rec);
      loc.exposure = exposure::Assess(rec, set, compounds);
    }
    if (log.BadRecordCount() > 0)
      loc.notices.push_back(Cp1252ToUtf8(BadRecordsMessage(path, log.BadRecordCount())));
    ReadEventsOf(path, loc, report.inputs);
    if (options.notes) {
      loc.notes = GatherNotes(path);
      for (const NoteEntry& note : loc.notes) report.inputs.push_back(note.path);
    }
    if (loc.exposure.hasStart) {
      if (!report.hasPeriod || loc.exposure.start < report.periodStart)
        report.periodStart = loc.exposure.start;
      if (!report.hasPeriod || loc.exposure.end > report.periodEnd)
        report.periodEnd = loc.exposure.end;
      report.hasPeriod = true;
    }
    report.locations.push_back(std::move(loc));
  }
  return true;
}

VerdictColours ColoursOf(exposure::Verdict verdict) {
  VerdictColours colours;
  colours.coloured =
      exposure::VerdictBackground(verdict, colours.fill.r, colours.fill.g, colours.fill.b);
  if (!colours.coloured) colours.fill = {0xFF, 0xFF, 0xFF};
  return colours;
}

OutputKind OutputKindOf(const std::string& path) {
  const std::string ext = LowerExtension(path);
  if (ext == "pdf") return OutputKind::Pdf;
  if (ext == "xlsx") return OutputKind::Workbook;
  return OutputKind::Unknown;
}

}  // namespace vantora::report
