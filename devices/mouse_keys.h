#pragma once

// The mouse's function slots and where each sits among the physical buttons. Every slot has a fixed
// factory code; the program finds a slot's button by looking its code up in the factory key table.

#include <array>
#include <cstdint>
#include <span>

#include "profiles/profile_document.h"
#include "protocol/command_set.h"

namespace nimbel {

inline constexpr std::size_t kMouseFunctionSlots = 12;
// A slot without a physical button.
inline constexpr std::uint8_t kNoButton = 0xAA;

using MouseKeyMap = std::array<std::uint8_t, kMouseFunctionSlots>;

// Slot j -> the first button of the factory table (keyCount codes of 3 bytes) that carries slot j's
// factory code, or kNoButton.
MouseKeyMap BuildMouseKeyMap(std::span<const std::uint8_t> factoryTable, std::size_t keyCount);

// The map in the form the profile document merges the current key table with.
CBasicProfiledata::KeySlotMap ToKeySlotMap(const MouseKeyMap& map);

}  // namespace nimbel
