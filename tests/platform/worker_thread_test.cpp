#include "platform/worker_thread.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/trace.h"

namespace nimbel {
namespace {

constexpr int kFailureBoundMs = 10000;
constexpr const char* kInTimeLine = "线程退出：：对象处于激发状态\n";
constexpr const char* kTimedOutLine = "线程退出：：对象处于非激发状态，超时\n";

TEST(WorkerThread, StopsWithinTheBoundAndTracesItUnlessOnlyALateStopIsTraced) {
  const std::pair<WorkerThread::StopTrace, std::vector<std::string>> cases[] = {
      {WorkerThread::StopTrace::kAlways, {kInTimeLine}},
      {WorkerThread::StopTrace::kOnlyWhenLate, {}},
  };
  for (const auto& [stopTrace, expectedLines] : cases) {
    std::vector<std::string> lines;
    ScopedTraceCapture capture([&](std::string_view line) { lines.emplace_back(line); });
    WorkerThread worker(stopTrace);
    Event* seenStop = nullptr;
    ASSERT_TRUE(worker.Start([&](Event& stop) {
      seenStop = &stop;
      while (!stop.Wait(kFailureBoundMs)) {
      }
    }));
    EXPECT_FALSE(worker.Start([](Event&) {}));

    EXPECT_TRUE(worker.Stop(kFailureBoundMs));
    EXPECT_FALSE(worker.IsRunning());
    EXPECT_EQ(seenStop, &worker.StopEvent());
    EXPECT_EQ(lines, expectedLines);
  }
}

TEST(WorkerThread, ATimedOutStopIsTracedAndStillJoins) {
  for (const auto stopTrace : {WorkerThread::StopTrace::kAlways, WorkerThread::StopTrace::kOnlyWhenLate}) {
    // The body ignores its stop event until the time-out line is written, so the bound always passes first.
    Event release(Event::ResetMode::kManual);
    std::vector<std::string> lines;
    ScopedTraceCapture capture([&](std::string_view line) {
      lines.emplace_back(line);
      if (line == kTimedOutLine) release.Set();
    });
    bool bodyEnded = false;
    WorkerThread worker(stopTrace);
    ASSERT_TRUE(worker.Start([&](Event&) {
      release.Wait(Event::kInfinite);
      bodyEnded = true;
    }));

    EXPECT_FALSE(worker.Stop(1));
    EXPECT_TRUE(bodyEnded);
    EXPECT_FALSE(worker.IsRunning());
    EXPECT_EQ(lines, std::vector<std::string>{kTimedOutLine});
  }
}

TEST(WorkerThread, CanRunAgainAfterAStopAndStopsOnDestruction) {
  int runs = 0;
  {
    WorkerThread worker;
    for (int round = 0; round < 2; ++round) {
      ASSERT_TRUE(worker.Start([&](Event& stop) {
        ++runs;
        stop.Wait(Event::kInfinite);
      }));
      ASSERT_TRUE(worker.Stop(kFailureBoundMs));
    }
    ASSERT_TRUE(worker.Start([&](Event& stop) {
      stop.Wait(Event::kInfinite);
      ++runs;
    }));
  }
  EXPECT_EQ(runs, 3);
}

TEST(WorkerThread, StoppingWithoutAThreadWritesNothing) {
  std::vector<std::string> lines;
  ScopedTraceCapture capture([&](std::string_view line) { lines.emplace_back(line); });
  WorkerThread worker;
  EXPECT_TRUE(worker.Stop(0));
  EXPECT_TRUE(lines.empty());
}

}  // namespace
}  // namespace nimbel
