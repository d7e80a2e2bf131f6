// Display words for the parameter, unit and compound codes of channels.
#pragma once

#include <mutex>
#include <string>
#include <vector>

namespace vantora {

// First parameter code naming a compound of the compound library.
constexpr int kCompoundBase = 10000;

// One line of the compound list: its full name, formula and exposure limit
// (the Formula and Exposure limit fields, as written).
struct CompoundEntry {
  std::string name;
  std::string formula;
  std::string exposureLimit;
};

// Compound names from "tvoc.csv", loaded on first use.
class CompoundLibrary {
 public:
  // `path` empty: the shipped "tvoc.csv" (ShippedFile), found at load time.
  explicit CompoundLibrary(std::string path = std::string()) : path_(std::move(path)) {}

  // Name of parameter code `code` (10000 and above); "Error" when unknown.
  std::string CompoundName(int code);
  bool loaded() const { return loaded_; }
  std::size_t size() const { return names_.size(); }
  // Compound `number` (1 and above) in full; null when the list has no such
  // compound (an empty name).
  const CompoundEntry* Entry(int number);
  // The numbers of the compounds whose full name is `name` (Windows-1252,
  // ignoring letter case).
  std::vector<int> NumbersNamed(const std::string& name);

  // Splits one line into fields: a double quote toggles quoting and is
  // dropped; an unquoted comma ends a field; an empty last field is dropped.
  static std::vector<std::string> SplitLine(const std::string& line);

 private:
  void Load();

  std::string path_;
  bool loaded_ = false;
  std::vector<std::string> names_;
  std::vector<CompoundEntry> entries_;
  std::mutex mutex_;
};

class CParamNames {
 public:
  explicit CParamNames(std::string compoundFile = std::string())
      : compounds_(std::move(compoundFile)) {}
  // Long name (statistics, exports) or short name (narrow displays);
  // "Error" for an unknown code.
  std::string GetName(int code, bool longForm);
  CompoundLibrary& compounds() { return compounds_; }

 private:
  CompoundLibrary compounds_;
  std::string userDefined_;
};

class CUnitNames {
 public:
  std::string GetName(int code) const;
};

// The codes of the vocabulary's parameter table (0-154) whose long or short
// name is `name` (Windows-1252, ignoring letter case).
std::vector<int> ParameterCodesNamed(const std::string& name);
// True when the parameter table has a row for `code` (0-154).
bool IsTableParameter(int code);

// The application-wide objects.
CParamNames& TheParamNames();
CUnitNames& TheUnitNames();

}  // namespace vantora
