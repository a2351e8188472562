#pragma once

// The preset lists a lighting panel offers for one light-name index: the modes of the factory light file
// ("default_light.json") and the custom effects of the kind's light list ("zorva_light.config"). Both files
// are only read; whatever they hold, the lists stay bounded.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace nimbel {

inline constexpr const char* kFactoryLightFile = "default_light.json";
inline constexpr const char* kLightListFile = "zorva_light.config";

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
  // Entries of a list past this many are not read. The longest shipped list (the keyboard's modes) has 31;
  // a hand-edited file with a million entries must not fill a drop-down list with them.
  static constexpr std::size_t kMaxEntries = 64;

  std::vector<LightModeEntry> modes;
  std::vector<std::string> areaNames;
  std::vector<CustomEffectEntry> customEffects;

  // Lists of `lightNameIndex`; a missing file, member or index leaves that list empty. Area and custom
  // effect entries keep their places (a text of the wrong type reads as ""), since other readers index
  // the same lists by position. The mode list is all or nothing: profiles keep a mode by its place in
  // the list, so dropping one entry without a code that fits a byte would move every later mode onto
  // its neighbour's code; such a list is left empty, and the mouse then numbers the modes by place.
  static LightPresets Load(const std::string& defaultLightFile, const std::string& lightListFile,
                           int lightNameIndex);
  // Only the modes, as Load reads them.
  static std::vector<LightModeEntry> LoadModes(const std::string& defaultLightFile, int lightNameIndex);
};

}  // namespace nimbel
