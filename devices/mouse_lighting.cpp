// The mouse's lighting: the panel's edits of the light record and its preset lists.

#include "devices/mouse_device.h"
#include "devices/mouse_keys_page.h"
#include "platform/folders.h"
#include "ui/resource_manager.h"

namespace nimbel {
void CVelquorMouseDevice::EditLight(const LightInfo& info) {
  profile_.SetLightInfo(ClampLightInfo(info));
  SaveProfile();
  ApplyProfileState();
  WriteSettings(0, 0);
  ShowLightTip();
}

void CVelquorMouseDevice::ShowLightTip() {
  MouseKeysView(Page()).ShowLightTip(LightModeName(profile_.GetLightInfo().selectItem));
}

QString CVelquorMouseDevice::LightModeName(std::uint8_t mode) {
  const LightPresets& presets = LightPresetLists();
  // The custom effects follow the mouse's own modes: the same entry the lighting plays.
  if (mode >= kFirstCustomLightMode) {
    const std::size_t entry = mode - kFirstCustomLightMode;
    if (entry < presets.customEffects.size())
      return QString::fromStdString(presets.customEffects[entry].name);
  }
  if (mode >= presets.modes.size()) return {};
  return CResourceManager::Instance().Text(QString::fromStdString(presets.modes[mode].nameId));
}

const LightPresets& CVelquorMouseDevice::LightPresetLists() {
  if (!lightPresets_) {
    lightPresets_ = LightPresets::Load(DefaultDataFolder() + kFactoryLightFile,
                                       DeviceDataFolder(KindName()) + kLightListFile, GetLightTableIndex());
  }
  return *lightPresets_;
}

}  // namespace nimbel
