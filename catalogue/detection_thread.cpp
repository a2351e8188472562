#include "catalogue/detection_thread.h"

#include "hid/hid_backend.h"
#include "hid/hid_device.h"
#include "platform/event.h"
#include "platform/trace.h"

namespace nimbel {
namespace {

// Short enough that a stop request is seen at once, and the pass cadence comes from the wait after it.
constexpr int kStopCheckMs = 1;
// Without announcements of arrivals and removals, only looking this often finds them in time.
constexpr int kPollIntervalMs = 100;

constexpr const char* kVendorMarker = "vid_";
constexpr const char* kProductMarker = "pid_";
constexpr const char* kInterfaceMarker = "&mi_";
constexpr const char* kCollectionMarker = "&col";

constexpr const char* kExitTrace = "抓取设备线程设定退出";
constexpr const char* kEnumerationFailedTrace = "HID enumeration failed; looking again on the next pass";
constexpr const char* kWatchFailedTrace = "HID change announcements failed; looking every 100 ms";

PathKey ParsePathKey(const std::string& path) {
  return {ParsePathNumber(path, kVendorMarker), ParsePathNumber(path, kProductMarker),
          ParsePathNumber(path, kInterfaceMarker), ParsePathNumber(path, kCollectionMarker)};
}

// One thread's run: its own HID handle (for enumeration, trial opens and presence tests) and what it
// has announced so far.
class DetectionRun {
 public:
  // The watch starts before the first pass, so that nothing arriving during it goes unannounced.
  DetectionRun(InterfaceSlotList& slotList, IWindowMessageSink& sink, Event& stop, const AbortEvent& wake,
               int safetyPassMs)
      : slots_(slotList),
        sink_(sink),
        stop_(stop),
        wake_(wake),
        safetyPassMs_(safetyPassMs),
        watch_(CurrentHidBackend()->WatchChanges()) {}

  void Loop() {
    while (!stop_.Wait(kStopCheckMs)) {
      if (slots_.AnyFree()) LookForArrivals();
      if (!stop_.IsSet()) TestPresence();
      WaitForNextPass();
    }
    Trace(kExitTrace);
  }

 private:
  // Until the backend announces a change or the safety interval passes; the stop request ends the wait
  // through the wake event, which is signalled after the stop event is set.
  void WaitForNextPass() {
    if (!watch_) {
      stop_.Wait(kPollIntervalMs);
      return;
    }
    if (watch_->Wait(safetyPassMs_, wake_) == WaitResult::Failed) {
      Trace(kWatchFailedTrace);
      watch_.reset();
    }
  }

  void LookForArrivals() {
    HidInterfaceList& list = hid_.Interfaces();
    const bool enumerated = list.Enumerate();
    if (!enumerated && !enumerationFailed_) Trace(kEnumerationFailedTrace);
    enumerationFailed_ = !enumerated;
    while (const auto path = list.NextPath()) {
      if (stop_.IsSet()) break;
      TryPath(*path);
    }
    if (!instanceAnnounced_) {
      instanceAnnounced_ = true;
      sink_.FirstDetectionPassDone();
    }
    list.Release();
  }

  void TryPath(const std::string& path) {
    const PathKey pathKey = ParsePathKey(path);
    if (!slots_.HasFreeSlotFor(pathKey)) return;
    if (!hid_.Open(path, kHidReadOnly)) return;
    // The path's vendor and product are only what the system wrote into it; the interface itself is
    // the authority, and its top-level usage tells command and notification collections apart.
    const HidAttributes attributes = hid_.Attributes();
    const InterfaceKey key{
        {attributes.vendorId, attributes.productId, pathKey.interfaceNumber, pathKey.collectionNumber},
        hid_.UsagePage(),
        hid_.Usage()};
    hid_.Close();
    if (const auto slot = slots_.Attach(key, path)) {
      sink_.DeviceArrived(*slot, stop_);
    }
  }

  void TestPresence() {
    for (const auto& attached : slots_.AttachedPaths()) {
      if (stop_.IsSet()) return;
      if (hid_.Open(attached.path, kHidPresence)) {
        hid_.Close();
        continue;
      }
      slots_.Detach(attached.index);
      sink_.DeviceRemoved(attached.index, stop_);
    }
  }

  InterfaceSlotList& slots_;
  IWindowMessageSink& sink_;
  Event& stop_;
  const AbortEvent& wake_;
  const int safetyPassMs_;
  std::unique_ptr<HidChangeWatch> watch_;
  HidDevice hid_;
  bool instanceAnnounced_ = false;
  bool enumerationFailed_ = false;
};

}  // namespace

DetectionThread::DetectionThread(InterfaceSlotList& slotList, IWindowMessageSink& sink, int safetyPassMs)
    : slots_(slotList), sink_(sink), safetyPassMs_(safetyPassMs) {}

DetectionThread::~DetectionThread() {
  Stop();
}

bool DetectionThread::Start() {
  if (IsRunning()) return false;
  wake_.Consume();
  return worker_.Start(
      [this](Event& stop) { DetectionRun(slots_, sink_, stop, wake_, safetyPassMs_).Loop(); });
}

bool DetectionThread::Stop(int boundMs) {
  if (!IsRunning()) return true;
  // In this order: a thread woken by the wake event always finds the stop event set.
  worker_.StopEvent().Set();
  wake_.Signal();
  return worker_.Stop(boundMs);
}

}  // namespace nimbel
