#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "profiles/profile_document.h"

namespace nimbel {

// The keyboard's profile document: its system settings and the per-key colour groups.
class CKeyboardProfiledata : public CBasicProfiledata {
 public:
  KeyboardSystemSettings GetKeyboardSettings();
  void SetKeyboardSettings(const KeyboardSystemSettings& settings);

  // The colours of keys 0 .. count-1 in colour group g. A group or key that the document lacks is created
  // there with all four components 0 (it reaches the file with the next Save) and reads as 0. A group
  // outside 0 .. json::kMaxWritableIndex-1 reads as zero colours and creates nothing.
  std::vector<KeyColour> GetKeyColours(std::int32_t group, std::int32_t count);
  void SetKeyColours(std::span<const KeyColour> colours, std::int32_t group);

  std::int32_t GetColourGroup();
  void SetColourGroup(std::int32_t group);

 private:
  KeyboardSystemSettings settings_;
  std::vector<KeyColour> colours_;
  std::int32_t colourGroup_ = 0;
};

}  // namespace nimbel
