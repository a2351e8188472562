#pragma once

#include <cstddef>

namespace nimbel {

class Event;

// What detection, binding and the device tabs tell the main window, as calls the window runs on its own
// (UI) thread.
class IMainWindowEvents {
 public:
  virtual ~IMainWindowEvents() = default;
  // Interface slot `slot` was attached / detached.
  virtual void DeviceArrived(std::size_t slot) = 0;
  virtual void DeviceRemoved(std::size_t slot) = 0;
  // The wireless link of the device of tab `tab` (its kind-row index) came up or went away.
  virtual void LinkChanged(int tab, bool up) = 0;
  // Detection's first pass is over: the window comes up.
  virtual void FirstDetectionPassDone() = 0;
};

// How the detection worker reaches the main window from its own thread. The application implements it
// with its message window; tests record the calls. Keeping the worker on this interface keeps it free
// of the window toolkit.
class IWindowMessageSink {
 public:
  virtual ~IWindowMessageSink() = default;

  // Each returns once the main window has handled the call, or, unhandled, as soon as `cancel` is set: a
  // worker told to stop while the window is busy waiting for it must not wait for the window in turn.
  virtual void DeviceArrived(std::size_t slot, Event& cancel) = 0;
  virtual void DeviceRemoved(std::size_t slot, Event& cancel) = 0;

  // Queued; returns at once.
  virtual void FirstDetectionPassDone() = 0;
};

}  // namespace nimbel
