#pragma once

// An emulated mouse bound to a device object the way binding does it: the command collection of the
// path attached to the device's channel.
// Also the recorders that stand in for the controls and the main window a device reports to.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "catalogue/device_catalogue.h"
#include "devices/device_interfaces.h"
#include "devices/mouse_device.h"
#include "devices/usb_device.h"
#include "emulator/emulator.h"
#include "hid/hid_device.h"
#include "platform/trace.h"
#include "tests/support/emulated_paths.h"
#include "ui/message_window.h"

namespace nimbel::devices_test {

enum class Link { Cable, Receiver };

using test_support::CollectionAddress;
using test_support::FindCollectionPath;
using test_support::kCableCommand;
using test_support::kCableNotification;
using test_support::kReceiverCommand;
using test_support::kReceiverNotification;

// The start-up mouse's identity: the cable-side command row of the first mouse.
inline constexpr int kMouseIdentityRow = 4;
inline constexpr int kMouseKindRow = 0;

// Opens the path's command collection on the device's channel as binding does.
inline bool BindCommandPath(CVelquorUSBDevice& device, VirtualHidBus& bus, Link link) {
  CommandChannel& channel = device.Channel();
  channel.SetPauses({std::chrono::milliseconds{0}, std::chrono::milliseconds{0}});
  const std::string path = FindCollectionPath(bus, link == Link::Cable ? kCableCommand : kReceiverCommand);
  return !path.empty() && channel.Attach(path, link == Link::Cable ? LinkPath::Wired : LinkPath::Receiver);
}

inline emulator::EmulatedMouse& PlugMouse(emulator::DeviceEmulator& emulator, Link link,
                                          const emulator::MouseOptions& options) {
  return link == Link::Cable ? emulator.PlugMouseCable(options) : emulator.PlugMouseReceiver(options);
}

// The start-up mouse object as the main window creates it, reporting to `window` and `tabItem`.
inline std::unique_ptr<CVelquorMouseDevice> MakeStartupMouse(CMessageWindow& window, ITabItem& tabItem) {
  auto device = std::make_unique<CVelquorMouseDevice>();
  device->ApplyCatalogueRows(kMouseKindRow);
  device->SetIdentity(DeviceCatalogue::InterfaceRows()[kMouseIdentityRow]);
  device->SetMainWindow(&window);
  device->BindTabItem(&tabItem);
  return device;
}

// Processes UI events until `done` holds; false when it still does not after a generous bound (a
// failure bound only: the condition normally holds within milliseconds).
inline bool ProcessEventsUntil(const std::function<bool()>& done) {
  QDeadlineTimer deadline(10000);
  while (!done()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

// Lets the device's worker finish what was queued and its results reach the object; false only when
// that did not happen within the failure bound.
inline bool Settle(const CVelquorUSBDevice& device) {
  return ProcessEventsUntil([&] { return !device.HasDeviceWork(); });
}

struct WindowMessage {
  std::uint32_t message;
  std::intptr_t wParam;
  std::intptr_t lParam;
  bool operator==(const WindowMessage&) const = default;
};

class RecordingWindow final : public CMessageWindow {
 public:
  std::vector<WindowMessage> messages;

 protected:
  std::intptr_t HandleWindowMessage(std::uint32_t message, std::intptr_t wParam, std::intptr_t lParam,
                                    bool& handled) override {
    messages.push_back({message, wParam, lParam});
    handled = true;
    return 0;
  }
};

class RecordingTabItem final : public ITabItem {
 public:
  struct Start {
    int id;
    int periodMs;
  };
  std::vector<Start> starts;
  void StartTimer(int id, int periodMs) override { starts.push_back({id, periodMs}); }
  void StopTimer(int) override {}
};

class RecordingPowerDisplay final : public IPowerDisplay {
 public:
  std::vector<std::vector<std::uint8_t>> shown;
  void ShowPowerStatus(std::span<const std::uint8_t, kPowerStatusLength> status) override {
    shown.emplace_back(status.begin(), status.end());
  }
};

// The commands the mouse received, by command byte.
// The record the mouse should hold for these file events, written out field by field.
inline MacroRecord ImageRecord(const std::vector<MacroEvent>& events) {
  MacroRecord record;
  for (const MacroEvent& event : events)
    record.push_back({event.delay, static_cast<std::uint8_t>(event.type), event.down,
                      static_cast<std::uint8_t>(event.button)});
  return record;
}

inline std::vector<std::uint8_t> CommandBytes(const emulator::EmulatedMouse& mouse) {
  std::vector<std::uint8_t> commands;
  for (const emulator::ReceivedRequest& request : mouse.Requests()) commands.push_back(request.bytes[3]);
  return commands;
}

// Collects trace lines from every thread while it lives.
class TraceLines {
 public:
  TraceLines()
      : capture_([this](std::string_view line) {
          std::lock_guard lock(mutex_);
          lines_.emplace_back(line);
        }) {}
  bool Contains(std::string_view text) const {
    std::lock_guard lock(mutex_);
    return std::any_of(lines_.begin(), lines_.end(),
                       [text](const std::string& line) { return line.find(text) != std::string::npos; });
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
  ScopedTraceCapture capture_;
};

}  // namespace nimbel::devices_test
