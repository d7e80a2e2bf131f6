// Limit files, parameter names and units.
#include "exposure/limits.h"

#include <gtest/gtest.h>

#include <cmath>

#include "exposure/units.h"
#include "model/vocabulary.h"

namespace vantora::exposure {
namespace {

CompoundLibrary& Compounds() { return TheParamNames().compounds(); }

TEST(Limits, MalformedRowsAreReportedWithFileAndLineAndSkipped) {
  LimitLibrary lib;
  std::vector<std::string> problems, names;
  lib.AddText(
      "\xEF\xBB\xBFset,parameter,kind,value,unit,source\r\n"
      "Mine,CO,TWA8,25,ppm,my standard\r\n"
      "Mine,CO,peak,25,ppm,x\r\n"
      "Mine,CO,STEL,lots,ppm,x\r\n"
      "Mine,Unobtainium,STEL,1,ppm,x\r\n"
      "Mine,CO,STEL,1,ppm\r\n"
      "Mine,CO,STEL,1,,x\r\n"
      "Mine,\"CO,STEL,1,ppm,x\r\n"
      "\r\n"
      ",CO,STEL,1,ppm,x\r\n"
      "\"Other, quoted\",carbon monoxide,ceiling,+2e2,PPM,\"says \"\"so\"\"\"\r\n"
      "Mine,5003,high,1.5,ppm,x\r\n",
      "limits.csv", Compounds(), problems, &names);
  ASSERT_EQ(problems.size(), 7u);
  EXPECT_EQ(problems[0], "limits.csv:3: kind \"peak\" is none of TWA8, STEL, ceiling, high, low");
  EXPECT_EQ(problems[1], "limits.csv:4: value \"lots\" is not a number");
  EXPECT_EQ(problems[2], "limits.csv:5: \"Unobtainium\" names no parameter or compound");
  EXPECT_EQ(problems[3], "limits.csv:6: 6 fields expected, 5 found");
  EXPECT_EQ(problems[4], "limits.csv:7: the unit is missing");
  EXPECT_EQ(problems[5], "limits.csv:8: a quote is not closed");
  EXPECT_EQ(problems[6], "limits.csv:10: the set has no name");
  EXPECT_EQ(names, (std::vector<std::string>{"Mine", "Other, quoted"}));
  const LimitSet* mine = lib.Find("mine");
  ASSERT_TRUE(mine);
  ASSERT_EQ(mine->rows.size(), 2u);
  EXPECT_EQ(mine->rows[1].codes, std::vector<int>{3});  // 5003 counts as 3
  EXPECT_EQ(mine->rows[1].line, 12);
  const LimitSet* other = lib.Find("Other, quoted");
  ASSERT_TRUE(other);
  EXPECT_EQ(other->rows[0].value, 200.0);
  EXPECT_EQ(other->rows[0].source, "says \"so\"");
  EXPECT_EQ(other->rows[0].codes, std::vector<int>{3});

  // Without the heading nothing is read.
  LimitLibrary none;
  problems.clear();
  none.AddText("Mine,CO,TWA8,25,ppm,x\n", "u.csv", Compounds(), problems);
  EXPECT_TRUE(none.Sets().empty());
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0].rfind("u.csv:1: the first line must be the heading", 0), 0u);
}

TEST(Limits, NamesCodesAndCompounds) {
  EXPECT_EQ(ParameterCodesOf("Depth", Compounds()), (std::vector<int>{60, 75, 76}));
  EXPECT_EQ(ParameterCodesOf("rh", Compounds()), std::vector<int>{1});
  EXPECT_EQ(ParameterCodesOf("24", Compounds()), std::vector<int>{});  // no such parameter
  EXPECT_EQ(ParameterCodesOf("toluene", Compounds()), std::vector<int>{10004});
  // A full compound name, longer than the 20 characters a channel shows.
  EXPECT_EQ(ParameterCodesOf("1,1,1-Trichloroethane, technical grade", Compounds()),
            std::vector<int>{10012});
  EXPECT_TRUE(ParameterCodesOf("", Compounds()).empty());
}

TEST(Limits, UserSetsReplaceShippedOnesOfTheSameNameAndTheOshaSetUsesTheCompoundList) {
  LoadedLimits shipped = LoadLimitLibrary("", "", Compounds());
  EXPECT_TRUE(shipped.problems.empty()) << shipped.problems[0];
  ASSERT_EQ(shipped.library.Sets().size(), 3u);
  EXPECT_EQ(ChooseLimitSet(shipped, "")->name, kDefaultLimitSet);
  const LimitSet* osha = shipped.library.Find(kOshaLimitSet);
  ASSERT_TRUE(osha);
  // Toluene (compound 4, "200 ppm" in the list) against a ppb channel.
  auto toluene = LimitsForChannel(*osha, 10004, 51, Compounds());
  ASSERT_EQ(toluene.size(), 1u);
  EXPECT_EQ(toluene[0].source, "compound list (OSHA PEL)");
  EXPECT_DOUBLE_EQ(toluene[0].valueInChannelUnit, 200000.0);
  // Elsewhere the compound list gives nothing.
  EXPECT_TRUE(
      LimitsForChannel(*shipped.library.Find("Workplace (NIOSH REL)"), 10005, 4, Compounds())
          .empty());

  LimitLibrary lib = shipped.library;
  std::vector<std::string> problems, names;
  lib.AddText(
      "set,parameter,kind,value,unit,source\nWorkplace (OSHA PEL),Toluene,TWA8,50,ppm,mine\n",
      "user.csv", Compounds(), problems, &names);
  ASSERT_EQ(lib.Sets().size(), 3u);
  EXPECT_EQ(lib.Sets()[1].name, kOshaLimitSet);  // replaced in its place
  auto own = LimitsForChannel(lib.Sets()[1], 10004, 4, Compounds());
  ASSERT_EQ(own.size(), 1u);
  EXPECT_EQ(own[0].source, "mine");
}

TEST(Units, ConversionsAndMolecularWeights) {
  EXPECT_NEAR(FormulaWeight("C7H8"), 7 * 12.011 + 8 * 1.008, 1e-9);
  EXPECT_NEAR(FormulaWeight("CH3(CH2)4CH3"), 6 * 12.011 + 14 * 1.008, 1e-9);
  EXPECT_NEAR(FormulaWeight("C2H3Cl3"), 2 * 12.011 + 3 * 1.008 + 3 * 35.45, 1e-9);
  for (const char* bad : {"", "Xx2", "C7H8)", "(C", "c7", "C0", "C12345"})
    EXPECT_TRUE(std::isnan(FormulaWeight(bad))) << bad;
  EXPECT_NEAR(MolecularWeight(5003, Compounds()), 28.010, 1e-9);

  auto c = Convert(1, Unit::Percent, "%", Unit::Ppb, "ppb", std::nan(""));
  EXPECT_TRUE(c.ok);
  EXPECT_DOUBLE_EQ(c.value, 1e7);
  c = Convert(20, Unit::DegC,
              "\xC2\xB0"
              "C",
              Unit::Kelvin, "K", std::nan(""));
  EXPECT_DOUBLE_EQ(c.value, 293.15);
  c = Convert(100, Unit::UgPerM3, "\xC2\xB5g/m3", Unit::Ppm, "ppm", 92.141);
  EXPECT_NEAR(c.value, 0.1 * 24.45 / 92.141, 1e-15);
  c = Convert(1, Unit::Ppm, "ppm", Unit::MgPerM3, "mg/m3", std::nan(""));
  EXPECT_FALSE(c.ok);
  EXPECT_EQ(c.reason, "ppm converts to mg/m3 only with a molecular weight");
  EXPECT_FALSE(Convert(50, Unit::PercentRh, "%RH", Unit::Percent, "%", 1).ok);
  EXPECT_EQ(LimitUnit("UG/M3"), Unit::UgPerM3);
  EXPECT_EQ(LimitUnit("g/m^3"), Unit::GPerM3);
  EXPECT_EQ(LimitUnit("\xC2\xB0"
                      "f"),
            Unit::DegF);
  EXPECT_EQ(LimitUnit("mg/L"), Unit::Other);
  // Channels: ppb to ppm, and a mass channel of a compound by its formula.
  auto v = ConvertChannelValue(2500, 51, 4, 10004, Compounds());
  EXPECT_DOUBLE_EQ(v.value, 2.5);
  v = ConvertChannelValue(1, 4, 23, 10004, Compounds());
  EXPECT_NEAR(v.value, (7 * 12.011 + 8 * 1.008) / 24.45 * 1000, 1e-9);
  EXPECT_FALSE(ConvertChannelValue(1, 5, 6, 5, Compounds()).ok);
}

}  // namespace
}  // namespace vantora::exposure
