#include "profiles/mouse_profile.h"

#include <gtest/gtest.h>

#include "profiles/json_file.h"
#include "profiles/profile_paths.h"
#include "tests/profiles/profile_test_support.h"

namespace nimbel {
namespace {

using testing::WriteText;

Json::Value StageSet(int active, int count, int firstDpi) {
  Json::Value set;
  set["StageActive"] = active;
  for (int i = 0; i < count; ++i) {
    Json::Value& stage = set["StageDPIs"][i];
    stage["StageActive"] = 1;
    stage["StageXY"] = 0;
    stage["StageDPIX"] = firstDpi + 100 * i;
    stage["StageDPIY"] = firstDpi + 100 * i;
    stage["StageColorR"] = i;
  }
  return set;
}

class MouseProfileTest : public testing::DataFoldersTest {
 protected:
  void Load(const Json::Value& document) {
    Json::Value file;
    file["Device"][0] = document;
    ASSERT_TRUE(WriteJsonFile(path_, file));
    mouse_.LoadProfile(path_);
  }

  std::string path_ = ProfileFile("mouse", "p");
  CMouseProfiledata mouse_;
};

TEST_F(MouseProfileTest, StageSetsFollowTheSensor) {
  const struct {
    std::uint16_t sensor;
    std::optional<int> set;
  } cases[] = {{0x3395, 0}, {0x3950, 1}, {0x3104, 2}, {0x3389, std::nullopt}};
  for (const auto& c : cases) EXPECT_EQ(CMouseProfiledata::DpiStageSetForSensor(c.sensor), c.set) << c.sensor;
}

TEST_F(MouseProfileTest, MissingStagesGiveNothingAndKeepTheActiveIndex) {
  Load(Json::Value(Json::objectValue));
  mouse_.SetActiveStage(4, 0);
  Load(Json::Value(Json::objectValue));
  EXPECT_TRUE(mouse_.GetDpiStages(0).empty());
  EXPECT_EQ(mouse_.GetActiveStage(), 4);
}

TEST_F(MouseProfileTest, HandEditedListsAreReadOnlyUpToTheWritableBound) {
  Json::Value document;
  Json::Value& stages = document["DPIStages"][0]["StageDPIs"] = Json::Value(Json::arrayValue);
  Json::Value& keys = document["KeyList"] = Json::Value(Json::arrayValue);
  for (int i = 0; i < 5000; ++i) {
    stages.append(Json::Value(Json::objectValue));
    keys.append(Json::Value(Json::objectValue));
  }
  Load(document);
  EXPECT_EQ(mouse_.GetDpiStages(0).size(), static_cast<std::size_t>(json::kMaxWritableIndex));
  EXPECT_EQ(mouse_.GetKeyList().size(), static_cast<std::size_t>(json::kMaxWritableIndex));
}

TEST_F(MouseProfileTest, AShorterReadKeepsTheEarlierTrailingStages) {
  Json::Value document;
  document["DPIStages"][1] = StageSet(2, 7, 400);
  Load(document);
  const std::vector<DpiStage> seven = mouse_.GetDpiStages(1);
  ASSERT_EQ(seven.size(), 7u);
  EXPECT_EQ(mouse_.GetActiveStage(), 2);

  document["DPIStages"][1] = StageSet(1, 5, 5000);
  Load(document);
  const std::vector<DpiStage> merged = mouse_.GetDpiStages(1);
  ASSERT_EQ(merged.size(), 7u);
  EXPECT_EQ(merged[0].dpiX, 5000);
  EXPECT_EQ(merged[4].dpiX, 5400);
  EXPECT_EQ(merged[5], seven[5]);
  EXPECT_EQ(merged[6], seven[6]);
  EXPECT_EQ(mouse_.GetActiveStage(), 1);
}

TEST_F(MouseProfileTest, StagesRoundTripAndCutTo16Bits) {
  Load(Json::Value(Json::objectValue));
  const std::vector<DpiStage> stages{{1, 0, 26000, 26000, 255, 0, 128}, {0, 1, 800, 1600, 1, 2, 3}};
  mouse_.SetDpiStages(stages, 2);
  mouse_.SetActiveStage(1, 2);
  ASSERT_EQ(mouse_.Save(), CBasicProfiledata::SaveResult::kSkipped) << "no KeyList in this document";
  EXPECT_EQ(mouse_.Document()["DPIStages"][2]["StageDPIs"][0]["StageDPIX"].asInt(), 26000);
  EXPECT_EQ(mouse_.Document()["DPIStages"][2]["StageActive"].asInt(), 1);

  Json::Value document = mouse_.Document();
  document["DPIStages"][2]["StageDPIs"][1]["StageDPIY"] = 70000;
  document["DPIStages"][2]["StageDPIs"][1]["StageColorG"] = 258;
  Load(document);
  CMouseProfiledata fresh;
  fresh.LoadProfile(path_);
  const std::vector<DpiStage> read = fresh.GetDpiStages(2);
  ASSERT_EQ(read.size(), 2u);
  EXPECT_EQ(read[0], stages[0]);
  EXPECT_EQ(read[1].dpiY, 70000 & 0xFFFF);
  EXPECT_EQ(read[1].green, 2);
}

TEST_F(MouseProfileTest, SystemSettingsRoundTripExceptTheSleepTimes) {
  Json::Value document;
  document["SystemStages"]["sleeptime"] = 10;
  document["SystemStages"]["sleeptimeH"] = 70001;
  Load(document);
  MouseSystemSettings settings;
  std::uint16_t next = 1;
  for (std::uint16_t* word :
       {&settings.doubleClickTime, &settings.mouseSpeed, &settings.pointerPrecision, &settings.scrollPage,
        &settings.wheelScrollLines, &settings.reportRate, &settings.dormancyTime, &settings.dormancyTimeH,
        &settings.antiShake, &settings.silentAltitudeItem, &settings.linearCalibration, &settings.keyDelay,
        &settings.deepSleepOff, &settings.sleepTime, &settings.sleepTimeH, &settings.reportSelectItemUsb,
        &settings.reportSelectItem24k}) {
    *word = next++;
  }
  settings.sensorLif = 1;
  settings.motionSync = 1;
  mouse_.SetSystemSettings(settings);
  MouseSystemSettings expected = settings;
  expected.sleepTime = 10;
  expected.sleepTimeH = 70001 & 0xFFFF;
  EXPECT_EQ(mouse_.GetSystemSettings(), expected);
  EXPECT_EQ(mouse_.Document()["ReportStages"]["StageActive"].asInt(), settings.reportRate);
  EXPECT_EQ(mouse_.Document()["SystemStages"]["ScorllPage"].asInt(), settings.scrollPage);
}

TEST_F(MouseProfileTest, WrongTypedSettingsReadAsZeroAndKeepTheRest) {
  Json::Value document;
  document["SystemStages"]["MouseSpeed"] = "fast";
  document["SystemStages"]["KeyDelay"] = 6;
  document["SystemStages"]["MotionSync"] = Json::Value(Json::objectValue);
  document["ReportStages"] = 3;
  document["DPIStages"] = "none";
  Load(document);
  const MouseSystemSettings settings = mouse_.GetSystemSettings();
  EXPECT_EQ(settings.mouseSpeed, 0);
  EXPECT_EQ(settings.keyDelay, 6);
  EXPECT_EQ(settings.motionSync, 0);
  EXPECT_EQ(settings.reportRate, 0);
  EXPECT_TRUE(mouse_.GetDpiStages(0).empty());
}

}  // namespace
}  // namespace nimbel
