#pragma once

// Finds supported HID interfaces and tells the main window about each arrival and removal. One pass:
// while some slot is free, enumerate the HID interfaces and trial-open the candidates whose path names a
// free slot; then test every attached path for presence. A pass runs at the start, whenever the HID
// backend announces that interfaces came or went, and, in case an announcement is missed, after a
// safety interval without one; where the system announces nothing, every ~100 ms. The main window hears
// of slot changes only through the sink, synchronously, and learns once, after the first pass, that
// detection has looked at what is attached.
//
// When the system cannot enumerate, the pass looks for no arrivals and tries again on the next one; the
// presence tests of attached slots go on regardless, and the first pass still announces itself, so the
// window comes up even on a machine whose HID enumeration is broken.

#include "catalogue/interface_slots.h"
#include "catalogue/window_message_sink.h"
#include "hid/abort_event.h"
#include "platform/worker_thread.h"

namespace nimbel {

class DetectionThread {
 public:
  // Stop waits this long for the thread; a pass never blocks longer than one message to the window, and
  // those sends end with the stop event.
  static constexpr int kStopBoundMs = 1000;
  // Long enough to cost nothing while nothing changes, short enough that a missed announcement is
  // made good within a few seconds.
  static constexpr int kSafetyPassMs = 3000;

  // Both must outlive the thread.
  DetectionThread(InterfaceSlotList& slotList, IWindowMessageSink& sink, int safetyPassMs = kSafetyPassMs);
  ~DetectionThread();
  DetectionThread(const DetectionThread&) = delete;
  DetectionThread& operator=(const DetectionThread&) = delete;

  bool Start();
  bool Stop(int boundMs = kStopBoundMs);
  bool IsRunning() const { return worker_.IsRunning(); }

 private:
  InterfaceSlotList& slots_;
  IWindowMessageSink& sink_;
  const int safetyPassMs_;
  // Ends the wait for an announcement when the thread is asked to stop.
  AbortEvent wake_;
  WorkerThread worker_;
};

}  // namespace nimbel
