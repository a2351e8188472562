// CPU cost of the command channel against the emulated mouse, with the wire latency and the protocol
// pauses at zero so only processing is measured. The raw round trip (one write and one read on the
// same handle) is the floor the emulator and the virtual bus cost; the channel's own share is the
// difference. Every benchmark also reports the heap allocations per iteration, counted over all threads.

#include <benchmark/benchmark.h>

#include <array>
#include <atomic>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "protocol/checksum.h"
#include "protocol/command_channel.h"
#include "tests/protocol/emulated_channel.h"

namespace {

std::atomic<std::size_t> allocationCount{0};

}  // namespace

// Kept out of line: inlined into a caller, GCC would pair the malloc and free across the replacement
// and warn about a mismatch that is not there.
[[gnu::noinline]] void* operator new(std::size_t size) {
  allocationCount.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
[[gnu::noinline]] void operator delete(void* p) noexcept {
  std::free(p);
}
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}

namespace nimbel {
namespace {

using protocol_test::EmulatedChannel;
using protocol_test::Link;

constexpr ProtocolPauses kNoPauses{std::chrono::milliseconds{0}, std::chrono::milliseconds{0}};

// Runs `body` per iteration, after a warm-up that lets every buffer reach its steady size.
template <typename Body>
void MeasureWithAllocations(benchmark::State& state, Body body) {
  for (int i = 0; i < 64; ++i) body();
  const std::size_t before = allocationCount.load();
  for (auto _ : state) body();
  state.counters["allocs"] = benchmark::Counter(static_cast<double>(allocationCount.load() - before),
                                                benchmark::Counter::kAvgIterations);
}

CommandReport StatusRequest() {
  CommandReport request = CommandReport::Request(ToByte(CommandCode::ReadStatus));
  request.SetLength(6);
  request.FinishSum();
  return request;
}

void BM_RawHidRoundTrip(benchmark::State& state) {
  EmulatedChannel link(Link::Cable, kNoPauses);
  if (!link.Opened()) return state.SkipWithError("emulated mouse not reachable");
  // The same interface on a handle of its own, with the channel detached so that it is the only reader
  // of the replies.
  const std::string path = link.Channel().Handle().Path();
  link.Channel().Detach();
  HidDevice handle;
  if (!handle.Open(path, kHidReadWrite)) return state.SkipWithError("emulated mouse not reachable");
  const CommandReport request = StatusRequest();
  CommandReport reply;
  MeasureWithAllocations(state, [&] {
    std::size_t count = 0;
    handle.WriteReport(request.Bytes(), count, 1000);
    handle.ReadReport(reply.Bytes(), count, 1000);
    link.Mouse().ClearRequests();
  });
}
BENCHMARK(BM_RawHidRoundTrip)->MeasureProcessCPUTime();

void BM_Exchange(benchmark::State& state) {
  EmulatedChannel link(Link::Cable, kNoPauses);
  if (!link.Opened()) return state.SkipWithError("emulated mouse not reachable");
  CommandChannel& channel = link.Channel();
  const CommandReport request = StatusRequest();
  CommandReport reply;
  MeasureWithAllocations(state, [&] {
    std::size_t bytesRead = 0;
    if (channel.Exchange(request.Bytes(), reply.Bytes(), bytesRead) != kResultOk)
      state.SkipWithError("no reply");
    link.Mouse().ClearRequests();
  });
}
BENCHMARK(BM_Exchange)->MeasureProcessCPUTime();

void BM_WriteKeyTable(benchmark::State& state) {
  EmulatedChannel link(Link::Cable, kNoPauses);
  if (!link.Opened()) return state.SkipWithError("emulated mouse not reachable");
  CommandChannel& channel = link.Channel();
  std::array<std::uint8_t, kMaxKeyTableLength> table{};
  for (std::size_t i = 0; i < table.size(); ++i) table[i] = static_cast<std::uint8_t>(i);
  MeasureWithAllocations(state, [&] {
    if (channel.WriteKeyTable(table, 0) != kResultOk) state.SkipWithError("write failed");
    link.Mouse().ClearRequests();
  });
}
BENCHMARK(BM_WriteKeyTable)->MeasureProcessCPUTime();

void BM_CommandSum(benchmark::State& state) {
  std::array<std::uint8_t, kCommandReportSize> report{};
  for (std::size_t i = 0; i < report.size(); ++i) report[i] = static_cast<std::uint8_t>(i * 13);
  for (auto _ : state) {
    benchmark::DoNotOptimize(report);
    benchmark::DoNotOptimize(CommandSum(report));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(report.size()));
}
BENCHMARK(BM_CommandSum);

void BM_Crc16Modbus(benchmark::State& state) {
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(state.range(0)));
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7);
  for (auto _ : state) {
    benchmark::DoNotOptimize(bytes.data());
    benchmark::DoNotOptimize(Crc16Modbus(bytes));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_Crc16Modbus)->Arg(29)->Arg(4096);

}  // namespace
}  // namespace nimbel
