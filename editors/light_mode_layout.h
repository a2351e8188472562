#pragma once

// Which groups of the lighting panel a light mode offers, per kind of device: the panel applies the row of
// the selected mode, so a control that does nothing in that mode is never left enabled. Qt-free data.

#include <optional>
#include <string_view>

#include "catalogue/device_catalogue.h"

namespace nimbel {

// The texts of the two direction options ("deng_FXL_check", "deng_FXR_check"), as language keys.
struct DirectionTexts {
  std::string_view left;
  std::string_view right;
  bool operator==(const DirectionTexts&) const = default;
};

// One row of a kind's layout table. The enabled flags are the columns E, M, C, P, L, S, F and K of the
// panel ("lighteffect_layout", "deng_7color_check", "deng_color_layout", "colorpallet_layout",
// "deng_light_layout", "deng_speed_layout", "deng_fx_layout", "light_color_layout").
struct LightModeLayout {
  bool effect = true;
  bool multiColour = false;
  bool colour = false;
  bool palette = false;
  bool brightness = false;
  bool speed = false;
  bool direction = false;
  // Only the keyboard's table has a K column; the other kinds leave "light_color_layout" as it is.
  std::optional<bool> keyColours = std::nullopt;

  bool speedShown = true;
  bool audioModeShown = false;    // "light_combo_AudiomodeSelectLayout"
  bool zzccModeShown = false;     // "light_combo_ZZCCmodeSelectLayout" (keyboard)
  bool customGroupShown = false;  // "lightcustom_layout" (keyboard)
  // Page of "light_color_tablayout"; nullopt leaves it (pad and headset).
  std::optional<int> colourPage = std::nullopt;
  // nullopt leaves the texts as they are (pad and headset).
  std::optional<DirectionTexts> directionTexts = std::nullopt;
  // "deng_same_mode" is shown only when the row offers it and synchronisation is available.
  bool sameModeOffered = false;

  bool operator==(const LightModeLayout&) const = default;
};

// The row of mode `modeIndex` for a device of `kind`. A receiver kind takes the table of its cable kind,
// so a mouse on its receiver gets the same panel as by cable.
LightModeLayout ModeLayoutOf(KindCode kind, int modeIndex);

}  // namespace nimbel
