#include "devices/mouse_keys.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "mouse_page_fixture.h"

namespace nimbel::devices_test {
namespace {

using emulator::MouseMemory;

KeyAssignment Entry(std::uint16_t slot, std::uint32_t current, std::uint32_t factory) {
  return {KeyCode::FromValue(slot, current), KeyCode::FromValue(slot, factory)};
}

AssignmentCode TableCode(const MouseKeyTable& table, std::size_t button) {
  return {table[button * 3], table[button * 3 + 1], table[button * 3 + 2]};
}

// A factory table of `count` buttons, button b carrying the code 0x10, b, 0x00.
std::vector<std::uint8_t> FactoryTable(std::size_t count) {
  std::vector<std::uint8_t> table;
  for (std::size_t button = 0; button < count; ++button)
    table.insert(table.end(), {0x10, static_cast<std::uint8_t>(button), 0x00});
  return table;
}

TEST(MouseKeyTable, MacrosAreNumberedInOrderOfFirstUseAndMacrosBeyondTheLibraryFallBack) {
  MouseKeyMap map;
  map.fill(kNoButton);
  map[0] = 3;
  map[1] = 0;
  map[2] = 5;  // beyond the four buttons the mouse has now
  map[3] = 2;
  map[4] = 1;
  const std::vector<KeyAssignment> list{
      Entry(0, 0x700501, 0x101000),  // macro 5, repeat mode 1
      Entry(1, 0x710207, 0x100100),  // macro 2, 7 times
      Entry(2, 0x200004, 0x100400),  // a button the mouse no longer has: not written
      Entry(3, 0x700500, 0x100200),  // macro 5 again
      Entry(4, 0x700900, 0x100800),  // macro 9 of a library of 6: the default code goes instead
      Entry(5, 0x200004, 0x130100),  // a slot without a button
  };
  EXPECT_EQ(MacroNumbersInUse(map, list, 6), (std::vector<std::uint8_t>{5, 2}));

  const MouseKeyTable table = BuildMouseKeyTable(FactoryTable(4), 4, map, list, 6);
  EXPECT_EQ(TableCode(table, 3), (AssignmentCode{0x70, 0, 1}));
  EXPECT_EQ(TableCode(table, 0), (AssignmentCode{0x71, 1, 7}));
  EXPECT_EQ(TableCode(table, 2), (AssignmentCode{0x70, 0, 0}));
  EXPECT_EQ(TableCode(table, 1), (AssignmentCode{0x10, 0x08, 0}));
  // Nothing past the mouse's buttons: the slot whose button went, and the rest of the table, stay zero.
  for (std::size_t offset = 4 * 3; offset < table.size(); ++offset) ASSERT_EQ(table[offset], 0) << offset;
}

TEST(MouseKeyTable, AKeyCountBeyondTheTableIsCutToWhatItHolds) {
  MouseKeyMap map;
  map.fill(kNoButton);
  const std::vector<std::uint8_t> factory = FactoryTable(kMaxMouseKeyCount);
  const MouseKeyTable table = BuildMouseKeyTable(factory, 255, map, {}, 0);
  EXPECT_EQ(TableCode(table, kMaxMouseKeyCount - 1), (AssignmentCode{0x10, kMaxMouseKeyCount - 1, 0}));
  EXPECT_EQ(table[kMaxMouseKeyCount * 3], 0);
}

class MouseKeys : public ::testing::TestWithParam<Link> {
 protected:
  MouseKeys() : paged_(GetParam()) {}

  void SetUp() override {
    ASSERT_TRUE(paged_.Ready());
    paged_.Device().SyncFromDevice();
    ASSERT_TRUE(Settle(paged_.Device()));
  }

  // What physical button the slot's code sits at, as the mouse was read.
  std::uint8_t ButtonOf(int slot) { return paged_.Device().KeyMap()[static_cast<std::size_t>(slot)]; }
  AssignmentCode OnMouse(int slot) { return paged_.Mouse().KeyAssignments().at(ButtonOf(slot)); }
  std::int64_t StoredAssignment(int slot) {
    return paged_.StoredProfile()["KeyList"][slot]["Assignment"].asInt64();
  }

  PagedMouse paged_;
};

TEST_P(MouseKeys, AnAssignmentReachesTheProfileAndTheMouseAndDefaultsBringTheFactoryCodesBack) {
  CVelquorMouseDevice& mouse = paged_.Device();
  constexpr int kLeftButton = 1;
  constexpr int kDpiUp = 5;
  ASSERT_NE(ButtonOf(kLeftButton), kNoButton);
  const AssignmentCode factoryLeft = OnMouse(kLeftButton);

  mouse.SetSlotAssignment(kLeftButton, KeyCode::FromValue(0, 0x200204));  // Shift+A
  mouse.SetSlotAssignment(kDpiUp, KeyCode::FromValue(0, 0x30CD00));       // play/pause
  ASSERT_TRUE(Settle(mouse));
  EXPECT_EQ(OnMouse(kLeftButton), (AssignmentCode{0x20, 0x02, 0x04}));
  EXPECT_EQ(OnMouse(kDpiUp), (AssignmentCode{0x30, 0xCD, 0x00}));
  EXPECT_EQ(StoredAssignment(kLeftButton), 0x200204);
  EXPECT_FALSE(mouse.IsKeyTableWritePending());
  // The entry keeps its own position whatever the caller's half said.
  EXPECT_EQ(mouse.SlotAssignment(kLeftButton)->current.position, kLeftButton);

  // A reload merges what the mouse holds now, not the table read when it was first bound.
  mouse.SyncFromProfile();
  ASSERT_TRUE(Settle(mouse));
  EXPECT_EQ(mouse.SlotAssignment(kLeftButton)->current.Value(), 0x200204u);

  mouse.RestoreDefaultKeys();
  ASSERT_TRUE(Settle(mouse));
  EXPECT_EQ(OnMouse(kLeftButton), factoryLeft);
  EXPECT_EQ(OnMouse(kDpiUp), (AssignmentCode{0x13, 0x01, 0x00}));
  EXPECT_EQ(StoredAssignment(kLeftButton), 0x100100);
}

TEST_P(MouseKeys, AProfileSwitchWritesTheProfilesKeysOverWhatTheMouseHeld) {
  CVelquorMouseDevice& mouse = paged_.Device();
  // The profile file says slot 3 is a wheel step; the mouse still holds its factory table.
  Json::Value document = ReadJsonFile(paged_.ProfilePath());
  document["Device"][0]["KeyList"][3]["Assignment"] = 0x1233FB;
  ASSERT_TRUE(WriteJsonFile(paged_.ProfilePath(), document));

  mouse.ApplySelectedProfile();
  ASSERT_TRUE(Settle(mouse));
  EXPECT_EQ(OnMouse(3), (AssignmentCode{0x12, 0x33, 0xFB}));
}

TEST_P(MouseKeys, AMouseOutOfReachKeepsTheTableWaitingAndGetsItWhenItAnswersAgain) {
  CVelquorMouseDevice& mouse = paged_.Device();
  const std::optional<std::vector<std::uint8_t>> before = paged_.Mouse().Read(MouseMemory::KeyTable, 0, 512);
  if (GetParam() == Link::Cable) {
    // A cabled mouse is always in reach; a mouse in error, reporting more buttons than a table holds,
    // stands for one that does not take the table.
    paged_.Mouse().Write(MouseMemory::DeviceInfo, device_info_byte::kKeyCount,
                         std::array<std::uint8_t, 1>{200});
  } else {
    paged_.Mouse().SetLinked(false);
  }
  mouse.SetSlotAssignment(1, KeyCode::FromValue(0, 0x200004));
  ASSERT_TRUE(Settle(mouse));
  EXPECT_TRUE(mouse.IsKeyTableWritePending());
  EXPECT_EQ(paged_.Mouse().Read(MouseMemory::KeyTable, 0, 512), before);
  EXPECT_EQ(StoredAssignment(1), 0x200004);

  paged_.Mouse().SetLinked(true);
  paged_.Mouse().Write(MouseMemory::DeviceInfo, device_info_byte::kKeyCount,
                       std::array<std::uint8_t, 1>{emulator::MouseFirmware::kKeyCount});
  mouse.SyncFromProfile();
  ASSERT_TRUE(Settle(mouse));
  EXPECT_FALSE(mouse.IsKeyTableWritePending());
  EXPECT_EQ(OnMouse(1), (AssignmentCode{0x20, 0x00, 0x04}));
}

TEST_P(MouseKeys, TheMouseActsOnItsNewTable) {
  CVelquorMouseDevice& mouse = paged_.Device();
  const bool receiver = GetParam() == Link::Receiver;
  ASSERT_TRUE(mouse.OpenNotification(
      FindCollectionPath(*paged_.Emulator().Bus(), receiver ? kReceiverNotification : kCableNotification),
      receiver ? KindCode::MouseReceiver : KindCode::MouseCable));
  constexpr int kLeftButton = 1;
  constexpr int kDpiUp = 5;
  mouse.SetSlotAssignment(kLeftButton, KeyCode::FromValue(0, 0x130300));  // DPI cycle
  mouse.SetSlotAssignment(kDpiUp, KeyCode::FromValue(0, 0x200004));       // A
  ASSERT_TRUE(Settle(mouse));

  const int before = mouse.ActiveStage();
  EXPECT_EQ(paged_.Mouse().PressButton(ButtonOf(kDpiUp)), (AssignmentCode{0x20, 0x00, 0x04}));
  EXPECT_EQ(paged_.Mouse().PressButton(ButtonOf(kLeftButton)), (AssignmentCode{0x13, 0x03, 0x00}));
  // Only the left button's press moved the stage, by one.
  ASSERT_TRUE(ProcessEventsUntil([&] { return mouse.ActiveStage() == (before + 1) % 7; }));
  EXPECT_EQ(paged_.Mouse().PressButton(paged_.Mouse().KeyCount()), std::nullopt);
  mouse.CloseNotification(receiver ? KindCode::MouseReceiver : KindCode::MouseCable);
}

INSTANTIATE_TEST_SUITE_P(ByLink, MouseKeys, ::testing::Values(Link::Cable, Link::Receiver));

TEST(MouseKeys, AMouseThatReportsMoreButtonsThanATableHoldsHasNoKeyMap) {
  PagedMouse paged;
  ASSERT_TRUE(paged.Ready());
  paged.Mouse().Write(MouseMemory::DeviceInfo, device_info_byte::kKeyCount, std::array<std::uint8_t, 1>{171});
  paged.Device().SyncFromDevice();
  ASSERT_TRUE(Settle(paged.Device()));
  for (std::size_t slot = 0; slot < kMouseFunctionSlots; ++slot)
    EXPECT_EQ(paged.Device().KeyMap()[slot], kNoButton);
}

}  // namespace
}  // namespace nimbel::devices_test
