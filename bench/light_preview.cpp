// The lighting preview of the mouse page in its most expensive mode (the multicolour wave at speed 4:
// a step every tick, 500 a second): the process's CPU with the page shown and hidden, the frames the
// page's LED cells paint per second, and the steps the lighting thread ran against the steps the
// elapsed time makes. Offscreen Qt and the emulated mouse by cable.
//   build/bench/bench_light_preview [SECONDS]
// Goals: shown < 3 % of a core, hidden < 0.5 %; the frames at the push's rate (about 30 a second);
// every step run (ratio 1.00).

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <ctime>
#include <memory>

#include "devices/mouse_device.h"
#include "emulator/emulator.h"
#include "tests/devices/mouse_binding.h"

namespace nimbel {
namespace {

using devices_test::Link;

constexpr std::uint8_t kWaveMode = 0;
// Often enough that the wave cannot go round between two samples (192 steps take 384 ms), seldom enough
// not to weigh on the figures.
constexpr int kSampleMs = 100;
constexpr int kWheelPositions = 192;

class SelectedProfile final : public IProfileList {
 public:
  std::string GetSelectedProfileId() override { return "bench"; }
};

class PaintCounter final : public QObject {
 public:
  int paints = 0;

 protected:
  bool eventFilter(QObject* /*watched*/, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};

double ProcessCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

struct Figures {
  double cpuPercent = 0;
  double paintsPerSecond = 0;
  double stepRatio = 0;
};

// Runs the event loop for `seconds`, following the wave's position every few milliseconds: it moves one
// place per step, so the sum of its moves is the number of steps run.
Figures Measure(CVelquorMouseDevice& mouse, PaintCounter& counter, int seconds) {
  counter.paints = 0;
  long steps = 0;
  int last = mouse.GetEffectState().step;
  QTimer sampler;
  QObject::connect(&sampler, &QTimer::timeout, [&] {
    const int now = mouse.GetEffectState().step;
    steps += (now - last + kWheelPositions) % kWheelPositions;
    last = now;
  });
  const double cpuBefore = ProcessCpuSeconds();
  QElapsedTimer clock;
  clock.start();
  sampler.start(kSampleMs);
  QEventLoop loop;
  QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
  loop.exec();
  sampler.stop();
  const double elapsed = static_cast<double>(clock.elapsed()) / 1000;
  const double expectedSteps = elapsed * 1000 / LightCadence::kTickMs;
  return {100 * (ProcessCpuSeconds() - cpuBefore) / elapsed, counter.paints / elapsed,
          static_cast<double>(steps) / expectedSteps};
}

int Run(int seconds) {
  emulator::DeviceEmulator emulator;
  emulator.PlugMouseCable();
  InstallHidBackend(emulator.Bus());
  devices_test::RecordingWindow window;
  devices_test::RecordingTabItem tabItem;
  SelectedProfile profiles;
  std::unique_ptr<CVelquorMouseDevice> mouse = devices_test::MakeStartupMouse(window, tabItem);
  mouse->BindProfileList(&profiles);
  if (!mouse->CreatePage(nullptr) || !devices_test::BindCommandPath(*mouse, *emulator.Bus(), Link::Cable)) {
    std::fprintf(stderr, "the mouse page could not be built or bound\n");
    return 1;
  }
  mouse->SyncFromDevice();
  if (!devices_test::Settle(*mouse)) return 1;
  LightParameters wave;
  wave.mode = kWaveMode;
  wave.brightness = 4;
  wave.speed = 4;
  wave.direction = 1;
  wave.multiColour = 1;
  mouse->SetLightParameters(wave);
  mouse->StartLighting();

  PaintCounter counter;
  mouse->LedControl(0)->installEventFilter(&counter);
  mouse->Page()->resize(1100, 700);
  mouse->Page()->show();
  if (!mouse->LedControl(0)->isVisible()) {
    std::fprintf(stderr, "the LED cells are not on screen\n");
    return 1;
  }
  const Figures shown = Measure(*mouse, counter, seconds);
  mouse->Page()->hide();
  const Figures hidden = Measure(*mouse, counter, seconds);

  std::printf("%-40s %8.3f   goal < 3\n", "CPU, page shown (% of a core)", shown.cpuPercent);
  std::printf("%-40s %8.1f   push rate %.1f\n", "LED cell frames painted per second", shown.paintsPerSecond,
              1000.0 / FramePush::kPeriodMs);
  std::printf("%-40s %8.3f   goal 1.00\n", "steps run / steps due, page shown", shown.stepRatio);
  std::printf("%-40s %8.3f   goal < 0.5\n", "CPU, page hidden (% of a core)", hidden.cpuPercent);
  std::printf("%-40s %8.3f   goal 1.00\n", "steps run / steps due, page hidden", hidden.stepRatio);
  return 0;
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
  const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  return nimbel::Run(seconds);
}
