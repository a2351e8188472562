#include "editors/key_set_fields.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace nimbel {
namespace {

using namespace assignment_type;

// Neither is a code any category makes, so a test sees which one a result came from.
constexpr AssignmentCode kDefaultCode{kSpecial, 0x1B, 0};
constexpr AssignmentCode kCurrentCode{kPollingCycle, 0x03, 0};
constexpr int kMacros = 8;

std::string Hex(const AssignmentCode& code) {
  char text[16];
  std::snprintf(text, sizeof text, "%02X %02X %02X", code.type, code.p1, code.p2);
  return text;
}

struct RoundTrip {
  AssignmentCode code;
  KeyFunction function;
};

std::vector<RoundTrip> RoundTrips() {
  std::vector<RoundTrip> trips = {
      {kDefaultCode, KeyFunction::kDefault},
      {{kSwing, 0x35, 0x07}, KeyFunction::kSwing},
      {{kSwing, 0xF0, 0xFF}, KeyFunction::kSwing},
      {{kSwing, 0x00, 0x00}, KeyFunction::kSwing},
      {{kWheel, 0x21, 0x05}, KeyFunction::kWheel},
      {{kWheel, 0x21, 0xFB}, KeyFunction::kWheel},
      {{kWheel, 0x0F, 0xFF}, KeyFunction::kWheel},
      {{kWheel, 0x00, 0x81}, KeyFunction::kWheel},
      {{kWheel, 0x00, 0x7F}, KeyFunction::kWheel},
      {{kRapidFire, 0x78, 0x02}, KeyFunction::kRapidFire},
      {{kRapidFire, 0x00, 0x00}, KeyFunction::kRapidFire},
      {{kRapidFire, 0xFF, 0xFF}, KeyFunction::kRapidFire},
      {{kKeyboard, 0x00, 0x04}, KeyFunction::kKeyboardKey},
      {{kKeyboard, 0x01, 0x04}, KeyFunction::kKeyboardKey},
      {{kKeyboard, 0x08, 0x2C}, KeyFunction::kKeyboardKey},
      {{kKeyboard, 0x02, 0x00}, KeyFunction::kKeyboardKey},
      {{kKeyboard, 0x00, 0x00}, KeyFunction::kKeyboardKey},
      // A usage the key table has no row for is kept as it is.
      {{kKeyboard, 0x04, 0xE8}, KeyFunction::kKeyboardKey},
      {{kMacroMode, 3, 0}, KeyFunction::kMacro},
      {{kMacroMode, 7, 3}, KeyFunction::kMacro},
      {{kMacroRepeat, 5, 200}, KeyFunction::kMacro},
      {{kMacroRepeat, 0, 1}, KeyFunction::kMacro},
      {{kShootPattern, 0, 0}, KeyFunction::kShootPattern},
      {{kShootPattern, 3, 0}, KeyFunction::kShootPattern},
  };
  const auto addTable = [&trips](std::span<const NamedCode> table, KeyFunction function) {
    for (const NamedCode& row : table) trips.push_back({row.code, function});
  };
  addTable(MouseButtonTable(), KeyFunction::kMouseButton);
  addTable(SensitivityTable(), KeyFunction::kSensitivity);
  addTable(MediaTable(), KeyFunction::kMedia);
  addTable(SystemTable(), KeyFunction::kSystem);
  addTable(CombinationKeyTable(), KeyFunction::kCombinationKey);
  return trips;
}

TEST(KeySetFieldsTest, EveryCategorysCodeComesBackFromItsFields) {
  for (const RoundTrip& trip : RoundTrips()) {
    SCOPED_TRACE(Hex(trip.code));
    const std::optional<KeySetFields> fields = FieldsOfCode(trip.code, kDefaultCode, KeySetFields{});
    ASSERT_TRUE(fields);
    EXPECT_EQ(fields->function, trip.function);
    EXPECT_EQ(CodeOfFields(*fields, kCurrentCode, kDefaultCode, kMacros), trip.code);
  }
}

TEST(KeySetFieldsTest, WheelDownIsStoredAsTheDistanceFrom128) {
  KeySetFields fields;
  fields.function = KeyFunction::kWheel;
  fields.wheel = {.direction = 1, .count = 5, .delay = 0, .speed = 0};
  EXPECT_EQ(CodeOfFields(fields, kCurrentCode, kDefaultCode, kMacros), (AssignmentCode{kWheel, 0, 0xFB}));
  const auto shown = FieldsOfCode({kWheel, 0, 0xFB}, kDefaultCode, KeySetFields{});
  ASSERT_TRUE(shown);
  EXPECT_EQ(shown->wheel, fields.wheel);
}

TEST(KeySetFieldsTest, CodeEqualToTheDefaultShowsTheDefaultCategory) {
  const AssignmentCode leftButton = MouseButtonTable()[0].code;
  const auto shown = FieldsOfCode(leftButton, leftButton, KeySetFields{});
  ASSERT_TRUE(shown);
  EXPECT_EQ(shown->function, KeyFunction::kDefault);
}

struct KeyboardCase {
  std::string name;
  AssignmentCode code;
  int modifierOption;
  std::optional<std::string_view> keyName;
};

TEST(KeySetFieldsTest, KeyboardCodeShowsItsModifierOptionAndKey) {
  const std::vector<KeyboardCase> cases = {
      {"right shift shares the shift option", {kKeyboard, 0x20, 0}, 2, std::nullopt},
      {"right alt and a key", {kKeyboard, 0x40, 0x04}, 3, "keyboard_key_A"},
      {"left win", {kKeyboard, 0x08, 0}, 4, std::nullopt},
      {"two modifiers have no option", {kKeyboard, 0x03, 0x2C}, -1, "keyboard_key_Space"},
      {"no modifier", {kKeyboard, 0, 0x58}, 0, "keyboard_key_Num Enter"},
  };
  for (const KeyboardCase& c : cases) {
    SCOPED_TRACE(c.name);
    const auto shown = FieldsOfCode(c.code, kDefaultCode, KeySetFields{});
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->function, KeyFunction::kKeyboardKey);
    EXPECT_EQ(shown->modifierOption, c.modifierOption);
    EXPECT_EQ(shown->keyUsage, c.code.p2);
    ASSERT_EQ(shown->keyRow.has_value(), c.keyName.has_value());
    if (c.keyName) {
      EXPECT_EQ(KeyCodeTable()[*shown->keyRow].nameId, *c.keyName);
    }
  }
}

struct ClampCase {
  std::string name;
  std::function<void(KeySetFields&)> set;
  AssignmentCode code;
};

TEST(KeySetFieldsTest, OutOfRangeFieldsAreClampedAndShownClamped) {
  const std::vector<ClampCase> cases = {
      {"swing count 200",
       [](KeySetFields& f) {
         f.function = KeyFunction::kSwing;
         f.swing = {.direction = 1, .count = 200, .delay = 0, .speed = 0};
       },
       {kSwing, 0x00, 0xFF}},
      {"swing delay 17",
       [](KeySetFields& f) {
         f.function = KeyFunction::kSwing;
         f.swing = {.direction = 0, .count = 3, .delay = 17, .speed = 2};
       },
       {kSwing, 0xF2, 0x03}},
      {"wheel count 0",
       [](KeySetFields& f) {
         f.function = KeyFunction::kWheel;
         f.wheel = {.direction = 1, .count = 0, .delay = 0, .speed = -4};
       },
       {kWheel, 0x00, 0xFF}},
      {"fire interval 300",
       [](KeySetFields& f) {
         f.function = KeyFunction::kRapidFire;
         f.fireInterval = 300;
         f.fireCount = -1;
       },
       {kRapidFire, 0xFF, 0x00}},
      {"repeat count 999",
       [](KeySetFields& f) {
         f.function = KeyFunction::kMacro;
         f.macroItem = 2;
         f.macroRepeatMode = kMacroRepeatCountMode;
         f.macroRepeatCount = 999;
       },
       {kMacroRepeat, 2, 0xFF}},
      {"modifier option 7",
       [](KeySetFields& f) {
         f.function = KeyFunction::kKeyboardKey;
         f.modifierOption = 7;
         f.keyUsage = 0x04;
         f.keyRow = kModifierRows;  // A, the first key after the modifiers
       },
       {kKeyboard, 0x08, 0x04}},
      {"media row beyond the table",
       [](KeySetFields& f) {
         f.function = KeyFunction::kMedia;
         f.mediaRow = 40;
       },
       MediaTable().back().code},
  };
  for (const ClampCase& c : cases) {
    SCOPED_TRACE(c.name);
    KeySetFields fields;
    c.set(fields);
    EXPECT_EQ(CodeOfFields(fields, kCurrentCode, kDefaultCode, kMacros), c.code);
    // What the key then holds shows exactly the clamped fields.
    const KeySetFields clamped = ClampFields(fields);
    EXPECT_EQ(FieldsOfCode(c.code, kDefaultCode, clamped), clamped);
  }
}

struct KeepCase {
  std::string name;
  std::function<void(KeySetFields&)> set;
  int macroCount;
};

TEST(KeySetFieldsTest, ChoiceWithoutAnItemKeepsTheCurrentCode) {
  const std::vector<KeepCase> cases = {
      {"no macros", [](KeySetFields& f) { f.macroItem = 0; }, 0},
      {"no macro chosen", [](KeySetFields& f) { f.macroItem = -1; }, kMacros},
      {"macro beyond the list", [](KeySetFields& f) { f.macroItem = kMacros; }, kMacros},
      {"no pattern chosen",
       [](KeySetFields& f) {
         f.function = KeyFunction::kShootPattern;
         f.patternItem = -1;
       },
       kMacros},
      {"no shortcut chosen",
       [](KeySetFields& f) {
         f.function = KeyFunction::kCombinationKey;
         f.combinationRow = -1;
       },
       kMacros},
  };
  for (const KeepCase& c : cases) {
    SCOPED_TRACE(c.name);
    KeySetFields fields;
    fields.function = KeyFunction::kMacro;
    c.set(fields);
    EXPECT_EQ(CodeOfFields(fields, kCurrentCode, kDefaultCode, c.macroCount), kCurrentCode);
  }
}

TEST(KeySetFieldsTest, DisabledCodeAndUnknownCategoryStandForTheDefault) {
  const auto shown = FieldsOfCode({kDisabled, 0, 0}, kDefaultCode, KeySetFields{});
  ASSERT_TRUE(shown);
  EXPECT_EQ(shown->function, KeyFunction::kDefault);
  KeySetFields fields;
  fields.function = static_cast<KeyFunction>(kKeyFunctionCount);
  EXPECT_EQ(CodeOfFields(fields, kCurrentCode, kDefaultCode, kMacros), kDefaultCode);
}

TEST(KeySetFieldsTest, CombinationTypeShowsTheShortcutPageWithoutARow) {
  KeySetFields before;
  before.combinationRow = 4;
  const auto shown = FieldsOfCode({kCombination, 1, 2}, kDefaultCode, before);
  ASSERT_TRUE(shown);
  EXPECT_EQ(shown->function, KeyFunction::kCombinationKey);
  EXPECT_EQ(shown->combinationRow, -1);
}

TEST(KeySetFieldsTest, CodeOfATypeNoPageShowsHasNoFields) {
  for (const AssignmentCode code : std::vector<AssignmentCode>{{kPollingCycle, 3, 0},
                                                               {kDpiShift, 0x90, 1},
                                                               {kOfficeShortcut, 0, 2},
                                                               {kShowWindow, 0, 0},
                                                               {kSpecial, 0x01, 0},
                                                               {kKeyboardMacroKey, 0xA2, 1},
                                                               {0x99, 0, 0}}) {
    EXPECT_EQ(FieldsOfCode(code, kDefaultCode, KeySetFields{}), std::nullopt) << Hex(code);
  }
}

}  // namespace
}  // namespace nimbel
