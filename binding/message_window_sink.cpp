#include "binding/message_window_sink.h"

#include "ui/message_window.h"

namespace nimbel {

void MessageWindowSink::DeviceArrived(std::size_t slot, Event& cancel) {
  SendCall(
      window_, [this, slot] { events_.DeviceArrived(slot); }, &cancel);
}

void MessageWindowSink::DeviceRemoved(std::size_t slot, Event& cancel) {
  SendCall(
      window_, [this, slot] { events_.DeviceRemoved(slot); }, &cancel);
}

void MessageWindowSink::FirstDetectionPassDone() {
  PostCall(window_, [this] { events_.FirstDetectionPassDone(); });
}

}  // namespace nimbel
