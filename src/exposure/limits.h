// Exposure limit sets: rows of (set, parameter, kind, value, unit, source)
// read from CSV files, and the limits of one set that bear on a channel.
// Texts here are UTF-8, as in the files.
#pragma once

#include <string>
#include <vector>

namespace vantora {
class CompoundLibrary;
}

namespace vantora::exposure {

enum class LimitKind { Twa8, Stel, Ceiling, High, Low };

// "TWA8", "STEL", "ceiling", "high", "low": the kind as the files write it.
const char* LimitKindName(LimitKind kind);
// Names on pictures and in tables: "TWA 8 h", "STEL", "Ceiling", "High", "Low".
const char* LimitKindTitle(LimitKind kind);

struct LimitRow {
  std::string set;
  std::string parameter;  // as written
  LimitKind kind = LimitKind::Twa8;
  double value = 0;
  std::string unit;  // as written
  std::string source;
  // The parameter codes the row names: 0-154, or 10000 + n for compound n.
  std::vector<int> codes;
  std::string file;  // where it was read, and its line
  int line = 0;
};

struct LimitSet {
  std::string name;
  std::vector<LimitRow> rows;
};

// The heading every limits file starts with.
extern const char* const kLimitsHeading;
// The set used when none is chosen.
extern const char* const kDefaultLimitSet;
// The set whose compound channels take the compound list's limit as TWA8.
extern const char* const kOshaLimitSet;

class LimitLibrary {
 public:
  // Reads the sets of a limits file (UTF-8 CSV with the heading). A set of
  // the same name as one already read replaces it in its place; new sets
  // follow. Each malformed row is skipped and reported as
  // "<label>:<line>: <what is wrong>" in `problems`. `label` names the file
  // in those reports. False when the file cannot be read.
  bool AddFile(const std::string& path, const std::string& label, CompoundLibrary& compounds,
               std::vector<std::string>& problems, std::vector<std::string>* setNames = nullptr);
  // The same for the text of such a file.
  void AddText(const std::string& text, const std::string& label, CompoundLibrary& compounds,
               std::vector<std::string>& problems, std::vector<std::string>* setNames = nullptr);

  // The set of this name (exact, else ignoring ASCII letter case), or null.
  const LimitSet* Find(const std::string& name) const;
  const std::vector<LimitSet>& Sets() const { return sets_; }

 private:
  std::vector<LimitSet> sets_;
};

// The shipped limits file (limits.csv beside the program).
std::string ShippedLimitsPath();

// The shipped sets, then those of a user's file.
struct LoadedLimits {
  LimitLibrary library;
  std::vector<std::string> problems;  // malformed rows, unreadable files
  std::vector<std::string> userSets;  // the sets the user's file holds, in order
  bool userFileRead = false;
};
// Reads the shipped file and then `userFile` (empty: none; labelled
// `userLabel` in reports, the path when empty). A missing shipped file is
// reported in `problems`.
LoadedLimits LoadLimitLibrary(const std::string& userFile, const std::string& userLabel,
                              CompoundLibrary& compounds);
// The set to use: the one named `name` when given (null when there is no
// such set), else the user's file's first set, else the default set.
const LimitSet* ChooseLimitSet(const LoadedLimits& limits, const std::string& name);

// Resolves a row's parameter text: a code (5000-9998 count as code - 5000),
// a parameter's short or long name (ignoring case; every code bearing it),
// or a compound's full name from the compound list (10000 + its number).
// Empty when it names nothing known.
std::vector<int> ParameterCodesOf(const std::string& parameter, CompoundLibrary& compounds);

// A limit as it bears on one channel.
struct ChannelLimit {
  LimitKind kind = LimitKind::Twa8;
  double value = 0;
  std::string unit;
  std::string source;
  // False when its unit does not convert to the channel's; `reason` says why.
  bool applicable = false;
  std::string reason;
  double valueInChannelUnit = 0;  // meaningful when applicable
};

// The limits of `set` for a channel of this parameter and unit code, in the
// set's row order; in the OSHA set a compound channel without a TWA8 row of
// its own takes the compound list's exposure limit as its TWA8 (source
// "compound list (OSHA PEL)").
std::vector<ChannelLimit> LimitsForChannel(const LimitSet& set, int paramCode, int unitCode,
                                           CompoundLibrary& compounds);

// The text of a limits file holding `sets`: the heading, then every row
// (fields quoted where they hold a comma or a quote), lines ending in CR LF.
std::string LimitsFileText(const std::vector<LimitSet>& sets);

// Splits one CSV line: fields separated by commas, a field in double quotes
// may hold commas and doubled quotes. False when a quote is left open.
bool SplitCsvLine(const std::string& line, std::vector<std::string>& fields);

}  // namespace vantora::exposure
