#pragma once

// Binds attached interfaces to the device objects that stand for their products, on the UI thread: a
// command interface is opened on the device's command channel (on the cable or the receiver handle), a
// notification interface on its notification channel, and a product attached both ways is switched
// between cable and receiver as either side comes and goes. Device objects are created once per
// product and never deleted: removal only closes their channels and hides their tabs.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "binding/tab_selector.h"
#include "catalogue/interface_slots.h"
#include "devices/device_interfaces.h"

namespace nimbel {

class CommandChannel;
class IBindableDevice;

class DeviceBinder {
 public:
  struct Hooks {
    // Creates a device object with its page and tab item for a command row (always a cable-side
    // identity row), the object taking that row as its identity; null when it cannot be built. The
    // application owns the object, which must live as long as the binder.
    std::function<IBindableDevice*(std::size_t identityRow)> createDevice;
    // The wireless link of the device of tab `tab` came up or went away; handled before returning.
    std::function<void(int tab, bool up)> linkChanged;
    // Closes the main window's open pop-up, if any: a switch of paths changes what it shows.
    std::function<void()> closePopup;
  };

  // After a switch to the receiver the device needs a moment to answer through it. The device's worker
  // waits, bounded by tries and by time: a receiver that does not answer at all costs two read limits a
  // try, and the 26 tries alone would hold the device's work for half a minute.
  static constexpr int kLinkQueryTries = 26;
  static constexpr std::chrono::milliseconds kLinkQueryPause{50};
  static constexpr std::chrono::milliseconds kLinkWaitTotal{3000};
  static constexpr LinkWait kLinkWait{kLinkQueryTries, kLinkQueryPause, kLinkWaitTotal};

  // `slotList` and `selector` must outlive the binder.
  DeviceBinder(const InterfaceSlotList& slotList, ITabSelector& selector, Hooks hooks);

  // The mice of the first two device-kind rows, created hidden before detection starts, so that the
  // arrivals of their products only open channels and show tabs.
  void CreateStartupDevices();

  // Handlers of the arrival and removal messages; an index that is not a slot is ignored.
  void OnDeviceArrived(std::intptr_t slotIndex);
  void OnDeviceRemoved(std::intptr_t slotIndex);

  std::span<IBindableDevice* const> Devices() const { return devices_; }

 private:
  void CreateDevice(std::size_t identityRow, KindCode kind);
  // The device whose identity is the row of slot `identityRow`; `withTab` asks only for devices whose tab
  // item exists, which is what makes a product count as bound.
  IBindableDevice* FindDevice(std::size_t identityRow, bool withTab = false) const;
  IBindableDevice* DeviceOfSlot(std::size_t slotIndex) const;

  void BindCommandSlot(std::size_t slotIndex);
  void UnbindCommandSlot(std::size_t slotIndex);
  void SwitchPaths(std::size_t slotIndex);
  void SettleOnReceiver(IBindableDevice& device);
  void SettleOnCable(IBindableDevice& device);
  void ReadOnReceiver(IBindableDevice& device);
  void StartTabTimer(IBindableDevice& device, int id, int periodMs) const;
  int TabIndexOf(const IBindableDevice& device) const;

  const InterfaceSlotList& slots_;
  ITabSelector& selector_;
  Hooks hooks_;
  std::vector<IBindableDevice*> devices_;
  // A link wait ending after the binder is gone finds this expired.
  std::shared_ptr<const bool> alive_ = std::make_shared<const bool>(true);
};

}  // namespace nimbel
