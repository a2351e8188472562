#pragma once

// The virtual HID bus: a HidBackend over devices emulated in this process. Paths look like real ones
// ("virtual/hid7#vid_320f&pid_226e&mi_01&col02"), one per top-level collection of each interface, and
// handles behave as hidraw handles do: every open handle of a collection receives its own copy of each
// input report whose id belongs to that collection, reads and writes honour their time limits and the
// abort event, an unplugged device fails every transfer and every open, and every change watch hears of
// each plug and unplug as a udev monitor would.

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "hid/hid_backend.h"

namespace nimbel {

// The device side of one USB HID interface.
class VirtualHidInterface {
 public:
  using InputSink = std::function<void(std::span<const std::uint8_t> report)>;

  virtual ~VirtualHidInterface() = default;

  virtual std::span<const std::uint8_t> ReportDescriptor() const = 0;

  // The bus hands the interface the way to send input reports when the device is plugged, and an empty
  // sink when it is unplugged. An input report starts with its report id (0 when the descriptor numbers
  // no reports) and reaches every reading handle of the collection that owns that id; the sink may be
  // called from any thread, also from inside OnOutputReport.
  virtual void Attach(InputSink sink) = 0;

  // An output report written by the host (byte 0 = report id), on the writing thread. Returning false
  // fails the write, as a stalled or vanished endpoint does.
  virtual bool OnOutputReport(std::span<const std::uint8_t> report) = 0;
};

struct VirtualHidInterfaceSlot {
  std::uint8_t interfaceNumber = 0;
  std::shared_ptr<VirtualHidInterface> interface;
};

struct VirtualHidDeviceInfo {
  HidAttributes attributes;
  std::vector<VirtualHidInterfaceSlot> interfaces;
};

class VirtualHidBus : public HidBackend {
 public:
  using DeviceId = std::uint32_t;

  VirtualHidBus();
  ~VirtualHidBus() override;

  // Plugs a device; its interfaces appear in the next enumeration. Node numbers are never reused, so a
  // path of an unplugged device stays absent after a re-plug.
  DeviceId Plug(VirtualHidDeviceInfo device);
  // Unplugs a device: its paths vanish, open handles fail every transfer (waiting ones end at once).
  void Unplug(DeviceId id);
  bool IsPlugged(DeviceId id) const;

  bool EnumeratePaths(std::vector<std::string>& paths) override;
  std::unique_ptr<HidConnection> Open(const std::string& path, const HidOpenMode& mode) override;
  std::unique_ptr<HidChangeWatch> WatchChanges() override;

 private:
  struct State;
  std::shared_ptr<State> state_;
};

}  // namespace nimbel
