#pragma once

#include "catalogue/window_message_sink.h"

namespace nimbel {

class CMessageWindow;

// Delivers a worker's messages to the main window: sent ones as blocking calls on the window's thread
// that the worker's stop event cancels, posted ones queued.
class MessageWindowSink final : public IWindowMessageSink {
 public:
  // The window must outlive every worker that uses the sink.
  explicit MessageWindowSink(CMessageWindow* window) : window_(window) {}

  void Send(std::uint32_t message, std::intptr_t wParam, std::intptr_t lParam, Event& cancel) override;
  void Post(std::uint32_t message, std::intptr_t wParam, std::intptr_t lParam) override;

 private:
  CMessageWindow* window_;
};

}  // namespace nimbel
