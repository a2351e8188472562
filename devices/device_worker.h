#pragma once

// The device's own thread for its exchange sequences. The UI thread queues a job; the worker runs the
// jobs one after another in the order they were queued, so that the sequences reach the device in the
// order they were asked for and never interleave. A job asks its CancelCheck before each exchange and
// ends once it says so; one exchange is bounded by the channel's own time limits, so a cancelled job
// ends within one exchange. Cancelled jobs still queued are called all the same, their check saying
// cancelled from the start: they send nothing, and their owner learns that they ended (a write that
// never went out stays pending). Qt-free: the device class brings results back to the UI thread itself.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>

#include "platform/worker_thread.h"

namespace nimbel {

class DeviceWorker {
 public:
  // The longest exchange of either path (a write on the receiver path) and the read after it.
  static constexpr int kStopBoundMs = 6000;

  // What a job asks between its exchanges; valid while the job runs.
  class CancelCheck {
   public:
    CancelCheck(const DeviceWorker& worker, std::uint64_t generation)
        : worker_(worker), generation_(generation) {}
    bool IsCancelled() const { return worker_.IsCancelled(generation_); }
    // Pauses up to `ms`; false (at once) when the job is cancelled meanwhile.
    bool Pause(int ms) const { return worker_.Pause(generation_, ms); }

   private:
    const DeviceWorker& worker_;
    std::uint64_t generation_;
  };
  using Job = std::function<void(const CancelCheck&)>;

  DeviceWorker();
  // Cancels and joins (Stop).
  ~DeviceWorker();
  DeviceWorker(const DeviceWorker&) = delete;
  DeviceWorker& operator=(const DeviceWorker&) = delete;

  // Queues `job` behind every job queued before it. Dropped after Stop.
  void Post(Job job);
  // Cancels the running job and every queued one.
  void CancelAll();
  // Cancels everything and ends the thread within `boundMs` (traced only when late); the thread is
  // joined in any case. Queued jobs are dropped without a call: their owner is going.
  bool Stop(int boundMs = kStopBoundMs);

 private:
  struct QueuedJob {
    Job job;
    std::uint64_t generation;
  };

  void Run();
  bool IsCancelled(std::uint64_t generation) const;
  bool Pause(std::uint64_t generation, int ms) const;

  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::deque<QueuedJob> queue_;
  std::uint64_t generation_ = 0;
  bool stopping_ = false;
  WorkerThread thread_{WorkerThread::StopTrace::kOnlyWhenLate};
};

}  // namespace nimbel
