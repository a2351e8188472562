#include "profiles/macro_library.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "profiles/json_file.h"
#include "profiles/text.h"
#include "tests/profiles/profile_test_support.h"

namespace nimbel {
namespace {

using testing::ReadText;
using testing::WriteText;
using R = MacroResult;

constexpr std::uint32_t kMacroPlay = 0x70;
constexpr std::uint32_t kMacroRepeat = 0x71;

constexpr std::uint32_t Code(std::uint32_t type, std::uint32_t middle, std::uint32_t low) {
  return type << 16 | middle << 8 | low;
}

const MacroEvent kPressA{.type = macro_event_type::kKey, .button = 4, .down = true, .delay = 120};
const MacroEvent kReleaseA{.type = macro_event_type::kKey, .button = 4, .down = false, .delay = 0};

// A macro file with one event whose fields are given as JSON text.
std::string MacroWithEvent(const std::string& type, const std::string& button, const std::string& action,
                           const std::string& delay) {
  return R"({"Events": [{"Type": )" + type + R"(, "Button": )" + button + R"(, "Action": )" + action +
         R"(, "Delay": )" + delay + "}]}";
}

std::string MacroOfEvents(std::size_t count) {
  Json::Value document = MacroDocument("m", "g", std::vector<MacroEvent>(count, kPressA));
  return StyledJsonText(document);
}

std::vector<std::string> NamesOf(const MacroLibrary& library) {
  std::vector<std::string> names;
  for (const MacroEntry& entry : library.Entries()) names.push_back(entry.name);
  return names;
}

class MacroLibraryTest : public ::testing::Test {
 protected:
  MacroLibraryTest() : folder_(testing::MakeTemporaryFolder()) {}
  ~MacroLibraryTest() override { std::filesystem::remove_all(folder_); }

  // Ids of the time-stamp form, counted up so that every run makes the same files.
  MacroLibrary MakeLibrary() {
    MacroLibrary library(folder_, [this] {
      const std::string count = std::to_string(++idCount_);
      return "2026_01_02_03_04_05_" + std::string(3 - count.size(), '0') + count;
    });
    library.Load();
    return library;
  }

  // A library file naming these macros (guids as given), written plainly.
  void WriteLibrary(const std::vector<MacroEntry>& entries, const Json::Value& pending = Json::Value()) {
    Json::Value library;
    library["MacroInfo"] = Json::Value(Json::arrayValue);
    for (const MacroEntry& entry : entries) {
      Json::Value item;
      item["MacroName"] = entry.name;
      item["Guid"] = entry.guid;
      library["MacroInfo"].append(item);
    }
    if (!pending.isNull()) library["PendingDeletion"] = pending;
    WriteText(LibraryFile(), StyledJsonText(library));
  }

  std::string LibraryFile() const { return folder_ + "macro.config"; }
  std::string Path(const std::string& name) const { return folder_ + name; }

  // The source of an import, outside the kind folder.
  std::string ImportSource(const std::string& fileName, const std::string& text) {
    const std::string folder = folder_ + "user/";
    std::filesystem::create_directories(folder);
    WriteText(folder + fileName, text);
    return folder + fileName;
  }

  std::string folder_;
  int idCount_ = 0;
};

TEST_F(MacroLibraryTest, NewMacroTakesTheLowestFreeNumber) {
  struct Case {
    std::vector<std::string> existing;
    std::string made;
  };
  const Case cases[] = {
      {{}, "macro_1"},
      {{"macro_1"}, "macro_2"},
      {{"MACRO_1", "macro_3"}, "macro_2"},
      {{"macro_2"}, "macro_1"},
  };
  for (const Case& c : cases) {
    std::vector<MacroEntry> entries;
    for (std::size_t i = 0; i < c.existing.size(); ++i)
      entries.push_back({c.existing[i], "1_0" + std::to_string(i)});
    WriteLibrary(entries);
    MacroLibrary library = MakeLibrary();
    ASSERT_EQ(library.NewMacro(), R::kDone);
    EXPECT_EQ(library.Entries().back().name, c.made);
    // Written: a new library object reads it back.
    MacroLibrary again = MakeLibrary();
    EXPECT_EQ(NamesOf(again), NamesOf(library));
  }
}

TEST_F(MacroLibraryTest, HoldsAtMostFiftyMacros) {
  std::vector<MacroEntry> entries;
  for (int i = 0; i < 51; ++i)
    entries.push_back({"m" + std::to_string(i), "2026_01_02_03_04_05_000_" + std::to_string(i)});
  WriteLibrary(entries);
  MacroLibrary library = MakeLibrary();
  EXPECT_EQ(library.Count(), kMaxMacros);
  EXPECT_EQ(library.Entries().back().name, "m49");
  EXPECT_EQ(library.NewMacro(), R::kLibraryFull);
  EXPECT_EQ(library.ImportMacro(ImportSource("a.mac", MacroOfEvents(1))), R::kLibraryFull);
  EXPECT_EQ(library.Count(), kMaxMacros);
}

TEST_F(MacroLibraryTest, RenameFollowsTheNameRules) {
  struct Case {
    std::string name;
    R result;
  };
  const Case cases[] = {
      {"gamma", R::kDone},
      {"", R::kNameBlank},
      {"\t \u3000", R::kNameBlank},
      {" gamma", R::kNameStartsWithSpace},
      {"abcdefghij", R::kDone},
      {"abcdefghijk", R::kNameTooLong},
      {"\u00e4\u00f6\u00fc\u00e4\u00f6\u00fc\u00e4\u00f6\u00fc\u00e4", R::kDone},  // 10 characters, 20 bytes
      {"\u00e4\u00f6\u00fc\u00e4\u00f6\u00fc\u00e4\u00f6\u00fc\u00e4x", R::kNameTooLong},
      {"BETA", R::kNameInUse},
      {"Alpha", R::kNameInUse},  // its own name
  };
  for (const Case& c : cases) {
    WriteLibrary({{"alpha", "1_01"}, {"beta", "1_02"}});
    MacroLibrary library = MakeLibrary();
    EXPECT_EQ(library.RenameMacro(0, c.name), c.result) << c.name;
    const std::string expected = c.result == R::kDone ? c.name : "alpha";
    EXPECT_EQ(MakeLibrary().Entries()[0].name, expected) << c.name;
  }
  MacroLibrary library = MakeLibrary();
  EXPECT_EQ(library.RenameMacro(2, "delta"), R::kNoSuchMacro);
}

TEST_F(MacroLibraryTest, ImportCopiesTheFileAndSuffixesANameInUse) {
  WriteLibrary({{"AB", "1_01"}});
  MacroLibrary library = MakeLibrary();
  const std::string text = "// kept as it is\n" + MacroOfEvents(2);
  const std::string source = ImportSource("AB.mac", text);
  ASSERT_EQ(library.ImportMacro(source), R::kDone);
  ASSERT_EQ(library.ImportMacro(source), R::kDone);
  EXPECT_EQ(NamesOf(library), (std::vector<std::string>{"AB", "AB_1", "AB_1_2"}));
  EXPECT_EQ(ReadText(library.MacroPath(1)), text);
  EXPECT_EQ(library.ReadEvents(2), std::vector<MacroEvent>(2, kPressA));
  EXPECT_EQ(NamesOf(MakeLibrary()), NamesOf(library));
}

TEST_F(MacroLibraryTest, ImportedNamesNeverPassTenCharacters) {
  struct Case {
    std::string fileName;
    std::vector<std::string> names;  // after importing the file this many times
  };
  const Case cases[] = {
      {"ABCDEFGHIJ.mac", {"ABCDEFGHIJ", "ABCDEFGH_1", "ABCDEFGH_2"}},
      {"ABCDEFGHI.MAC", {"ABCDEFGHI", "ABCDEFGH_1", "ABCDEFGH_2"}},
      {"\u00e4\u00f6\u00fc\u00e4\u00f6\u00fc\u00e4\u00f6\u00fc\u00e4.mac",
       {"\u00e4\u00f6\u00fc\u00e4\u00f6\u00fc\u00e4\u00f6\u00fc\u00e4",
        "\u00e4\u00f6\u00fc\u00e4\u00f6\u00fc\u00e4\u00f6_1",
        "\u00e4\u00f6\u00fc\u00e4\u00f6\u00fc\u00e4\u00f6_2"}},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(LibraryFile());
    MacroLibrary library = MakeLibrary();
    const std::string source = ImportSource(c.fileName, MacroOfEvents(1));
    for (std::size_t i = 0; i < c.names.size(); ++i)
      ASSERT_EQ(library.ImportMacro(source), R::kDone) << c.fileName;
    EXPECT_EQ(NamesOf(library), c.names);
    for (const std::string& name : NamesOf(library)) EXPECT_LE(CharacterCount(name), kMaxMacroNameLength);
  }
}

TEST_F(MacroLibraryTest, RefusesFilesThatAreNotMacros) {
  struct Case {
    std::string name;
    std::string fileName;
    std::string text;
    R result;
  };
  const std::string ok = MacroWithEvent("10", "4", "\"down\"", "\"0\"");
  const Case cases[] = {
      {"not an object", "a.mac", "[1, 2]", R::kNotAMacro},
      {"not JSON", "a.mac", "{\"Events\": [", R::kNotAMacro},
      {"empty", "a.mac", "", R::kNotAMacro},
      {"no events", "a.mac", "{}", R::kNotAMacro},
      {"31 events", "a.mac", MacroOfEvents(31), R::kNotAMacro},
      {"unknown type", "a.mac", MacroWithEvent("3", "4", "\"down\"", "\"0\""), R::kNotAMacro},
      {"type as text", "a.mac", MacroWithEvent("\"10\"", "4", "\"down\"", "\"0\""), R::kNotAMacro},
      {"unknown action", "a.mac", MacroWithEvent("10", "4", "\"press\"", "\"0\""), R::kNotAMacro},
      {"delay 70000", "a.mac", MacroWithEvent("10", "4", "\"down\"", "\"70000\""), R::kNotAMacro},
      {"delay -1", "a.mac", MacroWithEvent("10", "4", "\"down\"", "\"-1\""), R::kNotAMacro},
      {"delay 1e3", "a.mac", MacroWithEvent("10", "4", "\"down\"", "\"1e3\""), R::kNotAMacro},
      {"delay of six digits", "a.mac", MacroWithEvent("10", "4", "\"down\"", "\"000001\""), R::kNotAMacro},
      {"delay integer 70000", "a.mac", MacroWithEvent("10", "4", "\"down\"", "70000"), R::kNotAMacro},
      {"delay integer -1", "a.mac", MacroWithEvent("10", "4", "\"down\"", "-1"), R::kNotAMacro},
      {"button 300", "a.mac", MacroWithEvent("1", "300", "\"down\"", "\"0\""), R::kNotAMacro},
      {"button -1", "a.mac", MacroWithEvent("1", "-1", "\"down\"", "\"0\""), R::kNotAMacro},
      {"other extension", "a.json", ok, R::kNotAMacro},
      {"file name of 15 characters", "abcdefghijk.mac", ok, R::kFileNameTooLong},
      {"delay 65535 is a macro", "a.mac", MacroWithEvent("10", "4", "\"up\"", "\"65535\""), R::kDone},
      {"integer delay is a macro", "a.mac", MacroWithEvent("9", "2", "\"down\"", "0"), R::kDone},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(LibraryFile());
    MacroLibrary library = MakeLibrary();
    EXPECT_EQ(library.ImportMacro(ImportSource(c.fileName, c.text)), c.result) << c.name;
    EXPECT_EQ(library.Count(), c.result == R::kDone ? 1u : 0u) << c.name;
  }
}

TEST_F(MacroLibraryTest, DocumentKeepsDelaysAsTextAndParsesBack) {
  const std::vector<MacroEvent> events = {
      kPressA,
      kReleaseA,
      {.type = macro_event_type::kVerticalMove, .button = 20, .down = false, .delay = 65535}};
  const Json::Value document = MacroDocument("m", "2026_01_02_03_04_05_006", events);
  EXPECT_EQ(document["Version"], 64);
  EXPECT_EQ(document["Events"][0]["Delay"], "120");
  EXPECT_EQ(document["Events"][2]["Action"], "up");
  EXPECT_EQ(ParseMacroEvents(document), events);
  EXPECT_EQ(MacroDocument("m", "g", {})["Events"], Json::Value(Json::arrayValue));
}

TEST_F(MacroLibraryTest, SavesAndReadsEvents) {
  MacroLibrary library = MakeLibrary();
  ASSERT_EQ(library.NewMacro(), R::kDone);
  EXPECT_TRUE(library.ReadEvents(0).empty());
  const std::vector<MacroEvent> events = {kPressA, kReleaseA};
  ASSERT_EQ(library.SaveEvents(0, events), R::kDone);
  EXPECT_EQ(library.ReadEvents(0), events);
  EXPECT_EQ(library.SaveEvents(0, std::vector<MacroEvent>(31, kPressA)), R::kNotAMacro);
  EXPECT_EQ(library.SaveEvents(1, events), R::kNoSuchMacro);
  EXPECT_EQ(library.ReadEvents(0), events);
}

TEST_F(MacroLibraryTest, OnlyATimeStampIdNamesAFile) {
  const std::vector<MacroEntry> entries = {
      {"bad1", "../x"},
      {"bad2", "a/b"},
      {"bad3", ""},
      {"bad4", "2026_1_02_03_04_05_006"},
      {"bad5", "2026_01_02_03_04_05_006_x"},
      {"bad6", "2026_01_02_03_04_05"},
      {"good", "2026_01_02_03_04_05_006"},
  };
  WriteLibrary(entries);
  WriteText(folder_ + "x.mac", MacroOfEvents(1));
  MacroLibrary library = MakeLibrary();
  for (std::size_t i = 0; i + 1 < entries.size(); ++i) {
    EXPECT_EQ(library.MacroPath(i), "") << entries[i].guid;
    EXPECT_TRUE(library.ReadEvents(i).empty()) << entries[i].guid;
    EXPECT_EQ(library.SaveEvents(i, std::vector<MacroEvent>{kPressA}), R::kWriteFailed) << entries[i].guid;
  }
  EXPECT_EQ(library.MacroPath(6), Path("2026_01_02_03_04_05_006.mac"));
}

TEST_F(MacroLibraryTest, ExportCopiesTheFileUnchanged) {
  MacroLibrary library = MakeLibrary();
  const std::string text = "// as imported\n" + MacroOfEvents(3);
  ASSERT_EQ(library.ImportMacro(ImportSource("ab.mac", text)), R::kDone);
  ASSERT_EQ(library.ExportMacro(0, Path("out.mac")), R::kDone);
  EXPECT_EQ(ReadText(Path("out.mac")), text);
  EXPECT_EQ(library.ExportMacro(0, Path("no-such-folder/out.mac")), R::kWriteFailed);
  EXPECT_EQ(library.ExportMacro(1, Path("out.mac")), R::kNoSuchMacro);
}

// Three macros; key 0 plays macro 0, key 1 macro 1 and key 2 repeats macro 2 three times; key 3 is a
// plain key.
class MacroDeletionTest : public MacroLibraryTest {
 protected:
  static constexpr std::uint32_t kKey0Default = Code(0x01, 0, 0x01);
  static constexpr std::uint32_t kKey1Default = Code(0x01, 0, 0x02);

  MacroDeletionTest() {
    WriteLibrary({{"one", Guid(1)}, {"two", Guid(2)}, {"three", Guid(3)}});
    for (int i = 1; i <= 3; ++i) WriteText(Path(Guid(i) + ".mac"), MacroOfEvents(1));
  }

  static std::string Guid(int i) { return "2025_01_01_00_00_00_00" + std::to_string(i); }

  static Json::Value KeyList(const std::vector<std::uint32_t>& codes) {
    const std::uint32_t defaults[] = {kKey0Default, kKey1Default, Code(0x01, 0, 0x03), Code(0x00, 0, 0x04)};
    Json::Value list(Json::arrayValue);
    for (std::size_t i = 0; i < codes.size(); ++i) {
      Json::Value key;
      key["Assignment"] = codes[i];
      key["DefaultAssignment"] = defaults[i];
      list.append(key);
    }
    return list;
  }

  static std::vector<std::uint32_t> BeforeCodes() {
    return {Code(kMacroPlay, 0, 0), Code(kMacroPlay, 1, 2), Code(kMacroRepeat, 2, 3), Code(0x00, 0x02, 0x04)};
  }
  static std::vector<std::uint32_t> AfterCodes() {
    return {Code(kMacroPlay, 0, 0), kKey1Default, Code(kMacroRepeat, 1, 3), Code(0x00, 0x02, 0x04)};
  }

  // A profile with `elements` documents in "Device" (the keyboard keeps a second key list), each with
  // these codes.
  std::string WriteProfile(const std::string& name, int elements, const std::vector<std::uint32_t>& codes,
                           const std::string& marker = "") {
    Json::Value profile;
    profile["profilename"] = name;
    for (int i = 0; i < elements; ++i) profile["Device"][i]["KeyList"] = KeyList(codes);
    if (!marker.empty()) profile["MacroRenumbered"] = marker;
    WriteText(Path(name + ".Json"), StyledJsonText(profile));
    return Path(name + ".Json");
  }

  static std::vector<std::uint32_t> CodesOf(const std::string& path, int element) {
    const Json::Value profile = ReadJsonFile(path);
    std::vector<std::uint32_t> codes;
    for (const Json::Value& key : profile["Device"][element]["KeyList"])
      codes.push_back(key["Assignment"].asUInt());
    return codes;
  }
};

TEST_F(MacroDeletionTest, RenumbersTheKeysOfEveryProfile) {
  const std::vector<std::string> profiles = {WriteProfile("mouse", 1, BeforeCodes()),
                                             WriteProfile("keyboard", 2, BeforeCodes()),
                                             Path("missing.Json")};
  MacroLibrary library = MakeLibrary();
  ASSERT_EQ(library.DeleteMacro(1, profiles), R::kDone);
  EXPECT_EQ(NamesOf(library), (std::vector<std::string>{"one", "three"}));
  EXPECT_EQ(CodesOf(profiles[0], 0), AfterCodes());
  EXPECT_EQ(CodesOf(profiles[1], 0), AfterCodes());
  EXPECT_EQ(CodesOf(profiles[1], 1), AfterCodes());
  EXPECT_FALSE(std::filesystem::exists(profiles[2]));
  EXPECT_FALSE(std::filesystem::exists(Path(Guid(2) + ".mac")));
  EXPECT_TRUE(std::filesystem::exists(Path(Guid(3) + ".mac")));
  EXPECT_FALSE(ReadJsonFile(LibraryFile()).isMember("PendingDeletion"));
  EXPECT_EQ(NamesOf(MakeLibrary()), NamesOf(library));
  EXPECT_EQ(library.DeleteMacro(2, profiles), R::kNoSuchMacro);
}

TEST_F(MacroDeletionTest, RenumberMacroKeysGivesTheDefaultOrTheNextLowerNumber) {
  std::vector<KeyAssignment> list;
  const std::vector<std::uint32_t> before = BeforeCodes();
  for (std::uint16_t i = 0; i < before.size(); ++i)
    list.push_back({KeyCode::FromValue(i, before[i]), KeyCode::FromValue(i, i == 1 ? kKey1Default : 0)});
  EXPECT_TRUE(RenumberMacroKeys(list, 1));
  for (std::size_t i = 0; i < list.size(); ++i) EXPECT_EQ(list[i].current.Value(), AfterCodes()[i]) << i;
  EXPECT_FALSE(RenumberMacroKeys(list, 5));
}

TEST_F(MacroDeletionTest, LoadFinishesADeletionACrashInterrupted) {
  // The library changed and the first profile was saved renumbered; then the program died.
  const std::string id = "2026_01_01_00_00_00_000/" + Guid(2);
  const std::string done = WriteProfile("done", 1, AfterCodes(), id);
  const std::string left = WriteProfile("left", 2, BeforeCodes());
  Json::Value pending;
  pending["Id"] = id;
  pending["Macro"] = 1;
  pending["Guid"] = Guid(2);
  pending["Profiles"].append(done);
  pending["Profiles"].append(left);
  // A record edited to name a file elsewhere does not reach it.
  const std::string elsewhere = ImportSource("elsewhere.Json", ReadText(left));
  pending["Profiles"].append(elsewhere);
  pending["Profiles"].append(folder_ + "user/../user/elsewhere.Json");
  WriteLibrary({{"one", Guid(1)}, {"three", Guid(3)}}, pending);
  const std::string doneText = ReadText(done);

  MacroLibrary library = MakeLibrary();
  EXPECT_EQ(ReadText(done), doneText);  // not renumbered twice
  EXPECT_EQ(CodesOf(left, 0), AfterCodes());
  EXPECT_EQ(CodesOf(left, 1), AfterCodes());
  EXPECT_EQ(CodesOf(elsewhere, 0), BeforeCodes());
  EXPECT_FALSE(std::filesystem::exists(Path(Guid(2) + ".mac")));
  EXPECT_FALSE(ReadJsonFile(LibraryFile()).isMember("PendingDeletion"));
  EXPECT_EQ(NamesOf(library), (std::vector<std::string>{"one", "three"}));
}

TEST_F(MacroDeletionTest, AProfileThatCannotBeWrittenIsRetriedByTheNextLoad) {
  const std::string profile = WriteProfile("locked", 1, BeforeCodes());
  ::chmod(profile.c_str(), 0444);
  const std::vector<std::string> profiles = {profile};
  MacroLibrary library = MakeLibrary();
  EXPECT_EQ(library.DeleteMacro(1, profiles), R::kWriteFailed);
  EXPECT_EQ(NamesOf(library), (std::vector<std::string>{"one", "three"}));
  EXPECT_EQ(CodesOf(profile, 0), BeforeCodes());
  EXPECT_TRUE(ReadJsonFile(LibraryFile()).isMember("PendingDeletion"));
  // Another change to the library keeps the record.
  ASSERT_EQ(library.NewMacro(), R::kDone);
  EXPECT_TRUE(ReadJsonFile(LibraryFile()).isMember("PendingDeletion"));

  ::chmod(profile.c_str(), 0644);
  MacroLibrary again = MakeLibrary();
  EXPECT_EQ(CodesOf(profile, 0), AfterCodes());
  EXPECT_FALSE(ReadJsonFile(LibraryFile()).isMember("PendingDeletion"));
  EXPECT_EQ(NamesOf(again), (std::vector<std::string>{"one", "three", "macro_1"}));
}

}  // namespace
}  // namespace nimbel
