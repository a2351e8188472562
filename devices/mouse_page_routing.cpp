// Which notification of the mouse page's own controls runs which operation.

#include <array>

#include "devices/mouse_desktop_settings.h"
#include "devices/mouse_device.h"
#include "profiles/text.h"
#include "ui/message_box.h"

namespace nimbel {
namespace {

namespace mc = mouse_control;
using Device = CVelquorMouseDevice;

constexpr const char* kNoDesktopSettingsText = "desktop_settings_missing_text";
// The message box is sized for the common screen density.
constexpr int kMessageBoxDpi = 96;

// A route matches a notification type and a control name; an indexed route matches the prefix followed
// by a decimal number and passes that number on.
struct Route {
  NotifyType type;
  const char* name;
  bool indexed;
  void (*run)(Device& device, int index, const TNotifyUI& msg);
};

int Value(const TNotifyUI& msg) {
  return static_cast<int>(msg.wParam);
}
bool Selected(const TNotifyUI& msg) {
  return msg.wParam != 0;
}

constexpr std::array<Route, 27> kRoutes{{
    {notify::kValueChanged, mc::kStageSlider, true,
     [](Device& d, int i, const TNotifyUI& m) { d.SetStageSlider(i, Value(m)); }},
    {notify::kMoveValueChanged, mc::kStageSlider, true,
     [](Device& d, int i, const TNotifyUI& m) { d.MoveStageSlider(i, Value(m)); }},
    {notify::kKillFocus, mc::kStageEdit, true,
     [](Device& d, int i, const TNotifyUI&) { d.CommitStageEdit(i); }},
    {notify::kSelectChanged, mc::kStageSelect, true,
     [](Device& d, int i, const TNotifyUI& m) {
       if (Selected(m)) d.SetActiveStage(i);
     }},
    {notify::kSelectChanged, mc::kStageEnable, true,
     [](Device& d, int i, const TNotifyUI& m) { d.SetStageEnabled(i, Selected(m)); }},
    {notify::kClick, mc::kStageColour, true,
     [](Device& d, int i, const TNotifyUI&) { d.ChooseStageColour(i); }},
    {notify::kSelectChanged, mc::kPollingOption, true,
     [](Device& d, int i, const TNotifyUI& m) {
       if (Selected(m)) d.SetPollingOption(i);
     }},
    {notify::kValueChanged, mc::kPollingSlider, false,
     [](Device& d, int, const TNotifyUI& m) { d.SetPollingSlider(Value(m)); }},
    {notify::kValueChanged, mc::kDormancySlider, false,
     [](Device& d, int, const TNotifyUI& m) {
       d.SetSettingSlider(Device::SettingSlider::kDormancy, Value(m));
     }},
    {notify::kValueChanged, mc::kDeepSleepSlider, false,
     [](Device& d, int, const TNotifyUI& m) {
       d.SetSettingSlider(Device::SettingSlider::kDeepSleep, Value(m));
     }},
    {notify::kValueChanged, mc::kKeyDelaySlider, false,
     [](Device& d, int, const TNotifyUI& m) {
       d.SetSettingSlider(Device::SettingSlider::kKeyDelay, Value(m));
     }},
    {notify::kItemSelect, mc::kDormancyCombo, false,
     [](Device& d, int, const TNotifyUI& m) {
       d.SelectSettingCombo(Device::SettingSlider::kDormancy, Value(m));
     }},
    {notify::kItemSelect, mc::kDeepSleepCombo, false,
     [](Device& d, int, const TNotifyUI& m) {
       d.SelectSettingCombo(Device::SettingSlider::kDeepSleep, Value(m));
     }},
    {notify::kItemSelect, mc::kKeyDelayCombo, false,
     [](Device& d, int, const TNotifyUI& m) {
       d.SelectSettingCombo(Device::SettingSlider::kKeyDelay, Value(m));
     }},
    {notify::kItemSelect, mc::kAntiShakeCombo, false,
     [](Device& d, int, const TNotifyUI& m) { d.SetAntiShake(Value(m)); }},
    {notify::kSelectChanged, mc::kSilentAltitudeOption, true,
     [](Device& d, int i, const TNotifyUI& m) {
       if (Selected(m)) d.SetTwoWayOption(Device::TwoWayOption::kSilentAltitude, i);
     }},
    {notify::kSelectChanged, mc::kSensorLiftOption, true,
     [](Device& d, int i, const TNotifyUI& m) {
       if (Selected(m)) d.SetTwoWayOption(Device::TwoWayOption::kSensorLift, i);
     }},
    {notify::kSelectChanged, mc::kMotionSyncOption, true,
     [](Device& d, int i, const TNotifyUI& m) {
       if (Selected(m)) d.SetTwoWayOption(Device::TwoWayOption::kMotionSync, i);
     }},
    {notify::kSelectChanged, mc::kLinearCalibrationOption, true,
     [](Device& d, int i, const TNotifyUI& m) {
       if (Selected(m)) d.SetTwoWayOption(Device::TwoWayOption::kLinearCalibration, i);
     }},
    {notify::kSelectChanged, mc::kDeepSleepOption, true,
     [](Device& d, int i, const TNotifyUI& m) {
       if (Selected(m)) d.SetTwoWayOption(Device::TwoWayOption::kDeepSleep, i);
     }},
    {notify::kValueChanged, mc::kPointerSpeedSlider, false,
     [](Device& d, int, const TNotifyUI& m) { d.SetPointerSpeed(Value(m)); }},
    {notify::kSelectChanged, mc::kPointerPrecisionCheck, false,
     [](Device& d, int, const TNotifyUI& m) { d.SetPointerPrecision(Selected(m)); }},
    {notify::kSelectChanged, mc::kScrollPageCheck, false,
     [](Device& d, int, const TNotifyUI& m) { d.SetScrollPage(Selected(m)); }},
    {notify::kValueChanged, mc::kScrollSpeedSlider, false,
     [](Device& d, int, const TNotifyUI& m) { d.SetWheelLines(Value(m)); }},
    {notify::kValueChanged, mc::kDoubleClickSlider, false,
     [](Device& d, int, const TNotifyUI& m) { d.SetDoubleClickTime(Value(m)); }},
    {notify::kClick, mc::kDesktopSettingsButton, true,
     [](Device& d, int i, const TNotifyUI&) { d.OpenDesktopSettingsPage(i); }},
    {notify::kSelectChanged, mc::kSettingsOption, true,
     [](Device& d, int i, const TNotifyUI& m) {
       if (Selected(m)) d.SelectSettingsTab(i);
     }},
}};

// The number after `prefix` when `name` is the prefix followed by decimal digits only.
std::optional<int> IndexAfter(const QString& name, const char* prefix) {
  const std::optional<IndexedName> split = SplitIndexedName(name.toStdString());
  if (!split || split->prefix != prefix) return std::nullopt;
  return split->number;
}

}  // namespace

bool CVelquorMouseDevice::HandlePageNotification(const TNotifyUI& msg) {
  for (const Route& route : kRoutes) {
    if (msg.sType != route.type) continue;
    if (!route.indexed) {
      if (msg.senderName != QLatin1String(route.name)) continue;
      route.run(*this, 0, msg);
      return true;
    }
    if (const std::optional<int> index = IndexAfter(msg.senderName, route.name)) {
      route.run(*this, *index, msg);
      return true;
    }
  }
  return false;
}

void CVelquorMouseDevice::OpenDesktopSettingsPage(int button) {
  if (button != static_cast<int>(DesktopSettingsPage::kKeyboard) &&
      button != static_cast<int>(DesktopSettingsPage::kMouse)) {
    return;
  }
  if (OpenDesktopSettings(static_cast<DesktopSettingsPage>(button))) return;
  ShowMessageBox(Page(), QString(), QLatin1String(kNoDesktopSettingsText), kMessageBoxDpi, true,
                 MessageBoxButtons::kConfirm);
}

}  // namespace nimbel
