#include "ui/message_window.h"

#include <QMetaObject>
#include <QThread>
#include <array>
#include <atomic>
#include <memory>

#include "platform/event.h"

namespace nimbel {
namespace {

// What a cross-thread send shares between the waiting caller and the UI thread.
struct SentMessage {
  Event done{Event::ResetMode::kManual};
  std::atomic<bool> abandoned{false};
  bool delivered = false;
  std::intptr_t result = 0;
};

// Owned by the queued call only: however that call ends (run, or dropped with its window), the caller
// is released.
struct Completion {
  std::shared_ptr<SentMessage> sent;
  explicit Completion(std::shared_ptr<SentMessage> state) : sent(std::move(state)) {}
  ~Completion() { sent->done.Set(); }
  Completion(const Completion&) = delete;
  Completion& operator=(const Completion&) = delete;
};

}  // namespace

std::intptr_t CMessageWindow::DispatchWindowMessage(std::uint32_t message, std::intptr_t wParam,
                                                    std::intptr_t lParam) {
  bool handled = false;
  return HandleWindowMessage(message, wParam, lParam, handled);
}

std::intptr_t CMessageWindow::HandleWindowMessage(std::uint32_t, std::intptr_t, std::intptr_t,
                                                  bool& handled) {
  handled = false;
  return 0;
}

bool PostMessage(CMessageWindow* window, std::uint32_t message, std::intptr_t wParam, std::intptr_t lParam) {
  if (window == nullptr) return false;
  return QMetaObject::invokeMethod(
      window, [window, message, wParam, lParam] { window->DispatchWindowMessage(message, wParam, lParam); },
      Qt::QueuedConnection);
}

std::optional<std::intptr_t> SendMessage(CMessageWindow* window, std::uint32_t message, std::intptr_t wParam,
                                         std::intptr_t lParam, Event* cancel) {
  if (window == nullptr) return std::nullopt;
  if (QThread::currentThread() == window->thread())
    return window->DispatchWindowMessage(message, wParam, lParam);

  auto sent = std::make_shared<SentMessage>();
  auto completion = std::make_shared<Completion>(sent);
  const bool queued = QMetaObject::invokeMethod(
      window,
      [window, message, wParam, lParam, completion] {
        SentMessage& state = *completion->sent;
        if (state.abandoned.load()) return;
        state.result = window->DispatchWindowMessage(message, wParam, lParam);
        state.delivered = true;
        state.done.Set();
      },
      Qt::QueuedConnection);
  completion.reset();
  if (!queued) return std::nullopt;

  std::array<Event*, 2> events{&sent->done, cancel};
  const std::size_t count = cancel != nullptr ? 2 : 1;
  const int signalled = WaitForAnyEvent(std::span<Event* const>(events.data(), count), Event::kInfinite);
  if (signalled != 0) {
    sent->abandoned.store(true);
    return std::nullopt;
  }
  if (!sent->delivered) return std::nullopt;
  return sent->result;
}

}  // namespace nimbel
