// One pass of the lighting thread: the requests it takes (none here) and the ticks of one output period
// (33 ms: 16 ticks of 2 ms), for each mouse mode at its fastest speed and for a 170-LED frame with a
// full area list (the largest the area pass draws). The figure is CPU per pass; the thread makes about
// 30 passes a second, so 1 us per pass is 0.003 % of a core.
//   build/bench/bench_lighting

#include <benchmark/benchmark.h>

#include <vector>

#include "devices/lighting_pass.h"

namespace nimbel {
namespace {

constexpr std::uint32_t kPassMs = LightCadence::kOutputPeriodMs;
constexpr std::size_t kMouseLeds = 15;
constexpr std::size_t kLargestFrame = light_tables::kMaxAreaLeds;
constexpr std::uint8_t kReactiveMode = 6;

LightParameters FastestParameters(std::uint8_t mode) {
  LightParameters parameters;
  parameters.mode = mode;
  parameters.brightness = 4;
  parameters.speed = 4;
  parameters.direction = 1;
  parameters.multiColour = 1;
  parameters.colour = {255, 128, 0};
  return parameters;
}

std::vector<LightEffectStep> WaveEffect() {
  LightEffectStep wave;
  wave.ledRegMode = 4;
  wave.ledBrightness = 4;
  wave.ledSpeed = 4;
  wave.ledMultiColour = 1;
  wave.time = 1000;
  return {wave, wave, wave};
}

void RunPasses(benchmark::State& state, LightingPass& pass, LightRequests& requests, bool pressEveryPass) {
  std::uint32_t now = 0;
  pass.Restart(now);
  pass.Apply(requests.Take(), now);
  LightSnapshot snapshot;
  for (auto _ : state) {
    if (pressEveryPass) requests.TriggerReactive();
    pass.Apply(requests.Take(), now);
    pass.Advance(now += kPassMs);
    pass.Publish(snapshot);
    benchmark::DoNotOptimize(snapshot.frame.data());
  }
}

// Modes 0..10 and the first custom mode; the reactive mode is pressed on every pass.
void MousePass(benchmark::State& state) {
  const auto mode = static_cast<std::uint8_t>(state.range(0));
  LightRequests requests;
  requests.SetLedCount(kMouseLeds);
  requests.SetParameters(FastestParameters(mode));
  requests.SetCustomSteps(WaveEffect());
  LightingPass pass(LightClass::kMouse);
  RunPasses(state, pass, requests, mode == kReactiveMode);
}
BENCHMARK(MousePass)->DenseRange(0, 10)->Arg(12);

void MousePadFullAreaPass(benchmark::State& state) {
  LightRequests requests;
  requests.SetLedCount(kLargestFrame);
  requests.SetParameters(FastestParameters(0));
  std::vector<LightListEntry> area(kLargestFrame);
  for (std::size_t led = 0; led < area.size(); ++led) {
    area[led].ledRegMode = static_cast<std::uint8_t>(led % 4);
    area[led].ledBrightness = 4;
    area[led].ledSpeed = 4;
    area[led].ledMultiColour = 1;
    area[led].present = 1;
  }
  requests.SetAreaList(area);
  LightingPass pass(LightClass::kMousePad);
  RunPasses(state, pass, requests, false);
}
BENCHMARK(MousePadFullAreaPass);

}  // namespace
}  // namespace nimbel
