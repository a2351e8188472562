#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace nimbel {

// The palette dialog's colours as the colour option file keeps them between uses.
inline constexpr std::size_t kColourOptionCount = 20;
// What an empty collected slot holds, and what a preset reads as when neither file nor skin gives one.
inline constexpr std::uint32_t kBlankOptionColour = 0xFFFFFFFF;
// "UserData" of a collected slot that holds a colour; any other text marks the slot empty.
inline constexpr std::string_view kCollectedHoldsColour = "1";
inline constexpr std::string_view kCollectedEmpty = "0";
inline constexpr int kInitialPresetIndex = 4;
inline constexpr int kInitialCollectedIndex = 0;

struct CollectedColour {
  std::uint32_t colour = kBlankOptionColour;
  std::string userData{kCollectedEmpty};

  bool HoldsColour() const { return userData == kCollectedHoldsColour; }
};

struct ColourOptions {
  std::array<std::uint32_t, kColourOptionCount> presets;
  int presetSelected = kInitialPresetIndex;
  std::array<CollectedColour, kColourOptionCount> collected;
  int collectedSelected = kInitialCollectedIndex;

  ColourOptions() { presets.fill(kBlankOptionColour); }
};

// Eight upper-case hexadecimal digits, alpha first: 0xFF00FF00 -> "FF00FF00".
std::string FormatColourText(std::uint32_t argb);

// The base-16 number of one to eight hexadecimal digits, either case; nothing for any other text.
std::optional<std::uint32_t> ParseColourText(std::string_view text);

// UserDataFolder() + "color_option_info.config", and its factory seed in DefaultDataFolder().
std::string ColourOptionFile();
std::string DefaultColourOptionFile();

// The user's colour options. A user file that is missing, unparsable or not in the file's shape is
// replaced by the factory copy (written crash-safely to the user folder); without a usable factory copy
// the options are blank and nothing is written. Single entries that make no sense (a colour that is not
// hexadecimal, an index outside the options) read as the blank default of that entry.
ColourOptions LoadColourOptions();

// Rewrites both option lists and their selected indexes into the user file, keeping any other content
// the file has. False when the file could not be written.
bool SaveColourOptions(const ColourOptions& options);

}  // namespace nimbel
