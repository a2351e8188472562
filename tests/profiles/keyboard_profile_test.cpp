#include "profiles/keyboard_profile.h"

#include <gtest/gtest.h>

#include "profiles/json_file.h"
#include "profiles/profile_paths.h"
#include "tests/profiles/profile_test_support.h"

namespace nimbel {
namespace {

class KeyboardProfileTest : public testing::DataFoldersTest {
 protected:
  void Load(const char* documentText) {
    testing::WriteText(path_, std::string(R"({ "Device" : [ )") + documentText + " ] }");
    keyboard_.SetProfilePath(path_);
    keyboard_.LoadProfile(path_);
  }

  std::string path_ = ProfileFile("keyboard", "k");
  CKeyboardProfiledata keyboard_;
};

TEST_F(KeyboardProfileTest, MissingColourGroupIsCreatedAndSaved) {
  Load(R"({ "KeyList" : [] })");
  EXPECT_EQ(keyboard_.GetKeyColours(0, 3), std::vector<KeyColour>(3, 0));
  const Json::Value& group = keyboard_.Document()["CustomLightMode"]["LightColorInfo"][0];
  ASSERT_EQ(group.size(), 3u);
  for (const Json::Value& colour : group) {
    EXPECT_EQ(colour.size(), 4u);
    EXPECT_EQ(colour["Alpha"].asInt(), 0);
  }
  ASSERT_EQ(keyboard_.Save(), CBasicProfiledata::SaveResult::kWritten);
  EXPECT_EQ(ReadJsonFile(path_)["Device"][0]["CustomLightMode"]["LightColorInfo"][0].size(), 3u);
}

TEST_F(KeyboardProfileTest, ExistingColoursAreReadAndMissingKeysCreated) {
  Load(R"({ "CustomLightMode" : { "CustomLightModeGroupIndex" : 1, "LightColorInfo" : [ [], [
      { "Red" : 1, "Green" : 2, "Blue" : 3, "Alpha" : 255 }, null, { "Red" : 257, "Green" : "x" } ] ] } })");
  EXPECT_EQ(keyboard_.GetColourGroup(), 1);
  const std::vector<KeyColour> colours = keyboard_.GetKeyColours(1, 4);
  EXPECT_EQ(colours, (std::vector<KeyColour>{MakeKeyColour(1, 2, 3, 255), 0, MakeKeyColour(1, 0, 0, 0), 0}));
  const Json::Value& group = keyboard_.Document()["CustomLightMode"]["LightColorInfo"][1];
  EXPECT_TRUE(group[1].isObject());
  EXPECT_TRUE(group[3].isObject());
  EXPECT_EQ(group[2]["Red"].asInt(), 257) << "an existing element is only read";
}

TEST_F(KeyboardProfileTest, ColoursRoundTrip) {
  Load("{}");
  const std::vector<KeyColour> colours{MakeKeyColour(10, 20, 30, 40), MakeKeyColour(255, 0, 255, 1)};
  keyboard_.SetKeyColours(colours, 2);
  keyboard_.SetColourGroup(2);
  EXPECT_EQ(keyboard_.GetColourGroup(), 2);
  EXPECT_EQ(keyboard_.GetKeyColours(2, 2), colours);
  EXPECT_EQ(keyboard_.Document()["CustomLightMode"]["LightColorInfo"][2][0]["Blue"].asInt(), 30);
}

TEST_F(KeyboardProfileTest, GroupIndexFromAFileCannotBloatTheDocument) {
  Load(R"({ "CustomLightMode" : { "CustomLightModeGroupIndex" : 2000000000 } })");
  const std::int32_t group = keyboard_.GetColourGroup();
  EXPECT_EQ(keyboard_.GetKeyColours(group, 2), std::vector<KeyColour>(2, 0));
  EXPECT_EQ(keyboard_.GetKeyColours(-1, 2), std::vector<KeyColour>(2, 0));
  EXPECT_FALSE(keyboard_.Document()["CustomLightMode"].isMember("LightColorInfo"));
}

TEST_F(KeyboardProfileTest, SettingsAreCutTo16Bits) {
  Load(R"({ "SystemStages" : { "Repeat" : 70000, "RepeatDelay" : 2, "WinFlag" : "on", "Extra" : 1 } })");
  EXPECT_EQ(keyboard_.GetKeyboardSettings(), (KeyboardSystemSettings{.repeat = 4464, .repeatDelay = 2}));
  const KeyboardSystemSettings settings{1, 2, 3, 4, 5, 6};
  keyboard_.SetKeyboardSettings(settings);
  EXPECT_EQ(keyboard_.GetKeyboardSettings(), settings);
  EXPECT_EQ(keyboard_.Document()["SystemStages"]["Extra"].asInt(), 1);
}

}  // namespace
}  // namespace nimbel
