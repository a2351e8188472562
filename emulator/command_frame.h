#pragma once

// The checks a request passes before the firmware runs it, and the checksum a reply carries.

#include <optional>

#include "emulator/command_wire.h"

namespace nimbel::emulator {

// The status of a request refused for its framing, or none when it may run. Through the receiver a
// request's sum leaves out the receiver's marker byte (which must be present), except for light frames,
// which carry a CRC of bytes 3..31 instead of the sum.
std::optional<Status> CheckFraming(const CommandFrame& request, Path path);

// Writes the reply's checksum: the CRC of bytes 3..31 for light frames through the receiver, the sum
// otherwise.
void SealReply(CommandFrame& reply, Path path);

}  // namespace nimbel::emulator
