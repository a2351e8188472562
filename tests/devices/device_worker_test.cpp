#include "devices/device_worker.h"

#include <gtest/gtest.h>

#include <mutex>
#include <vector>

#include "platform/event.h"

namespace nimbel {
namespace {

// A failure bound for waits on the worker; never a measure of speed.
constexpr int kWaitBoundMs = 10000;
// Longer than any test may take: a pause that returns did so because it was cancelled.
constexpr int kEndlessPauseMs = 600000;

// What the jobs saw, in the order they saw it.
class Journal {
 public:
  void Add(int entry) {
    std::lock_guard lock(mutex_);
    entries_.push_back(entry);
  }
  std::vector<int> Entries() const {
    std::lock_guard lock(mutex_);
    return entries_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<int> entries_;
};

constexpr int kCancelled = -1;

TEST(DeviceWorker, RunsJobsOneAfterAnotherInTheOrderQueued) {
  DeviceWorker worker;
  Journal journal;
  Event done(Event::ResetMode::kManual);
  for (int job = 0; job < 5; ++job) {
    worker.Post([&journal, job](const DeviceWorker::CancelCheck&) { journal.Add(job); });
  }
  worker.Post([&done](const DeviceWorker::CancelCheck&) { done.Set(); });
  ASSERT_TRUE(done.Wait(kWaitBoundMs));
  EXPECT_EQ(journal.Entries(), (std::vector<int>{0, 1, 2, 3, 4}));
}

TEST(DeviceWorker, CancelAllEndsTheRunningJobAndCancelsTheQueuedOnesButNotLaterOnes) {
  DeviceWorker worker;
  Journal journal;
  Event running(Event::ResetMode::kManual);
  Event done(Event::ResetMode::kManual);
  worker.Post([&](const DeviceWorker::CancelCheck& cancel) {
    running.Set();
    journal.Add(cancel.Pause(kEndlessPauseMs) ? 1 : kCancelled);
  });
  worker.Post(
      [&](const DeviceWorker::CancelCheck& cancel) { journal.Add(cancel.IsCancelled() ? kCancelled : 2); });
  ASSERT_TRUE(running.Wait(kWaitBoundMs));

  worker.CancelAll();
  worker.Post([&](const DeviceWorker::CancelCheck& cancel) {
    journal.Add(cancel.IsCancelled() ? kCancelled : 3);
    done.Set();
  });
  ASSERT_TRUE(done.Wait(kWaitBoundMs));
  EXPECT_EQ(journal.Entries(), (std::vector<int>{kCancelled, kCancelled, 3}));
}

TEST(DeviceWorker, StopEndsTheRunningJobAndDropsTheQueue) {
  DeviceWorker worker;
  Journal journal;
  Event running(Event::ResetMode::kManual);
  worker.Post([&](const DeviceWorker::CancelCheck& cancel) {
    running.Set();
    journal.Add(cancel.Pause(kEndlessPauseMs) ? 1 : kCancelled);
  });
  worker.Post([&](const DeviceWorker::CancelCheck&) { journal.Add(2); });
  ASSERT_TRUE(running.Wait(kWaitBoundMs));

  EXPECT_TRUE(worker.Stop());
  EXPECT_EQ(journal.Entries(), (std::vector<int>{kCancelled}));
}

}  // namespace
}  // namespace nimbel
