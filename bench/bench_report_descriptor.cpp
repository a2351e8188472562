#include <benchmark/benchmark.h>

#include "hid/data_list.h"
#include "hid/report_descriptor.h"
#include "tests/fixtures/descriptors/report_descriptors.h"

namespace {

void BM_ParseGamingMouseDescriptor(benchmark::State& state) {
  for (auto _ : state) {
    auto caps = nimbel::ParseReportDescriptor(nimbel::fixtures::kGamingMouse);
    benchmark::DoNotOptimize(caps);
  }
}
BENCHMARK(BM_ParseGamingMouseDescriptor);

// The listener's path: one pointer report with buttons, X, Y and wheel into the input data list.
void BM_UnpackMouseReport(benchmark::State& state) {
  const auto caps = nimbel::ParseReportDescriptor(nimbel::fixtures::kGamingMouse);
  if (!caps) {
    state.SkipWithError("descriptor did not parse");
    return;
  }
  const auto& mouse = caps->collections.front();
  auto list = nimbel::BuildDataList(mouse, nimbel::HidReportType::Input);
  const std::uint8_t report[] = {0x01, 0x12, 0xFB, 0xFF, 0x2C, 0x01, 0xFF};
  for (auto _ : state) {
    const bool ok = nimbel::UnpackReport(mouse, report, nimbel::HidReportType::Input, list);
    benchmark::DoNotOptimize(ok);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_UnpackMouseReport);

}  // namespace
