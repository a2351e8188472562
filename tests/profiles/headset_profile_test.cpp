#include "profiles/headset_profile.h"

#include <gtest/gtest.h>

#include "profiles/json_file.h"
#include "profiles/profile_paths.h"
#include "tests/profiles/profile_test_support.h"

namespace nimbel {
namespace {

class HeadsetProfileTest : public testing::DataFoldersTest {
 protected:
  HeadsetProfileTest() {
    Json::Value file;
    for (int slot = 0; slot <= 12; ++slot) {
      for (int band = 0; band < 10; ++band)
        file["Device"][0]["EQHzValueInfo"][slot][band]["value"] = slot * 100 + band;
    }
    file["Device"][0]["EQHzValueInfo"][5][9] = Json::Value();
    EXPECT_TRUE(WriteJsonFile(path_, file));
    headset_.LoadProfile(path_);
  }
  static std::vector<std::int32_t> Bands(int slot) {
    std::vector<std::int32_t> bands;
    for (int band = 0; band < 10; ++band) bands.push_back(slot * 100 + band);
    return bands;
  }

  std::string path_ = ProfileFile("HD", "h");
  CAq4410Profiledata headset_;
};

TEST_F(HeadsetProfileTest, EqualiserTypesChooseTheirSlot) {
  const struct {
    std::int32_t type;
    int slot;
  } cases[] = {{1, 1}, {0, 1}, {12, 12}, {7, 7}, {14, 1}, {-3, 1}};
  for (const auto& c : cases) EXPECT_EQ(headset_.GetEqBands(c.type), Bands(c.slot)) << c.type;
  EXPECT_TRUE(headset_.GetEqBands(CAq4410Profiledata::kOwnPresetType).empty());
  const std::vector<std::int32_t> bands(10, -6);
  headset_.SetEqBands(CAq4410Profiledata::kOwnPresetType, bands);
  EXPECT_EQ(headset_.Document()["EQHzValueInfo"].size(), 13u) << "type 13 stores nothing";
}

TEST_F(HeadsetProfileTest, MissingBandsAreCreatedAsZero) {
  std::vector<std::int32_t> expected = Bands(5);
  expected[9] = 0;
  EXPECT_EQ(headset_.GetEqBands(5), expected);
  EXPECT_EQ(headset_.Document()["EQHzValueInfo"][5][9]["value"], Json::Value(0));

  CAq4410Profiledata empty;
  EXPECT_EQ(empty.GetEqBands(3), std::vector<std::int32_t>(10, 0));
  EXPECT_EQ(empty.Document()["EQHzValueInfo"][3].size(), 10u);
}

TEST_F(HeadsetProfileTest, SetEqBandsWritesTheSlot) {
  const std::vector<std::int32_t> bands{1, -2, 3, -4, 5, -6, 7, -8, 9, -10};
  headset_.SetEqBands(0, bands);
  EXPECT_EQ(headset_.GetEqBands(1), bands);
}

TEST_F(HeadsetProfileTest, OwnPresetsKeepNamesAndBands) {
  const std::vector<std::string> names{"Bass", "\xE4\xB8\xAD\xE6\x96\x87"};
  headset_.SetCustomEqNames(names);
  EXPECT_EQ(headset_.GetCustomEqNames(), names);
  const std::vector<std::int32_t> bands{4, 4, 2, 0, 0, 0, 0, 1, 2, 3};
  headset_.SetCustomEqBands(1, bands);
  EXPECT_EQ(headset_.GetCustomEqBands(1), bands);
  EXPECT_EQ(headset_.GetCustomEqBands(0), std::vector<std::int32_t>(10, 0));
}

TEST_F(HeadsetProfileTest, NoOwnPresetSelectedCreatesNothing) {
  EXPECT_EQ(headset_.GetCustomEqBands(-1), std::vector<std::int32_t>(10, 0));
  headset_.SetCustomEqBands(-1, std::vector<std::int32_t>(10, 5));
  EXPECT_FALSE(headset_.Document().isMember("CustomEQHzValueInfo"));
}

TEST_F(HeadsetProfileTest, SettingsAreNotCut) {
  const HeadsetSystemSettings settings{1, 3, 13, -1, 1, 100, 0, 70000};
  headset_.SetHeadsetSettings(settings);
  EXPECT_EQ(headset_.GetHeadsetSettings(), settings);
  EXPECT_EQ(headset_.Document()["SystemSetStages"]["CustomEqSeletIndex"].asInt(), -1);
}

}  // namespace
}  // namespace nimbel
