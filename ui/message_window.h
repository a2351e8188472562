#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>

namespace nimbel {

class Event;

// A window that takes numbered messages (3090 device arrival, 3331 link state, registered messages, ...)
// from any thread, the way the program's windows did. Every message is handled on the window's own (UI)
// thread by HandleWindowMessage.
class CMessageWindow : public QWidget {
 public:
  using QWidget::QWidget;

  // Runs HandleWindowMessage now, on the calling thread; the entry of every posted and sent message.
  std::intptr_t DispatchWindowMessage(std::uint32_t message, std::intptr_t wParam, std::intptr_t lParam);

 protected:
  // Returns the message's result; set `handled` when the message was consumed.
  virtual std::intptr_t HandleWindowMessage(std::uint32_t message, std::intptr_t wParam, std::intptr_t lParam,
                                            bool& handled);
};

// Runs `call` on the thread of `receiver` (its event loop) and returns at once; safe from any thread.
// False when there is no receiver. A call still queued when the receiver is destroyed is dropped.
bool PostCall(QObject* receiver, std::function<void()> call);

// Runs `call` on the thread of `receiver` and returns once it ran: directly on that thread; from another
// thread queued, the caller waiting until it ran or until `cancel` (a manual-reset event, typically the
// worker's stop event) is set: a worker calling while the UI thread waits for that worker to stop then
// returns instead of deadlocking, and the call is skipped if it has not started yet. False when it did
// not run (cancelled, no receiver, or the receiver destroyed first).
bool SendCall(QObject* receiver, const std::function<void()>& call, Event* cancel = nullptr);

// Queues the message for the window's thread and returns at once; safe from any thread. False when there
// is no window. A message still queued when the window is destroyed is dropped.
bool PostMessage(CMessageWindow* window, std::uint32_t message, std::intptr_t wParam, std::intptr_t lParam);

// Has the window handle the message and returns its result. On the window's thread the call is direct.
// From another thread the message is queued and the caller waits for the result, until `cancel` (a
// manual-reset event, typically the worker's stop event) is set: a worker sending while the UI thread
// waits for that worker to stop then returns instead of deadlocking, and the message is skipped if it
// has not been handled yet. nullopt when cancelled, when there is no window, or when the window was
// destroyed before handling it.
std::optional<std::intptr_t> SendMessage(CMessageWindow* window, std::uint32_t message, std::intptr_t wParam,
                                         std::intptr_t lParam, Event* cancel = nullptr);

}  // namespace nimbel
