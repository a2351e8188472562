#pragma once

#include <cstdint>

namespace nimbel {

class Event;

// Where a worker's messages to the main window go. The application implements it with its message
// window; tests record the messages. Keeping the worker on this interface keeps it free of the window
// toolkit.
class IWindowMessageSink {
 public:
  virtual ~IWindowMessageSink() = default;

  // Returns once the main window has handled the message, or, unhandled, as soon as `cancel` is set: a
  // worker told to stop while the window is busy waiting for it must not wait for the window in turn.
  virtual void Send(std::uint32_t message, std::intptr_t wParam, std::intptr_t lParam, Event& cancel) = 0;

  // Queues the message and returns at once.
  virtual void Post(std::uint32_t message, std::intptr_t wParam, std::intptr_t lParam) = 0;
};

}  // namespace nimbel
