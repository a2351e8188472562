#include "profiles/profile_list.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "profiles/file_io.h"
#include "profiles/file_notices.h"
#include "profiles/json_file.h"
#include "tests/profiles/profile_test_support.h"

namespace nimbel {
namespace {

using testing::ReadText;
using testing::WriteText;
using R = ProfileListResult;

const char* const kMouseFactory = R"({
   "Device" : [
      {
         "DPIStages" : [ { "StageActive" : 1 } ],
         "KeyList" : [ { "Assignment" : 1, "DefaultAssignment" : 1 } ],
         "LightInfo" : { "Light" : 4 }
      }
   ]
})";

const char* const kHeadsetFactory = R"({
   "Device" : [ { "EQHzValueInfo" : [ 0 ], "CustomEQNameInfo" : [], "KeyList" : [] } ]
})";

// A profile as this program exports it.
const char* const kExportedMouse = R"({
   "profilename" : "Elsewhere",
   "profileUUID" : "2020_01_01_00_00_00_000",
   "Device" : [ { "DPIStages" : [ { "StageDPIX" : 800 } ], "KeyList" : [], "LightInfo" : { "Light" : 9 } } ]
})";

// The files of a folder, names only.
std::set<std::string> FilesIn(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.insert(entry.path().filename());
  return names;
}

class ProfileListTest : public testing::DataFoldersTest {
 protected:
  ProfileListTest() : folder_(Root() + "mouse/"), factory_(FactoryFolder() + "mouse.Json") {
    std::filesystem::create_directories(folder_);
    WriteText(factory_, kMouseFactory);
  }

  // Ids counted up, so that every run makes the same files.
  CProfileList MakeList(KindCode kind = KindCode::MouseCable) {
    return CProfileList(folder_, factory_, kind, [this] { return "id_" + std::to_string(++idCount_); });
  }

  // A list file naming `names`, each with a profile file, and the list read. Written plainly: the
  // atomic writes' flushes would make the full lists slow to set up.
  CProfileList ListOf(const std::vector<std::string>& names, int select = 0) {
    Json::Value list;
    for (std::size_t i = 0; i < names.size(); ++i) {
      const std::string id = "p" + std::to_string(i);
      Json::Value entry;
      entry["profilename"] = names[i];
      entry["profileUUID"] = id;
      list["profilelist"].append(entry);
      Json::Value profile = ReadJsonFile(factory_);
      profile["profilename"] = names[i];
      profile["profileUUID"] = id;
      WriteText(folder_ + id + ".Json", StyledJsonText(profile));
    }
    list["profileselect"] = select;
    WriteText(ListFile(), StyledJsonText(list));
    CProfileList profiles = MakeList();
    EXPECT_EQ(profiles.Init(), R::kDone);
    return profiles;
  }

  std::string ListFile() const { return folder_ + "ProfileList.ini"; }
  Json::Value StoredList() const { return ReadJsonFile(ListFile()); }
  std::vector<std::string> StoredNames() const {
    std::vector<std::string> names;
    const Json::Value list = StoredList();
    for (const Json::Value& entry : list["profilelist"]) names.push_back(entry["profilename"].asString());
    return names;
  }
  std::string ExportedFile(const std::string& name, const char* text = kExportedMouse) const {
    const std::string path = Root() + name;
    WriteText(path, text);
    return path;
  }

  std::string folder_;
  std::string factory_;
  int idCount_ = 0;
};

TEST_F(ProfileListTest, FirstInitMakesProfile1WithAFactoryCopyAndLaterOnesReadIt) {
  CProfileList profiles = MakeList();
  ASSERT_EQ(profiles.Init(), R::kDone);
  ASSERT_EQ(profiles.Count(), 1u);
  EXPECT_EQ(profiles.Entries()[0].name, "Profile1");
  EXPECT_EQ(profiles.SelectedId(), "id_1");
  const Json::Value list = StoredList();
  EXPECT_EQ(list["profileselect"].asInt(), 0);
  EXPECT_EQ(list["profilelist"][0]["profileislink"].asInt(), 0);
  EXPECT_EQ(list["profilelist"][0]["profilelinkmame"].asString(), "");
  const Json::Value profile = ReadJsonFile(folder_ + "id_1.Json");
  EXPECT_EQ(profile["profilename"].asString(), "Profile1");
  EXPECT_EQ(profile["profileUUID"].asString(), "id_1");
  EXPECT_EQ(profile["Device"], ReadJsonFile(factory_)["Device"]);

  const std::string before = ReadText(ListFile());
  CProfileList again = MakeList();
  EXPECT_EQ(again.Init(), R::kDone);
  EXPECT_EQ(again.SelectedId(), "id_1");
  EXPECT_EQ(ReadText(ListFile()), before);
}

TEST_F(ProfileListTest, NewNamesAvoidEveryNameInUseIgnoringCase) {
  enum class Op { kCreate, kCopyFirst, kImport };
  const struct {
    std::vector<std::string> existing;
    Op op;
    const char* importFile;
    const char* expected;
  } cases[] = {
      {{"Profile1", "profile2"}, Op::kCreate, nullptr, "Profile3"},
      {{"Profile2"}, Op::kCreate, nullptr, "Profile1"},
      {{"A", "A copy"}, Op::kCopyFirst, nullptr, "A copy copy"},
      {{"A", "a COPY"}, Op::kCopyFirst, nullptr, "A copy copy"},
      {{"A", "A(1)"}, Op::kImport, "A.json", "A(1)(2)"},
      {{"\xc3\xa4rger"}, Op::kImport, "\xc3\x84RGER.json", "\xc3\x84RGER(1)"},
      {{"x"}, Op::kImport, " .json", "Profile"},
      {{"x"}, Op::kImport, "abcdefghijklmnopqrstuvwxyz0123456789.json", "abcdefghijklmnopqrstuvwxyz012345"},
  };
  for (const auto& c : cases) {
    CProfileList profiles = ListOf(c.existing);
    const R result = c.op == Op::kCreate      ? profiles.Create()
                     : c.op == Op::kCopyFirst ? profiles.Copy(0)
                                              : profiles.Import(ExportedFile(c.importFile));
    ASSERT_EQ(result, R::kDone) << c.expected;
    EXPECT_EQ(StoredNames().back(), c.expected);
    EXPECT_EQ(profiles.Entries().back().name, c.expected);
    const Json::Value added = ReadJsonFile(profiles.ProfilePath(profiles.Entries().back().id));
    EXPECT_EQ(added["profilename"].asString(), c.expected);
    EXPECT_EQ(added["profileUUID"].asString(), profiles.Entries().back().id);
    // A new profile is not selected.
    EXPECT_EQ(StoredList()["profileselect"].asInt(), 0);
  }
}

TEST_F(ProfileListTest, CopyAndImportCarryTheirSourceSettings) {
  CProfileList profiles = ListOf({"A"});
  Json::Value edited = ReadJsonFile(profiles.ProfilePath("p0"));
  edited["Device"][0]["LightInfo"]["Light"] = 77;
  ASSERT_TRUE(WriteJsonFile(profiles.ProfilePath("p0"), edited));
  ASSERT_EQ(profiles.Copy(0), R::kDone);
  EXPECT_EQ(ReadJsonFile(profiles.ProfilePath(profiles.Entries()[1].id))["Device"], edited["Device"]);

  ASSERT_EQ(profiles.Import(ExportedFile("B.json")), R::kDone);
  EXPECT_EQ(ReadJsonFile(profiles.ProfilePath(profiles.Entries()[2].id))["Device"],
            ReadJsonFile(Root() + "B.json")["Device"]);
}

TEST_F(ProfileListTest, RenameRefusesBlankLongAndTakenNames) {
  const struct {
    const char* name;
    R result;
  } cases[] = {
      {"Alpha", R::kDone},
      {"beta", R::kNameInUse},
      {"BETA", R::kNameInUse},
      {"", R::kNameBlank},
      {" \t\xe3\x80\x80", R::kNameBlank},
      {"123456789012345678901234567890123", R::kNameTooLong},
  };
  for (const auto& c : cases) {
    CProfileList profiles = ListOf({"Alpha", "Beta"});
    const std::string before = ReadText(ListFile());
    EXPECT_EQ(profiles.Rename(0, c.name), c.result) << c.name;
    EXPECT_EQ(ReadText(ListFile()), before) << c.name;
  }
  CProfileList profiles = ListOf({"Alpha", "Beta"});
  EXPECT_EQ(profiles.Rename(0, "alpha"), R::kDone);
  EXPECT_EQ(profiles.Rename(1, "\xe5\x8a\x9e\xe5\x85\xac"), R::kDone);
  EXPECT_EQ(StoredNames(), (std::vector<std::string>{"alpha", "\xe5\x8a\x9e\xe5\x85\xac"}));
  EXPECT_EQ(ReadJsonFile(profiles.ProfilePath("p1"))["profilename"].asString(), "\xe5\x8a\x9e\xe5\x85\xac");
  EXPECT_EQ(profiles.Rename(2, "Gamma"), R::kNoSelection);
}

TEST_F(ProfileListTest, DeleteSelectsThePreviousProfileAndRemovesTheFile) {
  const struct {
    int deleted;
    int selected;
    std::vector<std::string> left;
  } cases[] = {
      {0, 0, {"B", "C"}},
      {1, 0, {"A", "C"}},
      {2, 1, {"A", "B"}},
  };
  for (const auto& c : cases) {
    CProfileList profiles = ListOf({"A", "B", "C"});
    const std::string deletedFile = profiles.ProfilePath(profiles.Entries()[c.deleted].id);
    const CProfileList::DeleteOutcome outcome = profiles.Delete(c.deleted);
    EXPECT_EQ(outcome.result, R::kDone);
    EXPECT_EQ(outcome.selection, c.selected);
    EXPECT_EQ(StoredList()["profileselect"].asInt(), c.selected);
    EXPECT_EQ(StoredNames(), c.left);
    EXPECT_FALSE(std::filesystem::exists(deletedFile));
    EXPECT_EQ(profiles.SelectedId(), profiles.Entries()[c.selected].id);
  }
  CProfileList single = ListOf({"Only"});
  EXPECT_EQ(single.Delete(0).result, R::kLastProfile);
  EXPECT_TRUE(std::filesystem::exists(single.ProfilePath("p0")));
}

TEST_F(ProfileListTest, TheFiftyFirstProfileIsRefusedByEveryWayIn) {
  std::vector<std::string> names;
  for (int i = 0; i < 50; ++i) names.push_back("P" + std::to_string(i));
  const std::string import = ExportedFile("New.json");
  const struct {
    const char* what;
    R (*add)(CProfileList&, const std::string&);
  } ways[] = {
      {"new", [](CProfileList& l, const std::string&) { return l.Create(); }},
      {"copy", [](CProfileList& l, const std::string&) { return l.Copy(0); }},
      {"import", [](CProfileList& l, const std::string& file) { return l.Import(file); }},
  };
  for (const auto& way : ways) {
    CProfileList full = ListOf(names);
    const std::set<std::string> files = FilesIn(folder_);
    EXPECT_EQ(way.add(full, import), R::kFull) << way.what;
    EXPECT_EQ(FilesIn(folder_), files) << way.what;
    EXPECT_EQ(StoredNames().size(), 50u);

    CProfileList roomForOne = ListOf(std::vector<std::string>(names.begin(), names.end() - 1));
    EXPECT_EQ(way.add(roomForOne, import), R::kDone) << way.what;
    EXPECT_EQ(StoredNames().size(), 50u);
  }
}

TEST_F(ProfileListTest, BadImportsAreRefusedAndChangeNothing) {
  const struct {
    const char* what;
    const char* text;  // nullptr: no such file
    R result;
  } cases[] = {
      {"no file", nullptr, R::kNotAProfile},
      {"not JSON", "profile = 1", R::kNotAProfile},
      {"an array", "[ 1, 2 ]", R::kNotAProfile},
      {"no name and id", R"({ "Device" : [ { "DPIStages" : [], "KeyList" : [] } ] })", R::kNotAProfile},
      {"no settings", R"({ "profilename" : "P", "profileUUID" : "u" })", R::kNotAProfile},
      {"Device not an array", R"({ "profilename" : "P", "profileUUID" : "u", "Device" : 5 })",
       R::kNotAProfile},
      {"Device entry not an object", R"({ "profilename" : "P", "profileUUID" : "u", "Device" : [ 1 ] })",
       R::kNotAProfile},
      {"keyboard profile",
       R"({ "profilename" : "K", "profileUUID" : "u", "Device" : [ { "CustomLightMode" : 1, "KeyList" : [] } ] })",
       R::kOtherKind},
      {"headset profile",
       R"({ "profilename" : "H", "profileUUID" : "u", "Device" : [ { "DPIStages" : [], "EQHzValueInfo" : [] } ] })",
       R::kOtherKind},
  };
  CProfileList profiles = ListOf({"A", "B"});
  const std::string list = ReadText(ListFile());
  const std::string profileA = ReadText(profiles.ProfilePath("p0"));
  const std::set<std::string> files = FilesIn(folder_);
  for (const auto& c : cases) {
    const std::string path = c.text != nullptr ? ExportedFile("In.json", c.text) : Root() + "Missing.json";
    EXPECT_EQ(profiles.Import(path), c.result) << c.what;
    EXPECT_EQ(ReadText(ListFile()), list) << c.what;
    EXPECT_EQ(FilesIn(folder_), files) << c.what;
    EXPECT_EQ(profiles.Count(), 2u);
  }
  // An exported profile padded far beyond any profile's size.
  std::string padded = kExportedMouse;
  padded.insert(padded.size() - 1, kMaxImportFileSize, ' ');
  EXPECT_EQ(profiles.Import(ExportedFile("Padded.json", padded.c_str())), R::kTooLarge);
  EXPECT_EQ(ReadText(ListFile()), list);
  EXPECT_EQ(FilesIn(folder_), files);
  EXPECT_EQ(ReadText(profiles.ProfilePath("p0")), profileA);
}

TEST_F(ProfileListTest, AProfileLackingItsOwnKindsKeysIsImported) {
  CProfileList keyboards(folder_, factory_, KindCode::KeyboardCable, [] { return std::string("k"); });
  ASSERT_EQ(keyboards.Init(), R::kDone);
  // Exported before the keyboard reported its colour groups: no "CustomLightMode" yet.
  const std::string early = ExportedFile("Early.json", R"({ "profilename" : "E", "profileUUID" : "u",
      "Device" : [ { "KeyList" : [], "LightInfo" : {}, "SystemStages" : {} } ] })");
  EXPECT_EQ(keyboards.Import(early), R::kDoneWithDefaults);
  EXPECT_EQ(keyboards.Count(), 2u);
}

TEST_F(ProfileListTest, AnImportLackingSettingsTakesThemFromTheFactoryProfile) {
  CProfileList profiles = ListOf({"A"});
  const std::string path = ExportedFile("Lean.json", R"({
      "profilename" : "L", "profileUUID" : "u", "Extra" : 5,
      "Device" : [ { "DPIStages" : [ { "StageDPIX" : 800 } ] } ] })");
  ASSERT_EQ(profiles.Import(path), R::kDoneWithDefaults);
  const Json::Value added = ReadJsonFile(profiles.ProfilePath(profiles.Entries()[1].id));
  const Json::Value factory = ReadJsonFile(factory_)["Device"][0];
  EXPECT_EQ(added["Device"][0]["DPIStages"][0]["StageDPIX"].asInt(), 800);
  EXPECT_EQ(added["Device"][0]["KeyList"], factory["KeyList"]);
  EXPECT_EQ(added["Device"][0]["LightInfo"], factory["LightInfo"]);
  EXPECT_EQ(added["Extra"].asInt(), 5);
  EXPECT_EQ(added["profilename"].asString(), "Lean");
}

TEST_F(ProfileListTest, AFailedWriteLeavesTheListAndTheProfilesAsTheyWere) {
  const struct {
    const char* what;
    R (*act)(CProfileList&, const std::string&);
  } actions[] = {
      {"new", [](CProfileList& l, const std::string&) { return l.Create(); }},
      {"copy", [](CProfileList& l, const std::string&) { return l.Copy(1); }},
      {"import", [](CProfileList& l, const std::string& file) { return l.Import(file); }},
      {"rename", [](CProfileList& l, const std::string&) { return l.Rename(1, "Z"); }},
      {"delete", [](CProfileList& l, const std::string&) { return l.Delete(1).result; }},
      {"reset", [](CProfileList& l, const std::string&) { return l.Reset(1); }},
      {"select", [](CProfileList& l, const std::string&) { return l.Select(1); }},
  };
  const std::string import = ExportedFile("In.json");
  for (const auto& action : actions) {
    CProfileList profiles = ListOf({"A", "B"});
    const std::string list = ReadText(ListFile());
    const std::string profileB = ReadText(profiles.ProfilePath("p1"));
    const std::set<std::string> files = FilesIn(folder_);
    R result;
    {
      // The disk fills up halfway through every file written.
      const ScopedFileWriteCall full([](int fd, std::span<const char> bytes) -> ssize_t {
        if (bytes.size() > 8) return ::write(fd, bytes.data(), bytes.size() / 2);
        errno = ENOSPC;
        return -1;
      });
      result = action.act(profiles, import);
    }
    EXPECT_EQ(result, R::kWriteFailed) << action.what;
    EXPECT_EQ(ReadText(ListFile()), list) << action.what;
    EXPECT_EQ(ReadText(profiles.ProfilePath("p1")), profileB) << action.what;
    EXPECT_EQ(FilesIn(folder_), files) << action.what;
  }
}

TEST_F(ProfileListTest, AnUnwritableFolderAtFirstStartStillGivesAProfileForThisRun) {
  const ScopedFileWriteCall refused([](int, std::span<const char>) -> ssize_t {
    errno = EACCES;
    return -1;
  });
  CProfileList profiles = MakeList();
  EXPECT_EQ(profiles.Init(), R::kWriteFailed);
  ASSERT_EQ(profiles.Count(), 1u);
  EXPECT_EQ(profiles.SelectedId(), "id_1");
  EXPECT_FALSE(std::filesystem::exists(ListFile()));
}

TEST_F(ProfileListTest, IdsFromTheSameMillisecondGetFilesOfTheirOwn) {
  CProfileList profiles(folder_, factory_, KindCode::MouseCable,
                        [] { return std::string("2024_05_06_07_08_09_010"); });
  ASSERT_EQ(profiles.Init(), R::kDone);
  ASSERT_EQ(profiles.Create(), R::kDone);
  ASSERT_EQ(profiles.Copy(0), R::kDone);
  // A file left behind by an earlier run is not overwritten either.
  WriteText(folder_ + "2024_05_06_07_08_09_010_3.Json", "left");
  ASSERT_EQ(profiles.Create(), R::kDone);
  std::set<std::string> ids;
  for (const ProfileEntry& entry : profiles.Entries()) {
    ids.insert(entry.id);
    EXPECT_EQ(ReadJsonFile(profiles.ProfilePath(entry.id))["profilename"].asString(), entry.name);
  }
  EXPECT_EQ(ids.size(), 4u);
  EXPECT_EQ(ReadText(folder_ + "2024_05_06_07_08_09_010_3.Json"), "left");
}

TEST_F(ProfileListTest, ExportAddsTheExtensionOnlyWhenTheNameHasNone) {
  const struct {
    const char* typed;
    const char* written;
  } cases[] = {
      {"out", "out.json"},
      {"out.json", "out.json"},
      {"out.profile", "out.profile"},
      {"v1.2/out", "v1.2/out.json"},
  };
  CProfileList profiles = ListOf({"A"});
  std::filesystem::create_directories(Root() + "v1.2");
  for (const auto& c : cases) {
    ASSERT_EQ(profiles.Export(0, Root() + c.typed), R::kDone) << c.typed;
    EXPECT_EQ(ReadText(Root() + c.written), ReadText(profiles.ProfilePath("p0"))) << c.typed;
  }
  EXPECT_EQ(profiles.Export(0, "/nonexistent-folder/out"), R::kExportFailed);
}

TEST_F(ProfileListTest, AnExportedProfileImportsBackWhole) {
  CProfileList profiles = ListOf({"A"});
  // The device rebuilt this file from the factory profile, which knows no name or id.
  ASSERT_TRUE(WriteJsonFile(profiles.ProfilePath("p0"), ReadJsonFile(factory_)));
  ASSERT_EQ(profiles.Export(0, Root() + "Trip"), R::kDone);
  ASSERT_EQ(profiles.Import(Root() + "Trip.json"), R::kDone);
  EXPECT_EQ(profiles.Entries()[1].name, "Trip");
  EXPECT_EQ(ReadJsonFile(profiles.ProfilePath(profiles.Entries()[1].id))["Device"],
            ReadJsonFile(factory_)["Device"]);

  std::filesystem::remove(profiles.ProfilePath("p0"));
  EXPECT_EQ(profiles.Export(0, Root() + "Gone"), R::kSourceUnreadable);
  EXPECT_FALSE(std::filesystem::exists(Root() + "Gone.json"));
}

TEST_F(ProfileListTest, ResetRestoresTheFactoryProfileAndKeepsNameAndId) {
  CProfileList profiles = ListOf({"A", "B"});
  Json::Value edited = ReadJsonFile(profiles.ProfilePath("p1"));
  edited["Device"][0]["LightInfo"]["Light"] = 99;
  ASSERT_TRUE(WriteJsonFile(profiles.ProfilePath("p1"), edited));
  const std::string list = ReadText(ListFile());
  ASSERT_EQ(profiles.Reset(1), R::kDone);
  const Json::Value reset = ReadJsonFile(profiles.ProfilePath("p1"));
  EXPECT_EQ(reset["Device"], ReadJsonFile(factory_)["Device"]);
  EXPECT_EQ(reset["profilename"].asString(), "B");
  EXPECT_EQ(reset["profileUUID"].asString(), "p1");
  EXPECT_EQ(ReadText(ListFile()), list);

  // Without a factory profile there is nothing to reset to; the user's profile stays.
  std::filesystem::remove(factory_);
  ASSERT_TRUE(WriteJsonFile(profiles.ProfilePath("p1"), edited));
  EXPECT_EQ(profiles.Reset(1), R::kSourceUnreadable);
  EXPECT_EQ(ReadJsonFile(profiles.ProfilePath("p1")), edited);
}

TEST_F(ProfileListTest, AHeadsetKeepsItsOwnEqualiserPresetsOnReset) {
  WriteText(factory_, kHeadsetFactory);
  CProfileList profiles = MakeList(KindCode::Headset);
  ASSERT_EQ(profiles.Init(), R::kDone);
  const std::string path = profiles.ProfilePath(profiles.SelectedId());
  Json::Value edited = ReadJsonFile(path);
  edited["Device"][0]["CustomEQNameInfo"][0] = "Mine";
  edited["Device"][0]["CustomEQHzValueInfo"][0][0] = 3;
  edited["Device"][0]["EQHzValueInfo"][0] = 7;
  ASSERT_TRUE(WriteJsonFile(path, edited));
  ASSERT_EQ(profiles.Reset(0), R::kDone);
  const Json::Value reset = ReadJsonFile(path)["Device"][0];
  EXPECT_EQ(reset["CustomEQNameInfo"], edited["Device"][0]["CustomEQNameInfo"]);
  EXPECT_EQ(reset["CustomEQHzValueInfo"], edited["Device"][0]["CustomEQHzValueInfo"]);
  EXPECT_EQ(reset["EQHzValueInfo"][0].asInt(), 0);
}

TEST_F(ProfileListTest, AStoredSelectionOutsideTheListSelectsTheFirstProfile) {
  for (const char* select : {"7", "-1", "\"1\"", "null"}) {
    WriteText(ListFile(), std::string(R"({ "profilelist" : [ { "profilename" : "A", "profileUUID" : "a" },
                                            { "profilename" : "B", "profileUUID" : "b" } ],
                                          "profileselect" : )") +
                              select + " }");
    CProfileList profiles = MakeList();
    ASSERT_EQ(profiles.Init(), R::kDone);
    EXPECT_EQ(profiles.StoredSelection(), 0) << select;
    EXPECT_EQ(profiles.SelectedId(), "a") << select;
  }
}

TEST_F(ProfileListTest, IdsThatAreNotPlainFileNamesReachNoFile) {
  WriteText(Root() + "victim.Json", "keep");
  WriteText(ListFile(), R"({ "profilelist" : [ { "profilename" : "A", "profileUUID" : "../victim" },
                                               { "profilename" : "B", "profileUUID" : "b" } ],
                             "profileselect" : 0 })");
  CProfileList profiles = MakeList();
  ASSERT_EQ(profiles.Init(), R::kDone);
  EXPECT_EQ(profiles.SelectedId(), "");
  EXPECT_EQ(profiles.Reset(0), R::kNoSelection);
  EXPECT_EQ(profiles.Delete(0).result, R::kDone);
  EXPECT_EQ(ReadText(Root() + "victim.Json"), "keep");
}

TEST_F(ProfileListTest, AListFileSpoiltBetweenChangesKeepsTheProfilesLastRead) {
  CProfileList profiles = ListOf({"A", "B"});
  WriteText(ListFile(), "{ \"profilelist\" : [ ");
  ASSERT_EQ(profiles.Create(), R::kDone);
  EXPECT_EQ(StoredNames(), (std::vector<std::string>{"A", "B", "Profile1"}));
}

TEST_F(ProfileListTest, AnUnreadableListIsKeptAndItsProfilesListedAgain) {
  const struct {
    const char* what;
    std::string text;
  } cases[] = {
      {"truncated", R"({ "profilelist" : [ { "profilename" : "Work", )"},
      {"garbage", "\x7f\x45\x4c\x46"},
      {"not a list", R"({ "profilelist" : 5 })"},
      {"too large", "{" + std::string(kMaxReadFileSize, ' ') + "}"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    TakeFileNotices();
    WriteText(folder_ + "2024_05_01_00_00_00_000.Json", R"({ "profilename" : "Work", "Device" : [ {} ] })");
    WriteText(folder_ + "2024_01_01_00_00_00_000.Json", R"({ "profilename" : "Play", "Device" : [ {} ] })");
    WriteText(folder_ + "2024_03_01_00_00_00_000.Json", R"({ "Device" : [ {} ] })");
    WriteText(folder_ + "2024_04_01_00_00_00_000.Json", "not a profile");
    WriteText(ListFile(), c.text);

    CProfileList profiles = MakeList();
    EXPECT_EQ(profiles.Init(), R::kDone);
    EXPECT_EQ(StoredNames(), (std::vector<std::string>{"Play", "Profile1", "Work"}));
    EXPECT_EQ(profiles.SelectedId(), "2024_01_01_00_00_00_000");
    std::vector<std::string> kept;
    for (const std::string& name : FilesIn(folder_)) {
      if (name.starts_with("ProfileList.ini.broken-")) kept.push_back(folder_ + name);
    }
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(ReadText(kept[0]), c.text);
    const std::vector<FileNotice> notices = TakeFileNotices();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].kind, FileNoticeKind::kListRebuilt);
    EXPECT_EQ(notices[0].file, ListFile());
    EXPECT_EQ(notices[0].keptAs, kept[0]);
    EXPECT_EQ(notices[0].count, 3u);
  }
}

TEST_F(ProfileListTest, AHandEditedListIsBoundedAndNormalisedOnRead) {
  std::string text = R"({ "profileselect" : 4999, "profilelist" : [ )";
  text += R"({ "profilename\u0000x" : "Evil", "profilename" : "A", "profileUUID" : "a", "extra" : [ 1 ] })";
  for (int i = 1; i < 5000; ++i) text += R"(, { "profilename" : "P", "profileUUID" : "p" })";
  text += " ] }";
  WriteText(ListFile(), text);
  CProfileList profiles = MakeList();
  ASSERT_EQ(profiles.Init(), R::kDone);
  EXPECT_EQ(profiles.Count(), kMaxProfileCount);
  EXPECT_EQ(profiles.StoredSelection(), 0);
  EXPECT_EQ(profiles.Rename(4999, "B"), R::kNoSelection);
  ASSERT_EQ(profiles.Rename(0, "B"), R::kDone);

  const std::string written = ReadText(ListFile());
  const std::string first = written.substr(0, written.find('}'));
  EXPECT_EQ(first.find("profilename"), first.rfind("profilename")) << "one name key per entry";
  EXPECT_EQ(first.find("extra"), std::string::npos);
  EXPECT_EQ(StoredNames().front(), "B");
  EXPECT_EQ(StoredList()["profilelist"].size(), kMaxProfileCount);
}

TEST_F(ProfileListTest, OpeningTheListRemovesTemporariesACrashLeft) {
  ListOf({"A"});
  WriteText(folder_ + "p0.Json.tmp-999999999-0", "half a profile");
  CProfileList profiles = MakeList();
  ASSERT_EQ(profiles.Init(), R::kDone);
  EXPECT_EQ(FilesIn(folder_), (std::set<std::string>{"ProfileList.ini", "p0.Json"}));
}

}  // namespace
}  // namespace nimbel
