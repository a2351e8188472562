#pragma once

#include "catalogue/window_message_sink.h"

class QObject;

namespace nimbel {

// Delivers a worker's calls to the main window: the arrivals and removals as blocking calls on the
// window's thread that the worker's stop event cancels, the end of the first pass queued.
class MessageWindowSink final : public IWindowMessageSink {
 public:
  // The window must outlive every worker that uses the sink; `events` is its handling of the calls.
  MessageWindowSink(QObject* window, IMainWindowEvents& events) : window_(window), events_(events) {}

  void DeviceArrived(std::size_t slot, Event& cancel) override;
  void DeviceRemoved(std::size_t slot, Event& cancel) override;
  void FirstDetectionPassDone() override;

 private:
  QObject* window_;
  IMainWindowEvents& events_;
};

}  // namespace nimbel
