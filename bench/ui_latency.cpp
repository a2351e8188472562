// How long the UI thread's event loop goes without processing events while the mouse is worked on: a
// 1 ms timer on the UI thread and the longest interval between its ticks, from the moment the work is
// asked for until its last result is back. Offscreen Qt and the emulated mouse with the protocol's own
// pauses. Goal: under 50 ms in every case.
//   build/bench/bench_ui_latency
// (a) a profile applied by cable; (b) the same through the receiver with 5 ms per report; (c) a cable
// pull onto a receiver that does not answer: the link wait and the reads after it, as binding queues them.

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "binding/device_binder.h"
#include "devices/mouse_device.h"
#include "emulator/emulator.h"
#include "tests/devices/mouse_binding.h"

namespace nimbel {
namespace {

using devices_test::Link;

constexpr auto kReceiverReportLatency = std::chrono::milliseconds{5};
// More failed exchanges than the link wait and the reads after it can make.
constexpr std::size_t kSilentRequests = 64;
constexpr qint64 kGoalMs = 50;

class SelectedProfile final : public IProfileList {
 public:
  std::string GetSelectedProfileId() override { return "bench"; }
};

// The longest interval between two ticks of a 1 ms timer on the UI thread.
class LoopGapMeter {
 public:
  LoopGapMeter() {
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(1);
    QObject::connect(&timer_, &QTimer::timeout,
                     [this] { longestMs_ = std::max(longestMs_, clock_.restart()); });
  }
  void Start() {
    longestMs_ = 0;
    clock_.start();
    timer_.start();
  }
  qint64 Stop() {
    timer_.stop();
    return std::max(longestMs_, clock_.elapsed());
  }

 private:
  QTimer timer_;
  QElapsedTimer clock_;
  qint64 longestMs_ = 0;
};

struct Figures {
  qint64 longestGapMs;
  qint64 workMs;
};

struct Bench {
  emulator::DeviceEmulator emulator;
  devices_test::RecordingWindow window;
  devices_test::RecordingTabItem tabItem;
  SelectedProfile profiles;
  std::unique_ptr<CVelquorMouseDevice> mouse;

  // A mouse bound on `link` with the protocol's pauses, read once as binding reads it.
  bool Bind(Link link) {
    InstallHidBackend(emulator.Bus());
    mouse = devices_test::MakeStartupMouse(window, tabItem);
    mouse->BindProfileList(&profiles);
    if (!mouse->CreatePage(nullptr) || !devices_test::BindCommandPath(*mouse, *emulator.Bus(), link))
      return false;
    mouse->Channel().SetPauses({});
    mouse->SyncFromDevice();
    return devices_test::Settle(*mouse);
  }

  // The longest gap of the event loop from `work` until the mouse's work is back, and how long that
  // took; a gap of -1 on a failure.
  Figures Measure(const std::function<void()>& work) {
    LoopGapMeter meter;
    QElapsedTimer total;
    total.start();
    meter.Start();
    QTimer::singleShot(0, work);
    QCoreApplication::processEvents();
    const bool settled = devices_test::Settle(*mouse);
    const qint64 longest = meter.Stop();
    return {settled ? longest : -1, total.elapsed()};
  }
};

Figures ProfileByCable() {
  Bench bench;
  bench.emulator.PlugMouseCable();
  if (!bench.Bind(Link::Cable)) return {-1, 0};
  return bench.Measure([&] { bench.mouse->ApplySelectedProfile(); });
}

Figures ProfileThroughTheReceiver() {
  Bench bench;
  bench.emulator.PlugMouseReceiver().SetReportLatency(kReceiverReportLatency);
  if (!bench.Bind(Link::Receiver)) return {-1, 0};
  return bench.Measure([&] { bench.mouse->ApplySelectedProfile(); });
}

Figures CablePullOntoASilentReceiver() {
  Bench bench;
  emulator::EmulatedMouse& mouse = bench.emulator.PlugMouseReceiver();
  if (!bench.Bind(Link::Receiver)) return {-1, 0};
  mouse.InjectFaults(std::vector<emulator::Fault>(kSilentRequests, emulator::Fault::NoReply));
  return bench.Measure([&] {
    bench.mouse->AwaitLink(DeviceBinder::kLinkWait, [&] {
      bench.mouse->PollPowerStatus();
      bench.mouse->SyncFromDevice();
    });
  });
}

}  // namespace
}  // namespace nimbel

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir data;
  qputenv("XDG_DATA_HOME", data.path().toUtf8());
  qputenv("NIMBEL_DEFAULT_DATA", NIMBEL_SOURCE_DIR "/DefaultData/");
  qputenv("NIMBEL_SKIN_DIR", NIMBEL_SOURCE_DIR "/skin");
  QApplication app(argc, argv);

  struct Case {
    const char* name;
    nimbel::Figures (*run)();
  };
  const Case cases[] = {
      {"(a) profile applied by cable", nimbel::ProfileByCable},
      {"(b) profile applied through the receiver, 5 ms a report", nimbel::ProfileThroughTheReceiver},
      {"(c) cable pulled, the receiver silent", nimbel::CablePullOntoASilentReceiver},
  };
  bool met = true;
  for (const Case& c : cases) {
    const nimbel::Figures figures = c.run();
    std::printf("%-58s longest event-loop gap %5lld ms  (the work took %5lld ms)\n", c.name,
                static_cast<long long>(figures.longestGapMs), static_cast<long long>(figures.workMs));
    met = met && figures.longestGapMs >= 0 && figures.longestGapMs < nimbel::kGoalMs;
  }
  std::printf("goal < %lld ms: %s\n", static_cast<long long>(nimbel::kGoalMs), met ? "met" : "missed");
  return met ? 0 : 1;
}
