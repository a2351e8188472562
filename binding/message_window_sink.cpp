#include "binding/message_window_sink.h"

#include "ui/message_window.h"

namespace nimbel {

void MessageWindowSink::Send(std::uint32_t message, std::intptr_t wParam, std::intptr_t lParam,
                             Event& cancel) {
  SendMessage(window_, message, wParam, lParam, &cancel);
}

void MessageWindowSink::Post(std::uint32_t message, std::intptr_t wParam, std::intptr_t lParam) {
  PostMessage(window_, message, wParam, lParam);
}

}  // namespace nimbel
