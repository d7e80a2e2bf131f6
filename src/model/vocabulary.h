// Display words for the parameter, unit and compound codes of channels.
#pragma once

#include <mutex>
#include <string>
#include <vector>

namespace vantora {

// First parameter code naming a compound of the compound library.
constexpr int kCompoundBase = 10000;

// Compound names from "tvoc.csv", loaded on first use.
class CompoundLibrary {
 public:
  // `path` empty: the shipped "tvoc.csv" (ShippedFile), found at load time.
  explicit CompoundLibrary(std::string path = std::string()) : path_(std::move(path)) {}

  // Name of parameter code `code` (10000 and above); "Error" when unknown.
  std::string CompoundName(int code);
  bool loaded() const { return loaded_; }
  std::size_t size() const { return names_.size(); }

  // Splits one line into fields: a double quote toggles quoting and is
  // dropped; an unquoted comma ends a field; an empty last field is dropped.
  static std::vector<std::string> SplitLine(const std::string& line);

 private:
  void Load();

  std::string path_;
  bool loaded_ = false;
  std::vector<std::string> names_;
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

// The application-wide objects.
CParamNames& TheParamNames();
CUnitNames& TheUnitNames();

}  // namespace vantora
