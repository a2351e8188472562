// Edits of the mouse's system settings: the power and sensor pages, whose values reach the mouse, and
// the cursor page, whose values are only kept in the profile.

#include <array>

#include "devices/mouse_device.h"

namespace nimbel {
namespace {

namespace mc = mouse_control;
using M = MouseSystemSettings;

struct SliderSetting {
  const char* slider;
  const char* combo;
  std::uint16_t M::*field;
};
constexpr std::array<SliderSetting, 3> kSliderSettings{{
    {mc::kDormancySlider, mc::kDormancyCombo, &M::dormancyTime},
    {mc::kDeepSleepSlider, mc::kDeepSleepCombo, &M::dormancyTimeH},
    {mc::kKeyDelaySlider, mc::kKeyDelayCombo, &M::keyDelay},
}};

constexpr std::array<std::uint16_t M::*, 5> kTwoWayFields{
    &M::silentAltitudeItem, &M::sensorLif, &M::motionSync, &M::linearCalibration, &M::deepSleepOff,
};

const SliderSetting& SettingOf(CVelquorMouseDevice::SettingSlider slider) {
  return kSliderSettings[static_cast<std::size_t>(slider)];
}

QString Name(const char* name) {
  return QLatin1String(name);
}

}  // namespace

void CVelquorMouseDevice::SetSystemSettings(const MouseSystemSettings& settings) {
  system_ = settings;
  profile_.SetSystemSettings(settings);
}

void CVelquorMouseDevice::EditSystemSettings(const std::function<void(MouseSystemSettings&)>& change,
                                             Delivery delivery) {
  MouseSystemSettings settings = system_;
  change(settings);
  SetSystemSettings(settings);
  SaveProfile();
  // Some settings have no byte in the record; the record is written all the same, so the mouse always
  // holds what the profile holds.
  if (delivery == Delivery::kProfileAndMouse) WriteSettings(0, 0);
}

void CVelquorMouseDevice::SetPollingOption(int option) {
  if (option < 0 || option >= mc::kPollingOptionCount) return;
  EditSystemSettings(
      [option](M& s) { s.reportSelectItemUsb = s.reportRate = static_cast<std::uint16_t>(option); },
      Delivery::kProfileAndMouse);
  View().ShowSystemSettings(system_);
}

std::optional<int> CVelquorMouseDevice::GetPollingSlider() const {
  return View().SliderValue(Name(mc::kPollingSlider));
}

void CVelquorMouseDevice::SetPollingSlider(int value) {
  SetPollingOption(value);
}

std::optional<int> CVelquorMouseDevice::GetSettingSlider(SettingSlider slider) const {
  return View().SliderValue(Name(SettingOf(slider).slider));
}

void CVelquorMouseDevice::SetSettingSlider(SettingSlider slider, int value) {
  const SliderSetting& setting = SettingOf(slider);
  EditSystemSettings([&](M& s) { s.*setting.field = static_cast<std::uint16_t>(value); },
                     Delivery::kProfileAndMouse);
  View().FollowSliderWithCombo(setting.slider, setting.combo);
}

void CVelquorMouseDevice::SelectSettingCombo(SettingSlider slider, int item) {
  const SliderSetting& setting = SettingOf(slider);
  // The combo names the slider's values; the value stored is always the slider's.
  if (const std::optional<int> value = View().SetSliderFromCombo(setting.slider, setting.combo, item)) {
    SetSettingSlider(slider, *value);
  }
}

std::optional<int> CVelquorMouseDevice::GetAntiShake() const {
  return View().ComboIndex(Name(mc::kAntiShakeCombo));
}

void CVelquorMouseDevice::SetAntiShake(int item) {
  if (item < 0) return;
  EditSystemSettings([item](M& s) { s.antiShake = static_cast<std::uint16_t>(item); },
                     Delivery::kProfileAndMouse);
}

void CVelquorMouseDevice::SetTwoWayOption(TwoWayOption group, int option) {
  if (option < 0 || option >= mc::kTwoWayOptionCount) return;
  std::uint16_t M::*field = kTwoWayFields[static_cast<std::size_t>(group)];
  EditSystemSettings([&](M& s) { s.*field = static_cast<std::uint16_t>(option); },
                     Delivery::kProfileAndMouse);
  // The deep-sleep switch decides whether its time can be set.
  View().ShowSystemSettings(system_);
}

std::optional<int> CVelquorMouseDevice::GetPointerSpeed() const {
  return View().SliderValue(Name(mc::kPointerSpeedSlider));
}

void CVelquorMouseDevice::SetPointerSpeed(int value) {
  EditSystemSettings([value](M& s) { s.mouseSpeed = static_cast<std::uint16_t>(value); },
                     Delivery::kProfileOnly);
}

std::optional<bool> CVelquorMouseDevice::GetPointerPrecision() const {
  return View().IsChecked(Name(mc::kPointerPrecisionCheck));
}

void CVelquorMouseDevice::SetPointerPrecision(bool on) {
  EditSystemSettings([on](M& s) { s.pointerPrecision = on ? 1 : 0; }, Delivery::kProfileOnly);
}

std::optional<bool> CVelquorMouseDevice::GetScrollPage() const {
  return View().IsChecked(Name(mc::kScrollPageCheck));
}

void CVelquorMouseDevice::SetScrollPage(bool on) {
  const std::optional<int> lines = GetWheelLines();
  EditSystemSettings(
      [&](M& s) {
        s.scrollPage = on ? 1 : 0;
        if (lines) s.wheelScrollLines = static_cast<std::uint16_t>(*lines);
      },
      Delivery::kProfileOnly);
}

std::optional<int> CVelquorMouseDevice::GetWheelLines() const {
  return View().SliderValue(Name(mc::kScrollSpeedSlider));
}

void CVelquorMouseDevice::SetWheelLines(int lines) {
  // Scrolling by lines and by pages exclude each other.
  EditSystemSettings(
      [lines](M& s) {
        s.wheelScrollLines = static_cast<std::uint16_t>(lines);
        s.scrollPage = 0;
      },
      Delivery::kProfileOnly);
  View().SetChecked(Name(mc::kScrollPageCheck), false);
}

std::optional<int> CVelquorMouseDevice::GetDoubleClickTime() const {
  return View().SliderValue(Name(mc::kDoubleClickSlider));
}

std::optional<int> CVelquorMouseDevice::GetDoubleClickMaximum() const {
  return View().SliderMaximum(Name(mc::kDoubleClickSlider));
}

void CVelquorMouseDevice::SetDoubleClickTime(int value) {
  EditSystemSettings([value](M& s) { s.doubleClickTime = static_cast<std::uint16_t>(value); },
                     Delivery::kProfileOnly);
}

void CVelquorMouseDevice::SelectSettingsTab(int tab) {
  View().SelectSettingsTab(tab);
}

}  // namespace nimbel
