#pragma once

#include <functional>
#include <thread>

#include "platform/event.h"

namespace nimbel {

// One worker thread with its own manual-reset stop event. The body must watch the event (poll it or pass
// it to its blocking calls as their cancel signal) and return once it is set. Stop waits a bounded time
// and traces whether the thread ended in that time; it then joins in any case, because a thread cannot be
// killed safely and every wait our bodies make is cancellable, so the join ends soon after.
class WorkerThread {
 public:
  using Body = std::function<void(Event& stop)>;
  // The trace shows how each of the program's long-lived threads ended. A thread of our own making that
  // the trace never showed reports only a stop that ran late, so the trace of a run stays comparable.
  enum class StopTrace { kAlways, kOnlyWhenLate };

  explicit WorkerThread(StopTrace stopTrace = StopTrace::kAlways) : stopTrace_(stopTrace) {}
  // Stops with the lighting thread's bound; a worker is never left running or detached.
  ~WorkerThread();
  WorkerThread(const WorkerThread&) = delete;
  WorkerThread& operator=(const WorkerThread&) = delete;

  // False when a thread is already running: one object, one thread at a time.
  bool Start(Body body);

  // Signals the stop event and waits up to boundMs for the body to return. Returns true when it did;
  // false when the bound passed first (the time-out trace line is written and the join still happens).
  // A negative bound waits as long as it takes. Stopping an object without a thread returns true and
  // writes nothing.
  bool Stop(int boundMs);

  bool IsRunning() const { return thread_.joinable(); }

  // Lets a blocking call made on the worker's behalf end when the worker is asked to stop.
  Event& StopEvent() { return stop_; }

  static constexpr int kDefaultStopBoundMs = 1000;

 private:
  Event stop_{Event::ResetMode::kManual};
  Event finished_{Event::ResetMode::kManual};
  StopTrace stopTrace_;
  std::thread thread_;
};

}  // namespace nimbel
