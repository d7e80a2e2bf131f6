#include "exposure/units.h"

#include <cctype>
#include <cmath>
#include <limits>

#include "common/codepage.h"
#include "model/vocabulary.h"

namespace vantora::exposure {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::string Trimmed(const std::string& s) {
  std::string::size_type a = s.find_first_not_of(" \t");
  if (a == std::string::npos) return std::string();
  std::string::size_type b = s.find_last_not_of(" \t");
  return s.substr(a, b - a + 1);
}

std::string AsciiLower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

// Standard atomic weights, abridged to five significant figures: IUPAC
// Commission on Isotopic Abundances and Atomic Weights, "Abridged standard
// atomic weights" (2021). Elements of the gases and compounds a logger
// measures; a formula with any other element has no weight here.
struct Element {
  const char* symbol;
  double weight;
};
const Element kElements[] = {
    {"H", 1.0080}, {"C", 12.011}, {"N", 14.007}, {"O", 15.999},  {"F", 18.998}, {"Si", 28.085},
    {"P", 30.974}, {"S", 32.06},  {"Cl", 35.45}, {"Br", 79.904}, {"I", 126.90},
};

double ElementWeight(const std::string& symbol) {
  for (const Element& e : kElements)
    if (symbol == e.symbol) return e.weight;
  return kNaN;
}

// Formula grammar: group := (element | "(" group ")") count?; a count is
// 1 to 9999. Depth and length are bounded, so any text parses quickly.
class FormulaParser {
 public:
  explicit FormulaParser(const std::string& text) : s_(text) {}
  double Parse() {
    if (s_.empty() || s_.size() > 200) return kNaN;
    double w = Group(0);
    return pos_ == s_.size() && w > 0 ? w : kNaN;
  }

 private:
  double Group(int depth) {
    if (depth > 8) return kNaN;
    double total = 0;
    bool any = false;
    while (pos_ < s_.size() && s_[pos_] != ')') {
      double part;
      char c = s_[pos_];
      if (c == '(') {
        ++pos_;
        part = Group(depth + 1);
        if (pos_ >= s_.size() || s_[pos_] != ')') return kNaN;
        ++pos_;
      } else if (c >= 'A' && c <= 'Z') {
        std::string symbol(1, c);
        ++pos_;
        if (pos_ < s_.size() && s_[pos_] >= 'a' && s_[pos_] <= 'z') symbol += s_[pos_++];
        part = ElementWeight(symbol);
      } else {
        return kNaN;
      }
      if (std::isnan(part)) return kNaN;
      int count = 0;
      int digits = 0;
      while (pos_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[pos_]))) {
        if (++digits > 4) return kNaN;
        count = count * 10 + (s_[pos_++] - '0');
      }
      if (digits > 0 && count == 0) return kNaN;
      total += part * (digits ? count : 1);
      any = true;
    }
    return any ? total : kNaN;
  }

  const std::string& s_;
  std::size_t pos_ = 0;
};

enum class Family { None, Volume, Mass, Temperature, Humidity };

Family FamilyOf(Unit u) {
  switch (u) {
    case Unit::Ppm:
    case Unit::Ppb:
    case Unit::Percent: return Family::Volume;
    case Unit::MgPerM3:
    case Unit::UgPerM3:
    case Unit::GPerM3: return Family::Mass;
    case Unit::DegC:
    case Unit::DegF:
    case Unit::Kelvin: return Family::Temperature;
    case Unit::PercentRh: return Family::Humidity;
    case Unit::Other: break;
  }
  return Family::None;
}

// Volume fractions in ppm, mass concentrations in mg/m3.
double ToBase(double v, Unit u) {
  switch (u) {
    case Unit::Ppb: return v / 1000.0;
    case Unit::Percent: return v * 10000.0;
    case Unit::UgPerM3: return v / 1000.0;
    case Unit::GPerM3: return v * 1000.0;
    default: return v;
  }
}

double FromBase(double v, Unit u) {
  switch (u) {
    case Unit::Ppb: return v * 1000.0;
    case Unit::Percent: return v / 10000.0;
    case Unit::UgPerM3: return v * 1000.0;
    case Unit::GPerM3: return v / 1000.0;
    default: return v;
  }
}

double ToKelvin(double v, Unit u) {
  if (u == Unit::DegC) return v + 273.15;
  if (u == Unit::DegF) return (v - 32.0) * 5.0 / 9.0 + 273.15;
  return v;
}

double FromKelvin(double k, Unit u) {
  if (u == Unit::DegC) return k - 273.15;
  if (u == Unit::DegF) return (k - 273.15) * 9.0 / 5.0 + 32.0;
  return k;
}

}  // namespace

Unit LimitUnit(const std::string& text) {
  const std::string t = AsciiLower(Trimmed(text));
  if (t == "ppm") return Unit::Ppm;
  if (t == "ppb") return Unit::Ppb;
  if (t == "%") return Unit::Percent;
  if (t == "mg/m3") return Unit::MgPerM3;
  if (t == "\xC2\xB5g/m3" || t == "\xCE\xBCg/m3" || t == "ug/m3") return Unit::UgPerM3;
  if (t == "g/m3" || t == "g/m^3") return Unit::GPerM3;
  if (t ==
      "\xC2\xB0"
      "c")
    return Unit::DegC;
  if (t ==
      "\xC2\xB0"
      "f")
    return Unit::DegF;
  if (t == "k") return Unit::Kelvin;
  if (t == "%rh") return Unit::PercentRh;
  return Unit::Other;
}

Unit ChannelUnit(int unitCode) {
  switch (unitCode) {
    case 0: return Unit::DegC;
    case 1: return Unit::DegF;
    case 2: return Unit::Kelvin;
    case 3: return Unit::PercentRh;
    case 4: return Unit::Ppm;
    case 7:
    case 23: return Unit::UgPerM3;
    case 14: return Unit::GPerM3;
    case 17: return Unit::Percent;
    case 51: return Unit::Ppb;
    default: return Unit::Other;
  }
}

bool IsConcentration(Unit unit) {
  const Family f = FamilyOf(unit);
  return f == Family::Volume || f == Family::Mass;
}

double FormulaWeight(const std::string& formula) { return FormulaParser(Trimmed(formula)).Parse(); }

double MolecularWeight(int paramCode, CompoundLibrary& compounds) {
  if (paramCode >= kCompoundBase) {
    const CompoundEntry* entry = compounds.Entry(paramCode - kCompoundBase);
    return entry ? FormulaWeight(entry->formula) : kNaN;
  }
  if (paramCode >= 5000 && paramCode <= 9998) paramCode -= 5000;
  switch (paramCode) {
    case 3: return FormulaWeight("CO");
    case 4: return FormulaWeight("CO2");
    case 13: return FormulaWeight("SO2");
    case 14: return FormulaWeight("NO2");
    case 15: return FormulaWeight("H2S");
    case 16: return FormulaWeight("NO");
    case 18: return FormulaWeight("O2");
    case 19: return FormulaWeight("Cl2");
    case 20: return FormulaWeight("H2");
    case 21: return FormulaWeight("HCN");
    case 22: return FormulaWeight("NH3");
    case 23: return FormulaWeight("C2H4O");
    case 72: return FormulaWeight("O3");
    case 73: return FormulaWeight("HCl");
    case 86: return FormulaWeight("PH3");
    default: return kNaN;
  }
}

namespace {

Conversion ConvertValue(double value, Unit from, const std::string& fromName, Unit to,
                        const std::string& toName, double mw) {
  Conversion c;
  const Family ff = FamilyOf(from), tf = FamilyOf(to);
  auto refuse = [&](const std::string& why) {
    c.reason = why;
    return c;
  };
  if (ff == Family::None || tf == Family::None) {
    if (from == Unit::Other && to == Unit::Other && Trimmed(fromName) == Trimmed(toName) &&
        !Trimmed(fromName).empty()) {
      c.ok = true;
      c.value = value;
      return c;
    }
    return refuse(fromName + " does not convert to " + toName);
  }
  if (ff == tf) {
    c.ok = true;
    if (ff == Family::Temperature)
      c.value = FromKelvin(ToKelvin(value, from), to);
    else
      c.value = FromBase(ToBase(value, from), to);
    return c;
  }
  const bool volumeMass =
      (ff == Family::Volume && tf == Family::Mass) || (ff == Family::Mass && tf == Family::Volume);
  if (!volumeMass) return refuse(fromName + " does not convert to " + toName);
  if (!(mw > 0) || !std::isfinite(mw))
    return refuse(fromName + " converts to " + toName + " only with a molecular weight");
  const double base = ToBase(value, from);
  const double converted =
      ff == Family::Volume ? base * mw / kMolarVolume25C : base * kMolarVolume25C / mw;
  c.ok = true;
  c.value = FromBase(converted, to);
  return c;
}

}  // namespace

Conversion Convert(double value, Unit from, const std::string& fromName, Unit to,
                   const std::string& toName, double mw) {
  Conversion c = ConvertValue(value, from, fromName, to, toName, mw);
  // A value beyond the range of numbers in the other unit is no value there.
  if (c.ok && !std::isfinite(c.value)) {
    c = Conversion();
    c.reason = "the value is out of range in " + toName;
  }
  return c;
}

Conversion ConvertChannelValue(double value, int fromUnitCode, int toUnitCode, int paramCode,
                               CompoundLibrary& compounds) {
  const std::string fromName = Cp1252ToUtf8(TheUnitNames().GetName(fromUnitCode));
  const std::string toName = Cp1252ToUtf8(TheUnitNames().GetName(toUnitCode));
  if (fromUnitCode == toUnitCode) {
    Conversion same;
    same.ok = true;
    same.value = value;
    return same;
  }
  const Unit from = ChannelUnit(fromUnitCode), to = ChannelUnit(toUnitCode);
  double mw = std::numeric_limits<double>::quiet_NaN();
  if (FamilyOf(from) != FamilyOf(to)) mw = MolecularWeight(paramCode, compounds);
  return Convert(value, from, fromName, to, toName, mw);
}

}  // namespace vantora::exposure
