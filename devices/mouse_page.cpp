#include "devices/mouse_page.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QSlider>
#include <QStackedWidget>
#include <algorithm>

#include "ui/find_control.h"
#include "ui/notify_pump.h"
#include "ui/resource_manager.h"
#include "ui/skin_attributes.h"

namespace nimbel {
namespace {

namespace mc = mouse_control;

constexpr uint kOpaque = 0xFF000000u;
// The onboard slots with a text of their own: the mouse keeps five, slot 0 being the program's.
constexpr int kFirstOtherSlot = 1;
constexpr int kLastNamedSlot = 4;
// The theme's accent colour.
constexpr const char* kActiveStageMark = "#3fa9ff";
constexpr uint kRgbMask = 0x00FFFFFFu;

// "0xFFRRGGBB", the skin's colour form.
QString ColourAttribute(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  const uint argb = kOpaque | static_cast<uint>(red) << 16 | static_cast<uint>(green) << 8 | blue;
  return QLatin1String("0x") + QStringLiteral("%1").arg(argb, 8, 16, QLatin1Char('0')).toUpper();
}

// The colour of a "0xAARRGGBB", "0xRRGGBB" or "#..." attribute; black for anything else.
QColor ColourOfAttribute(const QString& attribute) {
  QString digits = attribute.trimmed();
  if (digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
    digits = digits.mid(2);
  } else if (digits.startsWith(QLatin1Char('#'))) {
    digits = digits.mid(1);
  }
  bool ok = false;
  const uint argb = digits.toUInt(&ok, 16);
  if (!ok || (digits.size() != 6 && digits.size() != 8)) return QColor(Qt::black);
  return QColor::fromRgb(argb & kRgbMask);
}

}  // namespace

void MousePageView::SetStageRanges(DpiRange range, SliderSteps steps) {
  for (std::size_t i = 0; i < kMouseStageCount; ++i) {
    if (auto* slider = FindControl<QSlider>(page_, Indexed(mc::kStageSlider, static_cast<int>(i)))) {
      ScopedNotifyBlocker quiet;
      slider->setRange(range.minimum, range.maximum);
      slider->setSingleStep(steps.single);
      slider->setPageStep(steps.page);
    }
  }
}

void MousePageView::SetProductImage(std::string_view image) {
  if (image.empty()) return;
  SetBkImage(FindControl(page_, QLatin1String(mc::kProductImage)),
             QString::fromUtf8(image.data(), static_cast<qsizetype>(image.size())));
}

void MousePageView::ShowStages(std::span<const DpiStage> stages, int activeStage,
                               const MouseVariant& variant) {
  ScopedNotifyBlocker quiet;
  const std::size_t count = std::min(stages.size(), kMouseStageCount);
  const auto enabledCount = std::count_if(stages.begin(), stages.begin() + static_cast<std::ptrdiff_t>(count),
                                          [](const DpiStage& stage) { return stage.enabled != 0; });
  for (std::size_t i = 0; i < count; ++i) {
    const int stage = static_cast<int>(i);
    const DpiStage& values = stages[i];
    const bool enabled = values.enabled != 0;
    const bool active = stage == activeStage;
    if (QWidget* row = FindControl(page_, Indexed(mc::kStageLayout, stage))) row->setEnabled(enabled);
    if (auto* check = FindControl<QAbstractButton>(page_, Indexed(mc::kStageEnable, stage))) {
      check->setChecked(enabled);
      // The active stage and the last one in the cycle stay in it: the mouse needs a stage to be in.
      check->setEnabled(!active && !(enabled && enabledCount == 1));
    }
    if (auto* select = FindControl<QAbstractButton>(page_, Indexed(mc::kStageSelect, stage))) {
      select->setAutoExclusive(false);
      select->setChecked(active);
    }
    if (auto* slider = FindControl<QSlider>(page_, Indexed(mc::kStageSlider, stage)))
      slider->setValue(values.dpiX);
    ShowStageDpi(stage, ShownDpi(variant, values.dpiX));
    ShowStageLook(stage, active ? kActiveStageLook : kOtherStageLook, active);
    SetBkColor(FindControl(page_, Indexed(mc::kStageColour, stage)),
               ColourAttribute(values.red, values.green, values.blue));
  }
}

void MousePageView::ShowStageLook(int stage, const StageLook& look, bool active) {
  namespace p = stage_look_property;
  if (auto* slider = FindControl<QSlider>(page_, Indexed(mc::kStageSlider, stage))) {
    slider->setProperty(p::kSliderForeImage, QString::fromLatin1(look.sliderForeImage));
    for (const char* thumb : {p::kThumbImage, p::kThumbHotImage, p::kThumbPushedImage}) {
      slider->setProperty(thumb, QString::fromLatin1(look.thumbImage));
    }
    // The theme draws sliders itself. The active stage is marked in the theme's accent: a green of its
    // own would read as one of the stage colours, which the user picks.
    slider->setStyleSheet(active ? QStringLiteral("QSlider::handle:horizontal { background: %1; }")
                                       .arg(QLatin1String(kActiveStageMark))
                                 : QString());
  }
  if (auto* edit = FindControl<QLineEdit>(page_, Indexed(mc::kStageEdit, stage))) {
    edit->setProperty(p::kBorderColour, QString::fromLatin1(look.editBorderColour));
    const std::optional<QString> colour = active
                                              ? std::optional<QString>(QLatin1String(kActiveStageMark))
                                              : SkinColourToCss(QString::fromLatin1(look.editBorderColour));
    edit->setStyleSheet(colour ? QStringLiteral("QLineEdit { border: 1px solid %1; }").arg(*colour)
                               : QString());
  }
}

void MousePageView::ShowStageDpi(int stage, int shownDpi) {
  if (auto* edit = FindControl<QLineEdit>(page_, Indexed(mc::kStageEdit, stage))) {
    ScopedNotifyBlocker quiet;
    edit->setText(QString::number(shownDpi));
  }
}

void MousePageView::ShowSystemSettings(const MouseSystemSettings& settings) {
  ScopedNotifyBlocker quiet;
  SetSliderValue(QLatin1String(mc::kPollingSlider), settings.reportSelectItemUsb);
  ShowOptionGroup(mc::kPollingOption, mc::kPollingOptionCount, settings.reportSelectItemUsb);
  ShowOptionGroup(mc::kLinearCalibrationOption, mc::kTwoWayOptionCount, settings.linearCalibration);
  SetSliderValue(QLatin1String(mc::kKeyDelaySlider), settings.keyDelay);
  SetSliderValue(QLatin1String(mc::kDormancySlider), settings.dormancyTime);
  SetSliderValue(QLatin1String(mc::kDeepSleepSlider), settings.dormancyTimeH);
  FollowSliderWithCombo(mc::kKeyDelaySlider, mc::kKeyDelayCombo);
  FollowSliderWithCombo(mc::kDormancySlider, mc::kDormancyCombo);
  FollowSliderWithCombo(mc::kDeepSleepSlider, mc::kDeepSleepCombo);
  if (auto* combo = FindControl<QComboBox>(page_, QLatin1String(mc::kAntiShakeCombo))) {
    combo->setCurrentIndex(settings.antiShake < combo->count() ? settings.antiShake : 0);
  }
  ShowOptionGroup(mc::kDeepSleepOption, mc::kTwoWayOptionCount, settings.deepSleepOff);
  ShowDeepSleepRow(settings.deepSleepOff == 0);
  ShowOptionGroup(mc::kSilentAltitudeOption, mc::kTwoWayOptionCount, settings.silentAltitudeItem);
  ShowOptionGroup(mc::kMotionSyncOption, mc::kTwoWayOptionCount, settings.motionSync);
  ShowOptionGroup(mc::kSensorLiftOption, mc::kTwoWayOptionCount, settings.sensorLif);
  // The cursor page: values kept in the profile only.
  SetSliderValue(QLatin1String(mc::kPointerSpeedSlider), settings.mouseSpeed);
  SetChecked(QLatin1String(mc::kPointerPrecisionCheck), settings.pointerPrecision != 0);
  SetChecked(QLatin1String(mc::kScrollPageCheck), settings.scrollPage != 0);
  SetSliderValue(QLatin1String(mc::kScrollSpeedSlider), settings.wheelScrollLines);
  SetSliderValue(QLatin1String(mc::kDoubleClickSlider), settings.doubleClickTime);
}

void MousePageView::ShowOptionGroup(const char* prefix, int count, int value) {
  const int shown = value >= 0 && value < count ? value : 0;
  if (auto* option = FindControl<QAbstractButton>(page_, Indexed(prefix, shown))) option->setChecked(true);
  for (int i = 0; i < count; ++i) {
    if (i != shown) SetChecked(Indexed(prefix, i), false);
  }
}

void MousePageView::ShowDeepSleepRow(bool deepSleepOn) {
  for (const char* name : {mc::kDeepSleepLabel, mc::kDeepSleepSlider, mc::kDeepSleepCombo}) {
    if (QWidget* control = FindControl(page_, QLatin1String(name))) control->setEnabled(deepSleepOn);
  }
}

void MousePageView::FollowSliderWithCombo(const char* sliderName, const char* comboName) {
  auto* slider = FindControl<QSlider>(page_, QLatin1String(sliderName));
  auto* combo = FindControl<QComboBox>(page_, QLatin1String(comboName));
  if (slider == nullptr || combo == nullptr) return;
  ScopedNotifyBlocker quiet;
  combo->setCurrentIndex(slider->value() - slider->minimum());
}

void MousePageView::SelectSettingsTab(int tab) {
  ScopedNotifyBlocker quiet;
  auto* tabs = FindControl<QStackedWidget>(page_, QLatin1String(mc::kSettingsTabs));
  // A sub-page whose option the skin hides has nothing that works yet: it is not shown either.
  const QWidget* asked = FindControl(page_, Indexed(mc::kSettingsOption, tab));
  const bool offered = asked == nullptr || !asked->isHidden();
  const int shown = tabs != nullptr && tab >= 0 && tab < tabs->count() && offered ? tab : 0;
  if (tabs != nullptr) tabs->setCurrentIndex(shown);
  QWidget* options = FindControl(page_, QLatin1String(mc::kSettingsOptions));
  if (options == nullptr) return;
  const QString selected = Indexed(mc::kSettingsOption, shown);
  // A sub-page without an option of its own (the buttons) has the whole height; the options belong to
  // the others.
  options->setVisible(FindControl(page_, selected) != nullptr);
  for (auto* option : options->findChildren<QAbstractButton*>()) {
    if (!option->objectName().startsWith(QLatin1String(mc::kSettingsOption))) continue;
    // Exclusivity would refuse to uncheck the checked one before the new one is checked.
    const bool exclusive = option->autoExclusive();
    option->setAutoExclusive(false);
    option->setChecked(option->objectName() == selected);
    option->setAutoExclusive(exclusive);
  }
}

void MousePageView::ShowNotice(const char* label, bool shown) {
  if (QWidget* notice = FindControl(page_, QLatin1String(label))) notice->setVisible(shown);
}

void MousePageView::ShowWriteProgress(int done, int total) {
  auto* bar = FindControl<QProgressBar>(page_, QLatin1String(mc::kWriteProgress));
  if (bar == nullptr) return;
  bar->setRange(0, total);
  bar->setValue(done);
}

bool MousePageView::IsShown(const char* label) const {
  const QWidget* notice = FindControl(page_, QLatin1String(label));
  return notice != nullptr && !notice->isHidden();
}

void MousePageView::ShowOnboardSlot(int slot) {
  QWidget* notice = FindControl(page_, QLatin1String(mc::kOnboardSlotNotice));
  if (notice == nullptr) return;
  notice->setVisible(slot != 0);
  if (slot == 0) return;
  // A text id rather than a text, so that a change of language re-texts it.
  const QString id = slot >= kFirstOtherSlot && slot <= kLastNamedSlot
                         ? Indexed(mc::kOnboardSlotText, slot)
                         : QString::fromLatin1(mc::kOtherOnboardSlotText);
  CResourceManager::Instance().SetTextId(notice, id);
}

std::optional<int> MousePageView::SliderValue(const QString& name) const {
  if (auto* slider = FindControl<QSlider>(page_, name)) return slider->value();
  return std::nullopt;
}

std::optional<int> MousePageView::SliderMaximum(const QString& name) const {
  if (auto* slider = FindControl<QSlider>(page_, name)) return slider->maximum();
  return std::nullopt;
}

std::optional<int> MousePageView::SetSliderValue(const QString& name, int value) {
  auto* slider = FindControl<QSlider>(page_, name);
  if (slider == nullptr) return std::nullopt;
  ScopedNotifyBlocker quiet;
  slider->setValue(value);
  return slider->value();
}

std::optional<int> MousePageView::SetSliderFromCombo(const char* sliderName, const char* comboName,
                                                     int item) {
  auto* slider = FindControl<QSlider>(page_, QLatin1String(sliderName));
  if (slider == nullptr) return std::nullopt;
  const std::optional<int> value = SetSliderValue(QLatin1String(sliderName), slider->minimum() + item);
  FollowSliderWithCombo(sliderName, comboName);
  return value;
}

std::optional<bool> MousePageView::IsChecked(const QString& name) const {
  if (auto* button = FindControl<QAbstractButton>(page_, name)) return button->isChecked();
  return std::nullopt;
}

void MousePageView::SetChecked(const QString& name, bool checked) {
  auto* button = FindControl<QAbstractButton>(page_, name);
  if (button == nullptr) return;
  ScopedNotifyBlocker quiet;
  const bool exclusive = button->autoExclusive();
  button->setAutoExclusive(false);
  button->setChecked(checked);
  button->setAutoExclusive(exclusive);
}

std::optional<int> MousePageView::ComboIndex(const QString& name) const {
  if (auto* combo = FindControl<QComboBox>(page_, name)) return combo->currentIndex();
  return std::nullopt;
}

std::optional<QString> MousePageView::EditText(const QString& name) const {
  if (auto* edit = FindControl<QLineEdit>(page_, name)) return edit->text();
  return std::nullopt;
}

std::optional<QColor> MousePageView::OptionColour(const QString& name) const {
  QWidget* option = FindControl(page_, name);
  if (option == nullptr) return std::nullopt;
  return ColourOfAttribute(GetSkinAttribute(option, SkinAttribute::kBkColor));
}

void MousePageView::SetOptionColour(const QString& name, QColor colour) {
  SetBkColor(FindControl(page_, name), ColourAttribute(static_cast<std::uint8_t>(colour.red()),
                                                       static_cast<std::uint8_t>(colour.green()),
                                                       static_cast<std::uint8_t>(colour.blue())));
}

}  // namespace nimbel
