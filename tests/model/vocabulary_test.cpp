#include "model/vocabulary.h"

#include <gtest/gtest.h>

#include "support/locbytes.h"

namespace vantora {
namespace {

TEST(ParamNames, TablesAndRanges) {
  CParamNames names("/nonexistent/tvoc.csv");
  EXPECT_EQ(names.GetName(0, true), "Temperature");
  EXPECT_EQ(names.GetName(0, false), "Temp");
  EXPECT_EQ(names.GetName(5003, true), "Carbon Monoxide");
  EXPECT_EQ(names.GetName(5003, false), "CO");
  EXPECT_EQ(names.GetName(24, true), "Error");
  EXPECT_EQ(names.GetName(24, false), "Error");
  EXPECT_EQ(names.GetName(90, true), "Error");
  EXPECT_EQ(names.GetName(149, false), "Error");
  EXPECT_EQ(names.GetName(154, true), "GPS Valid");
  EXPECT_EQ(names.GetName(155, true), "Error");
  EXPECT_EQ(names.GetName(-1, true), "Error");
  EXPECT_EQ(names.GetName(9999, true), "");
  EXPECT_EQ(names.GetName(9000, false), "");
  EXPECT_EQ(names.GetName(9001, true), "Error");
  EXPECT_EQ(names.GetName(5154, false), "GPS Valid");
  EXPECT_EQ(names.GetName(41, true), "0.3\xB5m");
  EXPECT_EQ(names.GetName(83, false), "RWT");
}

TEST(UnitNames, Table) {
  CUnitNames units;
  EXPECT_EQ(units.GetName(0),
            "\xB0"
            "C");
  EXPECT_EQ(units.GetName(55), "mbar");
  EXPECT_EQ(units.GetName(52), "Error");
  EXPECT_EQ(units.GetName(66), "Error");
  EXPECT_EQ(units.GetName(9000), "");
  EXPECT_EQ(units.GetName(10), " ");
  EXPECT_EQ(units.GetName(26), " ");
  EXPECT_EQ(units.GetName(63), "inH20");
  EXPECT_EQ(units.GetName(-1), "Error");
}

TEST(Compounds, MissingFileNamesOnlyTheGenericCompound) {
  CParamNames names("/nonexistent/tvoc.csv");
  EXPECT_EQ(names.GetName(10000, true), "TVOC Compound");
  EXPECT_EQ(names.GetName(10001, true), "Error");
  EXPECT_FALSE(names.compounds().loaded());
}

TEST(Compounds, LoadsQuotedNamesAndSkipsBadLines) {
  test::TempDir dir;
  auto path = dir.File("tvoc.csv");
  std::string csv =
      "Number,Compound,Alternate,Formula\r\n"
      "1,Acetone,,C3H6O,1.1\r\n"
      "12,\"1,1,1-Trichloroethane, technical\",x\r\n"
      "13,\"Short, quoted\"\r\n"
      "0,Zero\r\n"
      "-4,Negative\r\n"
      "lonely\r\n"
      "7,First\n"
      "7,Second\n"
      "99999999999,Huge\n"
      "50,Last";
  test::WriteBytes(path, std::vector<std::uint8_t>(csv.begin(), csv.end()));
  CParamNames names(path);
  EXPECT_EQ(names.GetName(10001, true), "Acetone");
  EXPECT_EQ(names.GetName(10012, true), "1,1,1-Trichloroet...");
  EXPECT_EQ(names.GetName(10013, false), "Short, quoted");
  EXPECT_EQ(names.GetName(10007, true), "Second");
  EXPECT_EQ(names.GetName(10050, true), "Last");
  EXPECT_EQ(names.GetName(10051, true), "Error");
  EXPECT_EQ(names.GetName(10002, true), "");  // number without a line
  EXPECT_TRUE(names.compounds().loaded());
  EXPECT_EQ(names.compounds().size(), 51u);
}

TEST(Compounds, SplitLine) {
  using V = std::vector<std::string>;
  EXPECT_EQ(CompoundLibrary::SplitLine("a,b,"), (V{"a", "b"}));
  EXPECT_EQ(CompoundLibrary::SplitLine("a,,c"), (V{"a", "", "c"}));
  EXPECT_EQ(CompoundLibrary::SplitLine("\"x,y\"z,w"), (V{"x,yz", "w"}));
  EXPECT_EQ(CompoundLibrary::SplitLine(""), V{});
}

TEST(Compounds, ShippedListNamesCommonCompounds) {
  // tvoc.csv ships beside the programs; the tests run there.
  CParamNames names("tvoc.csv");
  EXPECT_EQ(names.GetName(10004, true), "Toluene");
  EXPECT_EQ(names.GetName(10003, true), "Benzene");
  EXPECT_GE(names.compounds().size(), 30u);
}

}  // namespace
}  // namespace vantora
