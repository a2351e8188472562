#pragma once

// What the device objects offer to the detection, the device selector and the main window, and what
// they expect of the controls they are bound to. The controls live in app/ and catalogue/ and implement
// these interfaces; a device holds them without owning them.

#include <chrono>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "catalogue/device_catalogue.h"

class QWidget;

namespace nimbel {

class CommandChannel;

// Timers of a device's tab item in the device selector, by id.
namespace tab_timer {
inline constexpr int kFramePush = 1000;
inline constexpr int kBind = 1001;
// Re-reads the profile and the settings after the device asked for it.
inline constexpr int kResync = 1002;
inline constexpr int kPowerPoll = 1005;
inline constexpr int kLinkWatch = 1007;
}  // namespace tab_timer

// The device's entry in the device selector (CDeviceOptionUI). UI thread only: a device's worker threads
// reach it through the UI thread's event queue.
class ITabItem {
 public:
  virtual ~ITabItem() = default;
  // Starts timer `id` with `periodMs`, restarting it when it runs.
  virtual void StartTimer(int id, int periodMs) = 0;
  virtual void StopTimer(int id) = 0;
};

// The power status as the mouse reports it, 6 bytes: battery percent, charge state (0 not charging,
// 1 charging, 2 charged), unused, link (1 receiver, 0 cable), a value for the main window, unused.
inline constexpr std::size_t kPowerStatusLength = 6;
namespace power_status_byte {
inline constexpr std::size_t kBattery = 0;
inline constexpr std::size_t kChargeState = 1;
inline constexpr std::size_t kLink = 3;
inline constexpr std::size_t kForMainWindow = 4;
}  // namespace power_status_byte
inline constexpr std::uint8_t kPowerLinkReceiver = 1;
inline constexpr std::uint8_t kPowerLinkCable = 0;

// The device's power indicator (CMpDevicePowerUI). UI thread only.
class IPowerDisplay {
 public:
  virtual ~IPowerDisplay() = default;
  virtual void ShowPowerStatus(std::span<const std::uint8_t, kPowerStatusLength> status) = 0;
};

// The profile list on the device's page (CDeviceProfileUI). UI thread only.
class IProfileList {
 public:
  virtual ~IProfileList() = default;
  // The selected profile's id, the stem of its file in the device's data folder; empty when none.
  virtual std::string GetSelectedProfileId() = 0;
};

// How long a device waits for its wireless link after a switch to the receiver: a number of tries with
// a pause between them, and a total time. A silent receiver may take two read limits for each try, so the
// tries alone would keep the device's work waiting for half a minute.
struct LinkWait {
  int tries = 0;
  std::chrono::milliseconds pause{0};
  std::chrono::milliseconds total{0};
};

// A device object as detection, binding, the selector's timers and the main window use it. All calls
// come from the UI thread.
class IBindableDevice {
 public:
  virtual ~IBindableDevice() = default;

  // The command path: binding attaches, switches and detaches its interfaces.
  virtual CommandChannel& Channel() = 0;

  virtual const InterfaceRow& Identity() const = 0;
  virtual void SetIdentity(const InterfaceRow& row) = 0;

  // Whether the mouse answers through its receiver (a device on its cable always counts as linked).
  // IsLinked asks on the calling thread; CheckLink asks on the device's worker, behind the work queued
  // before it, and gives the answer to `then` on the UI thread unless the work was cancelled first.
  virtual int IsLinked() = 0;
  virtual void CheckLink(std::function<void(bool linked)> then) = 0;
  virtual void SyncFromDevice() = 0;
  virtual void SyncFromProfile() = 0;
  virtual void PollPowerStatus() = 0;
  // The device's exchanges run on its own worker, one sequence after another in the order asked for;
  // results come back to the UI thread. AwaitLink queues the wait for the wireless link and runs `then`
  // on the UI thread once it ended (linked or out of tries or time), unless the work was cancelled first.
  virtual void AwaitLink(const LinkWait& wait, std::function<void()> then) = 0;
  // Drops the queued work and ends the running sequence at its next exchange: what it was for is gone.
  virtual void CancelDeviceWork() = 0;

  virtual std::int32_t PowerIndicatorMode() const = 0;
  virtual std::int32_t KindRowIndex() const = 0;

  // Opens a notification interface of link kind `kind` (cable kinds 1 and 2, receiver kinds 6 and 9)
  // and starts its listening thread; false when the path cannot be opened.
  virtual bool OpenNotification(std::string_view path, KindCode kind) = 0;
  virtual void CloseNotification(KindCode kind) = 0;

  virtual void BindTabItem(ITabItem* tabItem) = 0;
  virtual ITabItem* TabItem() const = 0;
  virtual void BindPowerDisplay(IPowerDisplay* display) = 0;

  // The device's page, built from its page skin; null before CreatePage.
  virtual QWidget* Page() const = 0;
  // Closes the windows the page opened (the colour palette, message boxes): once the device's tab goes
  // or its path changes, they would act on a device that is no longer there.
  virtual void CloseChildWindows() = 0;
};

}  // namespace nimbel
