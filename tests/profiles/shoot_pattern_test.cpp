#include "profiles/shoot_pattern.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "profiles/file_io.h"
#include "profiles/json_file.h"

namespace nimbel {
namespace {

Json::Value Parse(const std::string& text) {
  return ParseJsonText(text);
}

std::string TextOf(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void Write(const std::string& path, const std::string& text) {
  std::ofstream(path) << text;
}

TEST(ShootBullets, ABulletIsSixEventsAndASaveIntoAShortDocumentLeavesNullsBeforeIt) {
  Json::Value document = Parse(R"({"Name": "kept"})");
  WriteBullet(document, 4, {.horizontal = 7, .left = true, .vertical = 12, .up = false, .delay = 95});
  const Json::Value& events = document["Events"];
  ASSERT_EQ(events.size(), 30u);
  for (Json::ArrayIndex i = 0; i < 24; ++i) EXPECT_TRUE(events[i].isNull()) << i;
  const struct {
    int type, button;
    const char* action;
    int delay;
  } kExpected[] = {{1, 1, "down", 10}, {1, 1, "up", 0},   {4, 7, "down", 5},
                   {5, 12, "up", 95},  {4, 0, "down", 0}, {5, 0, "up", 0}};
  for (Json::ArrayIndex i = 0; i < 6; ++i) {
    const Json::Value& event = events[24 + i];
    EXPECT_EQ(event["Type"].asInt(), kExpected[i].type) << i;
    EXPECT_EQ(event["Button"].asInt(), kExpected[i].button) << i;
    EXPECT_EQ(event["Action"].asString(), kExpected[i].action) << i;
    // The pattern's delays are integers, not the macro file's text.
    EXPECT_TRUE(event["Delay"].isInt()) << i;
    EXPECT_EQ(event["Delay"].asInt(), kExpected[i].delay) << i;
  }
  EXPECT_EQ(document["Name"].asString(), "kept");
  EXPECT_EQ(ReadBullet(document, 4), (ShootBullet{7, true, 12, false, 95}));
  EXPECT_EQ(ReadBullet(document, 3), ShootBullet{});
}

TEST(ShootBullets, ValuesAreHeldToWhatTheMouseStoresWhenWrittenAndWhenRead) {
  Json::Value document;
  WriteBullet(document, 0, {.horizontal = 300, .vertical = -4, .delay = 70000});
  EXPECT_EQ(ReadBullet(document, 0), (ShootBullet{255, false, 0, false, 65535}));
  // A hand-edited file: too large, negative, a delay as text, an action in capitals.
  const Json::Value edited = Parse(R"({"Events": [null, null,
      {"Type": 4, "Button": 999, "Action": "DOWN", "Delay": 5},
      {"Type": 5, "Button": -3, "Action": "Down", "Delay": "123456"}]})");
  EXPECT_EQ(ReadBullet(edited, 0), (ShootBullet{255, true, 0, true, 65535}));
}

TEST(ShootBullets, AnImportMustBeAPatternDocument) {
  const std::string event = R"({"Type": 4, "Button": 3, "Action": "up", "Delay": 5})";
  std::string full = R"({"Events": [)";
  for (int i = 0; i < 180; ++i) full += (i ? "," : "") + event;
  const struct {
    const char* name;
    std::string text;
    bool accepted;
  } kCases[] = {
      {"events with nulls of bullets never saved", R"({"Events": [null, )" + event + "]}", true},
      {"a delay as decimal text",
       R"({"Events": [{"Type": 1, "Button": 1, "Action": "down", "Delay": "10"}]})", true},
      {"thirty full bullets", full + "]}", true},
      {"more than thirty bullets", full + "," + event + "]}", false},
      {"not an object", "[1, 2]", false},
      {"no events", R"({"Name": "x"})", false},
      {"events not a list", R"({"Events": {"Type": 1}})", false},
      {"a distance as text", R"({"Events": [{"Type": 4, "Button": "3", "Action": "up", "Delay": 5}]})",
       false},
      {"a distance beyond a byte", R"({"Events": [{"Type": 4, "Button": 256, "Action": "up", "Delay": 5}]})",
       false},
      {"an unknown event type", R"({"Events": [{"Type": 0, "Button": 0, "Action": "up", "Delay": 0}]})",
       false},
      {"an entry that is no event", R"({"Events": [7]})", false},
  };
  for (const auto& c : kCases) EXPECT_EQ(IsShootPatternDocument(Parse(c.text)), c.accepted) << c.name;
}

TEST(ShootBullets, TheMouseGetsTheStoredEventsWithoutNullsAndNoMoreThanThirtyBullets) {
  Json::Value document;
  WriteBullet(document, 1, {.horizontal = 2, .vertical = 3, .delay = 40});
  document["Events"].append(Parse(R"({"Type": 5, "Button": 400, "Action": "down", "Delay": 80000})"));
  const std::vector<MacroEvent> events = ShootPatternEvents(document);
  ASSERT_EQ(events.size(), 7u);
  EXPECT_EQ(events[0], (MacroEvent{1, 1, true, 10}));
  EXPECT_EQ(events[3], (MacroEvent{5, 3, false, 40}));
  EXPECT_EQ(events[6], (MacroEvent{5, 255, true, 65535}));

  Json::Value tooLong;
  for (int i = 0; i < 200; ++i)
    tooLong["Events"].append(Parse(R"({"Type": 4, "Button": 1, "Action": "up"})"));
  EXPECT_EQ(ShootPatternEvents(tooLong).size(), kMaxShootEvents);
}

// A kind folder and a factory folder of their own.
class ShootPatternFilesTest : public testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(folder_);
    std::filesystem::create_directories(factory_);
    for (int n = 0; n < kShootPatternCount; ++n) {
      Json::Value document;
      WriteBullet(document, 0, {.horizontal = n, .vertical = 10 + n, .delay = 50});
      ASSERT_TRUE(WriteJsonFile(factory_ + ShootPatternFileName(n), document));
    }
  }
  void TearDown() override { std::filesystem::remove_all(root_); }

  std::string Path(int n) const { return files_.PathOf(n); }

  const std::string root_ = testing::TempDir() + "shoot_pattern_files_" +
                            testing::UnitTest::GetInstance()->current_test_info()->name() + "/";
  const std::string folder_ = root_ + "mouse/";
  const std::string factory_ = root_ + "factory/";
  ShootPatternFiles files_{folder_, factory_};
};

TEST_F(ShootPatternFilesTest, UnreadablePatternsBecomeTheirFactoryCopiesAndReadableOnesStay) {
  Write(Path(1), "{ not json");
  Write(Path(2), "");
  Write(Path(3), R"({"Events": [], "Mine": 1})");
  files_.RestoreUnreadablePatterns();
  EXPECT_EQ(files_.Bullet(0, 0), (ShootBullet{0, false, 10, false, 50}));
  EXPECT_EQ(files_.Bullet(1, 0), (ShootBullet{1, false, 11, false, 50}));
  EXPECT_EQ(files_.Bullet(2, 0), (ShootBullet{2, false, 12, false, 50}));
  EXPECT_EQ(TextOf(Path(3)), R"({"Events": [], "Mine": 1})");
}

TEST_F(ShootPatternFilesTest, AFailedResetOrImportLeavesThePatternAsItWas) {
  files_.RestoreUnreadablePatterns();
  ASSERT_TRUE(files_.SaveBullet(2, 5, {.horizontal = 9, .delay = 30}));
  const std::string before = TextOf(Path(2));

  Write(root_ + "not_a_pattern.shoot", R"({"Events": "none"})");
  EXPECT_EQ(files_.Import(2, root_ + "not_a_pattern.shoot"), ShootFileResult::kNotAPattern);
  EXPECT_EQ(files_.Import(2, root_ + "missing.shoot"), ShootFileResult::kSourceUnreadable);
  std::filesystem::remove(factory_ + ShootPatternFileName(2));
  EXPECT_EQ(files_.Reset(2), ShootFileResult::kSourceUnreadable);
  EXPECT_EQ(TextOf(Path(2)), before);

  // A disk that fills up half way through the new file: the old one is still whole.
  Write(factory_ + ShootPatternFileName(2), TextOf(factory_ + ShootPatternFileName(1)));
  const ScopedFileWriteCall diskFull([](int fd, std::span<const char> bytes) -> ssize_t {
    if (write(fd, bytes.data(), bytes.size() / 2) < 0) return -1;
    errno = ENOSPC;
    return -1;
  });
  EXPECT_EQ(files_.Reset(2), ShootFileResult::kWriteFailed);
  EXPECT_EQ(TextOf(Path(2)), before);
}

TEST_F(ShootPatternFilesTest, ResetTouchesOnlyItsPatternAndAnExportImportsBackTheSame) {
  files_.RestoreUnreadablePatterns();
  for (int n = 0; n < kShootPatternCount; ++n) ASSERT_TRUE(files_.SaveBullet(n, 29, {.horizontal = 40 + n}));
  ASSERT_EQ(files_.Reset(1), ShootFileResult::kDone);
  EXPECT_EQ(files_.Bullet(1, 29), ShootBullet{});
  for (int n : {0, 2, 3}) EXPECT_EQ(files_.Bullet(n, 29).horizontal, 40 + n);

  ASSERT_EQ(files_.Export(3, root_ + "exported.shoot"), ShootFileResult::kDone);
  ASSERT_EQ(files_.Import(0, root_ + "exported.shoot"), ShootFileResult::kDone);
  EXPECT_EQ(files_.Bullets(0), files_.Bullets(3));
  EXPECT_EQ(TextOf(Path(0)), TextOf(Path(3)));
}

TEST_F(ShootPatternFilesTest, ASaveIntoAnUnreadableFileStartsANewDocument) {
  Write(Path(0), "garbage");
  ASSERT_TRUE(files_.SaveBullet(0, 0, {.horizontal = 1}));
  const Json::Value document = ReadJsonFile(Path(0));
  EXPECT_EQ(document.getMemberNames(), std::vector<std::string>{"Events"});
  EXPECT_EQ(files_.Bullet(0, 0).horizontal, 1);
  EXPECT_FALSE(files_.SaveBullet(0, 30, {}));
  EXPECT_FALSE(files_.SaveBullet(4, 0, {}));
}

}  // namespace
}  // namespace nimbel
