#include "profiles/json_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/trace.h"
#include "profiles/file_io.h"
#include "tests/profiles/profile_test_support.h"

namespace nimbel {
namespace {

using testing::ReadText;
using testing::WriteText;

class JsonFileTest : public ::testing::Test {
 protected:
  JsonFileTest() : folder_(testing::MakeTemporaryFolder()) {}
  ~JsonFileTest() override { std::filesystem::remove_all(folder_); }
  std::string Path(const char* name) const { return folder_ + name; }
  std::vector<std::string> FolderEntries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder_))
      names.push_back(entry.path().filename());
    return names;
  }

  std::string folder_;
};

TEST_F(JsonFileTest, UnusableFilesReadAsNull) {
  const struct {
    const char* name;
    const char* text;  // nullptr: no file
  } cases[] = {{"missing", nullptr}, {"empty", ""}, {"only a brace", "{"}, {"garbage", "\x01\x02 not json"}};
  for (const auto& c : cases) {
    const std::string path = Path(c.name);
    if (c.text != nullptr) WriteText(path, c.text);
    EXPECT_TRUE(ReadJsonFile(path).isNull()) << c.name;
  }
  WriteText(Path("deep"), std::string(5000, '[') + std::string(5000, ']'));
  EXPECT_TRUE(ReadJsonFile(Path("deep")).isNull()) << "nesting past the reader's limit";
  EXPECT_TRUE(ReadJsonFile(folder_).isNull()) << "a folder is not a file";
  ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
  EXPECT_TRUE(ReadJsonFile(Path("fifo")).isNull()) << "a FIFO must not block the reader";
}

TEST_F(JsonFileTest, CommentsAreAcceptedAndKept) {
  WriteText(Path("c.json"), "// factory values\n{\n   \"a\" : 1 /* one */\n}\n");
  const Json::Value value = ReadJsonFile(Path("c.json"));
  EXPECT_EQ(value["a"].asInt(), 1);
  ASSERT_TRUE(WriteJsonFile(Path("c.json"), value));
  EXPECT_NE(ReadText(Path("c.json")).find("// factory values"), std::string::npos);
}

TEST_F(JsonFileTest, WritesTheStyledLayout) {
  Json::Value value;
  value["Device"][0]["Assignment"] = 65536;
  value["list"].append(1);
  value["list"].append(2);
  ASSERT_TRUE(WriteJsonFile(Path("s.json"), value));
  EXPECT_EQ(ReadText(Path("s.json")),
            "{\n"
            "   \"Device\" : [\n"
            "      {\n"
            "         \"Assignment\" : 65536\n"
            "      }\n"
            "   ],\n"
            "   \"list\" : [ 1, 2 ]\n"
            "}\n");
}

TEST_F(JsonFileTest, FailedWriteKeepsTheOldFileAndReportsFailure) {
  const std::string path = Path("profile.Json");
  WriteText(path, "{ \"old\" : 1 }\n");
  std::vector<std::string> trace;
  ScopedTraceCapture capture([&](std::string_view line) { trace.emplace_back(line); });
  Json::Value big;
  for (int i = 0; i < 2000; ++i) big["KeyList"][i]["Assignment"] = i;
  {
    // The disk fills up after the first chunk has reached the temporary file.
    int calls = 0;
    ScopedFileWriteCall failing([&](int fd, std::span<const char> bytes) -> ssize_t {
      if (calls++ == 0) return ::write(fd, bytes.data(), std::min<std::size_t>(bytes.size(), 100));
      errno = ENOSPC;
      return -1;
    });
    EXPECT_FALSE(WriteJsonFile(path, big));
    EXPECT_EQ(calls, 2);
  }
  EXPECT_EQ(ReadText(path), "{ \"old\" : 1 }\n");
  EXPECT_EQ(FolderEntries(), std::vector<std::string>{"profile.Json"}) << "the temporary file is removed";
  ASSERT_FALSE(trace.empty());
  EXPECT_NE(trace.back().find("cannot write"), std::string::npos) << trace.back();
  EXPECT_EQ(LastWriteFailure(), WriteFailure::kDiskFull);

  ASSERT_TRUE(WriteJsonFile(path, big)) << "the next save succeeds";
  EXPECT_EQ(ReadJsonFile(path), big);
}

TEST_F(JsonFileTest, ShortWritesAreCompleted) {
  ScopedFileWriteCall trickle([](int fd, std::span<const char> bytes) {
    return ::write(fd, bytes.data(), std::min<std::size_t>(bytes.size(), 7));
  });
  Json::Value value;
  value["name"] = "a name longer than seven bytes";
  ASSERT_TRUE(WriteJsonFile(Path("t.json"), value));
  EXPECT_EQ(ReadJsonFile(Path("t.json")), value);
}

TEST_F(JsonFileTest, UnwritableTargetsFail) {
  EXPECT_FALSE(WriteJsonFile("", Json::Value(1)));
  EXPECT_FALSE(WriteJsonFile(Path("no-such-folder/x.json"), Json::Value(1)));
}

TEST_F(JsonFileTest, SaveKeepsModeAndALinkWithinTheFolder) {
  const std::string real = Path("real.json");
  const std::string link = Path("link.json");
  WriteText(real, "{}");
  ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
  std::filesystem::create_symlink("real.json", link);
  ASSERT_TRUE(WriteJsonFile(link, Json::Value(7)));
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(ReadJsonFile(real), Json::Value(7));
  struct stat status {};
  ASSERT_EQ(::stat(real.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0640u);
}

TEST_F(JsonFileTest, FilesThatMustNotBeReplacedAreRefusedWithTheirReason) {
  const std::string outsider = testing::MakeTemporaryFolder() + "notes.txt";
  WriteText(outsider, "my notes");
  const struct {
    const char* what;
    void (*make)(const std::string& path, const std::string& outsider);
    WriteFailure failure;
  } cases[] = {
      {"a link to a file outside the folder",
       [](const std::string& path, const std::string& target) {
         std::filesystem::create_symlink(target, path);
       },
       WriteFailure::kLinkLeavesFolder},
      {"a file the user made read-only",
       [](const std::string& path, const std::string&) {
         WriteText(path, "{}");
         ::chmod(path.c_str(), 0444);
       },
       WriteFailure::kReadOnlyFile},
      {"a folder in the file's place",
       [](const std::string& path, const std::string&) { std::filesystem::create_directory(path); },
       WriteFailure::kNotAFile},
  };
  for (const auto& c : cases) {
    const std::string path = Path("profile.Json");
    std::filesystem::remove_all(path);
    c.make(path, outsider);
    const auto content = [&] { return std::filesystem::is_regular_file(path) ? ReadText(path) : "(folder)"; };
    const std::string before = content();
    EXPECT_FALSE(WriteJsonFile(path, Json::Value(7))) << c.what;
    EXPECT_EQ(LastWriteFailure(), c.failure) << c.what;
    EXPECT_EQ(ReadText(outsider), "my notes") << c.what;
    EXPECT_EQ(content(), before) << c.what;
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"profile.Json"}) << c.what;
  }
  std::filesystem::remove_all(std::filesystem::path(outsider).parent_path());
}

TEST_F(JsonFileTest, FilesAboveTheBoundAreNotRead) {
  WriteText(Path("big.json"), "[" + std::string(kMaxReadFileSize, ' ') + "]");
  EXPECT_EQ(ReadJsonFileState(Path("big.json")).state, JsonFileState::kTooLarge);
  WriteText(Path("small.json"), "[ 1 ]");
  EXPECT_EQ(ReadJsonFileState(Path("small.json"), 5).state, JsonFileState::kRead);
  EXPECT_EQ(ReadJsonFileState(Path("small.json"), 4).state, JsonFileState::kTooLarge);
}

TEST_F(JsonFileTest, KeysWithANulAreDroppedSoTheyCannotBeWrittenAsDuplicates) {
  WriteText(Path("nul.json"),
            R"({ "name\u0000x" : "evil", "name" : "good", "list" : [ { "a\u0000" : 1 } ] })");
  const Json::Value value = ReadJsonFile(Path("nul.json"));
  EXPECT_EQ(value.getMemberNames(), (std::vector<std::string>{"list", "name"}));
  EXPECT_TRUE(value["list"][0].empty());
  ASSERT_TRUE(WriteJsonFile(Path("nul.json"), value));
  EXPECT_EQ(ReadJsonFile(Path("nul.json")), value);
}

TEST_F(JsonFileTest, StaleTemporariesOfOtherRunsAreRemoved) {
  const std::string own = "p.Json.tmp-" + std::to_string(::getpid()) + "-0";
  const std::vector<std::string> kept = {own, "p.Json", "notes.tmp-x-1", "p.Json.broken-2026_01_01"};
  for (const std::string& name : kept) WriteText(Path(name.c_str()), "x");
  WriteText(Path("p.Json.tmp-999999999-3"), "half");
  WriteText(Path("ProfileList.ini.tmp-1-12"), "half");
  RemoveStaleTemporaries(folder_);
  std::vector<std::string> left = FolderEntries();
  std::sort(left.begin(), left.end());
  std::vector<std::string> expected = kept;
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(left, expected);
}

TEST(JsonAccess, WrongTypesReadAsAbsent) {
  Json::Value object;
  object["int"] = -5;
  object["big"] = Json::UInt64{0xFFFFFFFFFFFFFF01u};
  object["real"] = 3.9;
  object["huge"] = 1e300;
  object["yes"] = true;
  object["text"] = "12";
  object["object"]["x"] = 1;
  object["array"].append(1);
  const struct {
    const char* key;
    std::int64_t asInt;
    bool asBool;
  } cases[] = {
      {"int", -5, true},    {"big", static_cast<std::int64_t>(0xFFFFFFFFFFFFFF01u), true},
      {"real", 3, true},    {"huge", 0, true},
      {"yes", 1, true},     {"text", 0, false},
      {"object", 0, false}, {"array", 0, false},
      {"absent", 0, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(json::IntMember(object, c.key), c.asInt) << c.key;
    EXPECT_EQ(json::BoolMember(object, c.key), c.asBool) << c.key;
  }
  EXPECT_EQ(json::AsString(object["text"]), "12");
  EXPECT_EQ(json::AsString(object["int"]), "");
  // Member and Element of the wrong container type: jsoncpp itself would throw here.
  EXPECT_TRUE(json::Member(object["array"], "x").isNull());
  EXPECT_TRUE(json::Element(object["object"], 0).isNull());
  EXPECT_TRUE(json::Element(object["array"], -1).isNull());
  EXPECT_TRUE(json::Element(object["array"], 1).isNull());
}

TEST(JsonAccess, WritingReplacesWrongTypesAndBoundsIndexes) {
  Json::Value document;
  document["list"] = 5;
  document["keep"] = "kept";
  json::MemberForWrite(*json::ElementForWrite(json::MemberForWrite(document, "list"), 1), "a") = 2;
  EXPECT_EQ(document["list"][1]["a"].asInt(), 2);
  EXPECT_TRUE(document["list"][0].isNull());
  EXPECT_EQ(document["keep"].asString(), "kept");
  EXPECT_EQ(json::ElementForWrite(document["list"], -1), nullptr);
  EXPECT_EQ(json::ElementForWrite(document["list"], json::kMaxWritableIndex), nullptr);
  EXPECT_EQ(document["list"].size(), 2u);
}

}  // namespace
}  // namespace nimbel
