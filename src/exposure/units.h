// Units of exposure limits and channels, and the conversions between them:
// volume fractions (ppm, ppb, %), mass concentrations (mg/m3, ug/m3, g/m3,
// linked to volume fractions through a molecular weight), temperatures and
// relative humidity.
#pragma once

#include <string>

namespace vantora {
class CompoundLibrary;
}

namespace vantora::exposure {

enum class Unit {
  Other,  // converts to nothing but a limit in exactly its own unit name
  Ppm,
  Ppb,
  Percent,
  MgPerM3,
  UgPerM3,
  GPerM3,
  DegC,
  DegF,
  Kelvin,
  PercentRh,
};

// The unit of a limit from its text (UTF-8, letter case ignored): ppm, ppb,
// %, mg/m3, µg/m3 or ug/m3, g/m3 or g/m^3, °C, °F, K, %RH; Other else.
Unit LimitUnit(const std::string& text);
// The unit of a channel's unit code: 4 ppm, 51 ppb, 17 %, 7 and 23 µg/m3,
// 14 g/m^3, 0/1/2 °C/°F/K, 3 %RH; Other else.
Unit ChannelUnit(int unitCode);

// True for the units of concentrations (volume fractions and mass per
// volume), where time without a reading can stand for zero.
bool IsConcentration(Unit unit);

// Molar volume of an ideal gas at 25 °C and 1 atm, in litres: mg/m3 = ppm
// × MW / 24.45.
constexpr double kMolarVolume25C = 24.45;

// Molecular weight (g/mol) of a chemical formula such as "C7H8", "C2H3Cl3"
// or "CH3(CH2)4CH3", from standard atomic weights; NaN when the formula does
// not parse or holds an element outside the table.
double FormulaWeight(const std::string& formula);

// Molecular weight of the substance a parameter code measures: the built-in
// gases (CO, CO2, SO2, NO2, H2S, NO, oxygen, chlorine, hydrogen, HCN,
// ammonia, ethylene oxide, ozone, HCl, phosphine) or a compound of the
// compound list (10000 + n) by its formula. NaN when unknown.
double MolecularWeight(int paramCode, CompoundLibrary& compounds);

struct Conversion {
  bool ok = false;
  double value = 0;
  std::string reason;  // why it does not convert (UTF-8)
};

// `value` in `from` expressed in `to`. `mw` (g/mol, NaN when unknown) links
// volume fractions to mass concentrations. `fromName` and `toName` (UTF-8)
// name the units in the reason, and decide for Other units, which convert
// only to a unit of exactly the same name.
Conversion Convert(double value, Unit from, const std::string& fromName, Unit to,
                   const std::string& toName, double mw);

// `value` of a channel in unit code `from` expressed in unit code `to`, for
// a parameter code (its molecular weight when volume and mass meet).
Conversion ConvertChannelValue(double value, int fromUnitCode, int toUnitCode, int paramCode,
                               CompoundLibrary& compounds);

}  // namespace vantora::exposure
