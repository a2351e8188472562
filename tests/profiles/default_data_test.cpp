// The factory data shipped in DefaultData/, loaded the way the program loads it: profiles through the
// profile documents, the other files through ReadJsonFile.

#include <gtest/gtest.h>
#include <json/value.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/folders.h"
#include "profiles/headset_profile.h"
#include "profiles/json_file.h"
#include "profiles/keyboard_profile.h"
#include "profiles/mouse_profile.h"
#include "profiles/profile_paths.h"

namespace nimbel {
namespace {

constexpr std::uint32_t Code(std::uint32_t type, std::uint32_t b1, std::uint32_t b2) {
  return type << 16 | b1 << 8 | b2;
}
constexpr std::uint32_t kKeyboardKeyType = 0x20;
constexpr std::uint32_t Usage(std::uint32_t usage) {
  return Code(kKeyboardKeyType, 0, usage);
}
constexpr std::uint32_t Modifier(std::uint32_t bit) {
  return Code(kKeyboardKeyType, bit, 0);
}
// Never matches a key of the factory table.
constexpr std::uint32_t kNoKey = Code(kKeyboardKeyType, 0, 0);

constexpr std::array<std::uint32_t, 12> kMouseSlotCodes = {
    Code(0x10, 0x10, 0), Code(0x10, 0x01, 0), Code(0x10, 0x04, 0),    Code(0x10, 0x02, 0),
    Code(0x10, 0x08, 0), Code(0x13, 0x01, 0), Code(0x13, 0x02, 0),    Code(0x13, 0x03, 0),
    Code(0x15, 0x03, 0), Code(0xA0, 0x1B, 0), Code(0x16, 0x90, 0x01), Code(0x14, 0x78, 0x02)};

constexpr std::size_t kKeyboardSlotCount = 170;
// Slots 0-125; the remaining slots have no key.
constexpr std::array<std::uint32_t, 126> kKeyboardSlotCodes = {Usage(0x29),
                                                               Usage(0x3A),
                                                               Usage(0x3B),
                                                               Usage(0x3C),
                                                               Usage(0x3D),
                                                               Usage(0x3E),
                                                               Usage(0x3F),
                                                               Usage(0x40),
                                                               Usage(0x41),
                                                               Usage(0x42),
                                                               Usage(0x43),
                                                               Usage(0x44),
                                                               Usage(0x45),
                                                               Usage(0x46),
                                                               Usage(0x47),
                                                               Usage(0x48),
                                                               Code(0xA0, 0x1B, 0),
                                                               Code(0xA0, 0x24, 0),
                                                               kNoKey,
                                                               kNoKey,
                                                               kNoKey,
                                                               Usage(0x35),
                                                               Usage(0x1E),
                                                               Usage(0x1F),
                                                               Usage(0x20),
                                                               Usage(0x21),
                                                               Usage(0x22),
                                                               Usage(0x23),
                                                               Usage(0x24),
                                                               Usage(0x25),
                                                               Usage(0x26),
                                                               Usage(0x27),
                                                               Usage(0x2D),
                                                               Usage(0x2E),
                                                               Usage(0x2A),
                                                               Usage(0x49),
                                                               Usage(0x4A),
                                                               Usage(0x4B),
                                                               Usage(0x53),
                                                               Usage(0x54),
                                                               Usage(0x55),
                                                               Usage(0x56),
                                                               Usage(0x2B),
                                                               Usage(0x14),
                                                               Usage(0x1A),
                                                               Usage(0x08),
                                                               Usage(0x15),
                                                               Usage(0x17),
                                                               Usage(0x1C),
                                                               Usage(0x18),
                                                               Usage(0x0C),
                                                               Usage(0x12),
                                                               Usage(0x13),
                                                               Usage(0x2F),
                                                               Usage(0x30),
                                                               Usage(0x31),
                                                               Usage(0x4C),
                                                               Usage(0x4D),
                                                               Usage(0x4E),
                                                               Usage(0x5F),
                                                               Usage(0x60),
                                                               Usage(0x61),
                                                               Usage(0x32),
                                                               Usage(0x39),
                                                               Usage(0x04),
                                                               Usage(0x16),
                                                               Usage(0x07),
                                                               Usage(0x09),
                                                               Usage(0x0A),
                                                               Usage(0x0B),
                                                               Usage(0x0D),
                                                               Usage(0x0E),
                                                               Usage(0x0F),
                                                               Usage(0x33),
                                                               Usage(0x34),
                                                               Usage(0x28),
                                                               Usage(0x5C),
                                                               Usage(0x5D),
                                                               Usage(0x5E),
                                                               Usage(0x8A),
                                                               Usage(0x8B),
                                                               Usage(0x90),
                                                               Usage(0x91),
                                                               Usage(0x88),
                                                               Modifier(0x02),
                                                               Usage(0x1D),
                                                               Usage(0x1B),
                                                               Usage(0x06),
                                                               Usage(0x19),
                                                               Usage(0x05),
                                                               Usage(0x11),
                                                               Usage(0x10),
                                                               Usage(0x36),
                                                               Usage(0x37),
                                                               Usage(0x38),
                                                               Modifier(0x20),
                                                               Usage(0x52),
                                                               Usage(0x59),
                                                               Usage(0x5A),
                                                               Usage(0x5B),
                                                               Usage(0x87),
                                                               Usage(0x89),
                                                               Usage(0x64),
                                                               Usage(0x85),
                                                               kNoKey,
                                                               Modifier(0x01),
                                                               Modifier(0x08),
                                                               Modifier(0x04),
                                                               Usage(0x2C),
                                                               Modifier(0x40),
                                                               Code(0xA0, 0x01, 0),
                                                               Usage(0x65),
                                                               Modifier(0x10),
                                                               Usage(0x50),
                                                               Usage(0x51),
                                                               Usage(0x4F),
                                                               Usage(0x62),
                                                               Usage(0x63),
                                                               Usage(0x58),
                                                               Usage(0x57),
                                                               Code(0xD0, 0xA2, 1),
                                                               Code(0xD0, 0xA2, 2),
                                                               Code(0xD0, 0xA2, 3),
                                                               Code(0xD0, 0xA2, 4),
                                                               Code(0xD0, 0xA2, 5),
                                                               Modifier(0x80)};

constexpr std::array<std::array<std::int32_t, CAq4410Profiledata::kEqBandCount>, 12> kEqPresets = {{
    {7, 11, 2, -3, -1, 4, 9, 12, 9, 5},
    {7, 11, 6, -3, -11, -1, 6, 13, 6, 13},
    {10, 4, 0, -3, -4, -3, -2, -1, 0, 0},
    {2, 1, -2, -3, -5, -7, 0, 4, 9, 8},
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {7, 14, -13, -6, -1, 8, 13, 7, 2, 6},
    {14, 10, 4, 0, -4, -3, -1, 1, 2, 3},
    {2, 1, -2, -3, -5, -1, 7, 11, 15, 13},
    {8, 2, -4, -8, 1, 3, 8, 11, 14, 16},
    {-3, 4, 10, 0, -11, 3, 9, 13, 6, 0},
    {18, 14, 8, 2, -3, -6, -1, 2, 5, 6},
    {2, 1, -2, -4, -8, 4, 12, 16, 18, 15},
}};

// One stage set per sensor model; the 0x3104 sensor keeps step indexes, and 113 is the highest step a
// typed DPI can reach.
struct StageSetCase {
  int set;
  std::uint16_t minimum;
  std::uint16_t maximum;
};
constexpr std::array<StageSetCase, 3> kStageSets = {{{0, 50, 26000}, {1, 50, 30000}, {2, 0, 113}}};
constexpr std::size_t kStageCount = 7;

// The lighting of a device kind: its LED count, its key count and the light-name index of its mode list
// in default_light.json.
struct KindCase {
  std::string_view kindFolder;
  std::size_t ledCount;
  std::size_t keyCount;
  int lightNameIndex;
  std::size_t modeCount;
};
constexpr std::array<KindCase, 4> kKinds = {{
    {"mouse", 15, kMouseSlotCodes.size(), 0, 12},
    {"keyboard", 170, kKeyboardSlotCount, 1, 31},
    {"MousePad", 15, 0, 2, 9},
    {"HD", 13, 0, 3, 9},
}};
constexpr std::uint8_t kMaxLevel = 4;  // brightness and speed levels run 0 to 4

constexpr auto kFactoryFiles = std::to_array<std::string_view>(
    {"mouse.Json", "keyboard.Json", "MousePad.Json", "HD.Json", "default_light.json", "zorva_light.config",
     "Language.config", "AudioFile.json", "ShootData_0.Shoot", "ShootData_1.Shoot", "ShootData_2.Shoot",
     "ShootData_3.Shoot", "color_option_info.config"});

std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class DefaultDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dataHome_ = std::filesystem::temp_directory_path() /
                ("nimbel_default_data_" + std::to_string(getpid()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dataHome_);
    std::filesystem::create_directories(dataHome_);
    setenv("XDG_DATA_HOME", dataHome_.c_str(), 1);
    setenv("NIMBEL_DEFAULT_DATA", NIMBEL_SOURCE_DIR "/DefaultData", 1);
  }
  void TearDown() override { std::filesystem::remove_all(dataHome_); }

  // A fresh user profile of the kind, which the load fills from the factory profile.
  template <typename Document>
  static Json::Value LoadFactory(Document& document, std::string_view kindFolder) {
    const std::string path = ProfileFile(kindFolder, "factory_check");
    document.SetDefaultProfilePath(DefaultProfileFile(kindFolder));
    document.SetProfilePath(path);
    return document.LoadProfile(path);
  }

  static Json::Value ReadFactoryFile(std::string_view name) {
    return ReadJsonFile(DefaultDataFolder() + std::string(name));
  }

 private:
  std::filesystem::path dataHome_;
};

TEST_F(DefaultDataTest, EveryFileIsAnObjectInTheStyledFormat) {
  for (const std::string_view name : kFactoryFiles) {
    SCOPED_TRACE(name);
    const std::string path = DefaultDataFolder() + std::string(name);
    const Json::Value value = ReadJsonFile(path);
    ASSERT_TRUE(value.isObject());
    // A hand edit that breaks the format the program writes shows up as a diff on the first save.
    EXPECT_EQ(StyledJsonText(value), FileText(path));
  }
}

TEST_F(DefaultDataTest, EveryKindLoadsSavesAndHasItsLightsAndKeys) {
  const Json::Value modeLists = ReadFactoryFile("default_light.json")["DefaultLightName"];
  ASSERT_EQ(modeLists.size(), kKinds.size());
  for (const KindCase& kind : kKinds) {
    SCOPED_TRACE(kind.kindFolder);
    CBasicProfiledata document;
    ASSERT_TRUE(LoadFactory(document, kind.kindFolder).isObject());
    EXPECT_TRUE(std::filesystem::exists(ProfileFile(kind.kindFolder, "factory_check")));
    // A document without "KeyList" is never saved, so even kinds without keys need the (empty) list.
    EXPECT_EQ(document.Save(), CBasicProfiledata::SaveResult::kWritten);
    EXPECT_EQ(document.GetKeyList().size(), kind.keyCount);

    const std::vector<LightListEntry> lights = document.GetLightList();
    EXPECT_EQ(lights.size(), kind.ledCount);
    // A present entry would override the chosen light mode on its LED.
    EXPECT_TRUE(
        std::none_of(lights.begin(), lights.end(), [](const LightListEntry& e) { return e.present; }));

    const LightInfo light = document.GetLightInfo();
    const Json::Value& modes = modeLists[kind.lightNameIndex];
    ASSERT_EQ(modes.size(), kind.modeCount);
    ASSERT_LT(light.selectItem, modes.size());
    EXPECT_TRUE(modes[light.selectItem]["visible"].asBool());
    EXPECT_LE(light.light, kMaxLevel);
    EXPECT_LE(light.speed, kMaxLevel);
  }
}

TEST_F(DefaultDataTest, ModeListsHaveDistinctCodesAndHostModesKeepTheirCodes) {
  const Json::Value lights = ReadFactoryFile("default_light.json");
  ASSERT_EQ(lights["AreaLightName"].size(), kKinds.size());
  for (const KindCase& kind : kKinds) {
    SCOPED_TRACE(kind.kindFolder);
    std::set<int> codes;
    for (const Json::Value& mode : lights["DefaultLightName"][kind.lightNameIndex]) {
      ASSERT_TRUE(mode["LightName"].isString());
      ASSERT_TRUE(mode["visible"].isBool());
      ASSERT_TRUE(mode["value"].isInt());
      EXPECT_TRUE(codes.insert(mode["value"].asInt()).second) << mode["value"].asInt();
    }
    EXPECT_GE(codes.size(), kind.modeCount);
  }
  // The keyboard stores its host-driven modes 29 and 30 as 0xFE only when their codes are 29 and 30.
  const Json::Value& keyboardModes = lights["DefaultLightName"][kKinds[1].lightNameIndex];
  for (const int mode : {29, 30}) EXPECT_EQ(keyboardModes[mode]["value"].asInt(), mode);
}

TEST_F(DefaultDataTest, MouseKeysCarryTheSlotFactoryCodes) {
  CMouseProfiledata mouse;
  ASSERT_TRUE(LoadFactory(mouse, "mouse").isObject());
  const std::vector<KeyAssignment> keys = mouse.GetKeyList();
  ASSERT_EQ(keys.size(), kMouseSlotCodes.size());
  for (std::size_t slot = 0; slot < keys.size(); ++slot) {
    SCOPED_TRACE(slot);
    EXPECT_EQ(keys[slot].factory.Value(), kMouseSlotCodes[slot]);
    EXPECT_EQ(keys[slot].current, keys[slot].factory);
    EXPECT_EQ(keys[slot].factory.position, slot);
  }
}

TEST_F(DefaultDataTest, KeyboardKeysCarryTheSlotFactoryCodes) {
  CKeyboardProfiledata keyboard;
  ASSERT_TRUE(LoadFactory(keyboard, "keyboard").isObject());
  const std::vector<KeyAssignment> keys = keyboard.GetKeyList();
  ASSERT_EQ(keys.size(), kKeyboardSlotCount);
  for (std::size_t slot = 0; slot < keys.size(); ++slot) {
    SCOPED_TRACE(slot);
    const std::uint32_t expected = slot < kKeyboardSlotCodes.size() ? kKeyboardSlotCodes[slot] : kNoKey;
    EXPECT_EQ(keys[slot].factory.Value(), expected);
    EXPECT_EQ(keys[slot].current, keys[slot].factory);
  }
}

TEST_F(DefaultDataTest, KeyboardColourGroupsLightEveryKeyAndOnlyKeys) {
  CKeyboardProfiledata keyboard;
  const Json::Value loaded = LoadFactory(keyboard, "keyboard");
  const Json::Value::ArrayIndex groups = loaded["CustomLightMode"]["LightColorInfo"].size();
  ASSERT_GT(groups, 0u);
  EXPECT_LT(keyboard.GetLightInfo().customGroup, groups);
  EXPECT_LT(keyboard.GetColourGroup(), static_cast<std::int32_t>(groups));
  for (Json::Value::ArrayIndex group = 0; group < groups; ++group) {
    const std::vector<KeyColour> colours = keyboard.GetKeyColours(
        static_cast<std::int32_t>(group), static_cast<std::int32_t>(kKeyboardSlotCount));
    ASSERT_EQ(colours.size(), kKeyboardSlotCount);
    for (std::size_t slot = 0; slot < kKeyboardSlotCount; ++slot) {
      const bool hasKey = slot < kKeyboardSlotCodes.size() && kKeyboardSlotCodes[slot] != kNoKey;
      EXPECT_EQ(KeyColourByte(colours[slot], 3) != 0, hasKey) << "group " << group << " slot " << slot;
    }
  }
  // Reading the shipped groups must not have had to create any colour.
  EXPECT_EQ(keyboard.Document(), loaded);

  const KeyboardSystemSettings settings = keyboard.GetKeyboardSettings();
  EXPECT_LE(settings.repeatDelay, 3);  // the four delay options
  EXPECT_LE(settings.pollingRate, 4);  // the five polling options
}

TEST_F(DefaultDataTest, HeadsetHoldsTheTwelveEqualiserPresets) {
  CAq4410Profiledata headset;
  const Json::Value loaded = LoadFactory(headset, "HD");
  ASSERT_TRUE(loaded.isObject());
  for (std::int32_t type = 1; type <= static_cast<std::int32_t>(kEqPresets.size()); ++type) {
    SCOPED_TRACE(type);
    const std::vector<std::int32_t> bands = headset.GetEqBands(type);
    const auto& expected = kEqPresets[static_cast<std::size_t>(type - 1)];
    EXPECT_TRUE(std::equal(bands.begin(), bands.end(), expected.begin(), expected.end()));
  }
  // Every band is in the file: reading them created none.
  EXPECT_EQ(headset.Document(), loaded);

  const HeadsetSystemSettings settings = headset.GetHeadsetSettings();
  EXPECT_GE(settings.eqType, 1);
  EXPECT_LE(settings.eqType, static_cast<std::int32_t>(kEqPresets.size()));
  EXPECT_EQ(settings.customEqSeletIndex, -1);
  EXPECT_TRUE(headset.GetCustomEqNames().empty());
}

TEST_F(DefaultDataTest, MouseStageSetsFitTheirSensorsWithDistinctColours) {
  for (const StageSetCase& variant : kStageSets) {
    SCOPED_TRACE(variant.set);
    CMouseProfiledata mouse;
    ASSERT_TRUE(LoadFactory(mouse, "mouse").isObject());
    const std::vector<DpiStage> stages = mouse.GetDpiStages(variant.set);
    ASSERT_EQ(stages.size(), kStageCount);
    std::set<std::uint32_t> colours;
    for (std::size_t i = 0; i < stages.size(); ++i) {
      const DpiStage& stage = stages[i];
      EXPECT_GE(stage.dpiX, variant.minimum) << i;
      EXPECT_LE(stage.dpiX, variant.maximum) << i;
      EXPECT_EQ(stage.dpiY, stage.dpiX) << i;
      if (i > 0) {
        EXPECT_GT(stage.dpiX, stages[i - 1].dpiX) << i;
      }
      colours.insert(static_cast<std::uint32_t>(stage.red) << 16 | stage.green << 8 | stage.blue);
    }
    EXPECT_EQ(colours.size(), kStageCount);
    ASSERT_GE(mouse.GetActiveStage(), 0);
    ASSERT_LT(mouse.GetActiveStage(), static_cast<std::int32_t>(kStageCount));
    EXPECT_EQ(stages[static_cast<std::size_t>(mouse.GetActiveStage())].enabled, 1);
  }
}

TEST_F(DefaultDataTest, MouseSettingsAreValuesThePageAndTheMouseAccept) {
  CMouseProfiledata mouse;
  ASSERT_TRUE(LoadFactory(mouse, "mouse").isObject());
  const MouseSystemSettings settings = mouse.GetSystemSettings();
  EXPECT_EQ(settings.reportRate, settings.reportSelectItemUsb);
  EXPECT_LE(settings.reportSelectItemUsb, 5);  // the six polling options
  // Sleep timers 1-7 have a code on the mouse; 0 would leave the mouse's own value in place.
  for (const std::uint16_t timer : {settings.dormancyTime, settings.dormancyTimeH}) {
    EXPECT_GE(timer, 1);
    EXPECT_LE(timer, 7);
  }
  for (const std::uint16_t option : {settings.silentAltitudeItem, settings.sensorLif, settings.motionSync,
                                     settings.linearCalibration, settings.deepSleepOff}) {
    EXPECT_LE(option, 1);
  }
}

// The four factory shooting patterns: 30 bullets of six events each, in the layout the pattern panel
// edits and the mouse encoder packs. kAny marks the fields a bullet chooses.
constexpr int kAny = -1;
struct BulletEvent {
  int type;
  int button;
  std::string_view action;
  int delay;
};
constexpr std::array<BulletEvent, 6> kBulletLayout = {{
    {1, 1, "down", 10},   // left button down
    {1, 1, "up", 0},      // and up
    {4, kAny, "", 5},     // horizontal correction
    {5, kAny, "", kAny},  // vertical correction, then the wait for the next shot
    {4, 0, "", 0},        // both moves end, in the same directions
    {5, 0, "", 0},
}};

TEST_F(DefaultDataTest, ShootingPatternsHaveThirtyWellFormedBullets) {
  constexpr Json::Value::ArrayIndex kBullets = 30;
  constexpr auto kEventsPerBullet = static_cast<Json::Value::ArrayIndex>(kBulletLayout.size());
  constexpr int kMaxDistance = 255;  // the mouse keeps a distance in one byte
  constexpr int kMaxDelay = 65535;   // and a delay in 16 bits
  std::set<std::string> distinctPatterns;
  for (int pattern = 0; pattern < 4; ++pattern) {
    SCOPED_TRACE(pattern);
    const Json::Value events = ReadFactoryFile("ShootData_" + std::to_string(pattern) + ".Shoot")["Events"];
    ASSERT_EQ(events.size(), kBullets * kEventsPerBullet);
    distinctPatterns.insert(StyledJsonText(events));
    for (Json::Value::ArrayIndex b = 0; b < kBullets; ++b) {
      SCOPED_TRACE(b);
      const auto at = [&](Json::Value::ArrayIndex k) -> const Json::Value& {
        return events[b * kEventsPerBullet + k];
      };
      for (Json::Value::ArrayIndex k = 0; k < kEventsPerBullet; ++k) {
        const BulletEvent& expected = kBulletLayout[k];
        ASSERT_TRUE(at(k).isObject()) << k;
        EXPECT_EQ(at(k)["Type"].asInt(), expected.type) << k;
        if (expected.button != kAny) {
          EXPECT_EQ(at(k)["Button"].asInt(), expected.button) << k;
        }
        if (!expected.action.empty()) {
          EXPECT_EQ(at(k)["Action"].asString(), expected.action) << k;
        }
        if (expected.delay != kAny) {
          EXPECT_EQ(at(k)["Delay"].asInt(), expected.delay) << k;
        }
      }
      const Json::Value& horizontal = at(2);
      const Json::Value& vertical = at(3);
      EXPECT_LE(horizontal["Button"].asInt(), kMaxDistance);
      EXPECT_EQ(at(4)["Action"], horizontal["Action"]);
      EXPECT_EQ(at(5)["Action"], vertical["Action"]);
      EXPECT_TRUE(horizontal["Action"] == "down" || horizontal["Action"] == "up");
      // Every shot pulls the aim down ("up" moves downwards) against the muzzle climb.
      EXPECT_EQ(vertical["Action"].asString(), "up");
      EXPECT_GT(vertical["Button"].asInt(), 0);
      EXPECT_LE(vertical["Button"].asInt(), kMaxDistance);
      EXPECT_GT(vertical["Delay"].asInt(), 0);
      EXPECT_LE(vertical["Delay"].asInt(), kMaxDelay);
    }
  }
  EXPECT_EQ(distinctPatterns.size(), 4u);
}

TEST_F(DefaultDataTest, LanguageListHasEnglishAndSimplifiedChinese) {
  const Json::Value languages = ReadFactoryFile("Language.config")["Language"];
  ASSERT_EQ(languages.size(), 2u);
  std::set<int> ids;
  std::set<std::string> files;
  for (const Json::Value& language : languages) {
    ASSERT_TRUE(language["Language_ID"].isInt());
    ids.insert(language["Language_ID"].asInt());
    files.insert(language["Language_file"].asString());
    EXPECT_FALSE(language["Language_name"].asString().empty());
    EXPECT_FALSE(language["Language_text"].asString().empty());
  }
  EXPECT_EQ(ids.size(), languages.size());
  EXPECT_EQ(files.size(), languages.size());
  // The skin's built-in texts are the Chinese file; it must be one of the choices.
  EXPECT_EQ(files.count("lan_cn.xml"), 1u);
}

TEST_F(DefaultDataTest, AudioStylesAreFourNamedStylesWithLevelsInRange) {
  constexpr int kStyles = 4;
  constexpr int kMaxAudioLevel = 9;
  const Json::Value styles = ReadFactoryFile("AudioFile.json")["Device"]["AudioLightInfo"];
  ASSERT_TRUE(styles.isObject());
  EXPECT_LT(styles["nAudioStyle"].asInt(), kStyles);
  for (int style = 0; style < kStyles; ++style) {
    SCOPED_TRACE(style);
    EXPECT_FALSE(styles["nStyleName" + std::to_string(style + 1)].asString().empty());
    for (const char* channel : {"nStyleR", "nStyleG", "nStyleB"}) {
      const Json::Value& level = styles[channel + std::to_string(style)];
      ASSERT_TRUE(level.isInt()) << channel;
      EXPECT_GE(level.asInt(), 0) << channel;
      EXPECT_LE(level.asInt(), kMaxAudioLevel) << channel;
    }
  }
}

TEST_F(DefaultDataTest, ColourOptionsAreTwentyDistinctPresetsAndEmptyCollectedSlots) {
  constexpr Json::Value::ArrayIndex kOptions = 20;
  const auto isColourText = [](const Json::Value& value) {
    const std::string text = value.asString();
    return text.size() == 8 && std::all_of(text.begin(), text.end(), [](char c) {
             return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
           });
  };
  const Json::Value options = ReadFactoryFile("color_option_info.config")["coloroptioninfo"];
  const Json::Value& presets = options["palletDialogcoloroption"];
  const Json::Value& collected = options["palletDialogcollectcoloroption"];
  ASSERT_EQ(presets.size(), kOptions);
  ASSERT_EQ(collected.size(), kOptions);
  std::set<std::string> distinct;
  for (Json::Value::ArrayIndex i = 0; i < kOptions; ++i) {
    EXPECT_TRUE(isColourText(presets[i]["color"])) << i;
    distinct.insert(presets[i]["color"].asString());
    EXPECT_TRUE(isColourText(collected[i]["color"])) << i;
    EXPECT_NE(collected[i]["UserData"].asString(), "1") << i;  // nothing collected yet
  }
  EXPECT_EQ(distinct.size(), kOptions);
  EXPECT_LT(options["palletDialogcoloroption_selectitem"].asUInt(), kOptions);
  EXPECT_LT(options["palletDialogcollectcoloroption_selectitem"].asUInt(), kOptions);
}

TEST_F(DefaultDataTest, LightListHasOneEffectListPerLightNameIndex) {
  CBasicProfiledata document;
  const Json::Value list = document.LoadLightList(DefaultDataFolder() + "zorva_light.config");
  ASSERT_EQ(list["LightInfo"].size(), kKinds.size());
  for (const Json::Value& effects : list["LightInfo"]) {
    ASSERT_TRUE(effects.isArray());
    for (const Json::Value& effect : effects) {
      EXPECT_TRUE(effect["LightName"].isString());
      EXPECT_TRUE(effect["Guid"].isString());
    }
  }
}

}  // namespace
}  // namespace nimbel
