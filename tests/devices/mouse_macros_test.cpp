#include <gtest/gtest.h>

#include <QProgressBar>
#include <algorithm>
#include <array>
#include <vector>

#include "devices/mouse_keys.h"
#include "mouse_page_fixture.h"

namespace nimbel::devices_test {
namespace {

using emulator::MouseMemory;

constexpr int kLeftButton = 1;
constexpr int kRightButton = 3;

// A press and release of key `usage`, as many times as asked, each waiting `delay`.
std::vector<MacroEvent> Keystrokes(int usage, int times, std::uint16_t delay) {
  std::vector<MacroEvent> events;
  for (int i = 0; i < times; ++i) {
    events.push_back({macro_event_type::kKey, usage, true, delay});
    events.push_back({macro_event_type::kKey, usage, false, delay});
  }
  return events;
}

// A mouse with a library of six macros; macros 2 and 5 have events of their own.
class MouseMacros : public ::testing::TestWithParam<Link> {
 protected:
  MouseMacros() : paged_(GetParam()) {}

  void SetUp() override {
    ASSERT_TRUE(paged_.Ready());
    paged_.Device().SyncFromDevice();
    ASSERT_TRUE(Settle(paged_.Device()));
    MacroLibrary& library = paged_.Device().Macros();
    for (int i = 0; i < 6; ++i) ASSERT_EQ(library.NewMacro(), MacroResult::kDone);
    ASSERT_EQ(library.SaveEvents(2, macroTwo_), MacroResult::kDone);
    ASSERT_EQ(library.SaveEvents(5, macroFive_), MacroResult::kDone);
    paged_.Device().SetMessageShower([this](const QString& textId, const QStringList& arguments) {
      shown_.push_back({textId, arguments});
    });
  }

  AssignmentCode OnMouse(int slot) {
    return paged_.Mouse().KeyAssignments().at(paged_.Device().KeyMap()[static_cast<std::size_t>(slot)]);
  }
  // The commands the mouse received, in order, of the kinds a profile's write consists of.
  std::vector<CommandCode> WriteCommands() {
    std::vector<CommandCode> commands;
    for (const std::uint8_t command : CommandBytes(paged_.Mouse())) {
      for (const CommandCode write :
           {CommandCode::WriteMemory, CommandCode::WriteMacroData, CommandCode::WriteKeyTable}) {
        if (command == ToByte(write) && (commands.empty() || commands.back() != write))
          commands.push_back(write);
      }
    }
    return commands;
  }

  struct Shown {
    QString textId;
    QStringList arguments;
    bool operator==(const Shown&) const = default;
  };
  PagedMouse paged_;
  const std::vector<MacroEvent> macroTwo_ = Keystrokes(0x04, 2, 30);
  const std::vector<MacroEvent> macroFive_ = Keystrokes(0x05, 1, 65535);
  std::vector<Shown> shown_;
};

TEST_P(MouseMacros, TheMacrosTheKeysUseGoToTheMouseInOrderOfFirstUseAndTheKeyTableNamesThemSo) {
  CVelquorMouseDevice& mouse = paged_.Device();
  mouse.SetSlotAssignment(kLeftButton, KeyCode::FromValue(0, 0x700501));   // macro 5, mode 1
  mouse.SetSlotAssignment(kRightButton, KeyCode::FromValue(0, 0x710203));  // macro 2, three times
  ASSERT_TRUE(Settle(mouse));
  // The left button's slot comes first: macro 5 is record 0.
  EXPECT_EQ(paged_.Mouse().Macros(),
            (std::vector<MacroRecord>{ImageRecord(macroFive_), ImageRecord(macroTwo_)}));
  EXPECT_EQ(OnMouse(kLeftButton), (AssignmentCode{0x70, 0, 1}));
  EXPECT_EQ(OnMouse(kRightButton), (AssignmentCode{0x71, 1, 3}));
  // The profile keeps the library's numbers.
  EXPECT_EQ(mouse.SlotAssignment(kLeftButton)->current.Value(), 0x700501u);
  EXPECT_EQ(paged_.Mouse().MacroOfButton(mouse.KeyMap()[kRightButton]), ImageRecord(macroTwo_));
  EXPECT_TRUE(shown_.empty());
}

TEST_P(MouseMacros, TheDownloadReportsItsProgressOnThePage) {
  CVelquorMouseDevice& mouse = paged_.Device();
  auto* bar = FindControl<QProgressBar>(paged_.Page(), QLatin1String(mouse_control::kWriteProgress));
  ASSERT_NE(bar, nullptr);
  std::vector<std::pair<int, int>> steps;
  QObject::connect(bar, &QProgressBar::valueChanged,
                   [&](int value) { steps.emplace_back(value, bar->maximum()); });
  mouse.SetSlotAssignment(kLeftButton, KeyCode::FromValue(0, 0x700500));
  ASSERT_TRUE(Settle(mouse));
  // 16 + 2 + 4 + 4 * 2 bytes: the bar counts them up to the whole image, then is reset for the next write.
  constexpr int kImageLength = 30;
  ASSERT_FALSE(steps.empty());
  EXPECT_EQ(
      std::count_if(steps.begin(), steps.end(), [](const auto& step) { return step.second == kImageLength; }),
      static_cast<std::ptrdiff_t>(steps.size() - 1));
  EXPECT_EQ(steps[steps.size() - 2], std::make_pair(kImageLength, kImageLength));
}

TEST_P(MouseMacros, AProfileGoesToTheMouseAsSettingsThenMacrosThenTheKeyTable) {
  CVelquorMouseDevice& mouse = paged_.Device();
  Json::Value document = ReadJsonFile(paged_.ProfilePath());
  document["Device"][0]["KeyList"][kLeftButton]["Assignment"] = 0x700200;
  ASSERT_TRUE(WriteJsonFile(paged_.ProfilePath(), document));
  paged_.Mouse().ClearRequests();
  mouse.ApplySelectedProfile();
  ASSERT_TRUE(Settle(mouse));
  EXPECT_EQ(WriteCommands(), (std::vector<CommandCode>{CommandCode::WriteMemory, CommandCode::WriteMacroData,
                                                       CommandCode::WriteKeyTable}));
  EXPECT_EQ(paged_.Mouse().Macros(), (std::vector<MacroRecord>{ImageRecord(macroTwo_)}));
}

TEST_P(MouseMacros, MacrosTooLargeForTheMouseAreNotSentNorIsTheKeyTable) {
  CVelquorMouseDevice& mouse = paged_.Device();
  // One block of 128 bytes. Macro 5 with 30 events and macro 2 with 4 make 16 + 2 * 2 + 4 * 2 + 4 * 34 =
  // 164 bytes, 36 over: 36 / 4 + 1 = 10 events to remove.
  ASSERT_EQ(mouse.Macros().SaveEvents(5, Keystrokes(0x05, 15, 1)), MacroResult::kDone);
  paged_.Mouse().Write(MouseMemory::DeviceInfo, 6, std::array<std::uint8_t, 1>{1});
  const std::optional<std::vector<std::uint8_t>> before = paged_.Mouse().Read(MouseMemory::Macro, 0, 128);
  mouse.SetSlotAssignment(kLeftButton, KeyCode::FromValue(0, 0x700500));
  mouse.SetSlotAssignment(kRightButton, KeyCode::FromValue(0, 0x700200));
  ASSERT_TRUE(Settle(mouse));
  ASSERT_FALSE(shown_.empty());
  EXPECT_EQ(shown_.back(), (Shown{QStringLiteral("message_text_16"), {QStringLiteral("10")}}));
  EXPECT_EQ(paged_.Mouse().Read(MouseMemory::Macro, 0, 128), before);
  EXPECT_EQ(OnMouse(kRightButton), (AssignmentCode{0x10, 0x02, 0x00}));
}

TEST_P(MouseMacros, AMouseThatDoesNotTakeTheMacrosIsSaidSo) {
  CVelquorMouseDevice& mouse = paged_.Device();
  if (GetParam() == Link::Receiver) {
    paged_.Mouse().SetLinked(false);
  } else {
    const std::vector<emulator::Fault> refused(64, emulator::Fault::WriteFails);
    paged_.Mouse().InjectFaults(refused);
  }
  mouse.SetSlotAssignment(kLeftButton, KeyCode::FromValue(0, 0x700200));
  ASSERT_TRUE(Settle(mouse));
  EXPECT_EQ(shown_, (std::vector<Shown>{{QStringLiteral("message_text_7"), {}}}));
  EXPECT_TRUE(mouse.IsKeyTableWritePending());
}

INSTANTIATE_TEST_SUITE_P(ByLink, MouseMacros, ::testing::Values(Link::Cable, Link::Receiver));

}  // namespace
}  // namespace nimbel::devices_test
