// The mouse's settings in the running program: edits on the page reach the emulated mouse and the
// profile, profiles switch, import and export, the palette sets a stage colour, and the mouse's own
// DPI button moves the page's active stage.

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <array>
#include <optional>
#include <string>

#include "devices/mouse_settings.h"
#include "editors/colour_option_file.h"
#include "editors/device_profile_ui.h"
#include "emulator/demo_device.h"
#include "profiles/mouse_profile.h"
#include "tests/app/app_fixture.h"
#include "tests/app/mouse_state.h"
#include "ui/resource_manager.h"

namespace nimbel {
namespace {

using test::kWaitMs;
using test::WroteMemory;

constexpr std::size_t kSlot = 0;
constexpr int kEditedStage = 2;

// Whether the mouse received a settings write since its requests were cleared.
// The profile bar's questions answered yes, its file dialogs answered with fixed paths.
ProfileDialogs Answering(QString importPath, QString exportPath) {
  return {
      [](QWidget*, const ProfileMessage&) { return true; },
      [importPath](QWidget*) { return importPath; },
      [exportPath](QWidget*, const QString&) { return exportPath; },
  };
}

class MouseSettingsTest : public test::AppTest {
 protected:
  // Starts the program with one mouse product plugged, or with the mouse's memory as a restart finds it.
  void StartWithMouse(std::uint16_t sensorCode, const std::vector<std::uint8_t>& keptBlock = {},
                      std::uint16_t firmwareVersion = emulator::MouseOptions{}.firmwareVersion) {
    emulator::MouseOptions options;
    options.sensorCode = sensorCode;
    options.firmwareVersion = firmwareVersion;
    Start(std::vector<DemoPlug>{});
    Demo().Plug(product_, options);
    // The mouse is read on this thread's event loop, so memory written now is what it finds.
    if (!keptBlock.empty()) {
      ASSERT_TRUE(EmulatedMouse().Write(emulator::MouseMemory::Onboard, 0, keptBlock));
    }
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return Mouse() != nullptr && Mouse()->Channel().IsOpen() && Mouse()->Variant(); }, kWaitMs));
    // The settings record follows the device information on the mouse's worker.
    ASSERT_TRUE(Settled());
  }

  // Lets the mouse's worker finish what the user's action queued and its results reach the page.
  bool Settled() const { return test::SettledMouse(*Mouse()); }

  // The device object of the plugged product: the second mouse has the second tab.
  CVelquorMouseDevice* Mouse() const {
    const int tab = product_ == DemoProduct::Mouse2Receiver ? test::kFirstMouseTab + 1 : test::kFirstMouseTab;
    CDeviceOptionUI* item = Window().Selector()->Tab(tab);
    return item != nullptr ? dynamic_cast<CVelquorMouseDevice*>(item->Device()) : nullptr;
  }

  DemoProduct product_ = DemoProduct::MouseCable;

  emulator::EmulatedMouse& EmulatedMouse() const { return *Demo().MouseOf(product_); }
  std::vector<std::uint8_t> OnboardMemory() const {
    return *EmulatedMouse().Read(emulator::MouseMemory::Onboard, 0,
                                 emulator::MouseFirmware::kSlotCount * kMouseSlotStride);
  }
  DpiStage MouseStage(int stage) const { return test::MouseStageOf(EmulatedMouse(), kSlot, stage); }
  std::uint8_t MouseByte(std::size_t offset) const { return EmulatedMouse().SettingsBlock(kSlot).at(offset); }

  // The selected profile as stored on disk.
  CMouseProfiledata StoredProfile() const { return test::StoredProfileOf(*Mouse()); }
  DpiStage StoredStage(int stage) const {
    return StoredProfile().GetDpiStages(Mouse()->Variant()->index).at(static_cast<std::size_t>(stage));
  }

  template <typename T = QWidget>
  T* Control(const QString& name) const {
    return FindControl<T>(Mouse()->Page(), name);
  }
  template <typename T = QWidget>
  T* Indexed(const char* prefix, int index) const {
    return Control<T>(QString::fromLatin1(prefix) + QString::number(index));
  }
  CDeviceProfileUI* Bar() const { return dynamic_cast<CDeviceProfileUI*>(Mouse()->ProfileList()); }
  QComboBox* ProfileCombo() const { return Control<QComboBox>(QStringLiteral("device_profile_combo")); }
  void Click(const char* name) const {
    auto* button = Control<QAbstractButton>(QString::fromLatin1(name));
    ASSERT_NE(button, nullptr) << name;
    button->click();
    ASSERT_TRUE(Settled());
  }
  // The user picks entry `index` of the profile drop-down.
  void PickProfile(int index) const {
    ProfileCombo()->setCurrentIndex(index);
    Q_EMIT ProfileCombo()->activated(index);
  }
  // Releasing the slider at `value`, as the user does at the end of a drag.
  void SetSlider(QSlider* slider, int value) const {
    slider->setSliderDown(true);
    slider->setValue(value);
    slider->setSliderDown(false);
    EXPECT_TRUE(Settled());
  }
  // A slider value in the variant's range that is none of the stage's current ones.
  int FreshSliderValue(const QSlider& slider) const {
    const int value = slider.minimum() + (slider.maximum() - slider.minimum()) / 3;
    return value != slider.value() ? value : value + 1;
  }
};

struct MouseCase {
  DemoProduct product;
  std::uint16_t sensorCode;
};

class MouseProductTest : public MouseSettingsTest, public testing::WithParamInterface<MouseCase> {
 protected:
  void SetUp() override {
    MouseSettingsTest::SetUp();
    product_ = GetParam().product;
  }
};

TEST_P(MouseProductTest, PageEditsReachTheMouseAndTheProfileAndSurviveARestart) {
  ASSERT_NO_FATAL_FAILURE(StartWithMouse(GetParam().sensorCode));
  auto* slider = Indexed<QSlider>("DPI_slider_", kEditedStage);
  ASSERT_NE(slider, nullptr);
  const int dpiValue = FreshSliderValue(*slider);
  SetSlider(slider, dpiValue);
  EXPECT_EQ(MouseStage(kEditedStage).dpiX, dpiValue);
  EXPECT_EQ(StoredStage(kEditedStage).dpiX, dpiValue);

  // A stage that is neither active nor the last in the cycle leaves the cycle.
  const int leaving = kEditedStage + 1;
  auto* enable = Indexed<QAbstractButton>("DPI_enable_check_", leaving);
  ASSERT_NE(enable, nullptr);
  ASSERT_TRUE(enable->isChecked());
  enable->click();
  ASSERT_TRUE(Settled());
  EXPECT_EQ(MouseStage(leaving).enabled, 0);
  EXPECT_EQ(StoredStage(leaving).enabled, 0);

  // A polling rate that is not the current one.
  int polling = 0;
  while (Indexed<QAbstractButton>("polling_rate_option_", polling)->isChecked()) ++polling;
  const std::uint8_t pollingBefore = MouseByte(settings_byte::kPollingCode);
  Indexed<QAbstractButton>("polling_rate_option_", polling)->click();
  ASSERT_TRUE(Settled());
  EXPECT_NE(MouseByte(settings_byte::kPollingCode), pollingBefore);
  EXPECT_EQ(StoredProfile().GetSystemSettings().reportRate, polling);

  // Applying the selected profile again writes what the mouse already holds.
  constexpr std::array kSystemBytes{settings_byte::kPollingCode, settings_byte::kSilentAltitude,
                                    settings_byte::kMotionSync, settings_byte::kLinearCalibration};
  std::vector<std::uint8_t> before;
  for (const std::size_t offset : kSystemBytes) before.push_back(MouseByte(offset));
  EmulatedMouse().ClearRequests();
  PickProfile(ProfileCombo()->currentIndex());
  ASSERT_TRUE(QTest::qWaitFor([&] { return WroteMemory(EmulatedMouse()); }, kWaitMs));
  std::vector<std::uint8_t> after;
  for (const std::size_t offset : kSystemBytes) after.push_back(MouseByte(offset));
  EXPECT_EQ(after, before);

  // The mouse keeps its memory over the restart; the profile stays in the same data folder.
  const std::vector<std::uint8_t> kept = OnboardMemory();
  app_.reset();
  ASSERT_NO_FATAL_FAILURE(StartWithMouse(GetParam().sensorCode, kept));
  EXPECT_EQ(Indexed<QSlider>("DPI_slider_", kEditedStage)->value(), dpiValue);
  EXPECT_FALSE(Indexed<QAbstractButton>("DPI_enable_check_", leaving)->isChecked());
  EXPECT_TRUE(Indexed<QAbstractButton>("polling_rate_option_", polling)->isChecked());
  EXPECT_EQ(StoredStage(kEditedStage).dpiX, dpiValue);
  EXPECT_EQ(ProfileCombo()->currentText(), QStringLiteral("Profile1"));
}

INSTANTIATE_TEST_SUITE_P(Products, MouseProductTest,
                         testing::Values(MouseCase{DemoProduct::MouseCable, 0x3395},
                                         MouseCase{DemoProduct::MouseCable, 0x3950},
                                         MouseCase{DemoProduct::MouseCable, 0x3104},
                                         MouseCase{DemoProduct::MouseReceiver, 0x3395},
                                         MouseCase{DemoProduct::Mouse2Receiver, 0x3950}));

TEST_F(MouseSettingsTest, ProfileSwitchAppliesTheOtherProfilesStagesAfterThePause) {
  ASSERT_NO_FATAL_FAILURE(StartWithMouse(0x3395));
  Bar()->SetDialogs(Answering({}, {}));
  Click("device_add_btn");
  ASSERT_EQ(ProfileCombo()->count(), 2);
  auto* slider = Indexed<QSlider>("DPI_slider_", kEditedStage);
  const int edited = FreshSliderValue(*slider);
  SetSlider(slider, edited);
  ASSERT_EQ(MouseStage(kEditedStage).dpiX, edited);

  PickProfile(1);
  // Nothing is applied until the pause after the selection is over.
  EXPECT_EQ(MouseStage(kEditedStage).dpiX, edited);
  ASSERT_TRUE(QTest::qWaitFor([&] { return MouseStage(kEditedStage).dpiX != edited; }, kWaitMs));
  EXPECT_EQ(MouseStage(kEditedStage), StoredStage(kEditedStage));
  EXPECT_EQ(slider->value(), MouseStage(kEditedStage).dpiX);

  PickProfile(0);
  EXPECT_TRUE(QTest::qWaitFor([&] { return MouseStage(kEditedStage).dpiX == edited; }, kWaitMs));
  EXPECT_EQ(slider->value(), edited);
}

TEST_F(MouseSettingsTest, ExportedProfileImportsAsANewSelectedProfile) {
  ASSERT_NO_FATAL_FAILURE(StartWithMouse(0x3395));
  const QString file = dataHome_.filePath(QStringLiteral("Tuned.json"));
  Bar()->SetDialogs(Answering(file, file));
  auto* slider = Indexed<QSlider>("DPI_slider_", kEditedStage);
  const int exported = FreshSliderValue(*slider);
  SetSlider(slider, exported);
  Click("device_export_btn");
  ASSERT_TRUE(QFile::exists(file));

  SetSlider(slider, exported + 1);
  ASSERT_EQ(MouseStage(kEditedStage).dpiX, exported + 1);
  Click("device_import_btn");
  EXPECT_EQ(ProfileCombo()->count(), 2);
  EXPECT_EQ(ProfileCombo()->currentText(), QStringLiteral("Tuned"));
  EXPECT_EQ(MouseStage(kEditedStage).dpiX, exported);
  EXPECT_EQ(slider->value(), exported);
  EXPECT_EQ(StoredStage(kEditedStage).dpiX, exported);
}

TEST_F(MouseSettingsTest, PaletteSetsTheStageColour) {
  ASSERT_NO_FATAL_FAILURE(StartWithMouse(0x3395));
  const QColor chosen(0x12, 0xAB, 0x34);
  bool answered = false;
  // The dialog runs modally from the click; the timer answers it from inside that run.
  QTimer answer;
  QObject::connect(&answer, &QTimer::timeout, [&] {
    QWidget* dialog = QApplication::activeModalWidget();
    if (dialog == nullptr) return;
    auto* hex = FindControl<QLineEdit>(dialog, QStringLiteral("color_edit_hex"));
    auto* ok = FindControl<QAbstractButton>(dialog, QStringLiteral("okbtn"));
    if (hex == nullptr || ok == nullptr) return;
    hex->selectAll();
    QTest::keyClicks(hex, chosen.name().mid(1).toUpper());
    ok->click();
    answered = true;
    answer.stop();
  });
  answer.start(50);
  Click("DPI_color_option_3");
  ASSERT_TRUE(answered);
  const DpiStage stage = MouseStage(3);
  EXPECT_EQ(QColor(stage.red, stage.green, stage.blue), chosen);
  EXPECT_EQ(StoredStage(3), stage);
  EXPECT_EQ(Mouse()->GetStageColour(3), chosen);
}

// How the current mouse's tab goes while its page has the palette open.
struct TabGoing {
  const char* what;
  DemoProduct plugged;
  void (*away)(DemoDevices& demo);
};

class PaletteClosingTest : public MouseSettingsTest, public testing::WithParamInterface<TabGoing> {};

TEST_P(PaletteClosingTest, ThePaletteClosesWhenTheMousesTabGoes) {
  product_ = GetParam().plugged;
  ASSERT_NO_FATAL_FAILURE(StartWithMouse(0x3395));
  bool tabWent = false;
  bool leftOpen = false;
  QTimer act;
  QObject::connect(&act, &QTimer::timeout, [&] {
    if (tabWent || QApplication::activeModalWidget() == nullptr) return;
    GetParam().away(Demo());
    tabWent = true;
  });
  // Only a bound for a palette that stays open: the test fails then, rather than waiting for ever.
  QTimer bound;
  bound.setSingleShot(true);
  QObject::connect(&bound, &QTimer::timeout, [&] {
    if (QWidget* dialog = QApplication::activeModalWidget()) {
      leftOpen = true;
      dialog->close();
    }
  });
  act.start(50);
  bound.start(kWaitMs);
  // Returns once the palette's modal run has ended.
  Click("DPI_color_option_3");
  EXPECT_TRUE(tabWent);
  EXPECT_FALSE(leftOpen);
}

INSTANTIATE_TEST_SUITE_P(
    TabGoings, PaletteClosingTest,
    testing::Values(TabGoing{"unplug", DemoProduct::MouseCable,
                             [](DemoDevices& demo) { demo.Unplug(DemoProduct::MouseCable); }},
                    TabGoing{"link_off", DemoProduct::MouseReceiver,
                             [](DemoDevices& demo) { demo.SetLinked(DemoProduct::MouseReceiver, false); }},
                    TabGoing{"path_switch", DemoProduct::MouseReceiver,
                             [](DemoDevices& demo) { demo.Plug(DemoProduct::MouseCable); }}),
    [](const testing::TestParamInfo<TabGoing>& going) { return std::string(going.param.what); });

TEST_F(MouseSettingsTest, ThePageSaysWhichOnboardSlotTheMouseUsesUntilTheNextChange) {
  ASSERT_NO_FATAL_FAILURE(StartWithMouse(0x3395));
  auto* notice = Control<QLabel>(QStringLiteral("mouse_onboard_slot_label"));
  ASSERT_NE(notice, nullptr);
  EXPECT_TRUE(notice->isHidden());
  Demo().PressSlotButton(product_);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !notice->isHidden(); }, kWaitMs));
  EXPECT_NE(Mouse()->OnboardSlot(), 0);
  EXPECT_TRUE(notice->text().contains(QString::number(Mouse()->OnboardSlot())));

  // Every change writes the program's slot 0, which takes the mouse back to it.
  int polling = 0;
  while (Indexed<QAbstractButton>("polling_rate_option_", polling)->isChecked()) ++polling;
  Indexed<QAbstractButton>("polling_rate_option_", polling)->click();
  ASSERT_TRUE(Settled());
  EXPECT_EQ(EmulatedMouse().CurrentSlot(), 0);
  EXPECT_TRUE(notice->isHidden());
}

TEST_F(MouseSettingsTest, SelectingAStageOpensNoPalette) {
  ASSERT_NO_FATAL_FAILURE(StartWithMouse(0x3395));
  bool dialogSeen = false;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (QWidget* dialog = QApplication::activeModalWidget()) {
      dialogSeen = true;
      dialog->close();
    }
  });
  watch.start(20);
  const int stage = (Mouse()->ActiveStage() + 1) % 2;
  Indexed<QAbstractButton>("DPI_select_check_", stage)->click();
  ASSERT_TRUE(Settled());
  QTest::qWait(100);
  EXPECT_FALSE(dialogSeen);
  EXPECT_EQ(Mouse()->ActiveStage(), stage);
  EXPECT_EQ(MouseByte(settings_byte::kActiveStage), stage);
}

TEST_F(MouseSettingsTest, ResetAfterConfirmationForgetsThePalettesColours) {
  ASSERT_NO_FATAL_FAILURE(StartWithMouse(0x3395));
  ASSERT_TRUE(SaveColourOptions(LoadColourOptions()));
  ASSERT_TRUE(QFile::exists(QString::fromStdString(ColourOptionFile())));
  bool confirm = false;
  Bar()->SetDialogs({[&](QWidget*, const ProfileMessage&) { return confirm; }, {}, {}});
  auto* slider = Indexed<QSlider>("DPI_slider_", kEditedStage);
  const int factory = slider->value();
  SetSlider(slider, FreshSliderValue(*slider));

  Click("device_reset_btn");
  EXPECT_TRUE(QFile::exists(QString::fromStdString(ColourOptionFile()))) << "cancelled: nothing changes";
  EXPECT_NE(slider->value(), factory);

  confirm = true;
  Click("device_reset_btn");
  EXPECT_FALSE(QFile::exists(QString::fromStdString(ColourOptionFile())));
  EXPECT_EQ(StoredStage(kEditedStage), MouseStage(kEditedStage));
  EXPECT_EQ(slider->value(), MouseStage(kEditedStage).dpiX);
}

TEST_F(MouseSettingsTest, TheMousesDpiButtonMovesTheActiveStageOnThePage) {
  ASSERT_NO_FATAL_FAILURE(StartWithMouse(0x3395));
  const int before = Mouse()->ActiveStage();
  Demo().PressDpiButton(DemoProduct::MouseCable);
  ASSERT_TRUE(QTest::qWaitFor([&] { return Mouse()->ActiveStage() != before; }, kWaitMs));
  const int now = Mouse()->ActiveStage();
  EXPECT_EQ(Mouse()->ReportedStage(), now);
  EXPECT_TRUE(Indexed<QAbstractButton>("DPI_select_check_", now)->isChecked());
  EXPECT_FALSE(Indexed<QAbstractButton>("DPI_select_check_", before)->isChecked());
  EXPECT_EQ(StoredProfile().GetDpiStages(Mouse()->Variant()->index).size(), Mouse()->Stages().size());
}

TEST_F(MouseSettingsTest, FunctionTabsAndSubPagesFollowEachOther) {
  ASSERT_NO_FATAL_FAILURE(StartWithMouse(0x3395));
  auto* pages = Control<QStackedWidget>(QStringLiteral("mouse_device_seting_layout"));
  auto* cursorTab = Window().findChild<QAbstractButton*>(QStringLiteral("cursor_Op_tab"));
  auto* performanceTab = Window().findChild<QAbstractButton*>(QStringLiteral("performance_Op_tab"));
  ASSERT_TRUE(pages != nullptr && cursorTab != nullptr && performanceTab != nullptr);
  struct Step {
    QAbstractButton* clicked;
    const char* page;
    QAbstractButton* markedTab;
  };
  const Step kSteps[] = {
      {cursorTab, "mouse_cursor_page", cursorTab},
      {performanceTab, "mouse_dpi_page", performanceTab},
      {Indexed<QAbstractButton>("mouse_device_seting_option_", 4), "mouse_cursor_page", cursorTab},
      // The sensor page belongs to performance; marking that tab does not take the page back to DPI.
      {Indexed<QAbstractButton>("mouse_device_seting_option_", 3), "mouse_sensor_page", performanceTab},
  };
  for (const Step& step : kSteps) {
    SCOPED_TRACE(step.page);
    step.clicked->click();
    EXPECT_EQ(pages->currentWidget()->objectName(), QLatin1String(step.page));
    EXPECT_TRUE(step.markedTab->isChecked());
  }
}

TEST_F(MouseSettingsTest, OldFirmwareOffersTheUpgrade) {
  QString boxText;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (QWidget* box = QApplication::activeModalWidget()) {
      for (const QLabel* label : box->findChildren<QLabel*>()) boxText += label->text();
      box->close();
    }
  });
  watch.start(20);
  ASSERT_NO_FATAL_FAILURE(StartWithMouse(0x3395, {}, emulator::kDemoOldFirmwareVersion));
  EXPECT_TRUE(Mouse()->UpgradePrompted());
  EXPECT_TRUE(QTest::qWaitFor([&] { return !boxText.isEmpty(); }, kWaitMs));
  EXPECT_TRUE(boxText.contains(CResourceManager::Instance().Text(QStringLiteral("message_text_30"))));
}

}  // namespace
}  // namespace nimbel
