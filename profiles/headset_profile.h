#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "profiles/profile_document.h"

namespace nimbel {

// The headset's profile document: its system settings, the band values of the twelve equaliser presets
// and the user's own presets.
class CAq4410Profiledata : public CBasicProfiledata {
 public:
  static constexpr std::size_t kEqBandCount = 10;
  // The equaliser type that stands for the user's own preset; its bands are not kept with the presets.
  static constexpr std::int32_t kOwnPresetType = 13;

  HeadsetSystemSettings GetHeadsetSettings();
  void SetHeadsetSettings(const HeadsetSystemSettings& settings);

  // The ten bands of equaliser type t: types 1-12 are their own slots, any other type but 13 uses slot 1,
  // and type 13 gives no bands. A missing band is created with value 0 and reads 0.
  std::vector<std::int32_t> GetEqBands(std::int32_t type);
  // Writes up to ten bands; type 13 writes nothing.
  void SetEqBands(std::int32_t type, std::span<const std::int32_t> bands);

  std::vector<std::string> GetCustomEqNames();
  void SetCustomEqNames(std::span<const std::string> names);
  // The ten bands of own preset c, missing bands created as for GetEqBands. No own preset selected (-1)
  // and indexes past json::kMaxWritableIndex read as ten zeros and create nothing.
  std::vector<std::int32_t> GetCustomEqBands(std::int32_t index);
  void SetCustomEqBands(std::int32_t index, std::span<const std::int32_t> bands);

 private:
  HeadsetSystemSettings settings_;
};

}  // namespace nimbel
