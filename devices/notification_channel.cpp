#include "devices/notification_channel.h"

namespace nimbel {

bool NotificationChannel::Attach(std::string_view path, LinkPath link) {
  return ListenerOf(link).Open(path, [this, link](std::uint16_t value) { handler_(value, link); });
}

void NotificationChannel::Detach(LinkPath link) {
  ListenerOf(link).Close();
}

void NotificationChannel::DetachAll() {
  wired_.Close();
  receiver_.Close();
}

}  // namespace nimbel
