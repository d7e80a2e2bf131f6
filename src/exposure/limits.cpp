#include "exposure/limits.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include "common/codepage.h"
#include "common/pathutil.h"
#include "common/resources.h"
#include "exposure/units.h"
#include "model/vocabulary.h"

namespace vantora::exposure {

const char* const kLimitsHeading = "set,parameter,kind,value,unit,source";
const char* const kDefaultLimitSet = "Indoor air (guideline)";
const char* const kOshaLimitSet = "Workplace (OSHA PEL)";

namespace {

std::string Trimmed(const std::string& s) {
  std::string::size_type a = s.find_first_not_of(" \t");
  if (a == std::string::npos) return std::string();
  std::string::size_type b = s.find_last_not_of(" \t");
  return s.substr(a, b - a + 1);
}

bool EqualAsciiIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

bool ParseKind(const std::string& text, LimitKind& kind) {
  const std::string t = Trimmed(text);
  static const LimitKind kinds[] = {LimitKind::Twa8, LimitKind::Stel, LimitKind::Ceiling,
                                    LimitKind::High, LimitKind::Low};
  for (LimitKind k : kinds)
    if (EqualAsciiIgnoringCase(t, LimitKindName(k))) {
      kind = k;
      return true;
    }
  return false;
}

// A plain decimal number with a point, whatever the locale; nothing else in
// the field.
bool ParseNumber(const std::string& text, double& value) {
  std::string t = Trimmed(text);
  if (!t.empty() && t[0] == '+') t.erase(0, 1);
  if (t.empty() || t.size() > 64) return false;
  const char* end = t.data() + t.size();
  auto result = std::from_chars(t.data(), end, value, std::chars_format::general);
  return result.ec == std::errc() && result.ptr == end && std::isfinite(value);
}

bool AllDigits(const std::string& t) {
  if (t.empty() || t.size() > 9) return false;
  for (char c : t)
    if (c < '0' || c > '9') return false;
  return true;
}

// "200 ppm" -> (200, "ppm").
bool ParseValueAndUnit(const std::string& text, double& value, std::string& unit) {
  const std::string t = Trimmed(text);
  std::string::size_type space = t.find(' ');
  if (space == std::string::npos) return false;
  unit = Trimmed(t.substr(space + 1));
  return ParseNumber(t.substr(0, space), value) && !unit.empty();
}

std::string Quoted(const std::string& field) {
  if (field.find_first_of(",\"\r\n") == std::string::npos && field == Trimmed(field)) return field;
  std::string q = "\"";
  for (char c : field) {
    if (c == '"') q += '"';
    q += c;
  }
  return q + "\"";
}

}  // namespace

const char* LimitKindName(LimitKind kind) {
  switch (kind) {
    case LimitKind::Twa8: return "TWA8";
    case LimitKind::Stel: return "STEL";
    case LimitKind::Ceiling: return "ceiling";
    case LimitKind::High: return "high";
    case LimitKind::Low: return "low";
  }
  return "";
}

const char* LimitKindTitle(LimitKind kind) {
  switch (kind) {
    case LimitKind::Twa8: return "TWA 8 h";
    case LimitKind::Stel: return "STEL";
    case LimitKind::Ceiling: return "Ceiling";
    case LimitKind::High: return "High";
    case LimitKind::Low: return "Low";
  }
  return "";
}

bool SplitCsvLine(const std::string& line, std::vector<std::string>& fields) {
  fields.clear();
  std::string field;
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (quoted) {
      if (c == '"') {
        if (i + 1 < line.size() && line[i + 1] == '"') {
          field += '"';
          ++i;
        } else {
          quoted = false;
        }
      } else {
        field += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      fields.push_back(field);
      field.clear();
    } else {
      field += c;
    }
  }
  fields.push_back(field);
  return !quoted;
}

std::vector<int> ParameterCodesOf(const std::string& parameter, CompoundLibrary& compounds) {
  const std::string t = Trimmed(parameter);
  std::vector<int> codes;
  if (AllDigits(t)) {
    int code = std::atoi(t.c_str());
    if (code >= 5000 && code <= 9998) code -= 5000;
    if (IsTableParameter(code) || code == kCompoundBase ||
        (code > kCompoundBase && compounds.Entry(code - kCompoundBase)))
      codes.push_back(code);
    return codes;
  }
  const std::string name = Utf8ToCp1252(t);
  if (name.empty()) return codes;
  codes = ParameterCodesNamed(name);
  if (EqualAsciiIgnoringCase(name, "TVOC Compound")) codes.push_back(kCompoundBase);
  for (int n : compounds.NumbersNamed(name)) codes.push_back(kCompoundBase + n);
  return codes;
}

void LimitLibrary::AddText(const std::string& textIn, const std::string& label,
                           CompoundLibrary& compounds, std::vector<std::string>& problems,
                           std::vector<std::string>* setNames) {
  std::string text = textIn;
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
  auto report = [&](int line, const std::string& what) {
    problems.push_back(label + ":" + std::to_string(line) + ": " + what);
  };
  std::vector<std::string> fields;
  std::vector<LimitSet> read;
  int lineNo = 0;
  bool heading = false;
  std::string::size_type start = 0;
  while (start < text.size()) {
    std::string::size_type end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (Trimmed(line).empty()) continue;
    if (!heading) {
      std::string h;
      for (char c : line)
        if (c != ' ' && c != '\t') h += c;
      if (!EqualAsciiIgnoringCase(h, kLimitsHeading)) {
        report(lineNo, std::string("the first line must be the heading ") + kLimitsHeading +
                           "; the file was not read");
        return;
      }
      heading = true;
      continue;
    }
    if (!SplitCsvLine(line, fields)) {
      report(lineNo, "a quote is not closed");
      continue;
    }
    if (fields.size() != 6) {
      report(lineNo, "6 fields expected, " + std::to_string(fields.size()) + " found");
      continue;
    }
    LimitRow row;
    row.set = Trimmed(fields[0]);
    row.parameter = Trimmed(fields[1]);
    row.unit = Trimmed(fields[4]);
    row.source = Trimmed(fields[5]);
    row.file = label;
    row.line = lineNo;
    if (row.set.empty()) {
      report(lineNo, "the set has no name");
      continue;
    }
    if (!ParseKind(fields[2], row.kind)) {
      report(lineNo,
             "kind \"" + Trimmed(fields[2]) + "\" is none of TWA8, STEL, ceiling, high, low");
      continue;
    }
    if (!ParseNumber(fields[3], row.value)) {
      report(lineNo, "value \"" + Trimmed(fields[3]) + "\" is not a number");
      continue;
    }
    if (row.unit.empty()) {
      report(lineNo, "the unit is missing");
      continue;
    }
    row.codes = ParameterCodesOf(row.parameter, compounds);
    if (row.codes.empty()) {
      report(lineNo, "\"" + row.parameter + "\" names no parameter or compound");
      continue;
    }
    LimitSet* set = nullptr;
    for (LimitSet& s : read)
      if (s.name == row.set) set = &s;
    if (!set) {
      read.push_back(LimitSet{row.set, {}});
      set = &read.back();
    }
    set->rows.push_back(std::move(row));
  }
  if (!heading && lineNo > 0)
    report(1, std::string("the heading ") + kLimitsHeading + " is missing");
  for (LimitSet& s : read) {
    if (setNames) setNames->push_back(s.name);
    bool replaced = false;
    for (LimitSet& old : sets_)
      if (old.name == s.name) {
        old = s;
        replaced = true;
      }
    if (!replaced) sets_.push_back(std::move(s));
  }
}

bool LimitLibrary::AddFile(const std::string& path, const std::string& label,
                           CompoundLibrary& compounds, std::vector<std::string>& problems,
                           std::vector<std::string>* setNames) {
  std::string text;
  if (!ReadTextFile(path, text)) {
    if (!FileExists(path)) return false;
    text.clear();  // an empty file holds no sets
  }
  AddText(text, label, compounds, problems, setNames);
  return true;
}

const LimitSet* LimitLibrary::Find(const std::string& name) const {
  for (const LimitSet& s : sets_)
    if (s.name == name) return &s;
  for (const LimitSet& s : sets_)
    if (EqualAsciiIgnoringCase(s.name, name)) return &s;
  return nullptr;
}

std::string ShippedLimitsPath() { return ShippedFile("limits.csv"); }

LoadedLimits LoadLimitLibrary(const std::string& userFile, const std::string& userLabel,
                              CompoundLibrary& compounds) {
  LoadedLimits out;
  const std::string shipped = ShippedLimitsPath();
  if (!out.library.AddFile(shipped, Cp1252ToUtf8(shipped), compounds, out.problems))
    out.problems.push_back(Cp1252ToUtf8(shipped) + ": the shipped limit sets cannot be read");
  if (!userFile.empty())
    out.userFileRead =
        out.library.AddFile(userFile, userLabel.empty() ? Cp1252ToUtf8(userFile) : userLabel,
                            compounds, out.problems, &out.userSets);
  return out;
}

const LimitSet* ChooseLimitSet(const LoadedLimits& limits, const std::string& name) {
  if (!name.empty()) return limits.library.Find(name);
  if (!limits.userSets.empty()) return limits.library.Find(limits.userSets.front());
  return limits.library.Find(kDefaultLimitSet);
}

std::vector<ChannelLimit> LimitsForChannel(const LimitSet& set, int paramCode, int unitCode,
                                           CompoundLibrary& compounds) {
  int code = paramCode;
  if (code >= 5000 && code <= 9998) code -= 5000;
  const Unit channelUnit = ChannelUnit(unitCode);
  const std::string channelUnitName = Cp1252ToUtf8(TheUnitNames().GetName(unitCode));
  double mw = std::nan("");
  bool mwKnown = false;
  std::vector<ChannelLimit> out;
  auto add = [&](LimitKind kind, double value, const std::string& unit, const std::string& source) {
    ChannelLimit limit;
    limit.kind = kind;
    limit.value = value;
    limit.unit = unit;
    limit.source = source;
    const Unit limitUnit = LimitUnit(unit);
    if (!mwKnown) {
      mw = MolecularWeight(code, compounds);
      mwKnown = true;
    }
    // A limit converts into the channel's unit.
    Conversion c = Convert(value, limitUnit, unit, channelUnit, channelUnitName, mw);
    limit.applicable = c.ok;
    limit.valueInChannelUnit = c.ok ? c.value : 0;
    limit.reason = c.ok ? std::string() : c.reason;
    out.push_back(limit);
  };
  bool ownTwa8 = false;
  for (const LimitRow& row : set.rows) {
    bool names = false;
    for (int c : row.codes) names = names || c == code;
    if (!names) continue;
    if (row.kind == LimitKind::Twa8) ownTwa8 = true;
    add(row.kind, row.value, row.unit, row.source);
  }
  if (set.name == kOshaLimitSet && code > kCompoundBase && !ownTwa8) {
    const CompoundEntry* entry = compounds.Entry(code - kCompoundBase);
    if (entry && !Trimmed(entry->exposureLimit).empty()) {
      double value = 0;
      std::string unit;
      const std::string limitText = Cp1252ToUtf8(Trimmed(entry->exposureLimit));
      if (ParseValueAndUnit(limitText, value, unit)) {
        add(LimitKind::Twa8, value, unit, "compound list (OSHA PEL)");
      } else {
        ChannelLimit limit;
        limit.kind = LimitKind::Twa8;
        limit.source = "compound list (OSHA PEL)";
        limit.reason = "the compound list's limit \"" + limitText + "\" is not a number and a unit";
        out.push_back(limit);
      }
    }
  }
  return out;
}

std::string LimitsFileText(const std::vector<LimitSet>& sets) {
  std::string text = std::string(kLimitsHeading) + "\r\n";
  for (const LimitSet& set : sets)
    for (const LimitRow& row : set.rows) {
      char number[64];
      auto r = std::to_chars(number, number + sizeof number, row.value);
      text += Quoted(set.name) + "," + Quoted(row.parameter) + "," + LimitKindName(row.kind) + "," +
              std::string(number, r.ptr) + "," + Quoted(row.unit) + "," + Quoted(row.source) +
              "\r\n";
    }
  return text;
}

}  // namespace vantora::exposure
