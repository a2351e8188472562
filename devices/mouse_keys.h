#pragma once

// The mouse's function slots and where each sits among the physical buttons. Every slot has a fixed
// factory code; the program finds a slot's button by looking its code up in the factory key table. The
// key table the mouse is given is built from the factory table and the slots' current codes.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "profiles/profile_document.h"
#include "protocol/command_set.h"
#include "protocol/key_codes.h"

namespace nimbel {

inline constexpr std::size_t kMouseFunctionSlots = 12;
// A slot without a physical button.
inline constexpr std::uint8_t kNoButton = 0xAA;
// The most buttons a key table of kMaxKeyTableLength bytes holds; a mouse that reports more is in error.
inline constexpr std::size_t kMaxMouseKeyCount = kMaxKeyTableLength / kKeyTableBytesPerKey;

using MouseKeyMap = std::array<std::uint8_t, kMouseFunctionSlots>;
using MouseKeyTable = std::array<std::uint8_t, kMaxKeyTableLength>;

// Slot j -> the first button of the factory table (keyCount codes of 3 bytes) that carries slot j's
// factory code, or kNoButton.
MouseKeyMap BuildMouseKeyMap(std::span<const std::uint8_t> factoryTable, std::size_t keyCount);

// The map in the form the profile document merges the current key table with.
CBasicProfiledata::KeySlotMap ToKeySlotMap(const MouseKeyMap& map);

// The macro numbers the slots with a button use, each once, in order of first use from slot 0; a number
// at or beyond macroCount is not among them.
std::vector<std::uint8_t> MacroNumbersInUse(const MouseKeyMap& map, std::span<const KeyAssignment> list,
                                            std::size_t macroCount);

// The key table for the mouse: the factory codes of its keyCount buttons, each slot's current code at
// its button. Macros are numbered in order of first use, as the mouse stores them; a slot whose macro is
// beyond macroCount goes back to its default code.
MouseKeyTable BuildMouseKeyTable(std::span<const std::uint8_t> factoryTable, std::size_t keyCount,
                                 const MouseKeyMap& map, std::span<const KeyAssignment> list,
                                 std::size_t macroCount);

AssignmentCode CodeOf(const KeyCode& key);
bool IsMacroCode(const AssignmentCode& code);
KeyCode WithCode(KeyCode key, const AssignmentCode& code);

}  // namespace nimbel
