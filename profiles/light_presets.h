#pragma once

// The preset lists a lighting panel offers for one light-name index: the modes of the factory light file
// ("default_light.json") and the custom effects of the kind's light list ("zorva_light.config"). Both files
// are only read; whatever they hold, the lists stay bounded.

#include <cstdint>
#include <string>
#include <vector>

namespace nimbel {

struct LightModeEntry {
  std::string nameId;  // a language key
  bool visible = true;
  std::uint8_t code = 0;  // what the device stores for this mode
  bool operator==(const LightModeEntry&) const = default;
};

struct CustomEffectEntry {
  std::string name;  // shown as it is
  std::string guid;  // names the effect's ".light" file
  bool operator==(const CustomEffectEntry&) const = default;
};

struct LightPresets {
  std::vector<LightModeEntry> modes;
  std::vector<std::string> areaNames;
  std::vector<CustomEffectEntry> customEffects;

  // Lists of `lightNameIndex`; a missing file, member or index leaves that list empty.
  static LightPresets Load(const std::string& defaultLightFile, const std::string& lightListFile,
                           int lightNameIndex);
};

}  // namespace nimbel
