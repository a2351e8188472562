#include "devices/notification_listener.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "devices/notification_channel.h"
#include "mouse_binding.h"
#include "platform/event.h"

namespace nimbel {
namespace {

using namespace devices_test;

constexpr int kFailureBoundMs = 10000;

struct ReceivedValues {
  std::mutex mutex;
  std::vector<std::uint16_t> values;
  Event arrived{Event::ResetMode::kAuto};

  void Add(std::uint16_t value) {
    {
      std::lock_guard lock(mutex);
      values.push_back(value);
    }
    arrived.Set();
  }
};

TEST(NotificationListener, HandsOverEachValueAndEndsWhenItsHandleCloses) {
  emulator::DeviceEmulator emulator;
  emulator::EmulatedMouse& mouse = emulator.PlugMouseCable();
  InstallHidBackend(emulator.Bus());
  const std::string path = FindCollectionPath(*emulator.Bus(), kCableNotification);
  ASSERT_FALSE(path.empty());

  ReceivedValues received;
  NotificationListener listener;
  ASSERT_TRUE(listener.Open(path, [&received](std::uint16_t value) { received.Add(value); }));
  EXPECT_TRUE(listener.IsOpen());

  for (std::uint16_t value : {std::uint16_t{0x0401}, std::uint16_t{0x1123}}) {
    mouse.SendNotification(value);
    ASSERT_TRUE(received.arrived.Wait(kFailureBoundMs)) << value;
  }
  {
    std::lock_guard guard(received.mutex);
    EXPECT_EQ(received.values, (std::vector<std::uint16_t>{0x0401, 0x1123}));
  }

  // The thread sits in a read without a time limit: only closing the handle lets it see the stop.
  TraceLines trace;
  listener.Close();
  EXPECT_FALSE(listener.IsRunning());
  EXPECT_FALSE(listener.IsOpen());
  EXPECT_TRUE(trace.Contains("MS 设备同步线程设定退出"));
}

TEST(NotificationListener, APathThatCannotBeOpenedStartsNoThread) {
  NotificationListener listener;
  EXPECT_FALSE(listener.Open("/dev/hidraw-missing", [](std::uint16_t) {}));
  EXPECT_FALSE(listener.IsRunning());
  EXPECT_FALSE(listener.IsOpen());
}

// The values a notification channel handed over, with the link each came through.
class LinkValues {
 public:
  using Value = std::pair<std::uint16_t, LinkPath>;

  void Add(std::uint16_t value, LinkPath link) {
    {
      std::lock_guard lock(mutex_);
      values_.emplace_back(value, link);
    }
    changed_.notify_all();
  }
  // The values once there are `count` of them (a failure bound only), else what there is.
  std::vector<Value> WaitFor(std::size_t count) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, std::chrono::milliseconds(kFailureBoundMs),
                      [&] { return values_.size() >= count; });
    return values_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Value> values_;
};

TEST(NotificationChannel, EachLinkListensOnItsOwnUntilItIsDetached) {
  emulator::DeviceEmulator emulator;
  emulator::EmulatedMouse& mouse = emulator.PlugMouseCable();
  emulator.PlugMouseReceiver();
  InstallHidBackend(emulator.Bus());
  LinkValues received;
  NotificationChannel channel([&received](std::uint16_t value, LinkPath link) { received.Add(value, link); });
  ASSERT_TRUE(channel.Attach(FindCollectionPath(*emulator.Bus(), kCableNotification), LinkPath::Wired));
  ASSERT_TRUE(channel.Attach(FindCollectionPath(*emulator.Bus(), kReceiverNotification), LinkPath::Receiver));

  // The mouse reports through every interface that reaches it.
  mouse.SendNotification(0x0401);
  auto both = received.WaitFor(2);
  std::ranges::sort(both, [](const auto& a, const auto& b) { return a.second < b.second; });
  EXPECT_EQ(both, (std::vector<LinkValues::Value>{{0x0401, LinkPath::Wired}, {0x0401, LinkPath::Receiver}}));

  channel.Detach(LinkPath::Wired);
  EXPECT_FALSE(channel.IsOpen(LinkPath::Wired));
  EXPECT_TRUE(channel.IsOpen(LinkPath::Receiver));
  mouse.SendNotification(0x1123);
  const auto all = received.WaitFor(3);
  channel.DetachAll();
  EXPECT_FALSE(channel.IsOpen(LinkPath::Receiver));
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all.back(), (LinkValues::Value{0x1123, LinkPath::Receiver}));
  // Nothing came through the detached link after all.
  EXPECT_EQ(received.WaitFor(0).size(), 3u);
}

}  // namespace
}  // namespace nimbel
