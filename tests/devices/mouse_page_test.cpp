// The mouse's settings end to end: the page's edits, the profile file and the emulated mouse's memory.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSlider>
#include <QStackedWidget>
#include <QTest>
#include <functional>

#include "devices/device_messages.h"
#include "devices/dpi_edit_ui.h"
#include "devices/mouse_desktop_settings.h"
#include "emulator/demo_device.h"
#include "mouse_page_fixture.h"
#include "platform/folders.h"
#include "profiles/json_file.h"
#include "ui/find_control.h"
#include "ui/resource_manager.h"
#include "ui/skin_attributes.h"

namespace nimbel {
namespace {

using namespace devices_test;
namespace mc = mouse_control;
using emulator::MouseMemory;

constexpr std::uint8_t kQueryLink = 0xAA;
constexpr std::size_t kStageBytes = 14;
constexpr std::size_t kStageSize = 9;

QString Indexed(const char* prefix, int index) {
  return MousePageView::Indexed(prefix, index);
}

template <typename T = QWidget>
T* Control(PagedMouse& mouse, const QString& name) {
  return FindControl<T>(mouse.Page(), name);
}

std::vector<std::uint8_t> StageBytes(const std::vector<std::uint8_t>& block, std::size_t stage) {
  const auto first = block.begin() + static_cast<std::ptrdiff_t>(kStageBytes + stage * kStageSize);
  return {first, first + static_cast<std::ptrdiff_t>(kStageSize)};
}

// Per variant: a stage value the slider can hold and what the page shows for it.
struct VariantCase {
  std::uint16_t sensor;
  int stageSet;
  int value;
  QString shown;
};

TEST(MousePage, EditsReachTheMouseAndComeBackFromItForEveryVariant) {
  const std::array<VariantCase, 3> cases{{
      {0x3395, 0, 12000, QStringLiteral("12000")},
      {0x3950, 1, 29000, QStringLiteral("29000")},
      {0x3104, 2, 90, QStringLiteral("6000")},
  }};
  for (const VariantCase& c : cases) {
    PagedMouse paged(Link::Cable, {.sensorCode = c.sensor});
    ASSERT_TRUE(paged.Ready());
    paged.Device().SyncFromDevice();
    ASSERT_TRUE(Settle(paged.Device()));
    ASSERT_EQ(paged.Device().Variant()->index, c.stageSet);

    Control<QSlider>(paged, Indexed(mc::kStageSlider, 2))->setValue(c.value);
    EXPECT_TRUE(paged.Notify(notify::kValueChanged, Indexed(mc::kStageSlider, 2), c.value));
    EXPECT_EQ(Control<QLineEdit>(paged, Indexed(mc::kStageEdit, 2))->text(), c.shown);
    paged.Device().SetStageColour(2, QColor(10, 20, 30));
    ASSERT_TRUE(Settle(paged.Device()));
    EXPECT_TRUE(paged.Notify(notify::kSelectChanged, Indexed(mc::kStageSelect, 4), 1));
    EXPECT_TRUE(paged.Notify(notify::kSelectChanged, Indexed(mc::kPollingOption, 4), 1));
    Control<QSlider>(paged, QLatin1String(mc::kDormancySlider))->setValue(7);
    EXPECT_TRUE(paged.Notify(notify::kValueChanged, QLatin1String(mc::kDormancySlider), 7));
    EXPECT_TRUE(paged.Notify(notify::kItemSelect, QLatin1String(mc::kDeepSleepCombo), 3));
    EXPECT_TRUE(paged.Notify(notify::kSelectChanged, Indexed(mc::kMotionSyncOption, 1), 1));
    EXPECT_TRUE(paged.Notify(notify::kSelectChanged, Indexed(mc::kSilentAltitudeOption, 1), 1));

    const std::vector<std::uint8_t> block = paged.Mouse().SettingsBlock(0);
    const std::vector<std::uint8_t> stage2{1,
                                           0,
                                           static_cast<std::uint8_t>(c.value),
                                           static_cast<std::uint8_t>(c.value >> 8),
                                           block[kStageBytes + 2 * kStageSize + 4],
                                           block[kStageBytes + 2 * kStageSize + 5],
                                           10,
                                           20,
                                           30};
    EXPECT_EQ(StageBytes(block, 2), stage2) << c.sensor;
    EXPECT_EQ(block[11], 0xFF);  // 3 - 4, in 8 bits
    EXPECT_EQ(block[12], 4);
    EXPECT_EQ(block[13], 1);
    EXPECT_EQ(block[79], 60);
    EXPECT_EQ(block[80], 10);
    EXPECT_EQ(block[82], 1);

    // The profile file has every edit.
    const Json::Value stored = paged.StoredProfile();
    const Json::Value& set = stored["DPIStages"][c.stageSet];
    EXPECT_EQ(set["StageActive"].asInt(), 4);
    EXPECT_EQ(set["StageDPIs"][2]["StageDPIX"].asInt(), c.value);
    EXPECT_EQ(set["StageDPIs"][2]["StageColorB"].asInt(), 30);
    EXPECT_EQ(stored["SystemStages"]["DormancyTime"].asInt(), 7);
    EXPECT_EQ(stored["SystemStages"]["DormancyTimeH"].asInt(), 4);
    EXPECT_EQ(stored["SystemStages"]["ReportSelectItemUSB"].asInt(), 4);

    // A second object reads the mouse back into an untouched profile.
    const std::vector<DpiStage> written = paged.Device().Stages();
    const MouseSystemSettings settings = paged.Device().GetSystemSettings();
    std::remove(paged.ProfilePath().c_str());
    CVelquorMouseDevice reader;
    reader.ApplyCatalogueRows(kMouseKindRow);
    SelectedProfile profiles;
    reader.BindProfileList(&profiles);
    ASSERT_TRUE(BindCommandPath(reader, *paged.Emulator().Bus(), Link::Cable));
    reader.SyncFromDevice();
    ASSERT_TRUE(Settle(reader));
    EXPECT_EQ(reader.Stages(), written) << c.sensor;
    EXPECT_EQ(reader.ActiveStage(), 4);
    const MouseSystemSettings readBack = reader.GetSystemSettings();
    EXPECT_EQ(readBack.dormancyTime, settings.dormancyTime);
    EXPECT_EQ(readBack.dormancyTimeH, settings.dormancyTimeH);
    EXPECT_EQ(readBack.motionSync, 1);
    EXPECT_EQ(readBack.silentAltitudeItem, 1);
    EXPECT_EQ(reader.Profile().GetDpiStages(c.stageSet), written);
  }
}

TEST(MousePage, OnlySettingsThatReachTheMouseAreWrittenToIt) {
  PagedMouse paged;
  ASSERT_TRUE(paged.Ready());
  paged.Device().SyncFromDevice();
  ASSERT_TRUE(Settle(paged.Device()));
  struct Case {
    NotifyType type;
    QString sender;
    std::intptr_t wParam;
    const char* profileKey;
    int stored;
    bool written;
  };
  const std::array<Case, 13> cases{{
      {notify::kSelectChanged, Indexed(mc::kPollingOption, 1), 1, "ReportSelectItemUSB", 1, true},
      {notify::kSelectChanged, Indexed(mc::kLinearCalibrationOption, 1), 1, "LinearCalibration", 1, true},
      {notify::kSelectChanged, Indexed(mc::kDeepSleepOption, 1), 1, "DeepSleepOff", 1, true},
      {notify::kSelectChanged, Indexed(mc::kSensorLiftOption, 1), 1, "SensorLif", 1, true},
      {notify::kValueChanged, QLatin1String(mc::kKeyDelaySlider), 6, "KeyDelay", 6, true},
      {notify::kItemSelect, QLatin1String(mc::kAntiShakeCombo), 2, "AntiShake", 2, true},
      {notify::kValueChanged, QLatin1String(mc::kDeepSleepSlider), 2, "DormancyTimeH", 2, true},
      {notify::kValueChanged, QLatin1String(mc::kPointerSpeedSlider), 15, "MouseSpeed", 15, false},
      {notify::kSelectChanged, QLatin1String(mc::kPointerPrecisionCheck), 0, "PointerPrecision", 0, false},
      {notify::kValueChanged, QLatin1String(mc::kScrollSpeedSlider), 9, "WheelScorlllinse", 9, false},
      {notify::kSelectChanged, QLatin1String(mc::kScrollPageCheck), 1, "ScorllPage", 1, false},
      {notify::kValueChanged, QLatin1String(mc::kDoubleClickSlider), 700, "DoubleClickTime", 700, false},
      {notify::kSelectChanged, Indexed(mc::kMotionSyncOption, 1), 1, "MotionSync", 1, true},
  }};
  for (const Case& c : cases) {
    paged.Mouse().ClearRequests();
    if (auto* slider = Control<QSlider>(paged, c.sender)) slider->setValue(static_cast<int>(c.wParam));
    ASSERT_TRUE(paged.Notify(c.type, c.sender, c.wParam)) << c.sender.toStdString();
    EXPECT_EQ(paged.StoredProfile()["SystemStages"][c.profileKey].asInt(), c.stored) << c.profileKey;
    const MemoryWrites writes = WriteMemoryTraffic(paged.Mouse());
    if (c.written) {
      EXPECT_EQ(writes.firstOffset, 0u) << c.profileKey;
      EXPECT_EQ(writes.bytes, kMouseSettingsBlockSize) << c.profileKey;
    } else {
      EXPECT_TRUE(paged.Mouse().Requests().empty()) << c.profileKey;
    }
  }
  // Lines and pages exclude each other: the wheel-lines slider clears the page check.
  EXPECT_TRUE(paged.Notify(notify::kValueChanged, QLatin1String(mc::kScrollSpeedSlider), 4));
  EXPECT_FALSE(Control<QAbstractButton>(paged, QLatin1String(mc::kScrollPageCheck))->isChecked());
  EXPECT_EQ(paged.StoredProfile()["SystemStages"]["ScorllPage"].asInt(), 0);
  EXPECT_FALSE(paged.Notify(notify::kClick, QStringLiteral("some_other_control")));
}

TEST(MousePage, PollingCodesOutsideTheOptionsReadBackAsOptionZero) {
  for (const auto& [option, code] : {std::pair{4, 0xFF}, std::pair{5, 0xFE}}) {
    PagedMouse paged;
    ASSERT_TRUE(paged.Ready());
    paged.Device().SyncFromDevice();
    ASSERT_TRUE(Settle(paged.Device()));
    paged.Device().SetPollingOption(option);
    ASSERT_TRUE(Settle(paged.Device()));
    EXPECT_EQ(paged.Mouse().SettingsBlock(0)[11], code);
    paged.Device().SyncFromProfile();
    ASSERT_TRUE(Settle(paged.Device()));
    EXPECT_GT(paged.Device().GetSystemSettings().reportSelectItemUsb, 5);
    EXPECT_TRUE(Control<QAbstractButton>(paged, Indexed(mc::kPollingOption, 0))->isChecked()) << option;
    EXPECT_FALSE(Control<QAbstractButton>(paged, Indexed(mc::kPollingOption, option))->isChecked()) << option;
  }
}

TEST(MousePage, CodesOutsideTheTablesLeaveTheirFields) {
  PagedMouse paged;
  ASSERT_TRUE(paged.Ready());
  constexpr std::uint8_t kUnknownMode = 200;
  ASSERT_TRUE(paged.Mouse().Write(MouseMemory::Onboard, 1, std::array{kUnknownMode}));
  ASSERT_TRUE(paged.Mouse().Write(MouseMemory::Onboard, 79, std::array<std::uint8_t, 2>{7, 9}));
  paged.Device().SyncFromDevice();
  ASSERT_TRUE(Settle(paged.Device()));
  const Json::Value stored = paged.StoredProfile();
  EXPECT_EQ(stored["LightInfo"]["SelectItem"].asInt(), kUnknownMode);
  // The factory profile's 1 and 1 stay.
  EXPECT_EQ(stored["SystemStages"]["DormancyTime"].asInt(), 1);
  EXPECT_EQ(stored["SystemStages"]["DormancyTimeH"].asInt(), 1);
  // And are written back as the mouse gave them.
  paged.Device().SetTwoWayOption(CVelquorMouseDevice::TwoWayOption::kMotionSync, 1);
  ASSERT_TRUE(Settle(paged.Device()));
  const std::vector<std::uint8_t> block = paged.Mouse().SettingsBlock(0);
  EXPECT_EQ(block[79], 6);  // DormancyTime 1 has a code
  EXPECT_EQ(block[1], 0);   // a mode beyond the coded ones is written as mode 0
}

// A profile whose stage set for the Prime has only five stages, in a file of its own.
void WriteFiveStageProfile(const std::string& path) {
  Json::Value factory = ReadJsonFile(NIMBEL_SOURCE_DIR "/DefaultData/mouse.Json");
  Json::Value& stages = factory["Device"][0]["DPIStages"][0]["StageDPIs"];
  Json::Value five(Json::arrayValue);
  for (Json::ArrayIndex i = 0; i < 5; ++i) five.append(stages[i]);
  stages = five;
  factory["Device"][0]["SystemStages"]["DormancyTime"] = 5;
  ASSERT_TRUE(WriteJsonFile(path, factory));
}

TEST(MousePage, AClosedChannelLeavesTheProfileAsItsFileHasIt) {
  PagedMouse paged;
  ASSERT_TRUE(paged.Ready());
  WriteFiveStageProfile(paged.ProfilePath());
  const Json::Value before = paged.StoredProfile();
  paged.Device().Channel().Detach();
  paged.Device().SyncFromDevice();
  ASSERT_TRUE(Settle(paged.Device()));
  EXPECT_EQ(paged.StoredProfile(), before);
  EXPECT_TRUE(paged.Mouse().Requests().empty());
  EXPECT_EQ(paged.Device().GetSystemSettings().dormancyTime, 5);
  EXPECT_EQ(Control<QSlider>(paged, QLatin1String(mc::kDormancySlider))->value(), 5);
  paged.Device().WriteSettings(0, 0);
  ASSERT_TRUE(Settle(paged.Device()));
  EXPECT_TRUE(paged.Device().IsWritePending());
}

TEST(MousePage, StagesTheProfileLacksKeepTheMousesBytes) {
  PagedMouse paged;
  ASSERT_TRUE(paged.Ready());
  WriteFiveStageProfile(paged.ProfilePath());
  constexpr std::array<std::uint8_t, 2 * kStageSize> kMouseStages{1, 0, 1, 2, 3,  4,  5,  6,  7,
                                                                  1, 0, 8, 9, 10, 11, 12, 13, 14};
  ASSERT_TRUE(paged.Mouse().Write(MouseMemory::Onboard, kStageBytes + 5 * kStageSize, kMouseStages));
  // A slot the mouse cannot have: the record cannot be read, and the profile keeps its five stages.
  ASSERT_TRUE(paged.Mouse().Write(MouseMemory::Onboard, 0, std::array<std::uint8_t, 1>{200}));
  paged.Device().SyncFromDevice();
  ASSERT_TRUE(Settle(paged.Device()));
  ASSERT_EQ(paged.Device().Stages().size(), 5u);
  ASSERT_TRUE(paged.Mouse().Write(MouseMemory::Onboard, 0, std::array<std::uint8_t, 1>{0}));

  paged.Device().SetStageSlider(1, 2000);
  ASSERT_TRUE(Settle(paged.Device()));
  const std::vector<std::uint8_t> block = paged.Mouse().SettingsBlock(0);
  EXPECT_EQ(StageBytes(block, 1)[2], 2000 & 0xFF);
  EXPECT_EQ(StageBytes(block, 1)[3], 2000 >> 8);
  EXPECT_TRUE(
      std::equal(kMouseStages.begin(), kMouseStages.end(), block.begin() + kStageBytes + 5 * kStageSize));
}

TEST(MousePage, AnUnknownSensorKeepsEveryStageByte) {
  PagedMouse paged(Link::Cable, {.sensorCode = 0x1234});
  ASSERT_TRUE(paged.Ready());
  auto* slider = Control<QSlider>(paged, Indexed(mc::kStageSlider, 0));
  const int maximum = slider->maximum();
  paged.Device().SyncFromDevice();
  ASSERT_TRUE(Settle(paged.Device()));
  EXPECT_FALSE(paged.Device().Variant());
  EXPECT_EQ(slider->maximum(), maximum);
  const std::vector<std::uint8_t> before = paged.Mouse().SettingsBlock(0);

  paged.Device().SetStageSlider(0, 5000);
  ASSERT_TRUE(Settle(paged.Device()));
  paged.Device().SetActiveStage(3);
  ASSERT_TRUE(Settle(paged.Device()));
  EXPECT_TRUE(WriteMemoryTraffic(paged.Mouse()).reports == 0);
  paged.Device().SetPollingOption(1);
  ASSERT_TRUE(Settle(paged.Device()));
  const std::vector<std::uint8_t> after = paged.Mouse().SettingsBlock(0);
  EXPECT_EQ(after[11], 2);
  EXPECT_TRUE(std::equal(before.begin() + 12, before.begin() + 13, after.begin() + 12));
  EXPECT_TRUE(std::equal(before.begin() + 14, before.begin() + 77, after.begin() + 14));
}

TEST(MousePage, TheLastStageInTheCycleCannotBeSwitchedOff) {
  PagedMouse paged;
  ASSERT_TRUE(paged.Ready());
  paged.Device().SyncFromDevice();
  ASSERT_TRUE(Settle(paged.Device()));
  const int active = paged.Device().ActiveStage();
  for (int stage = 0; stage < 7; ++stage) {
    if (stage == active) continue;
    Control<QAbstractButton>(paged, Indexed(mc::kStageEnable, stage))->setChecked(false);
    EXPECT_TRUE(paged.Notify(notify::kSelectChanged, Indexed(mc::kStageEnable, stage), 0));
    EXPECT_FALSE(Control<QWidget>(paged, Indexed(mc::kStageLayout, stage))->isEnabled());
  }
  auto* last = Control<QAbstractButton>(paged, Indexed(mc::kStageEnable, active));
  EXPECT_TRUE(last->isChecked());
  EXPECT_FALSE(last->isEnabled());
  EXPECT_TRUE(Control<QAbstractButton>(paged, Indexed(mc::kStageEnable, (active + 1) % 7))->isEnabled());
  // Asked anyway, the stage stays in the cycle, on the mouse too.
  paged.Device().SetStageEnabled(active, false);
  ASSERT_TRUE(Settle(paged.Device()));
  EXPECT_EQ(paged.Device().Stages()[static_cast<std::size_t>(active)].enabled, 1);
  EXPECT_EQ(paged.Mouse().SettingsBlock(0)[kStageBytes + static_cast<std::size_t>(active) * kStageSize], 1);
  // Making another stage active and enabling it frees the first one's check.
  paged.Device().SetStageEnabled((active + 1) % 7, true);
  ASSERT_TRUE(Settle(paged.Device()));
  EXPECT_FALSE(last->isEnabled());  // still the active stage
  paged.Device().SetActiveStage((active + 1) % 7);
  ASSERT_TRUE(Settle(paged.Device()));
  EXPECT_TRUE(last->isEnabled());
  EXPECT_EQ(Control<QLineEdit>(paged, Indexed(mc::kStageEdit, (active + 1) % 7))
                ->property("bordercolor")
                .toString(),
            QStringLiteral("0xFF06FF00"));
  EXPECT_EQ(Control<QLineEdit>(paged, Indexed(mc::kStageEdit, active))->property("bordercolor").toString(),
            QStringLiteral("0xFFFFFFFF"));
}

TEST(MousePage, ATypedDpiGoesThroughTheSensorsConversion) {
  PagedMouse paged(Link::Cable, {.sensorCode = 0x3104});
  ASSERT_TRUE(paged.Ready());
  paged.Device().SyncFromDevice();
  ASSERT_TRUE(Settle(paged.Device()));
  auto* edit = Control<QLineEdit>(paged, Indexed(mc::kStageEdit, 1));
  edit->setText(QStringLiteral("8000"));
  EXPECT_TRUE(paged.Notify(notify::kKillFocus, Indexed(mc::kStageEdit, 1)));
  EXPECT_EQ(Control<QSlider>(paged, Indexed(mc::kStageSlider, 1))->value(), 103);
  EXPECT_EQ(StageBytes(paged.Mouse().SettingsBlock(0), 1)[2], 103);
  EXPECT_EQ(edit->text(), QStringLiteral("8000"));
  // A slider being dragged moves only the shown DPI.
  paged.Mouse().ClearRequests();
  EXPECT_TRUE(paged.Notify(notify::kMoveValueChanged, Indexed(mc::kStageSlider, 1), 60));
  EXPECT_EQ(edit->text(), QStringLiteral("3200"));
  EXPECT_TRUE(paged.Mouse().Requests().empty());
}

TEST(MousePage, TheDpiEditTakesDigitsOnlyAndEscapeGivesTheShownValueBack) {
  PagedMouse paged;
  ASSERT_TRUE(paged.Ready());
  paged.Device().SyncFromDevice();
  ASSERT_TRUE(Settle(paged.Device()));
  auto* edit = Control<QLineEdit>(paged, Indexed(mc::kStageEdit, 1));
  const QString shown = edit->text();
  for (const auto& [typed, kept] :
       {std::pair{"1,600", "1600"}, std::pair{"abc", ""}, std::pair{"-7 ", "7"}}) {
    edit->clear();
    QTest::keyClicks(edit, QLatin1String(typed));
    EXPECT_EQ(edit->text(), QLatin1String(kept)) << typed;
  }
  QTest::keyClick(edit, Qt::Key_Escape);
  EXPECT_EQ(edit->text(), shown);
}

TEST(MousePage, AnEmptiedDpiEditGivesTheStageValueBackAndWritesNothing) {
  PagedMouse paged;
  ASSERT_TRUE(paged.Ready());
  paged.Device().SyncFromDevice();
  ASSERT_TRUE(Settle(paged.Device()));
  auto* edit = Control<QLineEdit>(paged, Indexed(mc::kStageEdit, 1));
  const QString shown = edit->text();
  paged.Mouse().ClearRequests();
  edit->clear();
  EXPECT_TRUE(paged.Notify(notify::kKillFocus, Indexed(mc::kStageEdit, 1)));
  EXPECT_EQ(edit->text(), shown);
  EXPECT_EQ(WriteMemoryTraffic(paged.Mouse()).reports, 0u);
}

TEST(MousePage, TheSteppedSensorsSliderMovesOneStepOfItsTable) {
  PagedMouse paged(Link::Cable, {.sensorCode = 0x3104});
  ASSERT_TRUE(paged.Ready());
  paged.Device().SyncFromDevice();
  ASSERT_TRUE(Settle(paged.Device()));
  auto* slider = Control<QSlider>(paged, Indexed(mc::kStageSlider, 1));
  EXPECT_EQ(slider->singleStep(), 1);
  EXPECT_EQ(slider->pageStep(), 1);
  // Its product has no model name; the page does not borrow another variant's picture.
  EXPECT_EQ(GetSkinAttribute(Control(paged, QLatin1String(mc::kProductImage)), SkinAttribute::kBkImage),
            QStringLiteral("file='main/Mouse.png'"));
}

TEST(MousePage, DeepSleepSwitchedOffMakesItsTimeInert) {
  PagedMouse paged;
  ASSERT_TRUE(paged.Ready());
  paged.Device().SyncFromDevice();
  ASSERT_TRUE(Settle(paged.Device()));
  const std::array<QWidget*, 3> row{Control(paged, QLatin1String(mc::kDeepSleepLabel)),
                                    Control(paged, QLatin1String(mc::kDeepSleepSlider)),
                                    Control(paged, QLatin1String(mc::kDeepSleepCombo))};
  for (const auto& [option, enabled] : {std::pair{1, false}, std::pair{0, true}}) {
    EXPECT_TRUE(paged.Notify(notify::kSelectChanged, Indexed(mc::kDeepSleepOption, option), 1));
    for (QWidget* control : row) {
      ASSERT_NE(control, nullptr);
      EXPECT_EQ(control->isEnabled(), enabled) << control->objectName().toStdString();
    }
  }
}

TEST(MousePage, TheColourOptionOpensThePaletteWithTheStageColour) {
  PagedMouse paged;
  ASSERT_TRUE(paged.Ready());
  paged.Device().SyncFromDevice();
  ASSERT_TRUE(Settle(paged.Device()));
  std::vector<QColor> offered;
  std::optional<QColor> answer = QColor(1, 2, 3);
  paged.Device().SetColourChooser([&](QWidget*, QColor initial) {
    offered.push_back(initial);
    return answer;
  });
  EXPECT_TRUE(paged.Notify(notify::kClick, Indexed(mc::kStageColour, 0)));
  ASSERT_EQ(offered.size(), 1u);
  EXPECT_EQ(offered[0], QColor(0xFF, 0, 0));  // the mouse's first stage is red
  EXPECT_EQ(GetSkinAttribute(Control(paged, Indexed(mc::kStageColour, 0)), SkinAttribute::kBkColor),
            QStringLiteral("0xFF010203"));
  EXPECT_EQ(StageBytes(paged.Mouse().SettingsBlock(0), 0)[8], 3);
  // Cancelled: nothing changes and nothing is sent.
  answer.reset();
  paged.Mouse().ClearRequests();
  EXPECT_TRUE(paged.Notify(notify::kClick, Indexed(mc::kStageColour, 0)));
  EXPECT_TRUE(paged.Mouse().Requests().empty());
}

TEST(MousePage, AnUnlinkedMouseIsNotWrittenThroughTheReceiver) {
  PagedMouse paged(Link::Receiver);
  ASSERT_TRUE(paged.Ready());
  paged.Device().SyncFromDevice();
  ASSERT_TRUE(Settle(paged.Device()));
  paged.Mouse().SetLinked(false);
  paged.Mouse().ClearRequests();
  paged.Device().WriteSettings(0, 0);
  ASSERT_TRUE(Settle(paged.Device()));
  EXPECT_TRUE(paged.Device().IsWritePending());
  paged.Device().SetPollingOption(2);
  ASSERT_TRUE(Settle(paged.Device()));
  for (const std::uint8_t command : CommandBytes(paged.Mouse())) EXPECT_EQ(command, kQueryLink);
  // The profile has the edit; the mouse gets it once it is back.
  EXPECT_EQ(paged.StoredProfile()["SystemStages"]["ReportSelectItemUSB"].asInt(), 2);
  paged.Mouse().SetLinked(true);
  paged.Device().WriteSettings(0, 0);
  ASSERT_TRUE(Settle(paged.Device()));
  EXPECT_FALSE(paged.Device().IsWritePending());
  EXPECT_EQ(paged.Mouse().SettingsBlock(0)[11], 1);
}

TEST(MousePage, TheMousesStageButtonMovesThePageAndTheProfile) {
  PagedMouse paged;
  ASSERT_TRUE(paged.Ready());
  paged.Device().SyncFromDevice();
  ASSERT_TRUE(Settle(paged.Device()));
  ASSERT_TRUE(paged.Device().OpenNotification(FindCollectionPath(*paged.Emulator().Bus(), kCableNotification),
                                              KindCode::MouseCable));
  const int before = paged.Device().ActiveStage();
  paged.Mouse().CycleStage();
  const int after = (before + 1) % 7;
  ASSERT_TRUE(ProcessEventsUntil([&] { return paged.Device().ActiveStage() == after; }));
  EXPECT_TRUE(Control<QAbstractButton>(paged, Indexed(mc::kStageSelect, after))->isChecked());
  EXPECT_FALSE(Control<QAbstractButton>(paged, Indexed(mc::kStageSelect, before))->isChecked());
  EXPECT_EQ(paged.StoredProfile()["DPIStages"][0]["StageActive"].asInt(), after);
  // The next edit keeps the mouse's choice.
  paged.Device().SetPollingOption(2);
  ASSERT_TRUE(Settle(paged.Device()));
  EXPECT_EQ(paged.Mouse().SettingsBlock(0)[12], after);
  paged.Device().CloseNotification(KindCode::MouseCable);
}

TEST(MousePage, SettingsTabsFallBackToTheFirstAndThePagesWithTabsOfTheirOwnHaveNoOptionRow) {
  PagedMouse paged;
  ASSERT_TRUE(paged.Ready());
  auto* tabs = Control<QStackedWidget>(paged, QLatin1String(mc::kSettingsTabs));
  ASSERT_EQ(tabs->count(), 8);
  constexpr int kButtonsPage = 2;
  constexpr int kMacrosPage = 5;
  constexpr int kShootPage = 6;
  constexpr int kLightingPage = 7;
  const auto ownTab = [&](int page) {
    return page == kButtonsPage || page == kMacrosPage || page == kShootPage || page == kLightingPage;
  };
  for (const auto& [asked, shown] :
       {std::pair{4, 4}, std::pair{99, 0}, std::pair{3, 3}, std::pair{kButtonsPage, 2},
        std::pair{kMacrosPage, 5}, std::pair{kShootPage, 6}, std::pair{kLightingPage, 7}, std::pair{-1, 0}}) {
    paged.Device().SelectSettingsTab(asked);
    EXPECT_EQ(tabs->currentIndex(), shown);
    // The buttons, the macros, the shooting patterns and the lighting have function tabs of their own and
    // no option among the performance pages.
    EXPECT_EQ(Control(paged, QLatin1String(mc::kSettingsOptions))->isHidden(), ownTab(shown));
    for (int option = 0; option < tabs->count(); ++option) {
      if (ownTab(option)) continue;
      EXPECT_EQ(Control<QAbstractButton>(paged, Indexed(mc::kSettingsOption, option))->isChecked(),
                option == shown);
    }
  }
}

class NotificationRecorder final : public INotifyUI {
 public:
  std::vector<std::pair<NotifyType, QString>> received;
  void Notify(TNotifyUI& msg) override { received.emplace_back(msg.sType, msg.senderName); }
};

TEST(MousePage, TheDpiEditRaisesAClickOnALeftPress) {
  PagedMouse paged;
  ASSERT_TRUE(paged.Ready());
  auto* edit = qobject_cast<CDPIEditUI*>(Control(paged, Indexed(mc::kStageEdit, 3)));
  ASSERT_NE(edit, nullptr);
  NotificationRecorder recorder;
  CNotifyPump pump(&recorder);
  pump.Attach(paged.Page());
  const QPointF at(2, 2);
  QMouseEvent left(QEvent::MouseButtonPress, at, edit->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                   Qt::NoModifier);
  QApplication::sendEvent(edit, &left);
  const std::pair<NotifyType, QString> click{notify::kClick, Indexed(mc::kStageEdit, 3)};
  EXPECT_EQ(std::count(recorder.received.begin(), recorder.received.end(), click), 1);
  QMouseEvent right(QEvent::MouseButtonPress, at, edit->mapToGlobal(at), Qt::RightButton, Qt::RightButton,
                    Qt::NoModifier);
  QApplication::sendEvent(edit, &right);
  EXPECT_EQ(std::count(recorder.received.begin(), recorder.received.end(), click), 1);
}

TEST(MousePage, TheDesktopsOwnSettingsToolIsFoundInOrder) {
  struct Case {
    std::vector<QString> installed;
    DesktopSettingsPage page;
    std::optional<QString> program;
    QStringList arguments;
  };
  const std::array<Case, 5> cases{{
      {{"gnome-control-center", "systemsettings"},
       DesktopSettingsPage::kMouse,
       "gnome-control-center",
       {"mouse"}},
      {{"systemsettings"}, DesktopSettingsPage::kKeyboard, "systemsettings", {"kcm_keyboard"}},
      {{"xfce4-mouse-settings", "xfce4-keyboard-settings"},
       DesktopSettingsPage::kMouse,
       "xfce4-mouse-settings",
       {}},
      {{"xfce4-mouse-settings"}, DesktopSettingsPage::kKeyboard, std::nullopt, {}},
      {{}, DesktopSettingsPage::kMouse, std::nullopt, {}},
  }};
  for (const Case& c : cases) {
    const auto found = FindDesktopSettings(c.page, [&](const QString& name) {
      return std::find(c.installed.begin(), c.installed.end(), name) != c.installed.end()
                 ? QStringLiteral("/usr/bin/") + name
                 : QString();
    });
    ASSERT_EQ(found.has_value(), c.program.has_value());
    if (!found) continue;
    EXPECT_EQ(found->program, QStringLiteral("/usr/bin/") + *c.program);
    EXPECT_EQ(found->arguments, c.arguments);
  }
}

TEST(MouseDemo, DemoOptionsChooseTheVariantAndOldFirmware) {
  struct Case {
    const char* text;
    bool valid;
    const char* product;
    std::uint16_t sensor;
    std::uint16_t version;
  };
  constexpr std::array<Case, 9> cases{{
      {"mouse", true, "mouse", 0x3395, 0x0109},
      {"mouse:3104", true, "mouse", 0x3104, 0x0109},
      {"mouse-receiver:3950", true, "mouse-receiver", 0x3950, 0x0109},
      {"mouse:3395:old", true, "mouse", 0x3395, 0x0108},
      {"mouse:old", true, "mouse", 0x3395, 0x0108},
      {"", false, "", 0, 0},
      {":3104", false, "", 0, 0},
      {"mouse:31g4", false, "", 0, 0},
      {"mouse:3104:3950", false, "", 0, 0},
  }};
  for (const Case& c : cases) {
    const auto parsed = emulator::ParseDemoDevice(c.text);
    ASSERT_EQ(parsed.has_value(), c.valid) << c.text;
    if (!parsed) continue;
    EXPECT_EQ(parsed->product, c.product);
    EXPECT_EQ(parsed->mouse.sensorCode, c.sensor) << c.text;
    EXPECT_EQ(parsed->mouse.firmwareVersion, c.version) << c.text;
  }

  // The old firmware brings the upgrade prompt, once.
  PagedMouse paged(Link::Cable, emulator::ParseDemoDevice("mouse:3395:old")->mouse);
  ASSERT_TRUE(paged.Ready());
  paged.Device().SyncFromDevice();
  ASSERT_TRUE(Settle(paged.Device()));
  paged.Device().SyncFromDevice();
  ASSERT_TRUE(Settle(paged.Device()));
  const auto prompts =
      std::count(paged.Messages().begin(), paged.Messages().end(),
                 WindowMessage{device_message::kUpgradePrompt, 0x226E, emulator::kDemoOldFirmwareVersion});
  EXPECT_EQ(prompts, 1);
}

// The light list beside the profiles names one custom effect: a steady blue.
TEST(MousePage, CustomModesPlayTheLightListsEffectsAndTheLogoNamesTheMode) {
  PagedMouse paged;
  ASSERT_TRUE(paged.Ready());
  const std::string folder = DeviceDataFolder("mouse");
  ASSERT_TRUE(WriteJsonFile(folder + "zorva_light.config", [] {
    Json::Value list;
    list["LightInfo"][0][0]["LightName"] = "Deep <blue>";
    list["LightInfo"][0][0]["Guid"] = "2026_12_11_10_00_00_000";
    return list;
  }()));
  ASSERT_TRUE(WriteJsonFile(folder + "2026_12_11_10_00_00_000.light", [] {
    Json::Value effect;
    Json::Value& step = effect["LEDEffectList"][0];
    step["LEDREGMode"] = 1;
    step["LEDBrightness"] = 4;
    step["LEDSpeed"] = 4;
    step["blue"] = 255;
    step["Time"] = 60000;
    return effect;
  }()));
  paged.Device().SyncFromDevice();
  ASSERT_TRUE(Settle(paged.Device()));

  const CResourceManager& texts = CResourceManager::Instance();
  const auto* logo = FindControl(paged.Page(), QStringLiteral("logo"));
  ASSERT_NE(logo, nullptr);
  // Nothing of the card lies over the logo: a click on the picture reaches it.
  paged.Page()->resize(1000, 700);
  paged.Page()->show();
  EXPECT_EQ(QApplication::widgetAt(logo->mapToGlobal(logo->rect().center())), logo);
  struct Case {
    std::uint8_t mode;
    QString name;
  };
  const std::array<Case, 4> cases{{
      {2, texts.Text(QStringLiteral("light_mode_breathing"))},
      {12, QStringLiteral("Deep <blue>")},  // custom entry 0, shown as it is
      {13, QString()},                      // no entry 1
      {70, QString()},
  }};
  for (const Case& c : cases) {
    paged.Device().EditLight({.selectItem = c.mode, .light = 4, .speed = 4});
    ASSERT_TRUE(Settle(paged.Device()));
    const QString expected =
        texts.Text(QStringLiteral("Overall_Light_Set")).toHtmlEscaped() + c.name.toHtmlEscaped();
    EXPECT_TRUE(logo->toolTip().endsWith(expected)) << c.mode << " " << logo->toolTip().toStdString();
    EXPECT_TRUE(logo->toolTip().startsWith(QStringLiteral("<b>Logo</b><br>") +
                                           texts.Text(QStringLiteral("Light_Set"))));
  }

  // The mode of entry 0 draws its effect.
  paged.Device().EditLight({.selectItem = 12, .light = 4, .speed = 4});
  paged.Device().StartLighting();
  EXPECT_TRUE(ProcessEventsUntil([&] {
    return paged.Device().GetLightFrame()[14] == LedEntry{0, 0, 255, 255};
  }));
}

}  // namespace
}  // namespace nimbel
