#pragma once

// The HID report descriptors of the emulated products' interfaces, built from the top-level
// collections those interfaces carry.

#include <cstdint>
#include <span>
#include <vector>

namespace nimbel::emulator {

// The command collection: vendor page 0xFF1C, usage 0x0092, 63 data bytes each way behind report id 4.
inline constexpr std::uint16_t kCommandUsagePage = 0xFF1C;
inline constexpr std::uint16_t kCommandUsage = 0x0092;
// The notification collection: consumer page, usage 0x0001, one 16-bit array field whose usage is the
// notification value.
inline constexpr std::uint16_t kNotificationUsagePage = 0x000C;
inline constexpr std::uint16_t kNotificationUsage = 0x0001;

// Report ids of the collections that share an interface; every interface keeps them distinct.
enum class ReportId : std::uint8_t {
  Mouse = 1,
  Keyboard = 2,
  SystemControl = 3,
  Command = 4,
  Notification = 5,
};

// One top-level collection each; Unnumbered builds the boot mouse of an interface that carries only it.
std::vector<std::uint8_t> UnnumberedMouseCollection();
std::vector<std::uint8_t> MouseCollection();
std::vector<std::uint8_t> KeyboardCollection();
std::vector<std::uint8_t> SystemControlCollection();
std::vector<std::uint8_t> CommandCollection();
std::vector<std::uint8_t> NotificationCollection();

// Collections in order, joined into one interface's descriptor.
std::vector<std::uint8_t> JoinCollections(std::span<const std::vector<std::uint8_t>> collections);

}  // namespace nimbel::emulator
