#include "profiles/profile_paths.h"

#include "platform/folders.h"

namespace nimbel {

std::string ProfileFile(std::string_view kindFolder, std::string_view profileId) {
  return DeviceDataFolder(kindFolder) + std::string(profileId) + std::string(kProfileExtension);
}

std::string DefaultProfileFile(std::string_view kindFolder) {
  return DefaultDataFolder() + std::string(kindFolder) + std::string(kProfileExtension);
}

std::string LightListFile(std::string_view kindFolder, std::string_view lightListName) {
  return DeviceDataFolder(kindFolder) + std::string(lightListName) + std::string(kLightListExtension);
}

}  // namespace nimbel
