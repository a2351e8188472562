#pragma once

// The image in which the mouse stores its macros and shooting patterns: a header (0x55AA, the image's
// length, the record count), the offset of every record, then the records, each its event count and its
// 4-byte events. Little-endian throughout.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace nimbel {

// One event as the mouse stores it: the wait after it, its type with bit 7 set for a press, its button.
struct MacroImageEvent {
  std::uint16_t delay = 0;
  std::uint8_t type = 0;
  bool down = false;
  std::uint8_t button = 0;
  bool operator==(const MacroImageEvent&) const = default;
};
using MacroRecord = std::vector<MacroImageEvent>;

inline constexpr std::uint16_t kMacroImageMagic = 0x55AA;
inline constexpr std::size_t kMacroImageHeaderSize = 16;
inline constexpr std::size_t kMacroImageEventSize = 4;

// 16 + 2N + 4N + 4 * (all events): what the image of these records takes.
std::size_t MacroImageLength(std::span<const MacroRecord> records);

// The image of the records in order; nullopt when the length, the count or an offset would not fit its
// 16-bit field (nothing is ever wrapped).
std::optional<std::vector<std::uint8_t>> BuildMacroImage(std::span<const MacroRecord> records);

// The records of an image, as the mouse reads them; nullopt for a malformed image (wrong magic, a length
// or an offset beyond the bytes, records that overlap the header or the offset table).
std::optional<std::vector<MacroRecord>> DecodeMacroImage(std::span<const std::uint8_t> image);

}  // namespace nimbel
