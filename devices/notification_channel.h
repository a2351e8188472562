#pragma once

// A device's notification interfaces: the one its cable brings and the one of its receiver, each listened
// to by its own thread while it is attached. Binding attaches and detaches them as they come and go.

#include <cstdint>
#include <functional>
#include <string_view>
#include <utility>

#include "devices/notification_listener.h"
#include "protocol/command_channel.h"

namespace nimbel {

class NotificationChannel {
 public:
  // Called on the listening thread of the interface the value came through.
  using Handler = std::function<void(std::uint16_t value, LinkPath link)>;

  explicit NotificationChannel(Handler handler) : handler_(std::move(handler)) {}

  // Opens `path` as the notification interface of `link` and listens on it, replacing what that link
  // had; false, with that link closed, when the path cannot be opened.
  bool Attach(std::string_view path, LinkPath link);
  void Detach(LinkPath link);
  // Both links; their threads are gone when it returns.
  void DetachAll();
  bool IsOpen(LinkPath link) const { return ListenerOf(link).IsOpen(); }

 private:
  NotificationListener& ListenerOf(LinkPath link) { return link == LinkPath::Receiver ? receiver_ : wired_; }
  const NotificationListener& ListenerOf(LinkPath link) const {
    return link == LinkPath::Receiver ? receiver_ : wired_;
  }

  Handler handler_;
  NotificationListener wired_;
  NotificationListener receiver_;
};

}  // namespace nimbel
