// The mouse's lighting: the panel's edits of the light record and its preset lists.

#include "devices/mouse_device.h"
#include "platform/folders.h"

namespace nimbel {
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

}  // namespace nimbel
