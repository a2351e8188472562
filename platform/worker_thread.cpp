#include "platform/worker_thread.h"

#include "platform/trace.h"

namespace nimbel {
namespace {

constexpr const char* kStoppedInTimeTrace = "线程退出：：对象处于激发状态\n";
constexpr const char* kStopTimedOutTrace = "线程退出：：对象处于非激发状态，超时\n";

}  // namespace

WorkerThread::~WorkerThread() {
  Stop(kDefaultStopBoundMs);
}

bool WorkerThread::Start(Body body) {
  if (thread_.joinable()) return false;
  stop_.Reset();
  finished_.Reset();
  thread_ = std::thread([this, body = std::move(body)] {
    body(stop_);
    finished_.Set();
  });
  return true;
}

bool WorkerThread::Stop(int boundMs) {
  if (!thread_.joinable()) return true;
  stop_.Set();
  const bool inTime = finished_.Wait(boundMs);
  if (!inTime) {
    Trace(kStopTimedOutTrace);
  } else if (stopTrace_ == StopTrace::kAlways) {
    Trace(kStoppedInTimeTrace);
  }
  thread_.join();
  return inTime;
}

}  // namespace nimbel
