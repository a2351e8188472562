#include "ui/message_window.h"

#include <QMetaObject>
#include <QThread>
#include <array>
#include <atomic>
#include <memory>

#include "platform/event.h"

namespace nimbel {
namespace {

// What a cross-thread call shares between the waiting caller and the UI thread.
struct SentCall {
  Event done{Event::ResetMode::kManual};
  std::atomic<bool> abandoned{false};
  bool delivered = false;
};

// Owned by the queued call only: however that call ends (run, or dropped with its window), the caller
// is released.
struct Completion {
  std::shared_ptr<SentCall> sent;
  explicit Completion(std::shared_ptr<SentCall> state) : sent(std::move(state)) {}
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

bool PostCall(QObject* receiver, std::function<void()> call) {
  if (receiver == nullptr) return false;
  return QMetaObject::invokeMethod(receiver, std::move(call), Qt::QueuedConnection);
}

bool SendCall(QObject* receiver, const std::function<void()>& call, Event* cancel) {
  if (receiver == nullptr) return false;
  if (QThread::currentThread() == receiver->thread()) {
    call();
    return true;
  }

  auto sent = std::make_shared<SentCall>();
  auto completion = std::make_shared<Completion>(sent);
  const bool queued = QMetaObject::invokeMethod(
      receiver,
      [call, completion] {
        SentCall& state = *completion->sent;
        if (state.abandoned.load()) return;
        call();
        state.delivered = true;
        state.done.Set();
      },
      Qt::QueuedConnection);
  completion.reset();
  if (!queued) return false;

  std::array<Event*, 2> events{&sent->done, cancel};
  const std::size_t count = cancel != nullptr ? 2 : 1;
  const int signalled = WaitForAnyEvent(std::span<Event* const>(events.data(), count), Event::kInfinite);
  if (signalled != 0) {
    sent->abandoned.store(true);
    return false;
  }
  return sent->delivered;
}

bool PostMessage(CMessageWindow* window, std::uint32_t message, std::intptr_t wParam, std::intptr_t lParam) {
  if (window == nullptr) return false;
  return PostCall(
      window, [window, message, wParam, lParam] { window->DispatchWindowMessage(message, wParam, lParam); });
}

std::optional<std::intptr_t> SendMessage(CMessageWindow* window, std::uint32_t message, std::intptr_t wParam,
                                         std::intptr_t lParam, Event* cancel) {
  // Shared, not on this stack: a call already running when the caller is cancelled still writes it.
  auto result = std::make_shared<std::intptr_t>(0);
  const bool handled = SendCall(
      window,
      [window, message, wParam, lParam, result] {
        *result = window->DispatchWindowMessage(message, wParam, lParam);
      },
      cancel);
  if (!handled) return std::nullopt;
  return *result;
}

}  // namespace nimbel
