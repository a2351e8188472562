#include "devices/device_worker.h"

#include <chrono>

namespace nimbel {

DeviceWorker::DeviceWorker() {
  thread_.Start([this](Event&) { Run(); });
}

DeviceWorker::~DeviceWorker() {
  Stop();
}

void DeviceWorker::Post(Job job) {
  {
    std::lock_guard lock(mutex_);
    if (stopping_) return;
    queue_.push_back({std::move(job), generation_});
  }
  changed_.notify_all();
}

void DeviceWorker::CancelAll() {
  {
    std::lock_guard lock(mutex_);
    ++generation_;
  }
  changed_.notify_all();
}

bool DeviceWorker::Stop(int boundMs) {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    queue_.clear();
  }
  changed_.notify_all();
  return thread_.Stop(boundMs);
}

void DeviceWorker::Run() {
  std::unique_lock lock(mutex_);
  while (true) {
    changed_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
    if (stopping_) return;
    QueuedJob next = std::move(queue_.front());
    queue_.pop_front();
    lock.unlock();
    next.job(CancelCheck(*this, next.generation));
    // The job's captures go before the next job starts, outside the lock.
    next.job = nullptr;
    lock.lock();
  }
}

bool DeviceWorker::IsCancelled(std::uint64_t generation) const {
  std::lock_guard lock(mutex_);
  return stopping_ || generation != generation_;
}

bool DeviceWorker::Pause(std::uint64_t generation, int ms) const {
  std::unique_lock lock(mutex_);
  const bool cancelled = changed_.wait_for(lock, std::chrono::milliseconds(ms),
                                           [&] { return stopping_ || generation != generation_; });
  return !cancelled;
}

}  // namespace nimbel
