// vantora exposure and limits, run as a separate process.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <filesystem>

#include "support/clirun.h"
#include "support/locbytes.h"

namespace vantora {
namespace {

using test::CliRun;
using test::LocationSpec;
const auto& Quoted = test::ShellQuote;

class CliExposureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(site);
    // One hour from 09:00 on 1 June 2026: CO 30 ppm, toluene 300,000 ppb.
    LocationSpec a;
    a.channels = {{"CO", 3, 4, 1, 6}, {"Toluene", 10004, 51, 0, 7}};
    for (std::uint32_t r = 0; r < 60; ++r) a.records.push_back({r * 60, {30.0f, 300000.0f}});
    test::WriteBytes(site + "B Store.loc", test::LocationBytes(a));
    LocationSpec b;
    b.channels = {{"Temp", 0, 0, 1, 6}};
    for (std::uint32_t r = 0; r < 10; ++r) b.records.push_back({r * 60, {22.0f}});
    test::WriteBytes(site + "A Office.loc", test::LocationBytes(b));
  }
  CliRun Vantora(const std::string& args) { return test::RunVantora(args, dir); }
  QJsonObject Json(const CliRun& run) {
    return QJsonDocument::fromJson(QByteArray::fromStdString(run.out)).object();
  }
  test::TempDir dir;
  std::string site = dir.path() + "/site/";
};

TEST_F(CliExposureTest, JsonOfASiteInNameOrder) {
  CliRun run = Vantora("exposure --json --set 'workplace (niosh rel)' " + Quoted(site));
  ASSERT_EQ(run.status, 0) << run.err;
  QJsonObject j = Json(run);
  EXPECT_EQ(j["limitSet"].toString(), "Workplace (NIOSH REL)");
  QJsonArray locations = j["locations"].toArray();
  ASSERT_EQ(locations.size(), 2);
  EXPECT_EQ(locations[0].toObject()["name"].toString(), "A Office");
  QJsonObject store = locations[1].toObject();
  EXPECT_EQ(store["name"].toString(), "B Store");
  EXPECT_EQ(store["start"].toString(), "2026-06-01T09:00:00+02:00");
  EXPECT_EQ(store["end"].toString(), "2026-06-01T09:59:00+02:00");
  EXPECT_EQ(store["interval"].toInt(), 60);
  EXPECT_EQ(store["verdict"].toString(), "exceeded");
  QJsonObject co = store["channels"].toArray()[0].toObject();
  QJsonObject twa8h = co["twa8h"].toObject();
  EXPECT_EQ(co["parameter"].toString(), "Carbon Monoxide");
  EXPECT_EQ(co["readings"].toInt(), 60);
  EXPECT_EQ(co["sampledSeconds"].toInt(), 3600);
  EXPECT_DOUBLE_EQ(co["twaSample"].toDouble(), 30.0);
  EXPECT_DOUBLE_EQ(twa8h["value"].toDouble(), 3.75);
  EXPECT_TRUE(twa8h["shortSample"].toBool());
  EXPECT_EQ(twa8h["windowStart"].toString(), "2026-06-01T09:00:00+02:00");
  EXPECT_EQ(co["verdict"].toString(), "insufficient data");
  EXPECT_EQ(co["reason"].toString(), "short sample: unsampled time counted as zero");
  QJsonObject ceiling = co["limits"].toArray()[1].toObject();
  EXPECT_EQ(ceiling["kind"].toString(), "ceiling");
  EXPECT_EQ(ceiling["count"].toInt(), 0);
  EXPECT_DOUBLE_EQ(ceiling["ratio"].toDouble(), 0.15);
  QJsonObject stel = store["channels"].toArray()[1].toObject()["limits"].toArray()[1].toObject();
  EXPECT_EQ(stel["kind"].toString(), "STEL");
  EXPECT_DOUBLE_EQ(stel["valueInChannelUnit"].toDouble(), 150000.0);
  EXPECT_TRUE(stel["exceeded"].toBool());
  EXPECT_EQ(stel["periods"].toInt(), 1);
  EXPECT_EQ(stel["source"].toString(), "NIOSH Pocket Guide to Chemical Hazards (REL)");

  EXPECT_EQ(Vantora("exposure --fail-on-exceeded " + Quoted(site)).status, 0);  // indoor set
  EXPECT_EQ(
      Vantora("exposure --fail-on-exceeded --set 'Workplace (NIOSH REL)' " + Quoted(site)).status,
      3);
}

TEST_F(CliExposureTest, UserLimitsUnreadableFilesAndUnknownSets) {
  const std::string limits = dir.File("mine.csv");
  test::WriteBytes(limits, {});
  std::string text =
      "set,parameter,kind,value,unit,source\nStrict,CO,ceiling,25,ppm,house "
      "rule\nStrict,CO,x,1,ppm,y\n";
  test::WriteBytes(limits, std::vector<std::uint8_t>(text.begin(), text.end()));
  test::WriteBytes(site + "C Broken.loc", {4, 4, 24});
  CliRun run = Vantora("exposure --limits " + Quoted(limits) + " " + Quoted(site));
  EXPECT_EQ(run.status, 1);  // the broken file
  EXPECT_NE(run.err.find(limits + ":3: kind \"x\""), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("C Broken.loc"), std::string::npos) << run.err;
  EXPECT_NE(run.out.find("Limit set: Strict"), std::string::npos);  // the file's first set
  EXPECT_NE(run.out.find("B Store"), std::string::npos);
  EXPECT_NE(run.out.find("Ceiling 25 ppm"), std::string::npos);
  EXPECT_NE(run.out.find("\nMethod\n"), std::string::npos);

  CliRun unknown = Vantora("exposure --set Nope " + Quoted(site + "A Office.loc"));
  EXPECT_EQ(unknown.status, 2);
  EXPECT_NE(unknown.err.find("no limit set is named \"Nope\""), std::string::npos);
  EXPECT_EQ(
      Vantora("exposure --limits " + Quoted(dir.File("none.csv")) + " " + Quoted(site)).status, 1);

  CliRun list = Vantora("limits --limits " + Quoted(limits));
  ASSERT_EQ(list.status, 0) << list.err;
  for (const char* set : {"Workplace (NIOSH REL)\n", "Workplace (OSHA PEL)\n",
                          "Indoor air (guideline)\n", "Strict\n"})
    EXPECT_NE(list.out.find(set), std::string::npos) << set;
  EXPECT_NE(list.out.find("Carbon Monoxide  TWA8 35 ppm"), std::string::npos);
}

}  // namespace
}  // namespace vantora
