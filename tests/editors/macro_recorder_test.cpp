#include "editors/macro_recorder.h"

#include <gtest/gtest.h>

#include <vector>

namespace nimbel {
namespace {

constexpr ScanCode kA{0x1E, false};
constexpr ScanCode kB{0x30, false};
constexpr ScanCode kRightShift{0x36, true};
constexpr int kKey = macro_event_type::kKey;
constexpr int kModifier = macro_event_type::kModifier;
constexpr int kButton = macro_event_type::kMouseButton;
constexpr int kUsageA = 0x04;
constexpr int kUsageB = 0x05;

// Two events already in the macro; recordings go around the second.
std::vector<MacroEvent> TwoEvents() {
  return {{kButton, 0x01, true, 11}, {kButton, 0x01, false, 22}};
}

TEST(MacroRecorder, DelaysFollowTheMode) {
  struct Case {
    RecordDelay delay;
    std::vector<MacroEvent> recorded;
  };
  // A down at 100 ms after the start, A up at 400, B down at 65536 + 400 (longer than a delay holds).
  const std::vector<Case> cases{
      {RecordDelay::kMeasured,
       {{kKey, kUsageA, true, 300}, {kKey, kUsageA, false, 65535}, {kKey, kUsageB, true, 0}}},
      {RecordDelay::kFixed,
       {{kKey, kUsageA, true, 50}, {kKey, kUsageA, false, 50}, {kKey, kUsageB, true, 50}}},
      {RecordDelay::kNone, {{kKey, kUsageA, true, 0}, {kKey, kUsageA, false, 0}, {kKey, kUsageB, true, 0}}},
  };
  for (const Case& c : cases) {
    std::vector<MacroEvent> events;
    MacroRecorder recorder(events, -1, c.delay, RecordPlacement::kAppend, 50, 1000);
    EXPECT_TRUE(recorder.RecordKey(kA, true, 1100));
    EXPECT_TRUE(recorder.RecordKey(kA, false, 1400));
    EXPECT_TRUE(recorder.RecordKey(kB, true, 1400 + 65536));
    EXPECT_EQ(events, c.recorded) << static_cast<int>(c.delay);
    EXPECT_EQ(recorder.LastRecordedRow(), 2);
  }
}

TEST(MacroRecorder, PlacementsKeepThePressesInOrder) {
  struct Case {
    RecordPlacement placement;
    std::vector<MacroEvent> result;
    int lastRow;
  };
  const MacroEvent aDown{kKey, kUsageA, true, 0};
  const MacroEvent aUp{kKey, kUsageA, false, 0};
  const MacroEvent second{kButton, 0x01, false, 22};
  const std::vector<Case> cases{
      {RecordPlacement::kAppend, {{kButton, 0x01, true, 11}, {kButton, 0x01, false, 0}, aDown, aUp}, 3},
      {RecordPlacement::kBefore, {{kButton, 0x01, true, 0}, aDown, aUp, second}, 2},
      {RecordPlacement::kAfter, {{kButton, 0x01, true, 11}, {kButton, 0x01, false, 0}, aDown, aUp}, 3},
      // Replacing keeps the replaced event's delay; each press replaces the same event.
      {RecordPlacement::kReplace, {{kButton, 0x01, true, 11}, {kKey, kUsageA, false, 22}}, 1},
  };
  for (const Case& c : cases) {
    std::vector<MacroEvent> events = TwoEvents();
    // The second event is selected; appending ignores it.
    MacroRecorder recorder(events, 1, RecordDelay::kNone, c.placement, 50, 0);
    recorder.RecordKey(kA, true, 10);
    recorder.RecordKey(kA, false, 20);
    EXPECT_EQ(events, c.result) << static_cast<int>(c.placement);
    EXPECT_EQ(recorder.LastRecordedRow(), c.lastRow) << static_cast<int>(c.placement);
  }
}

TEST(MacroRecorder, HeldKeysRecordOnceModifiersAreTheirOwnTypeAndAFullMacroTakesNoMore) {
  std::vector<MacroEvent> events;
  MacroRecorder recorder(events, -1, RecordDelay::kNone, RecordPlacement::kAppend, 50, 0);
  EXPECT_TRUE(recorder.RecordKey(kRightShift, true, 0));
  EXPECT_FALSE(recorder.RecordKey(kRightShift, true, 30));  // the keyboard's repeat
  EXPECT_TRUE(recorder.RecordKey(kRightShift, false, 60));
  EXPECT_FALSE(recorder.RecordKey({0x7F, false}, true, 70));  // no key of the tables
  EXPECT_TRUE(recorder.RecordMouseButton(0x10, true, 80));
  EXPECT_EQ(events, (std::vector<MacroEvent>{
                        {kModifier, 0x20, true, 0}, {kModifier, 0x20, false, 0}, {kButton, 0x10, true, 0}}));
  while (events.size() < kMaxMacroEvents) events.push_back({kButton, 0x02, true, 0});
  EXPECT_FALSE(recorder.RecordMouseButton(0x10, false, 90));
  EXPECT_TRUE(recorder.Overflowed());
  EXPECT_EQ(events.size(), kMaxMacroEvents);
}

}  // namespace
}  // namespace nimbel
