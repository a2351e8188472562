// The mouse's lighting: the panel's edits of the light record and the preview, which effect step each
// light mode runs and how often.

#include <algorithm>
#include <array>

#include "devices/mouse_device.h"
#include "platform/folders.h"

namespace nimbel {
namespace {

// Light modes of the mouse (the light mode index of its profile).
enum class MouseLightMode : std::uint8_t {
  kWave = 0,
  kSpectrum = 1,
  kBreathing = 2,
  kStatic = 3,
  kFlash = 4,
  kTravellingSegment = 5,
  kReactive = 6,
  kColourCycle = 7,
  kFlashCycle = 8,
  kOff = 10,
};

// Ticks between steps per speed level 0..4; the travelling segment runs at half the pace.
constexpr std::array<std::uint32_t, light_tables::kTopLevel + 1> kIntervals{8, 6, 4, 2, 1};
constexpr std::array<std::uint32_t, light_tables::kTopLevel + 1> kSegmentIntervals{16, 12, 8, 4, 2};

}  // namespace

void CVelquorMouseDevice::EditLight(const LightInfo& info) {
  profile_.SetLightInfo(ClampLightInfo(info));
  SaveProfile();
  ApplyProfileState();
  WriteSettings(0, 0);
}

LightPresets CVelquorMouseDevice::LightPresetLists() {
  return LightPresets::Load(DefaultDataFolder() + kFactoryLightFile,
                            DeviceDataFolder(KindName()) + kLightListFile, GetLightTableIndex());
}

std::uint32_t CVelquorMouseDevice::LightIntervalTicks() const {
  const LightParameters& parameters = Engine().Parameters();
  const std::size_t speed = std::min(parameters.speed, light_tables::kTopLevel);
  const bool segment = parameters.mode == static_cast<std::uint8_t>(MouseLightMode::kTravellingSegment);
  return segment ? kSegmentIntervals[speed] : kIntervals[speed];
}

void CVelquorMouseDevice::RunLightStep(std::uint32_t nowMs) {
  switch (static_cast<MouseLightMode>(Engine().Parameters().mode)) {
    case MouseLightMode::kSpectrum:
      return EffectSpectrum();
    case MouseLightMode::kBreathing:
      return EffectBreathing();
    case MouseLightMode::kStatic:
      return EffectStatic();
    case MouseLightMode::kFlash:
      return EffectFlash(nowMs);
    case MouseLightMode::kColourCycle:
      return EffectColourCycle();
    case MouseLightMode::kFlashCycle:
      return EffectFlashCycle(nowMs);
    case MouseLightMode::kOff:
      return ClearLightFrame();
    default:
      // The wave, the travelling segment, the reactive effect and the custom effects come with the
      // lighting panel; until then their frame stays as it was.
      return;
  }
}

}  // namespace nimbel
