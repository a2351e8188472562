#include "profiles/light_presets.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tests/profiles/profile_test_support.h"

namespace nimbel {
namespace {

using testing::WriteText;

class LightPresetsTest : public ::testing::Test {
 protected:
  LightPresetsTest() : folder_(testing::MakeTemporaryFolder()) {}
  ~LightPresetsTest() override { std::filesystem::remove_all(folder_); }

  // The presets of list 0 of a factory file and a light list holding these texts.
  LightPresets LoadTexts(const std::string& factoryText, const std::string& lightListText = "") const {
    WriteText(FactoryFile(), factoryText);
    WriteText(LightListFile(), lightListText);
    return LightPresets::Load(FactoryFile(), LightListFile(), 0);
  }
  // The modes of a factory file whose list 0 is `modeList`.
  std::vector<LightModeEntry> LoadModeList(const std::string& modeList) const {
    return LoadTexts(R"({"DefaultLightName": [)" + modeList + "]}").modes;
  }

  std::string FactoryFile() const { return folder_ + "default_light.json"; }
  std::string LightListFile() const { return folder_ + "zorva_light.config"; }

 private:
  std::string folder_;
};

// A JSON array of `count` elements, element i given by `element(i)`.
std::string JsonArray(int count, const std::function<std::string(int)>& element) {
  std::string array = "[";
  for (int i = 0; i < count; ++i) array += (i == 0 ? "" : ", ") + element(i);
  return array + "]";
}

TEST_F(LightPresetsTest, ModeEntriesGiveNameVisibilityAndCode) {
  struct Case {
    const char* entry;
    LightModeEntry expected;
  };
  const Case cases[] = {
      {R"({"LightName": "light_mode_wave", "visible": true, "value": 0})", {"light_mode_wave", true, 0}},
      {R"({"LightName": "light_mode_custom", "visible": false, "value": 9})",
       {"light_mode_custom", false, 9}},
      {R"({"LightName": "a", "visible": 0, "value": 255})", {"a", false, 255}},
      {R"({"LightName": "a", "value": 3})", {"a", true, 3}},
      {R"({"LightName": "a", "visible": "no", "value": 3})", {"a", true, 3}},
      {R"({"LightName": 7, "visible": false, "value": 3})", {"", false, 3}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LoadModeList(std::string("[") + c.entry + "]"), std::vector<LightModeEntry>{c.expected})
        << c.entry;
  }
}

// One entry without a byte code would move every later mode to another code: the whole list is refused.
TEST_F(LightPresetsTest, AModeWithoutAByteCodeEmptiesTheModeList) {
  const char* const badEntries[] = {
      R"({"LightName": "a", "value": 256})",
      R"({"LightName": "a", "value": -1})",
      R"({"LightName": "a", "value": 2.5})",
      R"({"LightName": "a", "value": "3"})",
      R"({"LightName": "a", "value": true})",
      R"({"LightName": "a"})",
      R"(3)",
      R"(null)",
      R"({"LightName": "a", "value": 18446744073709551615})",
  };
  for (const char* bad : badEntries) {
    const std::string list = std::string(R"([{"LightName": "ok", "value": 1}, )") + bad + "]";
    EXPECT_TRUE(LoadModeList(list).empty()) << bad;
  }
}

TEST_F(LightPresetsTest, ListsStopAtTheirBound) {
  const std::vector<LightModeEntry> modes = LoadModeList(
      JsonArray(70, [](int i) { return R"({"LightName": "m", "value": )" + std::to_string(i) + "}"; }));
  ASSERT_EQ(modes.size(), LightPresets::kMaxEntries);
  EXPECT_EQ(modes.back().code, LightPresets::kMaxEntries - 1);

  const std::string names = JsonArray(70, [](int) { return R"({"LightName": "n"})"; });
  EXPECT_EQ(LoadTexts(R"({"AreaLightName": [)" + names + "]}").areaNames.size(), LightPresets::kMaxEntries);
}

// Other readers index areas and custom effects by position, so a damaged entry keeps its place.
TEST_F(LightPresetsTest, AreaAndCustomEntriesKeepTheirPlaces) {
  const LightPresets presets = LoadTexts(
      R"({"AreaLightName": [[{"LightName": "logo"}, 5, {"LightName": 7}, {"LightName": "side"}]]})",
      R"({"LightInfo": [[{"LightName": "Fire", "Guid": "2026_01_02"}, "x", {"LightName": "Ice", "Guid": 4},
                         {"Guid": "2026_01_03"}]]})");
  EXPECT_EQ(presets.areaNames, (std::vector<std::string>{"logo", "", "", "side"}));
  EXPECT_EQ(presets.customEffects, (std::vector<CustomEffectEntry>{
                                       {"Fire", "2026_01_02"}, {"", ""}, {"Ice", ""}, {"", "2026_01_03"}}));
}

TEST_F(LightPresetsTest, UnusableFilesAndIndexesLeaveTheListsEmpty) {
  const std::string usable = R"([[{"LightName": "a", "value": 0}]])";
  const std::string factories[] = {
      "",
      "{ not json",
      "[1, 2]",
      R"({"DefaultLightName": 5, "AreaLightName": "x"})",
      R"({"DefaultLightName": [{"LightName": "a", "value": 0}], "AreaLightName": [7]})",
  };
  for (const std::string& factory : factories) {
    const LightPresets presets = LoadTexts(factory, R"({"LightInfo": {"0": []}})");
    EXPECT_TRUE(presets.modes.empty() && presets.areaNames.empty() && presets.customEffects.empty())
        << factory;
  }

  WriteText(FactoryFile(), R"({"DefaultLightName": )" + usable + R"(, "AreaLightName": )" + usable + "}");
  WriteText(LightListFile(), R"({"LightInfo": )" + usable + "}");
  for (const int index : {-1, 1, 1 << 30}) {
    const LightPresets presets = LightPresets::Load(FactoryFile(), LightListFile(), index);
    EXPECT_TRUE(presets.modes.empty() && presets.areaNames.empty() && presets.customEffects.empty()) << index;
  }
  const LightPresets missing =
      LightPresets::Load(FactoryFile() + ".missing", LightListFile() + ".missing", 0);
  EXPECT_TRUE(missing.modes.empty() && missing.areaNames.empty() && missing.customEffects.empty());
}

TEST(LightPresets, TheShippedFilesGiveEveryKindItsModes) {
  struct Case {
    int lightNameIndex;
    std::size_t modes;
    std::vector<std::uint8_t> hidden;
    std::vector<std::string> areas;
  };
  const Case cases[] = {
      {0, 12, {9}, {"light_area_logo", "light_area_wheel", "light_area_side"}},
      {1, 31, {0, 19}, {"light_area_keys"}},
      {2, 9, {5}, {"light_area_edge"}},
      {3, 9, {5}, {"light_area_left_cup", "light_area_right_cup"}},
  };
  for (const Case& c : cases) {
    const LightPresets presets =
        LightPresets::Load(NIMBEL_SOURCE_DIR "/DefaultData/default_light.json",
                           NIMBEL_SOURCE_DIR "/DefaultData/zorva_light.config", c.lightNameIndex);
    ASSERT_EQ(presets.modes.size(), c.modes) << c.lightNameIndex;
    std::vector<std::uint8_t> hidden;
    for (std::size_t i = 0; i < presets.modes.size(); ++i) {
      // The shipped codes are the mode indexes.
      EXPECT_EQ(presets.modes[i].code, i) << c.lightNameIndex;
      EXPECT_FALSE(presets.modes[i].nameId.empty());
      if (!presets.modes[i].visible) hidden.push_back(static_cast<std::uint8_t>(i));
    }
    EXPECT_EQ(hidden, c.hidden) << c.lightNameIndex;
    EXPECT_EQ(presets.areaNames, c.areas) << c.lightNameIndex;
    EXPECT_TRUE(presets.customEffects.empty()) << c.lightNameIndex;
  }
}

}  // namespace
}  // namespace nimbel
