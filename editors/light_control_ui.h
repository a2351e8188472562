#pragma once

// The lighting panel of a device page: mode, brightness, speed, direction, single colour or colour wheel,
// and the colour by palette, swatch or R/G/B. Every edit changes the device's light record, which the
// device then keeps in its profile, saves, previews and writes. The panel shows only the groups the
// chosen mode uses, by the layout table of the device's kind.

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>

#include "catalogue/device_catalogue.h"
#include "profiles/light_presets.h"
#include "profiles/profile_records.h"
#include "ui/notify_pump.h"

class QComboBox;

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
}  // namespace light_control

// What the panel edits on its device.
struct LightPanelDevice {
  KindCode kind = KindCode::MouseCable;
  std::function<LightInfo()> lightInfo;
  // The record as edited: kept in the profile, saved, previewed and written to the device.
  std::function<void(const LightInfo&)> storeAndWrite;
};

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

 private:
  QWidget* Panel() const;
  template <typename T = QWidget>
  T* Control(const QString& name) const;
  template <typename T = QWidget>
  T* Control(const char* name) const {
    return Control<T>(QLatin1String(name));
  }
  bool IsOffered(const LightPresets& presets, int index) const;
  bool IsModeOffered(int index) const;
  void Store(const LightInfo& info);
  void ShowComponents(const LightInfo& info);
  void TakeColour(QRgb colour, bool fromPalette);
  void TakeComponent(const char* edit, std::uint8_t LightInfo::*component);

  std::function<QWidget*()> page_;
  LightPanelDevice device_;
  bool bound_ = false;
};

}  // namespace nimbel
