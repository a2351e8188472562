#pragma once

// The mouse page's performance, power and cursor controls, reached by name: how the object's stages and
// settings are shown, and what the controls hold when an edit reads them. Every change made here is
// silenced, so that showing a value never comes back as the user's edit.

#include <QColor>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "devices/mouse_settings.h"
#include "profiles/profile_records.h"

namespace nimbel {

// Names of the page's controls; indexed ones take the stage or option number after the prefix.
namespace mouse_control {
inline constexpr const char* kStageLayout = "DPI_layout_";
inline constexpr const char* kStageSlider = "DPI_slider_";
inline constexpr const char* kStageEdit = "DPI_edit_";
inline constexpr const char* kStageEnable = "DPI_enable_check_";
inline constexpr const char* kStageSelect = "DPI_select_check_";
inline constexpr const char* kStageColour = "DPI_color_option_";
inline constexpr const char* kProductImage = "ms_device_name";
inline constexpr const char* kPollingSlider = "polling_rate_slider";
inline constexpr const char* kPollingOption = "polling_rate_option_";
inline constexpr const char* kDormancySlider = "Dormancy_slider";
inline constexpr const char* kDormancyCombo = "Dormancy_combo_timeSelect";
inline constexpr const char* kDeepSleepSlider = "DeepSleep_slider";
inline constexpr const char* kDeepSleepCombo = "DeepSleep_combo_timeSelect";
inline constexpr const char* kDeepSleepLabel = "DeepSleep_slider_label";
inline constexpr const char* kKeyDelaySlider = "Key_Delay_slider";
inline constexpr const char* kKeyDelayCombo = "Key_Delay_combo_timeSelect";
inline constexpr const char* kAntiShakeCombo = "Anti_Shake_combo_timeSelect";
inline constexpr const char* kSilentAltitudeOption = "Silent_Altitude_option_";
inline constexpr const char* kSensorLiftOption = "sensor_lif_option_";
inline constexpr const char* kMotionSyncOption = "motion_sync_option_";
inline constexpr const char* kLinearCalibrationOption = "Linear_Calibration_option_";
inline constexpr const char* kDeepSleepOption = "deep_sleep_option_";
inline constexpr const char* kPointerSpeedSlider = "pointer_speed_slider";
inline constexpr const char* kPointerPrecisionCheck = "pointer_precision_check";
inline constexpr const char* kScrollPageCheck = "scrolls_page_check";
inline constexpr const char* kScrollSpeedSlider = "scroll_speed_slider";
inline constexpr const char* kDoubleClickSlider = "double_click_slider";
inline constexpr const char* kDesktopSettingsButton = "windowdeviceset_";
inline constexpr const char* kSettingsTabs = "mouse_device_seting_layout";
inline constexpr const char* kSettingsOptions = "mouse_option_layout";
inline constexpr const char* kSettingsOption = "mouse_device_seting_option_";

// Notices beside the settings, each shown only while what it says holds.
inline constexpr const char* kNotSavedNotice = "mouse_not_saved_label";
inline constexpr const char* kNotWrittenNotice = "mouse_not_written_label";
// While a settings write is on its way to the mouse; the bar only once it takes long.
inline constexpr const char* kWritingNotice = "mouse_writing_label";
inline constexpr const char* kWriteProgress = "mouse_writing_progress";
inline constexpr const char* kOnboardSlotNotice = "mouse_onboard_slot_label";
// Followed by the slot number (1 to 4); another slot has a text without its number.
inline constexpr const char* kOnboardSlotText = "mouse_onboard_slot_text_";
inline constexpr const char* kOtherOnboardSlotText = "mouse_onboard_slot_other_text";

inline constexpr int kPollingOptionCount = 6;
inline constexpr int kTwoWayOptionCount = 2;
}  // namespace mouse_control

// Looks of a stage row: the active stage stands out by its slider and the border of its edit.
struct StageLook {
  const char* sliderForeImage;
  const char* thumbImage;
  const char* editBorderColour;
};
inline constexpr StageLook kActiveStageLook{"file='Control/SliderBar_BK1.png'",
                                            "Control/SliderBar1_Thumb.png", "0xFF06FF00"};
inline constexpr StageLook kOtherStageLook{"Control/SliderBar_BK1.png", "Control/SliderBar2_Thumb.png",
                                           "0xFFFFFFFF"};
// The dynamic properties the looks are kept in, beside the skin's own image attributes.
namespace stage_look_property {
inline constexpr const char* kSliderForeImage = "sliderForeImage";
inline constexpr const char* kThumbImage = "thumbImage";
inline constexpr const char* kThumbHotImage = "thumbHotImage";
inline constexpr const char* kThumbPushedImage = "thumbPushedImage";
inline constexpr const char* kBorderColour = "bordercolor";
}  // namespace stage_look_property

class MousePageView {
 public:
  explicit MousePageView(QWidget* page = nullptr) : page_(page) {}
  void SetPage(QWidget* page) { page_ = page; }
  QWidget* Page() const { return page_; }

  void SetStageRanges(DpiRange range, SliderSteps steps);
  void SetProductImage(std::string_view image);
  // Every stage row present in `stages` (at most seven): enable state, slider, shown DPI, colour, the
  // active stage's look; the last enabled stage and the active one cannot be switched off.
  void ShowStages(std::span<const DpiStage> stages, int activeStage, const MouseVariant& variant);
  void ShowStageDpi(int stage, int shownDpi);
  void ShowSystemSettings(const MouseSystemSettings& settings);
  // The combo beside a slider shows the slider's value (item i = the slider's minimum + i).
  void FollowSliderWithCombo(const char* sliderName, const char* comboName);
  void SelectSettingsTab(int tab);
  void ShowNotice(const char* label, bool shown);
  // How far a long write is: the write's bar follows it; a write without steps shows a busy bar.
  void ShowWriteProgress(int done, int total);
  bool IsShown(const char* label) const;
  // Says which onboard slot the mouse uses while it is not slot 0, the program's own.
  void ShowOnboardSlot(int slot);

  std::optional<int> SliderValue(const QString& name) const;
  std::optional<int> SliderMaximum(const QString& name) const;
  // Sets a slider and returns the value it took (within its range).
  std::optional<int> SetSliderValue(const QString& name, int value);
  // Sets a slider from the item chosen in its combo; the value it took.
  std::optional<int> SetSliderFromCombo(const char* sliderName, const char* comboName, int item);
  std::optional<bool> IsChecked(const QString& name) const;
  void SetChecked(const QString& name, bool checked);
  std::optional<int> ComboIndex(const QString& name) const;
  std::optional<QString> EditText(const QString& name) const;
  std::optional<QColor> OptionColour(const QString& name) const;
  void SetOptionColour(const QString& name, QColor colour);

  static QString Indexed(const char* prefix, int index) {
    return QLatin1String(prefix) + QString::number(index);
  }

 private:
  void ShowOptionGroup(const char* prefix, int count, int value);
  // The deep-sleep time row takes input only while deep sleep is on.
  void ShowDeepSleepRow(bool deepSleepOn);
  void ShowStageLook(int stage, const StageLook& look, bool active);

  QPointer<QWidget> page_;
};

}  // namespace nimbel
