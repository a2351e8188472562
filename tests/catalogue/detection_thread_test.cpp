#include "catalogue/detection_thread.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "catalogue/window_messages.h"
#include "emulator/emulator.h"
#include "emulator/interfaces.h"
#include "emulator/report_descriptors.h"
#include "hid/virtual_hid.h"
#include "platform/event.h"
#include "platform/registered_messages.h"
#include "platform/trace.h"

namespace nimbel {
namespace {

// Failure bound for waits on the thread; never a measure of speed.
constexpr auto kWaitBound = std::chrono::seconds(10);
// Passes follow each other quickly, so that tests of what one pass does need not wait for announcements.
constexpr int kQuickSafetyPassMs = 20;
// Far beyond kWaitBound and the stop bound: whatever the thread finds or does within them, it did on an
// announcement or a stop request.
constexpr int kNoSafetyPassMs = 60'000;

// How the backend announces changes.
enum class Announcements { kBus, kNone, kBroken };

// The emulator's bus, with the number of enumerations counted, enumeration failures on demand, and
// "pinned" paths that pass the presence test although no device stands behind them.
class ObservedBackend final : public HidBackend {
 public:
  explicit ObservedBackend(std::shared_ptr<HidBackend> inner,
                           Announcements announcements = Announcements::kBus)
      : inner_(std::move(inner)), announcements_(announcements) {}

  bool EnumeratePaths(std::vector<std::string>& paths) override {
    ++enumerations;
    if (failEnumeration) return false;
    return inner_->EnumeratePaths(paths);
  }

  std::unique_ptr<HidConnection> Open(const std::string& path, const HidOpenMode& mode) override {
    if (!mode.read && !mode.write) ++presenceTests;
    if (IsPinned(path)) return (mode.read || mode.write) ? nullptr : std::make_unique<PinnedConnection>();
    return inner_->Open(path, mode);
  }

  std::unique_ptr<HidChangeWatch> WatchChanges() override {
    switch (announcements_) {
      case Announcements::kBus:
        return inner_->WatchChanges();
      case Announcements::kNone:
        return nullptr;
      case Announcements::kBroken:
        return std::make_unique<BrokenWatch>();
    }
    return nullptr;
  }

  void Pin(const std::string& path) {
    std::lock_guard lock(mutex_);
    pinned_.insert(path);
  }
  void Unpin(const std::string& path) {
    std::lock_guard lock(mutex_);
    pinned_.erase(path);
  }

  std::atomic<int> enumerations{0};
  std::atomic<int> presenceTests{0};
  std::atomic<bool> failEnumeration{false};

 private:
  class BrokenWatch final : public HidChangeWatch {
   public:
    WaitResult Wait(int, const AbortEvent&) override { return WaitResult::Failed; }
  };

  class PinnedConnection final : public HidConnection {
   public:
    HidAttributes Attributes() const override { return {}; }
    std::span<const std::uint8_t> ReportDescriptor() const override { return descriptor_; }
    TransferResult Read(std::span<std::uint8_t>, int, AbortEvent&, std::size_t&) override {
      return TransferResult::Failed;
    }
    TransferResult Write(std::span<const std::uint8_t>, int, AbortEvent&, std::size_t&) override {
      return TransferResult::Failed;
    }

   private:
    std::vector<std::uint8_t> descriptor_ = emulator::CommandCollection();
  };

  bool IsPinned(const std::string& path) {
    std::lock_guard lock(mutex_);
    return pinned_.contains(path);
  }

  std::shared_ptr<HidBackend> inner_;
  const Announcements announcements_;
  std::mutex mutex_;
  std::set<std::string> pinned_;
};

struct Recorded {
  std::uint32_t message;
  std::intptr_t wParam;
  // Whether the slot named by wParam was attached while the window handled the message.
  bool slotAttached;
};

// The main window's side, handling each message on the detection thread as a synchronous send would.
class RecordingSink final : public IWindowMessageSink {
 public:
  explicit RecordingSink(const InterfaceSlotList& slotList) : slots_(slotList) {}

  void DeviceArrived(std::size_t slot, Event&) override { RecordSlot(kDeviceArrivedMessage, slot); }
  void DeviceRemoved(std::size_t slot, Event&) override { RecordSlot(kDeviceRemovedMessage, slot); }
  void FirstDetectionPassDone() override { Record({RegisterWindowMessage(kInstanceMessageName), 0, false}); }

  std::vector<Recorded> Messages() const {
    std::lock_guard lock(mutex_);
    return messages_;
  }
  // The wParams of one message, in order.
  std::vector<std::intptr_t> Slots(std::uint32_t message) const {
    std::vector<std::intptr_t> slotList;
    for (const Recorded& r : Messages()) {
      if (r.message == message) slotList.push_back(r.wParam);
    }
    return slotList;
  }
  bool WaitFor(const std::function<bool()>& done) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, kWaitBound, [&] {
      lock.unlock();
      const bool result = done();
      lock.lock();
      return result;
    });
  }

 private:
  // Kept by the message number that names the call, with whether the slot was attached meanwhile.
  void RecordSlot(std::uint32_t message, std::size_t slot) {
    const auto index = static_cast<std::intptr_t>(slot);
    const bool attached = InterfaceSlotList::IsIndex(index) && slots_.Slot(slot).present != 0;
    Record({message, index, attached});
  }
  void Record(const Recorded& r) {
    {
      std::lock_guard lock(mutex_);
      messages_.push_back(r);
    }
    changed_.notify_all();
  }

  const InterfaceSlotList& slots_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Recorded> messages_;
};

const std::uint32_t kInstanceMessage = RegisterWindowMessage(kInstanceMessageName);

class DetectionThreadTest : public ::testing::Test {
 protected:
  void SetUp() override { InstallHidBackend(backend); }

  // Waits until the thread has started `count` more enumerations than now, so whatever it could see
  // before has been looked at in full at least once.
  bool WaitForEnumerations(int count) {
    const int target = backend->enumerations.load() + count;
    return WaitUntil([&] { return backend->enumerations.load() >= target; });
  }
  bool WaitForPresenceTests(int count) {
    const int target = backend->presenceTests.load() + count;
    return WaitUntil([&] { return backend->presenceTests.load() >= target; });
  }
  // The thread changes the counters, not the sink: poll them on the stop-checked cadence of a test.
  static bool WaitUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + kWaitBound;
    Event never(Event::ResetMode::kManual);
    while (!done()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      never.Wait(5);
    }
    return true;
  }
  bool WaitForMessages(std::uint32_t message, std::size_t count) {
    return sink.WaitFor([&] { return sink.Slots(message).size() >= count; });
  }

  emulator::DeviceEmulator emulator;
  std::shared_ptr<ObservedBackend> backend = std::make_shared<ObservedBackend>(emulator.Bus());
  InterfaceSlotList slotList;
  RecordingSink sink{slotList};
  DetectionThread thread{slotList, sink, kQuickSafetyPassMs};
};

TEST_F(DetectionThreadTest, FirstPassAnnouncesItselfOnceEvenWithNothingAttached) {
  ASSERT_TRUE(thread.Start());
  ASSERT_TRUE(WaitForMessages(kInstanceMessage, 1));
  ASSERT_TRUE(WaitForEnumerations(2));
  EXPECT_EQ(sink.Slots(kInstanceMessage).size(), 1u);
  EXPECT_TRUE(sink.Slots(kDeviceArrivedMessage).empty());
}

TEST_F(DetectionThreadTest, CabledMouseFillsItsCommandAndNotificationSlotsInOrder) {
  emulator.PlugMouseCable();
  ASSERT_TRUE(thread.Start());
  ASSERT_TRUE(WaitForMessages(kDeviceArrivedMessage, 2));
  ASSERT_TRUE(WaitForEnumerations(2));

  EXPECT_EQ(sink.Slots(kDeviceArrivedMessage), (std::vector<std::intptr_t>{4, 5}));
  for (const std::size_t index : {4u, 5u}) {
    const InterfaceSlot slot = slotList.Slot(index);
    EXPECT_EQ(slot.present, 1);
    EXPECT_NE(slot.path.find("vid_320f&pid_226e&mi_01"), std::string::npos) << slot.path;
  }
  for (const Recorded& r : sink.Messages()) {
    if (r.message == kDeviceArrivedMessage) {
      EXPECT_TRUE(r.slotAttached) << r.wParam;
    }
  }
}

TEST_F(DetectionThreadTest, UnpluggedInterfacesAreFreedBeforeTheirRemovalIsSent) {
  emulator.PlugMouseReceiver();
  emulator.PlugMouse2Receiver();
  ASSERT_TRUE(thread.Start());
  ASSERT_TRUE(WaitForMessages(kDeviceArrivedMessage, 4));
  EXPECT_EQ(sink.Slots(kDeviceArrivedMessage), (std::vector<std::intptr_t>{7, 6, 11, 10}));

  emulator.UnplugMouseReceiver();
  ASSERT_TRUE(WaitForMessages(kDeviceRemovedMessage, 2));
  ASSERT_TRUE(WaitForPresenceTests(4));

  auto removed = sink.Slots(kDeviceRemovedMessage);
  std::sort(removed.begin(), removed.end());
  EXPECT_EQ(removed, (std::vector<std::intptr_t>{6, 7}));
  for (const Recorded& r : sink.Messages()) {
    if (r.message == kDeviceRemovedMessage) {
      EXPECT_FALSE(r.slotAttached) << r.wParam;
    }
  }
  for (const std::size_t index : {6u, 7u}) {
    EXPECT_EQ(slotList.Slot(index).present, 0);
    EXPECT_TRUE(slotList.Slot(index).path.empty());
  }
  EXPECT_EQ(slotList.Slot(10).present, 1);
  EXPECT_EQ(slotList.Slot(11).present, 1);
}

TEST_F(DetectionThreadTest, ReplugIsAnnouncedAgainAtTheNewPath) {
  emulator.PlugMouseCable();
  ASSERT_TRUE(thread.Start());
  ASSERT_TRUE(WaitForMessages(kDeviceArrivedMessage, 2));
  const std::string firstPath = slotList.Slot(4).path;

  emulator.UnplugMouseCable();
  ASSERT_TRUE(WaitForMessages(kDeviceRemovedMessage, 2));
  emulator.PlugMouseCable();
  ASSERT_TRUE(WaitForMessages(kDeviceArrivedMessage, 4));

  EXPECT_EQ(sink.Slots(kDeviceArrivedMessage), (std::vector<std::intptr_t>{4, 5, 4, 5}));
  EXPECT_NE(slotList.Slot(4).path, firstPath);
}

// The path names the cabled mouse's command collection, but the collection is not the command one.
TEST_F(DetectionThreadTest, RightPathWithWrongUsageIsNeverAnnounced) {
  using namespace emulator;
  const std::vector<std::vector<std::uint8_t>> collections{KeyboardCollection(), SystemControlCollection(),
                                                           NotificationCollection()};
  VirtualHidDeviceInfo impostor;
  impostor.attributes = {0x320F, 0x226E, 0x0100};
  impostor.interfaces.push_back({1, std::make_shared<PlainInterface>(JoinCollections(collections))});
  emulator.Bus()->Plug(std::move(impostor));

  ASSERT_TRUE(thread.Start());
  // Its notification collection (col03) is genuine and comes after col02 in every enumeration.
  ASSERT_TRUE(WaitForMessages(kDeviceArrivedMessage, 1));
  ASSERT_TRUE(WaitForEnumerations(3));
  EXPECT_EQ(sink.Slots(kDeviceArrivedMessage), (std::vector<std::intptr_t>{5}));
  EXPECT_EQ(slotList.Slot(4).present, 0);
}

TEST_F(DetectionThreadTest, SecondIdenticalMouseFindsNoFreeSlot) {
  emulator.PlugMouseCable();
  ASSERT_TRUE(thread.Start());
  ASSERT_TRUE(WaitForMessages(kDeviceArrivedMessage, 2));
  const std::string firstPath = slotList.Slot(4).path;

  VirtualHidDeviceInfo twin;
  twin.attributes = {0x320F, 0x226E, 0x0109};
  twin.interfaces.push_back({1, std::make_shared<emulator::PlainInterface>(emulator::JoinCollections(
                                    std::vector{emulator::KeyboardCollection(), emulator::CommandCollection(),
                                                emulator::NotificationCollection()}))});
  emulator.Bus()->Plug(std::move(twin));
  ASSERT_TRUE(WaitForEnumerations(3));

  EXPECT_EQ(sink.Slots(kDeviceArrivedMessage).size(), 2u);
  EXPECT_EQ(slotList.Slot(4).path, firstPath);
}

TEST_F(DetectionThreadTest, EnumerationStopsWhileEverySlotIsAttached) {
  for (std::size_t i = 0; i < InterfaceSlotList::Count(); ++i) {
    const InterfaceSlot row = slotList.Slot(i);
    const std::string path = "pinned/" + std::to_string(i);
    backend->Pin(path);
    ASSERT_TRUE(slotList.Attach(
        {{row.vendorId, row.productId, row.interfaceNumber, row.collectionNumber}, row.usagePage, row.usage},
        path));
  }
  ASSERT_TRUE(thread.Start());
  ASSERT_TRUE(WaitForPresenceTests(3 * static_cast<int>(InterfaceSlotList::Count())));
  EXPECT_EQ(backend->enumerations.load(), 0);

  backend->Unpin("pinned/9");
  ASSERT_TRUE(WaitForMessages(kDeviceRemovedMessage, 1));
  ASSERT_TRUE(WaitForEnumerations(1));
  EXPECT_EQ(sink.Slots(kDeviceRemovedMessage), (std::vector<std::intptr_t>{9}));
}

TEST_F(DetectionThreadTest, FailingEnumerationKeepsPresenceTestsAndRecovers) {
  emulator.PlugMouseCable();
  ASSERT_TRUE(thread.Start());
  ASSERT_TRUE(WaitForMessages(kDeviceArrivedMessage, 2));

  backend->failEnumeration = true;
  ASSERT_TRUE(WaitForEnumerations(1));
  emulator.UnplugMouseCable();
  ASSERT_TRUE(WaitForMessages(kDeviceRemovedMessage, 2));

  emulator.PlugMouseReceiver();
  ASSERT_TRUE(WaitForEnumerations(3));
  EXPECT_EQ(sink.Slots(kDeviceArrivedMessage).size(), 2u);

  backend->failEnumeration = false;
  ASSERT_TRUE(WaitForMessages(kDeviceArrivedMessage, 4));
  EXPECT_EQ(sink.Slots(kInstanceMessage).size(), 1u);
}

TEST(DetectionThreadStartTest, FirstPassAnnouncesItselfWhenEnumerationFails) {
  emulator::DeviceEmulator emulator;
  auto backend = std::make_shared<ObservedBackend>(emulator.Bus());
  backend->failEnumeration = true;
  InstallHidBackend(backend);
  InterfaceSlotList slotList;
  RecordingSink sink{slotList};
  DetectionThread thread{slotList, sink, kQuickSafetyPassMs};
  ASSERT_TRUE(thread.Start());
  EXPECT_TRUE(sink.WaitFor([&] { return !sink.Slots(kInstanceMessage).empty(); }));
}

TEST_F(DetectionThreadTest, PlugAndUnplugAreSeenOnTheBusAnnouncementAlone) {
  DetectionThread announced{slotList, sink, kNoSafetyPassMs};
  ASSERT_TRUE(announced.Start());
  ASSERT_TRUE(WaitForMessages(kInstanceMessage, 1));

  emulator.PlugMouseCable();
  ASSERT_TRUE(WaitForMessages(kDeviceArrivedMessage, 2));
  emulator.UnplugMouseCable();
  ASSERT_TRUE(WaitForMessages(kDeviceRemovedMessage, 2));
  emulator.PlugMouseReceiver();
  ASSERT_TRUE(WaitForMessages(kDeviceArrivedMessage, 4));

  EXPECT_EQ(sink.Slots(kDeviceArrivedMessage), (std::vector<std::intptr_t>{4, 5, 7, 6}));
  auto removed = sink.Slots(kDeviceRemovedMessage);
  std::sort(removed.begin(), removed.end());
  EXPECT_EQ(removed, (std::vector<std::intptr_t>{4, 5}));
}

// Where nothing announces changes, or the announcements break down, detection looks for them itself.
TEST(DetectionThreadFallbackTest, WithoutAnnouncementsArrivalAndRemovalAreStillSeen) {
  for (const Announcements announcements : {Announcements::kNone, Announcements::kBroken}) {
    SCOPED_TRACE(static_cast<int>(announcements));
    emulator::DeviceEmulator emulator;
    InstallHidBackend(std::make_shared<ObservedBackend>(emulator.Bus(), announcements));
    InterfaceSlotList slotList;
    RecordingSink sink{slotList};
    DetectionThread thread{slotList, sink, kNoSafetyPassMs};
    ASSERT_TRUE(thread.Start());
    ASSERT_TRUE(sink.WaitFor([&] { return !sink.Slots(kInstanceMessage).empty(); }));

    emulator.PlugMouseCable();
    EXPECT_TRUE(sink.WaitFor([&] { return sink.Slots(kDeviceArrivedMessage).size() == 2; }));
    emulator.UnplugMouseCable();
    EXPECT_TRUE(sink.WaitFor([&] { return sink.Slots(kDeviceRemovedMessage).size() == 2; }));
    EXPECT_TRUE(thread.Stop());
  }
}

// Between passes the thread waits for an announcement; the stop request must end that wait.
TEST_F(DetectionThreadTest, StopEndsTheWaitForAnAnnouncement) {
  DetectionThread announced{slotList, sink, kNoSafetyPassMs};
  ASSERT_TRUE(announced.Start());
  ASSERT_TRUE(WaitForMessages(kInstanceMessage, 1));
  EXPECT_TRUE(announced.Stop());
  EXPECT_FALSE(announced.IsRunning());
}

TEST_F(DetectionThreadTest, StopEndsTheThreadWithItsTraceLine) {
  std::vector<std::string> lines;
  std::mutex linesMutex;
  ScopedTraceCapture capture([&](std::string_view line) {
    std::lock_guard lock(linesMutex);
    lines.emplace_back(line);
  });
  ASSERT_TRUE(thread.Start());
  ASSERT_TRUE(WaitForMessages(kInstanceMessage, 1));
  EXPECT_TRUE(thread.Stop());
  EXPECT_FALSE(thread.IsRunning());
  std::lock_guard lock(linesMutex);
  EXPECT_NE(std::find(lines.begin(), lines.end(), "抓取设备线程设定退出\n"), lines.end());
}

// A window that never handles the arrival must not keep the thread from stopping.
TEST_F(DetectionThreadTest, StopCancelsASendTheWindowDoesNotHandle) {
  class StuckSink final : public IWindowMessageSink {
   public:
    void DeviceArrived(std::size_t, Event& cancel) override {
      entered.Set();
      cancel.Wait(Event::kInfinite);
    }
    void DeviceRemoved(std::size_t, Event&) override {}
    void FirstDetectionPassDone() override {}
    Event entered{Event::ResetMode::kManual};
  } stuck;
  emulator.PlugMouseCable();
  DetectionThread stuckThread{slotList, stuck, kQuickSafetyPassMs};
  ASSERT_TRUE(stuckThread.Start());
  ASSERT_TRUE(stuck.entered.Wait(static_cast<int>(std::chrono::milliseconds(kWaitBound).count())));
  EXPECT_TRUE(stuckThread.Stop());
}

}  // namespace
}  // namespace nimbel
