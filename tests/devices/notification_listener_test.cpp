#include "devices/notification_listener.h"

#include <gtest/gtest.h>

#include <mutex>
#include <vector>

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

  HidDevice handle;
  std::mutex lock;
  std::atomic<bool> open{false};
  {
    std::lock_guard guard(lock);
    ASSERT_TRUE(handle.Open(path, true, true, true, false));
    open = true;
  }
  ReceivedValues received;
  NotificationListener listener;
  ASSERT_TRUE(listener.Start(handle, open, [&received](std::uint16_t value) { received.Add(value); }));

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
  listener.Stop(handle, lock, open);
  EXPECT_FALSE(listener.IsRunning());
  EXPECT_FALSE(open.load());
  EXPECT_FALSE(handle.IsOpen());
  EXPECT_TRUE(trace.Contains("MS 设备同步线程设定退出"));
}

TEST(NotificationListener, RefusesAClosedHandle) {
  HidDevice handle;
  std::atomic<bool> open{false};
  NotificationListener listener;
  EXPECT_FALSE(listener.Start(handle, open, [](std::uint16_t) {}));
  EXPECT_FALSE(listener.IsRunning());
}

}  // namespace
}  // namespace nimbel
