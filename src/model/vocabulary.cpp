#include "model/vocabulary.h"

#include <cstdlib>
#include <map>

#include "common/pathutil.h"
#include "common/resources.h"

namespace vantora {

namespace {

struct ParamRow {
  int code;
  const char* longName;
  const char* shortName;
};

// "\xB5" is the micro sign in Windows-1252.
const ParamRow kParams[] = {
    {0, "Temperature", "Temp"},
    {1, "Relative Humidity", "RH"},
    {2, "Dew Point", "Dew"},
    {3, "Carbon Monoxide", "CO"},
    {4, "Carbon Dioxide", "CO2"},
    {5, "Air Speed", "Air Speed"},
    {6, "Concentration", "Conc"},
    {7, "Volume Flow", "Vol Flow"},
    {8, "A/D Counts", "Counts"},
    {9, "Battery Voltage", "Bat V"},
    {10, "Absolute Humidity", "AbsHum"},
    {11, "Wet Bulb", "WetBulb"},
    {12, "Humidity Ratio", "HumRatio"},
    {13, "Sulfur Dioxide", "SO2"},
    {14, "Nitrogen Dioxide", "NO2"},
    {15, "Hydrogen Sulfide", "H2S"},
    {16, "Nitric Oxide", "NO"},
    {17, "Specific Humidity", "Spec Hum"},
    {18, "Oxygen", "Oxygen"},
    {19, "Chlorine", "Chlorine"},
    {20, "Hydrogen", "Hydrogen"},
    {21, "Hydrogen Cyanide", "HCN"},
    {22, "Ammonia", "Ammonia"},
    {23, "Ethylene Oxide", "EtO"},
    {25, "Leakage", "Leakage"},
    {26, "Penetration", "Penetration"},
    {27, "Resistance", "Resistance"},
    {28, "Rate of Flow", "Flow Rate"},
    {29, "P/F", "P/F"},
    {30, "Pass/Fail Fit", "P/F Fit"},
    {31, "Pass/Fail Pen", "P/F Pen"},
    {32, "Pass/Fail Valve", "P/F Vlv"},
    {33, "Pass/Fail Drink 1", "P/F Dnk1"},
    {34, "Pass/Fail Drink 2", "P/F Dnk2"},
    {35, "Pass/Fail Drink 3", "P/F Dnk3"},
    {36, "Test Number", "Test #"},
    {37, "Unit Number", "Unit #"},
    {38, "Retest", "Retest"},
    {39, "Accept", "Accept"},
    {40, "Fit Factor", "Fit"},
    {41, "0.3\xB5m", "0.3\xB5m"},
    {42, "0.5\xB5m", "0.5\xB5m"},
    {43, "0.7\xB5m", "0.7\xB5m"},
    {44, "1.0\xB5m", "1.0\xB5m"},
    {45, "2.0\xB5m", "2.0\xB5m"},
    {46, "2.5\xB5m", "2.5\xB5m"},
    {47, "5.0\xB5m", "5.0\xB5m"},
    {48, "10.0\xB5m", "10.0\xB5m"},
    {49, "20.0\xB5m", "20.0\xB5m"},
    {50, "Conductivity", "Cond"},
    {51, "Specific Conductivity", "Sp.Cond"},
    {52, "Resistivity", "Resist"},
    {53, "Total Dissolved Solids", "TDS"},
    {54, "Salinity", "Salinity"},
    {55, "DO %Saturation", "DO %Sat."},
    {56, "pH", "pH"},
    {57, "Orp", "Orp"},
    {58, "Turbidity", "Turbid"},
    {59, "Pressure", "Pressure"},
    {60, "Depth", "Depth"},
    {61, "Ammonium Nitrogen", "NH4+ N"},
    {62, "Ammonia Nitrogen", "NH3 N"},
    {63, "Nitrate Nitrogen", "NO3+ N"},
    {64, "Chloride", "Cl-"},
    {65, "Chlorophyll", "Chl"},
    {66, "Dissolved Oxygen", "DO"},
    {67, "Leq", "LAeq"},
    {68, "SPL", "SPL"},
    {69, "Peak", "Peak"},
    {70, "Total dissolved gas", "TDG"},
    {71, "Specific Conductivity", "Sp.Cond"},
    {72, "Ozone", "Ozone"},
    {73, "Hydrogen Chloride", "HCl"},
    {74, "Conductivity", "Cond"},
    {75, "Depth", "Depth"},
    {76, "Depth", "Depth"},
    {77, "Total dissolved gas", "TDG"},
    {78, "Circulator", "Circ"},
    {79, "Chlorophyll", "Chl"},
    {80, "Fluorescence", "Fluor"},
    {81, "Turbidity+", "Turbid+"},
    {82, "DO Charge", "DO chrg"},
    {83, "Rhodamine", "RWT"},
    {84, "Stage", "Stage"},
    {85, "Stage", "Stage"},
    {86, "Phosphine", "PH3"},
    {87, "TVOC", "TVOC"},
    {88, "TVOC", "TVOC"},
    {89, "Velocity", "Velocity"},
    {150, "Clean", "Clean"},
    {151, "Latitude", "Latitude"},
    {152, "Longitude", "Longitude"},
    {153, "GPS Time", "GPS Time"},
    {154, "GPS Valid", "GPS Valid"},
};

const std::map<int, const char*>& UnitTable() {
  static const std::map<int, const char*> table = {
      {0,
       "\xB0"
       "C"},
      {1,
       "\xB0"
       "F"},
      {2, "K"},
      {3, "%RH"},
      {4, "ppm"},
      {5, "m/s"},
      {6, "ft/m"},
      {7, "\xB5g/m3"},
      {8, "cfm"},
      {9, "m3/h"},
      {10, " "},
      {11, "V"},
      {12, "l/s"},
      {13, "ppmw"},
      {14, "g/m^3"},
      {15, "lb/cu ft"},
      {16, "grains/cu ft"},
      {17, "%"},
      {18, "lb/lb"},
      {19, "grains/lb"},
      {20, "kg/kg"},
      {21, "g/kg"},
      {22, "cpm"},
      {23, "\xB5g/m3"},
      {24, "LPM"},
      {25, "inches"},
      {26, " "},
      {27, " counts/ cu ft"},
      {28, " counts/ l"},
      {29, "ms/cm"},
      {30, "\xB5s/cm"},
      {31, "mOhm*cm"},
      {32, "kOhm*cm"},
      {33, "ohm*cm"},
      {34, "g/L"},
      {35, "kg/L"},
      {36, "mg/L"},
      {37, "ppt"},
      {38, "mV"},
      {39, "NTU"},
      {40, "psia"},
      {41, "psir"},
      {42, "m"},
      {43, "ft"},
      {44, "dB"},
      {45, "mmHg"},
      {46, "psi"},
      {47, "ft/s"},
      {48, "ug/L"},
      {49, "%FS"},
      {50, "PSS"},
      {51, "ppb"},
      {55, "mbar"},
      {59, "Pa"},
      {62, "m3/s"},
      {63, "inH20"},
      {64, "Rev"},
      {65, "Degrees"},
      {9000, ""},
  };
  return table;
}

// Windows-1252 letters compared without case: ASCII and the accented
// letters of the upper half (0xC0-0xDE pair with 0xE0-0xFE, but 0xD7/0xF7).
unsigned char FoldCase(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
  return c;
}

bool EqualIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (FoldCase(static_cast<unsigned char>(a[i])) != FoldCase(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

std::string ShortenCompound(std::string name) {
  if (name.size() > 20) name = name.substr(0, 17) + "...";
  return name;
}

}  // namespace

std::vector<std::string> CompoundLibrary::SplitLine(const std::string& line) {
  std::vector<std::string> fields;
  std::string field;
  bool quoted = false;
  for (char c : line) {
    if (c == '"') {
      quoted = !quoted;
    } else if (c == ',' && !quoted) {
      fields.push_back(field);
      field.clear();
    } else {
      field += c;
    }
  }
  if (!field.empty()) fields.push_back(field);
  return fields;
}

void CompoundLibrary::Load() {
  std::string path = path_.empty() ? ShippedFile("tvoc.csv") : path_;
  std::string text;
  if (!ReadTextFile(path, text)) return;
  loaded_ = true;
  names_.clear();
  entries_.clear();
  std::string::size_type start = 0;
  while (start < text.size()) {
    auto end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    auto fields = SplitLine(text.substr(start, end - start));
    if (fields.size() >= 2) {
      long number = std::strtol(fields[0].c_str(), nullptr, 10);
      // Numbers far beyond any code a channel can carry are not stored.
      if (number >= 1 && number < 65536) {
        const auto n = static_cast<std::size_t>(number);
        if (names_.size() <= n) {
          names_.resize(n + 1);
          entries_.resize(n + 1);
        }
        names_[n] = fields[1];
        entries_[n] = {fields[1], fields.size() > 3 ? fields[3] : std::string(),
                       fields.size() > 6 ? fields[6] : std::string()};
      }
    }
    start = end + 1;
  }
}

std::string CompoundLibrary::CompoundName(int code) {
  std::lock_guard<std::mutex> guard(mutex_);
  if (code == kCompoundBase) return "TVOC Compound";
  if (!loaded_) Load();
  long k = static_cast<long>(code) - kCompoundBase;
  if (k >= 1 && k < static_cast<long>(names_.size()))
    return ShortenCompound(names_[static_cast<std::size_t>(k)]);
  return "Error";
}

const CompoundEntry* CompoundLibrary::Entry(int number) {
  std::lock_guard<std::mutex> guard(mutex_);
  if (!loaded_) Load();
  if (number < 1 || static_cast<std::size_t>(number) >= entries_.size()) return nullptr;
  const CompoundEntry& entry = entries_[static_cast<std::size_t>(number)];
  return entry.name.empty() ? nullptr : &entry;
}

std::vector<int> CompoundLibrary::NumbersNamed(const std::string& name) {
  std::lock_guard<std::mutex> guard(mutex_);
  if (!loaded_) Load();
  std::vector<int> numbers;
  for (std::size_t n = 1; n < entries_.size(); ++n)
    if (!entries_[n].name.empty() && EqualIgnoringCase(entries_[n].name, name))
      numbers.push_back(static_cast<int>(n));
  return numbers;
}

std::vector<int> ParameterCodesNamed(const std::string& name) {
  std::vector<int> codes;
  for (const auto& row : kParams)
    if (EqualIgnoringCase(row.longName, name) || EqualIgnoringCase(row.shortName, name))
      codes.push_back(row.code);
  return codes;
}

bool IsTableParameter(int code) {
  for (const auto& row : kParams)
    if (row.code == code) return true;
  return false;
}

std::string CParamNames::GetName(int code, bool longForm) {
  if (code >= kCompoundBase) return compounds_.CompoundName(code);
  if (code == 9999) return userDefined_;
  if (code == 9000) return std::string();
  if (code >= 5000 && code <= 9998) code -= 5000;
  for (const auto& row : kParams)
    if (row.code == code) return longForm ? row.longName : row.shortName;
  return "Error";
}

std::string CUnitNames::GetName(int code) const {
  const auto& table = UnitTable();
  auto it = table.find(code);
  return it == table.end() ? "Error" : it->second;
}

CParamNames& TheParamNames() {
  static CParamNames names;
  return names;
}

CUnitNames& TheUnitNames() {
  static CUnitNames names;
  return names;
}

}  // namespace vantora
