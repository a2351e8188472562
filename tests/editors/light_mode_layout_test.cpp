#include "editors/light_mode_layout.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <optional>
#include <set>
#include <utility>
#include <vector>

namespace nimbel {
namespace {

// Modes past the longest list, and indexes no list has, are tried too.
constexpr int kLastTriedMode = 70;

std::vector<int> TriedModes() {
  std::vector<int> modes = {INT_MIN, -1, 64, 1000, INT_MAX};
  for (int mode = 0; mode <= kLastTriedMode; ++mode) modes.push_back(mode);
  return modes;
}

// A group of the panel, and the modes of a kind in which it is on; every other mode has it off.
struct GroupCase {
  const char* group;
  std::function<bool(const LightModeLayout&)> on;
  std::set<int> modes;
};

void ExpectGroups(KindCode kind, const std::vector<GroupCase>& cases) {
  for (const GroupCase& c : cases) {
    for (const int mode : TriedModes()) {
      EXPECT_EQ(c.on(ModeLayoutOf(kind, mode)), c.modes.contains(mode))
          << "kind " << static_cast<int>(kind) << ", " << c.group << ", mode " << mode;
    }
  }
}

std::set<int> AllModesBut(std::set<int> off) {
  std::set<int> on;
  for (const int mode : TriedModes()) {
    if (!off.contains(mode)) on.insert(mode);
  }
  return on;
}

std::set<int> ModesFromTo(int first, int last, const std::set<int>& off) {
  std::set<int> on;
  for (int mode = first; mode <= last; ++mode) {
    if (!off.contains(mode)) on.insert(mode);
  }
  return on;
}

const std::set<int> kEveryMode = AllModesBut({});
const std::set<int> kNoMode = {};

bool Effect(const LightModeLayout& l) {
  return l.effect;
}
bool MultiColour(const LightModeLayout& l) {
  return l.multiColour;
}
bool Colour(const LightModeLayout& l) {
  return l.colour;
}
bool Palette(const LightModeLayout& l) {
  return l.palette;
}
bool Brightness(const LightModeLayout& l) {
  return l.brightness;
}
bool Speed(const LightModeLayout& l) {
  return l.speed;
}
bool Direction(const LightModeLayout& l) {
  return l.direction;
}
bool SpeedShown(const LightModeLayout& l) {
  return l.speedShown;
}
bool AudioModeShown(const LightModeLayout& l) {
  return l.audioModeShown;
}
bool ZzccModeShown(const LightModeLayout& l) {
  return l.zzccModeShown;
}
bool CustomGroupShown(const LightModeLayout& l) {
  return l.customGroupShown;
}
bool SameMode(const LightModeLayout& l) {
  return l.sameModeOffered;
}
bool AudioColourPage(const LightModeLayout& l) {
  return l.colourPage == 1;
}

TEST(LightModeLayout, MouseGroupsFollowTheMode) {
  ExpectGroups(KindCode::MouseCable, {
                                         {"effect", Effect, kEveryMode},
                                         {"multicolour", MultiColour, {0, 2, 4, 5, 6, 11}},
                                         {"colour", Colour, {0, 2, 3, 4, 5, 6, 11}},
                                         {"palette", Palette, {0, 2, 3, 4, 5, 6, 11}},
                                         {"brightness", Brightness, {0, 1, 2, 3, 4, 5, 6, 7, 8, 11}},
                                         {"speed", Speed, {0, 1, 2, 4, 5, 6, 7, 8}},
                                         {"direction", Direction, {0, 5, 11}},
                                         {"speed shown", SpeedShown, AllModesBut({11})},
                                         {"audio modes shown", AudioModeShown, {11}},
                                         {"audio colour page", AudioColourPage, {11}},
                                         {"same mode", SameMode, kNoMode},
                                         {"zzcc modes shown", ZzccModeShown, kNoMode},
                                         {"custom groups shown", CustomGroupShown, kNoMode},
                                     });
}

TEST(LightModeLayout, KeyboardGroupsFollowTheMode) {
  const std::set<int> colours = {1, 2, 3, 5, 6, 7, 8, 9, 10, 13, 14, 15, 16, 20, 21, 22, 23, 24, 25, 29};
  std::set<int> multiColour = colours;
  multiColour.erase(20);
  ExpectGroups(
      KindCode::KeyboardCable,
      {
          {"effect", Effect, kEveryMode},
          {"multicolour", MultiColour, multiColour},
          {"colour", Colour, colours},
          {"palette", Palette, colours},
          {"brightness", Brightness, ModesFromTo(1, 30, {19, 28})},
          {"speed", Speed, {1, 2, 3, 4, 5, 7, 8, 9, 10, 11, 12, 13, 14, 15, 17, 21, 22, 23, 24, 25, 26, 27}},
          {"direction", Direction, {1, 2, 3, 12, 18, 21, 24, 29}},
          {"key colours", [](const LightModeLayout& l) { return l.keyColours == true; },
           AllModesBut({4, 11, 17, 18, 26, 30})},
          {"speed shown", SpeedShown, AllModesBut({17, 20, 29})},
          {"audio modes shown", AudioModeShown, {29}},
          {"audio colour page", AudioColourPage, {29}},
          {"zzcc modes shown", ZzccModeShown, {17}},
          {"custom groups shown", CustomGroupShown, {20}},
          {"same mode", SameMode, {4, 5, 6, 23, 28}},
      });
}

TEST(LightModeLayout, PadAndHeadsetShareOneTable) {
  for (const KindCode kind : {KindCode::MousePad, KindCode::Headset}) {
    ExpectGroups(kind, {
                           {"effect", Effect, kEveryMode},
                           {"multicolour", MultiColour, {0, 2, 4}},
                           {"colour", Colour, {0, 2, 3, 4}},
                           {"palette", Palette, {0, 2, 3, 4}},
                           {"brightness", Brightness, {0, 1, 2, 3, 4}},
                           {"speed", Speed, {0, 1, 2, 4}},
                           {"direction", Direction, {0}},
                           {"speed shown", SpeedShown, kEveryMode},
                           {"audio modes shown", AudioModeShown, kNoMode},
                           {"same mode", SameMode, {1, 2, 3, 4, 8}},
                       });
  }
}

TEST(LightModeLayout, DirectionTextsAndColourPagesPerKind) {
  const DirectionTexts downUp{"light_set_down_to_up_text", "light_set_up_to_down_text"};
  const DirectionTexts upDown{"light_set_up_to_down_text", "light_set_down_to_up_text"};
  const DirectionTexts rightLeft{"light_set_right_to_left_text", "light_set_left_to_right_text"};
  const DirectionTexts clockwise{"light_set_clockwise_text", "light_set_anticlockwise_text"};
  const DirectionTexts outsideIn{"light_set_outside_to_inside_text", "light_set_inside_to_outside_text"};
  struct Case {
    KindCode kind;
    int mode;
    std::optional<DirectionTexts> texts;
    std::optional<int> colourPage;
  };
  const Case cases[] = {
      {KindCode::MouseCable, 0, downUp, 0},
      {KindCode::MouseCable, 10, downUp, 0},
      {KindCode::MouseCable, 11, downUp, 1},
      {KindCode::MouseCable, 99, downUp, 0},
      {KindCode::KeyboardCable, 1, rightLeft, 0},
      {KindCode::KeyboardCable, 3, clockwise, 0},
      {KindCode::KeyboardCable, 24, clockwise, 0},
      {KindCode::KeyboardCable, 12, downUp, 0},
      {KindCode::KeyboardCable, 18, outsideIn, 0},
      {KindCode::KeyboardCable, 21, upDown, 0},
      {KindCode::KeyboardCable, 29, rightLeft, 1},
      {KindCode::KeyboardCable, 0, rightLeft, 0},
      {KindCode::MousePad, 0, std::nullopt, std::nullopt},
      {KindCode::Headset, 8, std::nullopt, std::nullopt},
  };
  for (const Case& c : cases) {
    const LightModeLayout layout = ModeLayoutOf(c.kind, c.mode);
    EXPECT_EQ(layout.directionTexts, c.texts) << static_cast<int>(c.kind) << " mode " << c.mode;
    EXPECT_EQ(layout.colourPage, c.colourPage) << static_cast<int>(c.kind) << " mode " << c.mode;
  }
}

TEST(LightModeLayout, OnlyTheKeyboardHasKeyColours) {
  for (const KindCode kind : {KindCode::MouseCable, KindCode::MousePad, KindCode::Headset}) {
    for (const int mode : TriedModes()) EXPECT_FALSE(ModeLayoutOf(kind, mode).keyColours.has_value());
  }
}

// A device on its receiver shows the panel it shows by cable.
TEST(LightModeLayout, ReceiverKindsTakeTheirCableTable) {
  for (const auto& [receiver, cable] : {std::pair{KindCode::MouseReceiver, KindCode::MouseCable},
                                        std::pair{KindCode::KeyboardReceiver, KindCode::KeyboardCable}}) {
    for (const int mode : TriedModes())
      EXPECT_EQ(ModeLayoutOf(receiver, mode), ModeLayoutOf(cable, mode)) << mode;
  }
}

TEST(LightModeLayout, MouseOffModeDisablesEveryGroupButTheModeList) {
  EXPECT_EQ(ModeLayoutOf(KindCode::MouseCable, 10),
            (LightModeLayout{
                .colourPage = 0,
                .directionTexts = DirectionTexts{"light_set_down_to_up_text", "light_set_up_to_down_text"}}));
}

}  // namespace
}  // namespace nimbel
