#pragma once

// The lighting panel of a device page: mode, brightness, speed, direction, single colour or colour wheel,
// and the colour by palette, swatch or R/G/B. Every edit changes the device's light record, which the
// device then keeps in its profile, saves, previews and writes. The panel shows only the groups the
// chosen mode uses, by the layout table of the device's kind.
//
// Its audio section, shown in the music mode, edits the device's sound-reactive record: the music effect,
// a background and a foreground colour (one of them edited at a time) and the foreground's colour cycle.
// That record is kept by the device and never written to it.

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <span>

#include "catalogue/device_catalogue.h"
#include "profiles/light_presets.h"
#include "profiles/profile_records.h"
#include "ui/notify_pump.h"

class QComboBox;
class QLineEdit;

namespace nimbel {

namespace light_control {
inline constexpr const char* kPanel = "LightControlItem";
inline constexpr const char* kModeList = "light_combo_modeSelect";
inline constexpr const char* kBrightnessSlider = "deng_light_slider";
inline constexpr const char* kSpeedSlider = "deng_speed_slider";
inline constexpr const char* kDirectionLeft = "deng_FXL_check";
inline constexpr const char* kDirectionRight = "deng_FXR_check";
inline constexpr const char* kMultiColour = "deng_7color_check";
inline constexpr const char* kRedEdit = "deng_edit_R";
inline constexpr const char* kGreenEdit = "deng_edit_G";
inline constexpr const char* kBlueEdit = "deng_edit_B";
inline constexpr const char* kPalette = "deng_Color_Pallet";
inline constexpr const char* kColourDisplay = "deng_colordp_btn";
inline constexpr const char* kSwatch = "color_option_";
inline constexpr const char* kSameMode = "deng_same_mode";
inline constexpr const char* kColourPages = "light_color_tablayout";
// The groups the layout table enables, shows or hides.
inline constexpr const char* kEffectGroup = "lighteffect_layout";
inline constexpr const char* kColourGroup = "deng_color_layout";
inline constexpr const char* kPaletteGroup = "colorpallet_layout";
inline constexpr const char* kBrightnessGroup = "deng_light_layout";
inline constexpr const char* kSpeedGroup = "deng_speed_layout";
inline constexpr const char* kDirectionGroup = "deng_fx_layout";
inline constexpr const char* kAudioModeGroup = "light_combo_AudiomodeSelectLayout";
// The audio section.
inline constexpr const char* kAudioModeList = "light_combo_audiomodeSelect";
inline constexpr const char* kAudioRedEdit = "deng_audioedit_R";
inline constexpr const char* kAudioGreenEdit = "deng_audioedit_G";
inline constexpr const char* kAudioBlueEdit = "deng_audioedit_B";
inline constexpr const char* kAudioPalette = "deng_audioColor_Pallet";
inline constexpr const char* kAudioColourDisplay = "deng_audiocolordp_btn";
inline constexpr const char* kAudioBackground = "audio_BkColor_check";
inline constexpr const char* kAudioForeground = "audio_FgColor_check";
inline constexpr const char* kAudioMultiColour = "deng_7audiocolor_check";
inline constexpr const char* kAudioSwatch = "audiocolor_option_";
inline constexpr const char* kAudioBackgroundOff = "Close_bkColor_btn";
inline constexpr const char* kAudioColourGroup = "light_audiocolor_layout";
inline constexpr const char* kAudioPaletteGroup = "audiocolorpallet_layout";
}  // namespace light_control

// What the panel edits on its device.
struct LightPanelDevice {
  KindCode kind = KindCode::MouseCable;
  std::function<LightInfo()> lightInfo;
  // The record as edited: kept in the profile, saved, previewed and written to the device.
  std::function<void(const LightInfo&)> storeAndWrite;
  std::function<AudioLightInfo()> audioLightInfo;
  // The audio record as edited, for the device to keep; nothing of it is written to the device.
  std::function<void(const AudioLightInfo&)> storeAudio;
};

// Whether GetAudioLightInfo takes the colour display's colour into the colour being edited.
enum class TakeDisplayColour : bool { kNo, kYes };

class CLightControlUI : public QObject {
 public:
  static constexpr const char* kContainerClass = "LightSetControlUI";
  static constexpr const char* kSkinFile = "XML/CustomControlXML/LightControl.ui";

  // `page` is where the panel is looked for ("LightControlItem"); a page without it leaves the panel inert.
  CLightControlUI(std::function<QWidget*()> page, LightPanelDevice device);

  // Once the page is built: the mode list of the presets. A mode whose group the program does not drive
  // yet (sound-reactive lighting) is not offered.
  void Bind(const LightPresets& presets);
  bool HandleNotification(const TNotifyUI& msg);

  void ShowLightInfo(const LightInfo& info);
  // Selects the entry of mode i without an event and shows its groups; a mode the list lacks selects
  // nothing.
  void SelectMode(int index);
  int GetSelectedMode() const;
  void ApplyModeLayout(int index);
  void SetDirection(bool left);
  void SetMultiColour(bool on);
  void SetPaletteColour(QRgb colour);
  void SetColourDisplay(QRgb colour);

  // Keeps the record as the panel's copy and shows it. A music effect the list lacks is taken as the first.
  void SetAudioLightInfo(const AudioLightInfo& info);
  // The panel's copy updated from the controls; the copy as it was while the section is inert.
  AudioLightInfo GetAudioLightInfo(TakeDisplayColour take);
  // The colour of swatch "audiocolor_option_" n; 0 without it.
  QRgb GetLightAudioColor(int n) const;
  // The audio palette's colour; opaque black without it.
  QRgb GetAudioPaletteColour() const;
  // The text of the audio red (0), green (1) or blue (2) edit; "" for any other index or a missing edit.
  QString GetAudioColourText(int index) const;

 private:
  QWidget* Panel() const;
  template <typename T = QWidget>
  T* Control(const QString& name) const;
  template <typename T = QWidget>
  T* Control(const char* name) const {
    return Control<T>(QLatin1String(name));
  }
  // How a single foreground colour ends the colour cycle: always, or only when it differs from the one set.
  enum class CycleEnd { kWhenChanged, kAlways };

  bool HasAll(std::span<const char* const> names, const char* part) const;
  void BindAudio();
  void BindLight(const LightPresets& presets);
  void ShowSwatches(const char* prefix);
  void LimitToDigits(std::span<const char* const> edits);
  void MakeDisplayOnly(const char* display);
  void EnableGroup(const char* name, bool enabled);
  bool IsOffered(const LightPresets& presets, int index) const;
  bool IsModeOffered(int index) const;
  void Store(const LightInfo& info);
  void ShowComponents(const LightInfo& info);
  void TakeColour(QRgb colour, bool fromPalette);
  void TakeComponent(const char* edit, std::uint8_t LightInfo::*component);
  bool HandleLightNotification(const TNotifyUI& msg);
  bool HandleAudioNotification(const TNotifyUI& msg);
  QLineEdit* AudioEdit(int index) const;
  void StoreAudio(const AudioLightInfo& info);
  void TakeAudioColour(QRgb colour, CycleEnd cycleEnd);
  void TakeAudioComponent(int index);

  std::function<QWidget*()> page_;
  LightPanelDevice device_;
  bool bound_ = false;
  bool audioBound_ = false;
  AudioLightInfo audio_;
};

}  // namespace nimbel
