#include "editors/light_mode_layout.h"

#include <array>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>

namespace nimbel {
namespace {

// Mode indexes from this one on are never listed in a table: they take its "any other" row.
constexpr int kListedModes = 64;

struct ModeRange {
  constexpr ModeRange(int only) : first(only), last(only) {}
  constexpr ModeRange(int from, int to) : first(from), last(to) {}
  int first;
  int last;
};

// The modes a row is for, one bit per mode index. A mode outside the listed ones cannot be shifted into
// the set at compile time, so a table that names one does not build.
using ModeSet = std::uint64_t;

consteval ModeSet Modes(std::initializer_list<ModeRange> ranges) {
  ModeSet set = 0;
  for (const ModeRange range : ranges) {
    for (int mode = range.first; mode <= range.last; ++mode) set |= ModeSet{1} << mode;
  }
  return set;
}

// The enabled groups of a row are the marks of its columns E, M, C, P, L, S, F and, for the keyboard, K:
// '+' enabled, '-' disabled.
enum Column : std::size_t { kE, kM, kC, kP, kL, kS, kF, kK };

// What a row does beyond enabling groups.
struct Further {
  bool sameMode = false;
  bool speedHidden = false;
  bool audioModeShown = false;
  bool zzccModeShown = false;
  bool customGroupShown = false;
  // Page 1 of "light_color_tablayout" holds the audio colours.
  bool audioColourPage = false;
  std::optional<DirectionTexts> directionTexts = std::nullopt;
};

struct Row {
  ModeSet modes;
  std::string_view marks;
  Further further = {};
};

struct KindTable {
  // What every call sets before the row of the mode is applied.
  LightModeLayout first;
  std::span<const Row> rows;
  std::string_view anyOther;
};

constexpr int kAudioColourPage = 1;

constexpr DirectionTexts kDownUp{"light_set_down_to_up_text", "light_set_up_to_down_text"};
constexpr DirectionTexts kUpDown{"light_set_up_to_down_text", "light_set_down_to_up_text"};
constexpr DirectionTexts kRightLeft{"light_set_right_to_left_text", "light_set_left_to_right_text"};
constexpr DirectionTexts kClockwise{"light_set_clockwise_text", "light_set_anticlockwise_text"};
constexpr DirectionTexts kOutsideIn{"light_set_outside_to_inside_text", "light_set_inside_to_outside_text"};

constexpr Further kAudioMode{.speedHidden = true, .audioModeShown = true, .audioColourPage = true};
constexpr Further kSame{.sameMode = true};

// clang-format off
constexpr std::array kMouseRows = {
    //                        EMCPLSF
    Row{Modes({0, 5}),       "+++++++"},
    Row{Modes({1}),          "+---++-"},
    Row{Modes({2, 4, 6}),    "++++++-"},
    Row{Modes({3}),          "+-+++--"},
    Row{Modes({{7, 8}}),     "+---++-"},
    Row{Modes({10}),         "+------"},
    Row{Modes({11}),         "+++++-+", kAudioMode},
};

constexpr std::array kKeyboardRows = {
    //                                         EMCPLSFK
    Row{Modes({1, 2}),                        "++++++++"},
    Row{Modes({3, 24}),                       "++++++++", {.directionTexts = kClockwise}},
    Row{Modes({4}),                           "+---++--", kSame},
    Row{Modes({5, 23}),                       "++++++-+", kSame},
    Row{Modes({6}),                           "+++++--+", kSame},
    Row{Modes({{7, 10}, {13, 15}, 22, 25}),   "++++++-+"},
    Row{Modes({11, 26}),                      "+---++--"},
    Row{Modes({12}),                          "+---++++", {.directionTexts = kDownUp}},
    Row{Modes({16}),                          "+++++--+"},
    Row{Modes({17}),                          "+---++--", {.speedHidden = true, .zzccModeShown = true}},
    Row{Modes({18}),                          "+---+-+-", {.directionTexts = kOutsideIn}},
    Row{Modes({20}),                          "+-+++--+", {.speedHidden = true, .customGroupShown = true}},
    Row{Modes({21}),                          "++++++++", {.directionTexts = kUpDown}},
    Row{Modes({27}),                          "+---++-+"},
    Row{Modes({28}),                          "+------+", kSame},
    Row{Modes({29}),                          "+++++-++", kAudioMode},
    Row{Modes({30}),                          "+---+---"},
};

constexpr std::array kPadAndHeadsetRows = {
    //                        EMCPLSF
    Row{Modes({0}),          "+++++++"},
    Row{Modes({1}),          "+---++-", kSame},
    Row{Modes({2, 4}),       "++++++-", kSame},
    Row{Modes({3}),          "+-+++--", kSame},
    Row{Modes({8}),          "+------", kSame},
};
// clang-format on

constexpr KindTable kMouse{
    .first = {.colourPage = 0, .directionTexts = kDownUp},
    .rows = kMouseRows,
    .anyOther = "+------",
};
constexpr KindTable kKeyboard{
    .first = {.colourPage = 0, .directionTexts = kRightLeft},
    .rows = kKeyboardRows,
    .anyOther = "+------+",
};
// The pad and the headset leave the colour pages and the direction texts as they are.
constexpr KindTable kPadAndHeadset{
    .first = {},
    .rows = kPadAndHeadsetRows,
    .anyOther = "+------",
};

const KindTable& TableOf(KindCode kind) {
  switch (CableKindOf(kind)) {
    case KindCode::KeyboardCable:
      return kKeyboard;
    case KindCode::MouseCable:
      return kMouse;
    default:
      return kPadAndHeadset;
  }
}

const Row* RowOf(const KindTable& table, int modeIndex) {
  if (modeIndex < 0 || modeIndex >= kListedModes) return nullptr;
  for (const Row& row : table.rows) {
    if (((row.modes >> modeIndex) & 1) != 0) return &row;
  }
  return nullptr;
}

void Enable(LightModeLayout& layout, std::string_view marks) {
  const auto enabled = [marks](Column column) { return marks[column] == '+'; };
  layout.effect = enabled(kE);
  layout.multiColour = enabled(kM);
  layout.colour = enabled(kC);
  layout.palette = enabled(kP);
  layout.brightness = enabled(kL);
  layout.speed = enabled(kS);
  layout.direction = enabled(kF);
  if (marks.size() > kK) layout.keyColours = enabled(kK);
}

void ApplyFurther(LightModeLayout& layout, const Further& further) {
  layout.sameModeOffered = further.sameMode;
  layout.speedShown = !further.speedHidden;
  layout.audioModeShown = further.audioModeShown;
  layout.zzccModeShown = further.zzccModeShown;
  layout.customGroupShown = further.customGroupShown;
  if (further.audioColourPage) layout.colourPage = kAudioColourPage;
  if (further.directionTexts) layout.directionTexts = further.directionTexts;
}

}  // namespace

LightModeLayout ModeLayoutOf(KindCode kind, int modeIndex) {
  const KindTable& table = TableOf(kind);
  LightModeLayout layout = table.first;
  const Row* row = RowOf(table, modeIndex);
  Enable(layout, row != nullptr ? row->marks : table.anyOther);
  if (row != nullptr) ApplyFurther(layout, row->further);
  return layout;
}

}  // namespace nimbel
