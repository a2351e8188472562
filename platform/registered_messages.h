#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace nimbel {

// Registration strings of the messages exchanged with other programs and with the input recorder. Other
// programs name a message by its string on the message bus; inside the process it travels as its id.
inline constexpr std::string_view kInstanceMessageName = "Nimbel";
inline constexpr std::string_view kUpdateProgressRelayMessageName = "{1234567890}";
inline constexpr std::string_view kUpdateProgressMessageName = "{4695579F-999A-41d4-9FAF-EFFCE93EBF15}";
inline constexpr std::string_view kLightingStateMessageName = "{4695579F-999A-41d4-9FAF-EFFCE93EBF16}";
inline constexpr std::string_view kLightingControlMessageName = "{4695579F-999A-41d4-9FAF-EFFCE93EBF17}";
inline constexpr std::string_view kToolQueryMessageName = "{4695579F-999A-41d4-9FAF-EFFCE93EBF18}";
// The last group really is "...EBE19", not "...EBF19": peers register this exact string.
inline constexpr std::string_view kAudioCaptureMessageName = "{4695579F-999A-41d4-9FAF-EFFCE93EBE19}";

// The range the system hands registered messages out of; an id outside it means registration failed.
inline constexpr std::uint32_t kFirstRegisteredMessage = 0xC000;
inline constexpr std::uint32_t kLastRegisteredMessage = 0xFFFF;

// The id of a registration string: the same string always yields the same id within the process, and the
// strings the program knows at build time have fixed ids so traces compare across runs. As with the
// system's registration, case does not matter ("game_start" is "Game_Start"). Returns 0 for an empty
// string or when the range is used up.
std::uint32_t RegisterWindowMessage(std::string_view name);

// The id of a string that is already registered, without registering it: for names that come from
// outside, which must not grow the table.
std::optional<std::uint32_t> FindWindowMessage(std::string_view name);

// The registration string behind an id, for messages that leave the process by name.
std::optional<std::string> RegisteredMessageName(std::uint32_t id);

}  // namespace nimbel
