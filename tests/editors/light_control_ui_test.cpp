#include "editors/light_control_ui.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QComboBox>
#include <QLineEdit>
#include <QStackedWidget>
#include <QTest>
#include <array>

#include "devices/mouse_settings.h"
#include "editors/colour_option_ui.h"
#include "editors/colour_palette_ui.h"
#include "tests/devices/mouse_binding.h"
#include "tests/devices/mouse_page_fixture.h"
#include "ui/control_factory.h"

namespace nimbel {
namespace {

using devices_test::Link;
using devices_test::PagedMouse;
using devices_test::Settle;
namespace lc = light_control;

// The mouse page as the main window builds it (its real skin, with the lighting panel in it) and the
// panel that the main window routes the page's notifications to.
class LightControlUiTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    static constexpr std::array<ControlClass, 3> kPanel{{
        {CLightControlUI::kContainerClass, nullptr, CLightControlUI::kSkinFile},
        {CColorPaletteUI::kClassName, &MakeControl<CColorPaletteUI>},
        {CColorOptionUI::kClassName, &MakeControl<CColorOptionUI>},
    }};
    RegistControls(kPanel);
  }

  void SetUp() override {
    ASSERT_TRUE(paged_.Ready());
    paged_.Device().SyncFromDevice();
    ASSERT_TRUE(Settle(paged_.Device()));
    panel_.Bind(paged_.Device().LightPresetLists());
  }

  template <typename T = QWidget>
  T* Control(const QString& name) {
    return dynamic_cast<T*>(FindControl(paged_.Page(), name));
  }
  template <typename T = QWidget>
  T* Control(const char* name) {
    return Control<T>(QLatin1String(name));
  }
  bool Notify(NotifyType type, const QString& sender, std::intptr_t wParam = 0) {
    TNotifyUI msg{type, sender, FindControl(paged_.Page(), sender), wParam, 0};
    const bool handled = panel_.HandleNotification(msg);
    Settle(paged_.Device());
    return handled;
  }
  bool Notify(NotifyType type, const char* sender, std::intptr_t wParam = 0) {
    return Notify(type, QLatin1String(sender), wParam);
  }
  void ChooseMode(int index) {
    auto* list = Control<QComboBox>(lc::kModeList);
    list->setCurrentIndex(list->findData(index));
    Notify(notify::kItemSelect, lc::kModeList, list->currentIndex());
  }
  LightInfo Stored() { return paged_.Device().GetLightInfo(); }
  // Bytes 1 to 8 of the mouse's settings record in slot 0: mode code, brightness, speed, direction,
  // multicolour, red, green, blue.
  std::vector<std::uint8_t> OnMouse() {
    return paged_.Mouse()
        .Read(emulator::MouseMemory::Onboard, settings_byte::kLightMode, 8)
        .value_or(std::vector<std::uint8_t>{});
  }

  PagedMouse paged_{Link::Cable};
  CLightControlUI panel_{
      [this] { return paged_.Page(); },
      {.kind = KindCode::MouseCable,
       .lightInfo = [this] { return paged_.Device().GetLightInfo(); },
       .storeAndWrite = [this](const LightInfo& info) { paged_.Device().EditLight(info); }}};
};

TEST_F(LightControlUiTest, EveryEditReachesTheProfileAndTheMousesSettingsRecord) {
  ChooseMode(3);
  Notify(notify::kValueChanged, lc::kBrightnessSlider, 2);
  Notify(notify::kValueChanged, lc::kSpeedSlider, 1);
  Control<QAbstractButton>(lc::kDirectionRight)->setChecked(true);
  Notify(notify::kSelectChanged, lc::kDirectionRight, 1);
  // A second click on the chosen side unchecks the button; the side stays chosen.
  Control<QAbstractButton>(lc::kDirectionRight)->setChecked(false);
  Notify(notify::kSelectChanged, lc::kDirectionRight, 0);
  EXPECT_TRUE(Control<QAbstractButton>(lc::kDirectionRight)->isChecked());
  EXPECT_FALSE(Control<QAbstractButton>(lc::kDirectionLeft)->isChecked());
  Control<QLineEdit>(lc::kGreenEdit)->setText(QStringLiteral("300"));
  Notify(notify::kKillFocus, lc::kGreenEdit);
  Control<QLineEdit>(lc::kRedEdit)->setText(QStringLiteral("-7"));
  Notify(notify::kKillFocus, lc::kRedEdit);
  Control<QLineEdit>(lc::kBlueEdit)->setText(QStringLiteral("17"));
  Notify(notify::kKillFocus, lc::kBlueEdit);

  const LightInfo stored = Stored();
  EXPECT_EQ(stored.selectItem, 3);
  EXPECT_EQ(stored.light, 2);
  EXPECT_EQ(stored.speed, 1);
  EXPECT_EQ(stored.fx, 0);
  EXPECT_EQ(stored.multiColour, 0);
  EXPECT_EQ((std::array{stored.red, stored.green, stored.blue}), (std::array<std::uint8_t, 3>{0, 255, 17}));
  EXPECT_EQ(Control<QLineEdit>(lc::kGreenEdit)->text(), QStringLiteral("255"));
  EXPECT_EQ(Control<QLineEdit>(lc::kRedEdit)->text(), QStringLiteral("0"));
  // The mouse stores 4 - speed.
  EXPECT_EQ(OnMouse(), (std::vector<std::uint8_t>{3, 2, 3, 0, 0, 0, 255, 17}));
  EXPECT_EQ(paged_.StoredProfile()["LightInfo"]["Green"].asInt(), 255);
}

TEST_F(LightControlUiTest, ASliderDragWritesOnceWhenItIsLetGo) {
  const auto writes = [this] {
    const std::vector<std::uint8_t> commands = devices_test::CommandBytes(paged_.Mouse());
    return std::count(commands.begin(), commands.end(), ToByte(CommandCode::WriteMemory));
  };
  paged_.Mouse().ClearRequests();
  for (int level = 0; level <= 4; ++level) Notify(notify::kMoveValueChanged, lc::kBrightnessSlider, level);
  EXPECT_EQ(writes(), 0);
  Notify(notify::kValueChanged, lc::kBrightnessSlider, 1);
  EXPECT_GT(writes(), 0);
  const auto afterRelease = writes();
  EXPECT_EQ(Stored().light, 1);
  // One write of the record: a second release writes it once more, not once per step.
  Notify(notify::kValueChanged, lc::kBrightnessSlider, 3);
  EXPECT_EQ(writes(), 2 * afterRelease);
}

TEST_F(LightControlUiTest, EachModeShowsTheGroupsItUsesAndSoundLightingIsNotOffered) {
  const auto enabled = [this](const char* group) { return Control(group)->isEnabled(); };
  ChooseMode(10);  // off
  for (const char* group : {lc::kColourGroup, lc::kPaletteGroup, lc::kBrightnessGroup, lc::kSpeedGroup,
                            lc::kDirectionGroup, lc::kMultiColour})
    EXPECT_FALSE(enabled(group)) << group;
  ChooseMode(0);  // wave
  for (const char* group : {lc::kColourGroup, lc::kPaletteGroup, lc::kBrightnessGroup, lc::kSpeedGroup,
                            lc::kDirectionGroup, lc::kMultiColour})
    EXPECT_TRUE(enabled(group)) << group;
  EXPECT_EQ(Control<QAbstractButton>(lc::kDirectionLeft)->property("textId").toString(),
            QStringLiteral("light_set_down_to_up_text"));
  // The mode list offers what the factory list shows, less the music mode that needs the sound link; the
  // keyboard's End goes to the last mode offered.
  auto* list = Control<QComboBox>(lc::kModeList);
  std::vector<int> offered;
  for (int row = 0; row < list->count(); ++row) offered.push_back(list->itemData(row).toInt());
  EXPECT_EQ(offered, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 10}));
  list->setFocus();
  QTest::keyClick(list, Qt::Key_End);
  EXPECT_EQ(list->currentData().toInt(), 10);
  // A mode not offered (a stale event) is refused and the stored one shown again.
  ChooseMode(2);
  ChooseMode(11);
  EXPECT_EQ(Stored().selectItem, 2);
  EXPECT_EQ(panel_.GetSelectedMode(), 2);
  // Every offered mode reaches the mouse as its code from the factory light file.
  const std::vector<LightModeEntry> modes = paged_.Device().LightPresetLists().modes;
  for (const int i : offered) {
    ChooseMode(i);
    EXPECT_EQ(Stored().selectItem, i);
    EXPECT_EQ(OnMouse().front(), modes[static_cast<std::size_t>(i)].code) << i;
  }
}

TEST_F(LightControlUiTest, AModeBeyondTheListSelectsNothingAndWritesTheStoredMode) {
  ChooseMode(2);
  LightInfo foreign = Stored();
  foreign.selectItem = 200;
  panel_.ShowLightInfo(foreign);
  EXPECT_EQ(panel_.GetSelectedMode(), -1);
  EXPECT_FALSE(Control(lc::kColourGroup)->isEnabled());
  // Nothing was chosen: the record and the mouse keep the breathing mode.
  Notify(notify::kItemSelect, lc::kModeList, -1);
  EXPECT_EQ(Stored().selectItem, 2);
  EXPECT_EQ(OnMouse().front(), 2);
}

TEST_F(LightControlUiTest, ASwatchOrThePaletteSetsTheColourAndEndsTheColourWheel) {
  ChooseMode(0);
  Control<QAbstractButton>(lc::kMultiColour)->setChecked(true);
  Notify(notify::kSelectChanged, lc::kMultiColour, 1);
  ASSERT_EQ(Stored().multiColour, 1);

  Notify(notify::kClick, QStringLiteral("color_option_3"));
  const QRgb swatch = *Control<CColorOptionUI>("color_option_3")->Swatch();
  EXPECT_EQ(qRgb(Stored().red, Stored().green, Stored().blue), swatch | 0xFF000000u);
  EXPECT_EQ(Stored().multiColour, 0);
  EXPECT_FALSE(Control<QAbstractButton>(lc::kMultiColour)->isChecked());
  EXPECT_EQ(Control<QLineEdit>(lc::kGreenEdit)->text(), QString::number(qGreen(swatch)));

  auto* palette = Control<CColorPaletteUI>(lc::kPalette);
  palette->SelectColour(QColor(10, 20, 200));
  const QRgb picked = palette->Colour().rgb();
  Notify(notify::kMoveColorChanged, lc::kPalette);
  EXPECT_EQ(qRgb(Stored().red, Stored().green, Stored().blue), swatch | 0xFF000000u) << "not while dragging";
  Notify(notify::kColorChanged, lc::kPalette);
  EXPECT_EQ(qRgb(Stored().red, Stored().green, Stored().blue), picked);
  EXPECT_EQ(*Control<CColorOptionUI>(lc::kColourDisplay)->Swatch(), picked | 0xFF000000u);
}

TEST_F(LightControlUiTest, ASkinWithoutAControlLeavesThePanelInert) {
  delete Control(lc::kSpeedSlider);
  panel_.Bind(paged_.Device().LightPresetLists());
  const LightInfo before = Stored();
  Control<QComboBox>(lc::kModeList)->setCurrentIndex(4);
  EXPECT_FALSE(Notify(notify::kItemSelect, lc::kModeList, 4));
  EXPECT_EQ(Stored(), before);
}

}  // namespace
}  // namespace nimbel
