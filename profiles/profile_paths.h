#pragma once

#include <string>
#include <string_view>

namespace nimbel {

inline constexpr std::string_view kProfileExtension = ".Json";
inline constexpr std::string_view kLightListExtension = ".config";
inline constexpr std::string_view kEffectExtension = ".light";

// DeviceDataFolder(kind) + profile id + ".Json": the user's profile of that id.
std::string ProfileFile(std::string_view kindFolder, std::string_view profileId);

// DefaultDataFolder() + kind folder + ".Json": the factory profile of a device kind.
std::string DefaultProfileFile(std::string_view kindFolder);

// DeviceDataFolder(kind) + light-list name (e.g. "zorva_light") + ".config": the lighting-preset list.
std::string LightListFile(std::string_view kindFolder, std::string_view lightListName);

}  // namespace nimbel
