#pragma once

// The firmware of one device kind: what it does with a request that reached it intact. Framing,
// checksums, the receiver's link and injected faults are handled before a request gets here.

#include <cstdint>
#include <span>
#include <vector>

#include "emulator/command_wire.h"

namespace nimbel::emulator {

struct CommandRequest {
  std::uint8_t command = 0;
  std::uint8_t length = 0;  // as sent; may exceed the data bytes a report can carry
  std::uint16_t offset = 0;
  std::span<const std::uint8_t> data;  // the report's data bytes (all of them, whatever `length` says)
  Path path = Path::Cable;
};

using ReplyData = std::span<std::uint8_t, kMaxDataLength>;

class DeviceFirmware {
 public:
  virtual ~DeviceFirmware() = default;

  // Runs one request and fills the reply's data bytes; the result is the reply's status.
  virtual Status Execute(const CommandRequest& request, ReplyData reply) = 0;
  // A value the device reports on its notification collection changes what it holds (a button that
  // switches the onboard slot, say).
  virtual void ApplyNotification(std::uint16_t value) = 0;

  // What the device keeps without power (its onboard memory), as one block whose size is fixed for the
  // device's variant.
  virtual std::vector<std::uint8_t> KeptMemory() const = 0;
  // Replaces the kept memory; false, with nothing changed, for a block of another size.
  virtual bool RestoreKeptMemory(std::span<const std::uint8_t> memory) = 0;
  // Puts back the kept memory the device left the factory with.
  virtual void ResetKeptMemory() = 0;
  // True once for each change of the kept memory, when the firmware commits it: at the end of the host's
  // session, or at once for a change made outside a session.
  virtual bool TakeCommittedChange() = 0;
};

}  // namespace nimbel::emulator
