#include "editors/light_control_ui.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QComboBox>
#include <QLineEdit>
#include <QStackedWidget>
#include <QTest>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "devices/mouse_settings.h"
#include "editors/colour_option_ui.h"
#include "editors/colour_palette_ui.h"
#include "platform/folders.h"
#include "platform/trace.h"
#include "tests/devices/mouse_binding.h"
#include "tests/devices/mouse_page_fixture.h"
#include "ui/control_factory.h"

namespace nimbel {
namespace {

using devices_test::Link;
using devices_test::PagedMouse;
using devices_test::Settle;
namespace lc = light_control;

void RegisterPanelControls() {
  static constexpr std::array<ControlClass, 3> kPanel{{
      {CLightControlUI::kContainerClass, nullptr, CLightControlUI::kSkinFile},
      {CColorPaletteUI::kClassName, &MakeControl<CColorPaletteUI>},
      {CColorOptionUI::kClassName, &MakeControl<CColorOptionUI>},
  }};
  RegistControls(kPanel);
}

// The mouse page as the main window builds it (its real skin, with the lighting panel in it) and the
// panel that the main window routes the page's notifications to.
class LightControlUiTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { RegisterPanelControls(); }

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
  CLightControlUI panel_{[this] { return paged_.Page(); },
                         {.kind = KindCode::MouseCable,
                          .lightInfo = [this] { return paged_.Device().GetLightInfo(); },
                          .storeAndWrite = [this](const LightInfo& info) { paged_.Device().EditLight(info); },
                          .audioLightInfo = [this] { return audio_; },
                          .storeAudio = [this](const AudioLightInfo& info) { audio_ = info; }}};
  AudioLightInfo audio_;
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
    EXPECT_TRUE(Control(lc::kAudioModeGroup)->isHidden()) << i;
    EXPECT_EQ(Control<QStackedWidget>(lc::kColourPages)->currentIndex(), 0) << i;
  }
}

TEST_F(LightControlUiTest, AnAudioEditIsKeptByTheDeviceAndNeverWrittenToTheMouse) {
  paged_.Mouse().ClearRequests();
  Notify(notify::kClick, QStringLiteral("audiocolor_option_5"));
  // The mouse's record starts out editing the background.
  EXPECT_EQ(qRgb(audio_.bkColourR, audio_.bkColourG, audio_.bkColourB),
            *Control<CColorOptionUI>("audiocolor_option_5")->Swatch());
  EXPECT_EQ(devices_test::WriteMemoryTraffic(paged_.Mouse()).reports, 0U);
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

// The keyboard's music mode: the first of its modes whose layout shows the audio section.
constexpr std::uint8_t kMusicMode = 29;
// The keyboard's list in the factory light file.
constexpr int kKeyboardLightNames = 1;

// Background (10, 20, 30), foreground (200, 100, 50), the colour cycle on, the foreground edited.
constexpr AudioLightInfo kEditingForeground{.audioMode = 1,
                                            .bkColourR = 10,
                                            .bkColourG = 20,
                                            .bkColourB = 30,
                                            .fgColourR = 200,
                                            .fgColourG = 100,
                                            .fgColourB = 50,
                                            .sevenColourFlags = 1,
                                            .colourTypeFlags = 1};

AudioLightInfo With(AudioLightInfo info, const std::function<void(AudioLightInfo&)>& change) {
  change(info);
  return info;
}

const AudioLightInfo kEditingBackground = With(kEditingForeground, [](auto& r) { r.colourTypeFlags = 0; });

// A trace sink that keeps each line without its line end.
std::function<void(std::string_view)> CollectInto(std::vector<std::string>& lines) {
  return [&lines](std::string_view line) {
    if (line.ends_with('\n')) line.remove_suffix(1);
    lines.emplace_back(line);
  };
}

// A keyboard's lighting panel on a page of its own, in the music mode; the device keeps what the panel
// stores.
class KeyboardAudioSectionTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { RegisterPanelControls(); }

  void SetUp() override { BuildPanel(); }

  // A fresh panel skin, with `missing` taken out of it before the panel binds.
  void BuildPanel(const char* missing = nullptr) {
    delete FindControl(&page_, QLatin1String(lc::kPanel));
    QWidget* item = CControlFactory::Instance().CreateControl(CLightControlUI::kContainerClass, &page_);
    ASSERT_NE(item, nullptr);
    item->setObjectName(QLatin1String(lc::kPanel));
    if (missing != nullptr) delete Control(missing);
    panel_.Bind(LightPresets::Load(DefaultDataFolder() + kFactoryLightFile, "", kKeyboardLightNames));
  }

  template <typename T = QWidget>
  T* Control(const QString& name) {
    return dynamic_cast<T*>(FindControl(&page_, name));
  }
  template <typename T = QWidget>
  T* Control(const char* name) {
    return Control<T>(QLatin1String(name));
  }
  bool Notify(NotifyType type, const QString& sender, std::intptr_t wParam = 0) {
    TNotifyUI msg{type, sender, FindControl(&page_, sender), wParam, 0};
    return panel_.HandleNotification(msg);
  }
  bool Notify(NotifyType type, const char* sender, std::intptr_t wParam = 0) {
    return Notify(type, QLatin1String(sender), wParam);
  }
  // What the user's click on an option does: Qt changes its state, then the panel hears of it.
  void Click(const char* option) {
    auto* button = Control<QAbstractButton>(option);
    button->click();
    Notify(notify::kSelectChanged, option, button->isChecked() ? 1 : 0);
  }
  void Type(const char* edit, const char* text) {
    Control<QLineEdit>(edit)->setText(QLatin1String(text));
    Notify(notify::kKillFocus, edit);
  }
  void PickInPalette(QRgb colour) {
    Control<CColorPaletteUI>(lc::kAudioPalette)->SelectColour(QColor::fromRgb(colour));
    Notify(notify::kColorChanged, lc::kAudioPalette);
  }
  // The device's SetAudioLightInfo: it keeps the record and the panel shows it.
  void Show(const AudioLightInfo& info) {
    kept_ = info;
    panel_.SetAudioLightInfo(info);
  }
  QString Shown(const char* edit) { return Control<QLineEdit>(edit)->text(); }
  bool Checked(const char* option) { return Control<QAbstractButton>(option)->isChecked(); }

  QWidget page_;
  LightInfo light_{.selectItem = kMusicMode};
  AudioLightInfo kept_;
  CLightControlUI panel_{[this] { return &page_; },
                         {.kind = KindCode::KeyboardCable,
                          .lightInfo = [this] { return light_; },
                          .storeAndWrite = [this](const LightInfo& info) { light_ = info; },
                          .audioLightInfo = [this] { return kept_; },
                          .storeAudio = [this](const AudioLightInfo& info) { kept_ = info; }}};
};

TEST_F(KeyboardAudioSectionTest, TheSectionShowsInTheMusicModeOnly) {
  const struct {
    std::uint8_t mode;
    bool shown;
  } kCases[] = {{kMusicMode, true}, {1, false}, {17, false}, {200, false}};
  for (const auto& [mode, shown] : kCases) {
    panel_.ShowLightInfo({.selectItem = mode});
    EXPECT_EQ(!Control(lc::kAudioModeGroup)->isHidden(), shown) << int{mode};
    EXPECT_EQ(Control<QStackedWidget>(lc::kColourPages)->currentIndex(), shown ? 1 : 0) << int{mode};
    EXPECT_EQ(
        Control<QStackedWidget>(lc::kColourPages)->currentWidget()->isAncestorOf(Control(lc::kAudioPalette)),
        shown)
        << int{mode};
  }
}

TEST_F(KeyboardAudioSectionTest, ARecordShownIsTheRecordReadBack) {
  const struct {
    AudioLightInfo record;
    const char* red;  // what the edits show: the colour being edited
    bool cycleUsable;
  } kCases[] = {
      {kEditingForeground, "200", true},
      {With(kEditingForeground, [](auto& r) { r.sevenColourFlags = 0; }), "200", true},
      {kEditingBackground, "10", false},
      {With(kEditingBackground, [](auto& r) { r.sevenColourFlags = 0; }), "10", false},
  };
  for (const auto& [record, red, cycleUsable] : kCases) {
    const std::string what = std::string("editing ") + (record.colourTypeFlags != 0 ? "fg" : "bg") +
                             ", cycle " + std::to_string(record.sevenColourFlags);
    Show(record);
    EXPECT_EQ(Shown(lc::kAudioRedEdit), QLatin1String(red)) << what;
    EXPECT_EQ(Checked(lc::kAudioForeground), record.colourTypeFlags != 0) << what;
    EXPECT_EQ(Checked(lc::kAudioBackground), record.colourTypeFlags == 0) << what;
    EXPECT_EQ(Checked(lc::kAudioMultiColour), record.sevenColourFlags != 0) << what;
    EXPECT_EQ(Control(lc::kAudioMultiColour)->isEnabled(), cycleUsable) << what;
    EXPECT_EQ(Control<QComboBox>(lc::kAudioModeList)->currentIndex(), record.audioMode) << what;
    const QRgb edited = record.colourTypeFlags != 0
                            ? qRgb(record.fgColourR, record.fgColourG, record.fgColourB)
                            : qRgb(record.bkColourR, record.bkColourG, record.bkColourB);
    EXPECT_EQ(*Control<CColorOptionUI>(lc::kAudioColourDisplay)->Swatch(), edited) << what;
    EXPECT_EQ(panel_.GetAudioLightInfo(TakeDisplayColour::kNo), record) << what;
    EXPECT_EQ(panel_.GetAudioLightInfo(TakeDisplayColour::kYes), record) << what;
  }
}

TEST_F(KeyboardAudioSectionTest, OptionsThatBothReadChosenSwitchToTheOneNotCurrent) {
  // A skin whose two options are not exclusive can have both chosen after a click.
  for (const char* option : {lc::kAudioBackground, lc::kAudioForeground})
    Control<QAbstractButton>(option)->setAutoExclusive(false);
  const struct {
    std::uint8_t current;
    bool background;
    bool foreground;
    std::uint8_t read;
  } kCases[] = {
      {0, true, true, 1},  {1, true, true, 0},  {0, true, false, 0},  {1, true, false, 0},
      {0, false, true, 1}, {1, false, true, 1}, {0, false, false, 1},
  };
  for (const auto& [current, background, foreground, read] : kCases) {
    panel_.SetAudioLightInfo(
        With(kEditingForeground, [flags = current](auto& r) { r.colourTypeFlags = flags; }));
    Control<QAbstractButton>(lc::kAudioBackground)->setChecked(background);
    Control<QAbstractButton>(lc::kAudioForeground)->setChecked(foreground);
    EXPECT_EQ(panel_.GetAudioLightInfo(TakeDisplayColour::kNo).colourTypeFlags, read)
        << int{current} << background << foreground;
  }
}

TEST_F(KeyboardAudioSectionTest, EachAudioEditKeepsTheChangedRecord) {
  const QRgb swatch2 = *Control<CColorOptionUI>("audiocolor_option_2")->Swatch();
  const auto fg = [](QRgb c) {
    return [c](AudioLightInfo& r) { r.fgColourR = qRed(c), r.fgColourG = qGreen(c), r.fgColourB = qBlue(c); };
  };
  const auto bg = [](QRgb c) {
    return [c](AudioLightInfo& r) { r.bkColourR = qRed(c), r.bkColourG = qGreen(c), r.bkColourB = qBlue(c); };
  };
  const auto cycleOff = [](AudioLightInfo& r) { r.sevenColourFlags = 0; };
  using Change = std::function<void(AudioLightInfo&)>;
  const auto both = [](Change a, Change b) {
    return [a, b](AudioLightInfo& r) {
      a(r);
      b(r);
    };
  };
  const struct {
    const char* what;
    AudioLightInfo start;
    std::function<void()> edit;
    Change change;
  } kCases[] = {
      {"music effect", kEditingForeground,
       [this] {
         Control<QComboBox>(lc::kAudioModeList)->setCurrentIndex(2);
         Notify(notify::kItemSelect, lc::kAudioModeList, 2);
       },
       [](auto& r) { r.audioMode = 2; }},
      {"new palette colour, foreground", kEditingForeground, [this] { PickInPalette(qRgb(0, 0, 255)); },
       both(fg(qRgb(0, 0, 255)), cycleOff)},
      {"palette colour equal to the foreground", With(kEditingForeground, fg(qRgb(255, 0, 0))),
       [this] { PickInPalette(qRgb(255, 0, 0)); }, [](auto&) {}},
      {"palette colour, background", kEditingBackground, [this] { PickInPalette(qRgb(0, 255, 0)); },
       bg(qRgb(0, 255, 0))},
      {"swatch, foreground", kEditingForeground,
       [this] { Notify(notify::kClick, QStringLiteral("audiocolor_option_2")); },
       both(fg(swatch2), cycleOff)},
      {"swatch equal to the foreground", With(kEditingForeground, fg(swatch2)),
       [this] { Notify(notify::kClick, QStringLiteral("audiocolor_option_2")); }, cycleOff},
      {"swatch, background", kEditingBackground,
       [this] { Notify(notify::kClick, QStringLiteral("audiocolor_option_2")); }, bg(swatch2)},
      {"red above 255, foreground", kEditingForeground, [this] { Type(lc::kAudioRedEdit, "300"); },
       both([](auto& r) { r.fgColourR = 255; }, cycleOff)},
      {"negative green, foreground", kEditingForeground, [this] { Type(lc::kAudioGreenEdit, "-7"); },
       both([](auto& r) { r.fgColourG = 0; }, cycleOff)},
      {"blue that is no number, background", kEditingBackground, [this] { Type(lc::kAudioBlueEdit, "x1"); },
       [](auto& r) { r.bkColourB = 0; }},
      {"empty green, background", kEditingBackground, [this] { Type(lc::kAudioGreenEdit, ""); },
       [](auto& r) { r.bkColourG = 0; }},
      {"blue, background", kEditingBackground, [this] { Type(lc::kAudioBlueEdit, "77"); },
       [](auto& r) { r.bkColourB = 77; }},
      {"colour cycle off", kEditingForeground, [this] { Click(lc::kAudioMultiColour); }, cycleOff},
      {"foreground chosen", kEditingBackground, [this] { Click(lc::kAudioForeground); },
       [](auto& r) { r.colourTypeFlags = 1; }},
      {"background chosen", kEditingForeground, [this] { Click(lc::kAudioBackground); },
       [](auto& r) { r.colourTypeFlags = 0; }},
      {"background chosen again", kEditingBackground, [this] { Click(lc::kAudioBackground); }, [](auto&) {}},
      {"no background", kEditingForeground, [this] { Notify(notify::kClick, lc::kAudioBackgroundOff); },
       bg(qRgb(0, 0, 0))},
  };
  for (const auto& [what, start, edit, change] : kCases) {
    Show(start);
    edit();
    const AudioLightInfo expected = With(start, change);
    EXPECT_EQ(kept_, expected) << what;
    // The panel shows what was kept.
    EXPECT_EQ(panel_.GetAudioLightInfo(TakeDisplayColour::kYes), expected) << what;
    const auto& colour = expected.colourTypeFlags != 0
                             ? std::array{expected.fgColourR, expected.fgColourG, expected.fgColourB}
                             : std::array{expected.bkColourR, expected.bkColourG, expected.bkColourB};
    for (int i = 0; i < 3; ++i)
      EXPECT_EQ(panel_.GetAudioColourText(i), QString::number(colour[static_cast<std::size_t>(i)])) << what;
  }
}

TEST_F(KeyboardAudioSectionTest, TheRainbowEffectDisablesTheColourControls) {
  const struct {
    int mode;
    bool coloured;
  } kCases[] = {{3, false}, {0, true}, {2, true}, {3, false}, {1, true}};
  Show(kEditingForeground);
  for (const auto& [mode, coloured] : kCases) {
    Control<QComboBox>(lc::kAudioModeList)->setCurrentIndex(mode);
    Notify(notify::kItemSelect, lc::kAudioModeList, mode);
    EXPECT_EQ(kept_.audioMode, mode);
    EXPECT_EQ(Control(lc::kAudioColourGroup)->isEnabled(), coloured) << mode;
    EXPECT_EQ(Control(lc::kAudioPaletteGroup)->isEnabled(), coloured) << mode;
    // The colour cycle follows its group and, within it, the colour edited.
    EXPECT_EQ(Control(lc::kAudioMultiColour)->isEnabled(), coloured) << mode;
  }
}

TEST_F(KeyboardAudioSectionTest, AMusicEffectTheListLacksIsTakenAsTheFirst) {
  const struct {
    std::uint8_t mode;
    std::uint8_t kept;
  } kCases[] = {{3, 3}, {4, 0}, {200, 0}};
  for (const auto& [mode, kept] : kCases) {
    Show(With(kEditingForeground, [shown = mode](auto& r) { r.audioMode = shown; }));
    EXPECT_EQ(Control<QComboBox>(lc::kAudioModeList)->currentIndex(), kept) << int{mode};
    EXPECT_EQ(panel_.GetAudioLightInfo(TakeDisplayColour::kNo).audioMode, kept) << int{mode};
    Type(lc::kAudioRedEdit, "1");
    EXPECT_EQ(kept_.audioMode, kept) << int{mode};
  }
}

TEST_F(KeyboardAudioSectionTest, ASkinWithoutAnAudioControlLeavesTheSectionInertAndTheRestWorking) {
  for (const char* missing :
       {lc::kAudioModeList, lc::kAudioColourDisplay, lc::kAudioForeground, lc::kAudioGreenEdit}) {
    std::vector<std::string> lines;
    const ScopedTraceCapture capture(CollectInto(lines));
    BuildPanel(missing);
    kept_ = kEditingForeground;
    panel_.SetAudioLightInfo(kEditingBackground);
    // The section neither reads its controls nor hears them.
    EXPECT_EQ(panel_.GetAudioLightInfo(TakeDisplayColour::kYes), kEditingBackground) << missing;
    EXPECT_FALSE(Notify(notify::kClick, QStringLiteral("audiocolor_option_1"))) << missing;
    EXPECT_FALSE(Notify(notify::kKillFocus, lc::kAudioRedEdit)) << missing;
    EXPECT_EQ(kept_, kEditingForeground) << missing;
    const auto traced = [&lines](const std::string& text) {
      return std::find(lines.begin(), lines.end(), text) != lines.end();
    };
    EXPECT_TRUE(
        traced(std::string("lighting panel: the skin lacks ") + missing + ", the audio section stays inert"))
        << missing;
    EXPECT_TRUE(traced(" SetAudioLightInfo control is NULL")) << missing;
    EXPECT_TRUE(traced("GetAudioLightInfo control is NULL")) << missing;
    // The light record is still edited.
    Notify(notify::kValueChanged, lc::kBrightnessSlider, 1);
    EXPECT_EQ(light_.light, 1) << missing;
    light_.light = 0;
  }
}

TEST_F(KeyboardAudioSectionTest, TheColourTextOfAnEditThatIsNotThereIsEmpty) {
  Show(kEditingForeground);
  const struct {
    int index;
    const char* text;
  } kCases[] = {{0, "200"}, {1, "100"}, {2, "50"}, {3, ""}, {-1, ""}};
  for (const auto& [index, text] : kCases)
    EXPECT_EQ(panel_.GetAudioColourText(index), QLatin1String(text)) << index;
  std::vector<std::string> lines;
  const ScopedTraceCapture capture(CollectInto(lines));
  delete Control(lc::kAudioBlueEdit);
  EXPECT_EQ(panel_.GetAudioColourText(2), QString());
  EXPECT_EQ(lines, std::vector<std::string>{"GetLightAudioColor control is NULL"});
  EXPECT_EQ(panel_.GetLightAudioColor(9), 0U);
  EXPECT_EQ(panel_.GetLightAudioColor(0), *Control<CColorOptionUI>("audiocolor_option_0")->Swatch());
}

}  // namespace
}  // namespace nimbel
