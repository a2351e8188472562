#pragma once

// The seam between HidDevice and the system's HID stack: the Linux hidraw backend and the virtual bus
// of emulated devices implement the same two interfaces, so everything above HidDevice runs unchanged
// against real hardware, in tests and in demo mode.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "hid/abort_event.h"

namespace nimbel {

struct HidAttributes {
  std::uint16_t vendorId = 0;
  std::uint16_t productId = 0;
  std::uint16_t versionNumber = 0;
};

// How an interface is opened: its access, whether transfers may wait with a time limit, and whether other
// openers are shut out.
struct HidOpenMode {
  bool read = false;
  bool write = false;
  bool overlapped = false;
  bool exclusive = false;
};

// Command and notification interfaces: both directions, shared with every other opener (the detection
// thread and other programs keep their own handles on the same node).
inline constexpr HidOpenMode kHidReadWrite{.read = true, .write = true, .overlapped = true};
// The detection thread's trial open: its capabilities and attributes are read, nothing is written.
inline constexpr HidOpenMode kHidReadOnly{.read = true, .overlapped = true};
// No access at all: the open succeeds exactly while the interface is attached.
inline constexpr HidOpenMode kHidPresence{};

enum class TransferResult { Done, TimedOut, Aborted, Failed };

// One open interface (one top-level collection of one device node).
class HidConnection {
 public:
  virtual ~HidConnection() = default;

  virtual HidAttributes Attributes() const = 0;
  // The whole report descriptor of the node the path names.
  virtual std::span<const std::uint8_t> ReportDescriptor() const = 0;

  // Waits for the next input report of this collection; `timeoutMs` < 0 waits without limit. Ends early
  // with Aborted when `abort` is signalled. `bytesRead` is set on Done.
  virtual TransferResult Read(std::span<std::uint8_t> buffer, int timeoutMs, AbortEvent& abort,
                              std::size_t& bytesRead) = 0;
  virtual TransferResult Write(std::span<const std::uint8_t> report, int timeoutMs, AbortEvent& abort,
                               std::size_t& bytesWritten) = 0;
};

// Windows hands out every input report of a collection at the collection's input report byte length,
// zero-padded, and the decode refuses anything shorter; both backends deliver reports so. Copies
// `report` (byte 0 = report id) into `buffer` padded to `inputLength` and returns the bytes delivered; a
// short buffer gets the start, as read() on a hidraw node gives it, and a longer report stays whole.
std::size_t CopyInputReport(std::span<const std::uint8_t> report, std::size_t inputLength,
                            std::span<std::uint8_t> buffer);

// Tells when interfaces may have come or gone, so that whoever looks for them need not keep asking.
class HidChangeWatch {
 public:
  virtual ~HidChangeWatch() = default;

  // Waits until interfaces may have come or gone since the last wait ended (Ready), `timeoutMs` passes
  // (< 0: no limit) or `cancel` is signalled (Aborted; it stays signalled). Failed means the watch is
  // broken and will tell nothing more.
  virtual WaitResult Wait(int timeoutMs, const AbortEvent& cancel) = 0;
};

class HidBackend {
 public:
  virtual ~HidBackend() = default;

  // Every present interface path, one per top-level collection. False when the system cannot be asked.
  virtual bool EnumeratePaths(std::vector<std::string>& paths) = 0;
  // Opens a path; nullptr when it is absent or cannot be opened with that mode. A mode without read and
  // write access is the presence test: it succeeds exactly while the device is attached.
  virtual std::unique_ptr<HidConnection> Open(const std::string& path, const HidOpenMode& mode) = 0;
  // A watch of arrivals and removals from now on; nullptr when nothing on this system announces them,
  // and then only asking again finds them. A backend announces nothing unless it says otherwise.
  virtual std::unique_ptr<HidChangeWatch> WatchChanges() { return nullptr; }
};

// The backend HidDevice objects use; the Linux hidraw backend unless another one was installed (demo
// mode and tests install the virtual bus). Install before any device is opened.
std::shared_ptr<HidBackend> CurrentHidBackend();
void InstallHidBackend(std::shared_ptr<HidBackend> backend);

}  // namespace nimbel
