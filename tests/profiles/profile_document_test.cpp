#include "profiles/profile_document.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/folders.h"
#include "profiles/file_io.h"
#include "profiles/file_notices.h"
#include "profiles/json_file.h"
#include "profiles/profile_paths.h"
#include "tests/profiles/profile_test_support.h"

namespace nimbel {
namespace {

using testing::ReadText;
using testing::WriteText;
using SaveResult = CBasicProfiledata::SaveResult;

constexpr const char* kKind = "MousePad";

const char* const kFactoryProfile = R"({
   "Device" : [
      {
         "KeyList" : [ { "Assignment" : 1, "DefaultAssignment" : 1 } ],
         "LightInfo" : { "SelectItem" : 2, "Light" : 4 },
         "LightList" : [ null, { "LEDREGMode" : 3 } ]
      }
   ]
})";

class ProfileDocumentTest : public testing::DataFoldersTest {
 protected:
  ProfileDocumentTest() {
    profile_.SetDefaultProfilePath(DefaultProfileFile(kKind));
    profile_.SetProfilePath(userPath_);
  }
  void InstallFactory() { WriteText(DefaultProfileFile(kKind), kFactoryProfile); }
  Json::Value FactoryEntry() const { return ReadJsonFile(DefaultProfileFile(kKind))["Device"][0]; }
  // A loaded document the guard lets through, with a user file holding it.
  void LoadSavable() {
    InstallFactory();
    profile_.LoadProfile(userPath_);
  }

  std::string userPath_ = ProfileFile(kKind, "2024_01_02_03_04_05_006");
  CBasicProfiledata profile_;
};

// The files left beside the profile as damaged copies.
std::vector<std::string> DamagedCopiesOf(const std::string& path) {
  std::vector<std::string> copies;
  const std::filesystem::path file(path);
  for (const auto& entry : std::filesystem::directory_iterator(file.parent_path())) {
    if (entry.path().filename().string().starts_with(file.filename().string() + ".broken-"))
      copies.push_back(entry.path().string());
  }
  return copies;
}

TEST_F(ProfileDocumentTest, UnusableUserFileIsReplacedByTheFactoryEntryAndADamagedOneKept) {
  InstallFactory();
  const struct {
    const char* name;
    std::string text;  // "-": no file
    bool keepsName;
    bool damaged;
  } cases[] = {
      {"missing", "-", false, false},
      {"empty", "", false, false},
      {"only an opening brace", "{", false, true},
      {"truncated", R"({ "profilename" : "P", "Device" : [ { "KeyList" : [ )", false, true},
      {"a number out of range", R"({ "Device" : [ { "KeyList" : 1e999 } ] })", false, true},
      {"a lone surrogate", R"({ "profilename" : "\ud800" })", false, true},
      {"deep nesting", std::string(5000, '[') + std::string(5000, ']'), false, true},
      {"garbage", "\x01\x02 not json", false, true},
      {"too large", "{" + std::string(kMaxReadFileSize, ' ') + "}", false, true},
      {"an array", "[ 1, 2 ]", false, true},
      {"Device of the wrong type", R"({ "profilename" : "P", "Device" : 5 })", true, true},
      {"entry of the wrong type", R"({ "profilename" : "P", "Device" : [ 7 ] })", true, true},
      {"no Device", R"({ "profilename" : "P" })", true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(userPath_);
    for (const std::string& copy : DamagedCopiesOf(userPath_)) std::filesystem::remove(copy);
    TakeFileNotices();
    if (c.text != "-") WriteText(userPath_, c.text);
    CBasicProfiledata profile;
    profile.SetDefaultProfilePath(DefaultProfileFile(kKind));
    EXPECT_EQ(profile.LoadProfile(userPath_), FactoryEntry());
    EXPECT_EQ(profile.Document(), FactoryEntry());
    const Json::Value file = ReadJsonFile(userPath_);
    EXPECT_EQ(file["Device"][0], FactoryEntry());
    EXPECT_EQ(file["profilename"].asString(), c.keepsName ? "P" : "");

    const std::vector<std::string> copies = DamagedCopiesOf(userPath_);
    const std::vector<FileNotice> notices = TakeFileNotices();
    if (!c.damaged) {
      EXPECT_TRUE(copies.empty());
      EXPECT_TRUE(notices.empty());
      continue;
    }
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(ReadText(copies[0]), c.text);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].kind, FileNoticeKind::kProfileRestored);
    EXPECT_EQ(notices[0].file, userPath_);
    EXPECT_EQ(notices[0].keptAs, copies[0]);
  }
}

TEST_F(ProfileDocumentTest, SavesNeverReplaceWhatALinkOutOfTheFolderNames) {
  LoadSavable();
  const struct {
    const char* what;
    const char* target;
    SaveResult result;
  } cases[] = {
      // A profile elsewhere is refused, and the user told why.
      {"a profile", R"({ "Device" : [ { "KeyList" : [] } ] })", SaveResult::kFailed},
      // Anything else reads as a damaged profile: the link itself is set aside for a new file.
      {"a text file", "my notes", SaveResult::kWritten},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string outsider = Root() + "elsewhere.txt";
    WriteText(outsider, c.target);
    const std::string linked = ProfileFile(kKind, "linked");
    std::filesystem::remove(linked);
    std::filesystem::create_symlink(outsider, linked);
    EXPECT_EQ(profile_.SaveEntry(profile_.Document(), linked), c.result);
    EXPECT_EQ(profile_.LastSaveFailure(),
              c.result == SaveResult::kFailed ? WriteFailure::kLinkLeavesFolder : WriteFailure::kNone);
    EXPECT_EQ(ReadText(outsider), c.target);
  }
  TakeFileNotices();
}

TEST_F(ProfileDocumentTest, AReadOnlyProfileIsKeptAndTheSaveSaysWhy) {
  LoadSavable();
  const std::string before = ReadText(userPath_);
  ASSERT_EQ(::chmod(userPath_.c_str(), 0444), 0);
  EXPECT_EQ(profile_.Save(), SaveResult::kFailed);
  EXPECT_EQ(profile_.LastSaveFailure(), WriteFailure::kReadOnlyFile);
  EXPECT_EQ(ReadText(userPath_), before);
  ASSERT_EQ(::chmod(userPath_.c_str(), 0644), 0);
  EXPECT_EQ(profile_.Save(), SaveResult::kWritten);
  EXPECT_EQ(profile_.LastSaveFailure(), WriteFailure::kNone);
}

TEST_F(ProfileDocumentTest, PresentEntryIsUsedAsItIsAndTheFileLeftAlone) {
  InstallFactory();
  const std::string text = R"({ "Device" : [ { "LightInfo" : { "Red" : 9 } } ] })";
  WriteText(userPath_, text);
  profile_.LoadProfile(userPath_);
  EXPECT_EQ(profile_.GetLightInfo().red, 9);
  EXPECT_TRUE(profile_.GetKeyList().empty());
  EXPECT_EQ(ReadText(userPath_), text);
}

TEST_F(ProfileDocumentTest, FallbackKeepsTheFilesOtherEntries) {
  InstallFactory();
  WriteText(userPath_, R"({ "Device" : [ null, { "other" : 1 } ] })");
  profile_.LoadProfile(userPath_);
  const Json::Value file = ReadJsonFile(userPath_);
  EXPECT_EQ(file["Device"][0], FactoryEntry());
  EXPECT_EQ(file["Device"][1]["other"].asInt(), 1);
}

TEST_F(ProfileDocumentTest, EntryIndexChoosesTheDeviceElement) {
  WriteText(userPath_, R"({ "Device" : [ { "KeyList" : [] }, { "LightInfo" : { "Fx" : 1 } } ] })");
  profile_.SetEntryIndex(1);
  profile_.LoadProfile(userPath_);
  EXPECT_EQ(profile_.GetLightInfo().fx, 1);
}

TEST_F(ProfileDocumentTest, WithoutAFactoryEntryNothingIsWrittenAndGettersGiveZeros) {
  const std::string text = "{ \"Device\" : [ hand-edited typo";
  WriteText(userPath_, text);
  EXPECT_TRUE(profile_.LoadProfile(userPath_).isNull());
  EXPECT_EQ(ReadText(userPath_), text) << "a broken file is not replaced by an empty one";
  EXPECT_EQ(profile_.GetLightInfo(), LightInfo{});
  EXPECT_EQ(profile_.GetAudioLightInfo(), AudioLightInfo{});
  EXPECT_TRUE(profile_.GetLightList().empty());
  EXPECT_TRUE(profile_.GetKeyList().empty());
  EXPECT_EQ(profile_.Save(), SaveResult::kSkipped);
  EXPECT_EQ(ReadText(userPath_), text);
}

TEST_F(ProfileDocumentTest, SaveRefusesADocumentWithoutKeyList) {
  const std::string text = R"({ "Device" : [ { "LightInfo" : { "Red" : 1 } } ] })";
  WriteText(userPath_, text);
  profile_.LoadProfile(userPath_);
  profile_.SetLightInfo({.red = 200});
  EXPECT_EQ(profile_.Save(), SaveResult::kSkipped);
  EXPECT_EQ(ReadText(userPath_), text);
}

TEST_F(ProfileDocumentTest, SaveReplacesOnlyItsEntry) {
  WriteText(userPath_, R"({ "profilename" : "Mine", "Device" : [ { "KeyList" : [] }, { "other" : 2 } ] })");
  profile_.LoadProfile(userPath_);
  profile_.SetLightInfo({.selectItem = 5, .multiColour = 1, .oldLedmode = 7});
  ASSERT_EQ(profile_.Save(), SaveResult::kWritten);
  const Json::Value file = ReadJsonFile(userPath_);
  EXPECT_EQ(file["profilename"].asString(), "Mine");
  EXPECT_EQ(file["Device"][1]["other"].asInt(), 2);
  EXPECT_EQ(file["Device"][0]["LightInfo"]["SelectItem"].asInt(), 5);
  EXPECT_EQ(file["Device"][0]["LightInfo"]["MultiColor"].asInt(), 1);
  EXPECT_EQ(file["Device"][0]["LightInfo"].size(), 11u);
}

TEST_F(ProfileDocumentTest, FailedSaveLeavesTheOldFileAndSaysSo) {
  LoadSavable();
  const std::string before = ReadText(userPath_);
  profile_.SetLightInfo({.red = 77});
  {
    bool wrotePart = false;
    ScopedFileWriteCall failing([&](int fd, std::span<const char> bytes) -> ssize_t {
      if (!wrotePart) {
        wrotePart = true;
        return ::write(fd, bytes.data(), bytes.size() / 2);
      }
      errno = EIO;
      return -1;
    });
    EXPECT_EQ(profile_.Save(), SaveResult::kFailed);
  }
  EXPECT_EQ(ReadText(userPath_), before);
  EXPECT_EQ(profile_.Save(), SaveResult::kWritten);
  EXPECT_EQ(ReadJsonFile(userPath_)["Device"][0]["LightInfo"]["Red"].asInt(), 77);
}

TEST_F(ProfileDocumentTest, SecondaryDocumentEditsAnotherProfile) {
  LoadSavable();
  const std::string otherPath = ProfileFile(kKind, "other");
  const std::string current = ReadText(userPath_);
  profile_.LoadSecondaryProfile(otherPath);
  std::vector<KeyAssignment> keys = profile_.GetSecondaryKeyList();
  ASSERT_EQ(keys.size(), 1u);
  keys[0].current = KeyCode::FromValue(0, 0x0A0B0C);
  profile_.SetSecondaryKeyList(keys);
  ASSERT_EQ(profile_.SaveSecondary(otherPath), SaveResult::kWritten);
  EXPECT_EQ(ReadJsonFile(otherPath)["Device"][0]["KeyList"][0]["Assignment"].asInt(), 0x0A0B0C);
  EXPECT_EQ(profile_.GetKeyList()[0].current.Value(), 1u);
  EXPECT_EQ(ReadText(userPath_), current);
}

TEST_F(ProfileDocumentTest, WriteDocumentMakesTheValueTheWholeFile) {
  Json::Value value;
  value["anything"] = 1;
  ASSERT_TRUE(profile_.WriteDocument(value, userPath_));
  EXPECT_EQ(ReadJsonFile(userPath_), value);
}

TEST_F(ProfileDocumentTest, LightInfoReadsEachKeyOnItsOwn) {
  WriteText(userPath_, R"({ "Device" : [ { "LightInfo" : {
      "SelectItem" : "3", "Light" : 300, "MultiColor" : 5, "Red" : [ 1 ], "Green" : -1, "Blue" : 2.7,
      "ZZCCLedMode" : 4 } } ] })");
  profile_.LoadProfile(userPath_);
  const LightInfo info = profile_.GetLightInfo();
  EXPECT_EQ(
      info,
      (LightInfo{.selectItem = 0, .light = 44, .multiColour = 1, .green = 255, .blue = 2, .zzccLedMode = 4}));
  profile_.SetLightInfo(info);
  EXPECT_EQ(profile_.GetLightInfo(), info);
}

TEST_F(ProfileDocumentTest, AudioLightInfoRoundTrips) {
  const AudioLightInfo info{
      .audioMode = 2, .bkColourB = 3, .fgColourR = 250, .sevenColourFlags = 1, .colourTypeFlags = 1};
  profile_.SetAudioLightInfo(info);
  EXPECT_EQ(profile_.GetAudioLightInfo(), info);
  EXPECT_EQ(profile_.Document()["AudioLightInfo"]["7ColorFlags"].asInt(), 1);
}

TEST_F(ProfileDocumentTest, LightListMarksPresentEntries) {
  InstallFactory();
  profile_.LoadProfile(userPath_);
  const std::vector<LightListEntry> list = profile_.GetLightList();
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0], LightListEntry{});
  EXPECT_EQ(list[1], (LightListEntry{.ledRegMode = 3, .present = 1}));
}

TEST_F(ProfileDocumentTest, KeyListSplitsAndRebuildsCodes) {
  WriteText(userPath_, R"({ "Device" : [ { "KeyList" : [
      { "Assignment" : 197121, "DefaultAssignment" : 16 },
      { "Assignment" : "x", "DefaultAssignment" : 5 },
      { "Assignment" : 9, "DefaultAssignment" : 9 } ] } ] })");
  profile_.LoadProfile(userPath_);
  std::vector<KeyAssignment> keys = profile_.GetKeyList();
  ASSERT_EQ(keys.size(), 3u);
  EXPECT_EQ(keys[0].current, (KeyCode{0, 3, 2, 1}));
  EXPECT_EQ(keys[0].factory, (KeyCode{0, 0, 0, 16}));
  EXPECT_EQ(keys[1].current, (KeyCode{1, 0, 0, 0}));
  // Fewer entries than the document holds leave the rest as they are; the factory code is never written.
  keys.resize(2);
  keys[1].current = {1, 0x20, 0, 0x04};
  keys[1].factory = {1, 0xFF, 0xFF, 0xFF};
  profile_.SetKeyList(keys);
  const Json::Value& written = profile_.Document()["KeyList"];
  EXPECT_EQ(written[0]["Assignment"].asInt(), 197121);
  EXPECT_EQ(written[1]["Assignment"].asInt(), 0x200004);
  EXPECT_EQ(written[1]["DefaultAssignment"].asInt(), 5);
  EXPECT_EQ(written[2]["Assignment"].asInt(), 9);
}

TEST_F(ProfileDocumentTest, MergedKeyListTakesMappedCodesFromTheRawTable) {
  WriteText(userPath_, R"({ "Device" : [ { "KeyList" : [
      { "Assignment" : 1 }, { "Assignment" : 2 }, { "Assignment" : 3 } ] } ] })");
  profile_.LoadProfile(userPath_);
  std::array<std::uint8_t, CBasicProfiledata::kRawKeyTableSize> table{};
  table[3 * 4] = 0x10;
  table[3 * 4 + 1] = 0x20;
  table[3 * 4 + 2] = 0x30;
  profile_.SetRawKeyTable(table);
  // Position 1 maps to a slot past the table and position 7 lies beyond the list: both are skipped.
  const CBasicProfiledata::KeySlotMap map{{0, 4}, {1, 170}, {2, -1}, {7, 0}};
  EXPECT_EQ(profile_.SetKeySlotMap(map), map);
  const std::vector<KeyAssignment> merged = profile_.GetMergedKeyList();
  ASSERT_EQ(merged.size(), 3u);
  EXPECT_EQ(merged[0].current, (KeyCode{0, 0x10, 0x20, 0x30}));
  EXPECT_EQ(merged[1].current.Value(), 2u);
  EXPECT_EQ(merged[2].current.Value(), 3u);
}

TEST_F(ProfileDocumentTest, CustomEffectsFollowTheSelectedPresetFromBesideTheLightList) {
  const std::string lightList = LightListFile(kKind, "zorva_light");
  const std::string folder = DeviceDataFolder(kKind);
  WriteText(folder + "2026_12_11_09_30_00_000.light", R"({ "LEDEffectList" : [
      { "LEDREGMode" : 1, "LEDDirection" : 2, "red" : 511, "Time" : 1500, "Cyle" : -1 },
      { "green" : 7 } ] })");
  // Effect files that a "Guid" must not reach: one in the working folder, one outside the kind folder.
  const std::string stray = R"({ "LEDEffectList" : [ { "red" : 1 } ] })";
  WriteText(Root() + "outside.light", stray);
  WriteText("2026_12_11_09_30_00_001.light", stray);
  Json::Value list;
  list["LightInfo"][0][0]["Guid"] = "2026_12_11_09_29_00_000";  // no such file
  list["LightInfo"][0][1]["Guid"] = "2026_12_11_09_30_00_000";
  list["LightInfo"][0][2]["Guid"] = "../outside";
  list["LightInfo"][0][3]["Guid"] = Root() + "outside";
  list["LightInfo"][0][4]["Guid"] = "2026_12_11_09_30_00_001";  // only in the working folder
  ASSERT_TRUE(WriteJsonFile(lightList, list));
  profile_.SetLightListPath(lightList);
  EXPECT_EQ(profile_.LoadLightList(lightList), list);
  // The kind's own modes come first: entry n of the list is mode 12 + n.
  profile_.SetBuiltInPresetCount(12);
  WriteText(userPath_, R"({ "Device" : [ { "LightInfo" : { "SelectItem" : 13 } } ] })");
  profile_.LoadProfile(userPath_);
  profile_.GetLightInfo();
  const std::vector<LightEffectStep> steps = profile_.GetCustomEffects();
  ASSERT_EQ(steps.size(), 2u);
  EXPECT_EQ(steps[0],
            (LightEffectStep{.ledRegMode = 1, .ledDirection = 2, .red = 255, .time = 1500, .cyle = -1}));
  EXPECT_EQ(steps[1], LightEffectStep{.green = 7});

  for (std::uint8_t item : {0, 9, 11, 12, 14, 15, 16, 17}) {
    profile_.SetLightInfo({.selectItem = item});
    EXPECT_TRUE(profile_.GetCustomEffects().empty()) << static_cast<int>(item);
  }
  std::filesystem::remove("2026_12_11_09_30_00_001.light");
}

TEST_F(ProfileDocumentTest, EmptyPathsDoNotReplaceStoredOnes) {
  profile_.SetProfilePath("");
  profile_.SetDefaultProfilePath("");
  EXPECT_EQ(profile_.GetProfilePath(), userPath_);
  EXPECT_EQ(profile_.GetDefaultProfilePath(), DefaultProfileFile(kKind));
  profile_.SetLightListPath("");
  EXPECT_EQ(profile_.GetLightListPath(), "");
}

TEST(DpiStageBytes, LittleEndianNineBytes) {
  const DpiStage stage{
      .enabled = 1, .xyFlag = 0, .dpiX = 26000, .dpiY = 0x1234, .red = 9, .green = 8, .blue = 7};
  const std::array<std::uint8_t, 9> bytes{1, 0, 0x90, 0x65, 0x34, 0x12, 9, 8, 7};
  EXPECT_EQ(stage.ToBytes(), bytes);
  EXPECT_EQ(DpiStage::FromBytes(bytes), stage);
}

}  // namespace
}  // namespace nimbel
