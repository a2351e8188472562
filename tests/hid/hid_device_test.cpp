#include "hid/hid_device.h"

#include <gtest/gtest.h>
#include <poll.h>

#include <array>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "hid/abort_event.h"
#include "hid/virtual_hid.h"
#include "tests/hid/virtual_test_interface.h"

namespace nimbel {
namespace {

using test::kConsumerReportId;
using test::kVendorReportId;
using test::TestDevice;
using test::TestInterface;

constexpr std::chrono::seconds kFailureBound{10};
constexpr int kFailureBoundMs = 10'000;
constexpr auto kVendorPath = "virtual/hid0#vid_320f&pid_226e&mi_01&col01";
constexpr auto kConsumerPath = "virtual/hid0#vid_320f&pid_226e&mi_01&col02";

class HidDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallHidBackend(bus_);
    id_ = bus_->Plug(TestDevice({{1, interface_}}));
  }
  void TearDown() override { InstallHidBackend(nullptr); }

  // Starts an INFINITE read on another thread; the future says whether it reported anything.
  std::future<bool> StartInfiniteRead(HidDevice& device) {
    return std::async(std::launch::async, [&device] {
      std::array<std::uint8_t, 8> buffer{};
      std::size_t bytes = 99;
      const bool ok = device.ReadReport(buffer, bytes, kInfiniteTimeout);
      return ok || bytes != 0;
    });
  }

  // True when the read ended within the failure bound; otherwise unplugs the device so that the stuck
  // reader ends and the test fails instead of hanging.
  bool EndsWithinBound(std::future<bool>& read) {
    if (read.wait_for(kFailureBound) == std::future_status::ready) return true;
    bus_->Unplug(id_);
    return false;
  }

  std::shared_ptr<VirtualHidBus> bus_ = std::make_shared<VirtualHidBus>();
  std::shared_ptr<TestInterface> interface_ = std::make_shared<TestInterface>();
  VirtualHidBus::DeviceId id_ = 0;
};

TEST_F(HidDeviceTest, OpenLearnsTheCollectionThePathNames) {
  const struct {
    const char* path;
    std::uint16_t usagePage, usage;
    std::uint32_t collection;
    std::size_t inputLength, outputLength;
  } cases[] = {
      {kVendorPath, 0xFF1C, 0x92, 1, 8, 8},
      {kConsumerPath, 0x000C, 0x01, 2, 3, 0},
  };
  for (const auto& c : cases) {
    HidDevice device;
    ASSERT_TRUE(device.Open(c.path, kHidReadWrite)) << c.path;
    EXPECT_EQ(device.Path(), c.path);
    EXPECT_EQ(device.Attributes().vendorId, test::kTestVendor);
    EXPECT_EQ(device.Attributes().productId, test::kTestProduct);
    EXPECT_EQ(device.Attributes().versionNumber, test::kTestVersion);
    EXPECT_EQ(device.UsagePage(), c.usagePage);
    EXPECT_EQ(device.Usage(), c.usage);
    EXPECT_EQ(device.InterfaceNumber(), 1u);
    EXPECT_EQ(device.CollectionNumber(), c.collection);
    EXPECT_EQ(device.ReportBuffer(HidReportType::Input).size(), c.inputLength);
    EXPECT_EQ(device.ReportBuffer(HidReportType::Output).size(), c.outputLength);
    EXPECT_TRUE(device.ReportBuffer(HidReportType::Feature).empty());
    EXPECT_FALSE(device.DataList(HidReportType::Input).empty());
  }
}

TEST_F(HidDeviceTest, FailedOpenLeavesTheDeviceClosedWithoutCapabilities) {
  HidDevice device;
  ASSERT_TRUE(device.Open(kVendorPath, kHidReadWrite));
  EXPECT_FALSE(device.Open("virtual/hid7#vid_320f&pid_226e&mi_01&col01", kHidReadWrite));
  EXPECT_FALSE(device.IsOpen());
  EXPECT_EQ(device.Capabilities(), nullptr);
  EXPECT_TRUE(device.ReportBuffer(HidReportType::Input).empty());
  std::array<std::uint8_t, 8> buffer{};
  std::size_t bytes = 99;
  EXPECT_FALSE(device.ReadReport(buffer, bytes, 0));
  EXPECT_EQ(bytes, 0u);
}

TEST_F(HidDeviceTest, ReadTimeOutReturnsFalseWithNoBytesAndStaysOpen) {
  HidDevice device;
  ASSERT_TRUE(device.Open(kVendorPath, kHidReadWrite));
  std::array<std::uint8_t, 8> buffer{};
  std::size_t bytes = 99;
  EXPECT_FALSE(device.ReadReport(buffer, bytes, 20));
  EXPECT_EQ(bytes, 0u);
  EXPECT_TRUE(device.IsOpen());
  ASSERT_TRUE(interface_->Send(std::array<std::uint8_t, 8>{kVendorReportId, 7}));
  ASSERT_TRUE(device.ReadReport(buffer, bytes, 0));
  EXPECT_EQ(bytes, 8u);
  EXPECT_EQ(buffer[1], 7);
}

TEST_F(HidDeviceTest, CloseFromAnotherThreadEndsAnInfiniteReadAndTheAbortDoesNotOutliveIt) {
  HidDevice device;
  ASSERT_TRUE(device.Open(kVendorPath, kHidReadWrite));
  auto read = StartInfiniteRead(device);
  // Gives the reader time to reach its wait; the outcome must be the same if it has not.
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  device.Close();
  ASSERT_TRUE(EndsWithinBound(read));
  EXPECT_FALSE(read.get());
  EXPECT_FALSE(device.IsOpen());

  ASSERT_TRUE(device.Reopen());
  ASSERT_TRUE(interface_->Send(std::array<std::uint8_t, 8>{kVendorReportId, 0x42}));
  std::array<std::uint8_t, 8> buffer{};
  std::size_t bytes = 0;
  ASSERT_TRUE(device.ReadReport(buffer, bytes, kFailureBoundMs));
  EXPECT_EQ(buffer[1], 0x42);
}

TEST_F(HidDeviceTest, PresenceTestFailsAfterUnplug) {
  HidDevice probe;
  ASSERT_TRUE(probe.Open(kVendorPath, kHidPresence));
  probe.Close();
  bus_->Unplug(id_);
  EXPECT_FALSE(probe.Open(kVendorPath, kHidPresence));
  EXPECT_FALSE(probe.Reopen());
}

TEST_F(HidDeviceTest, ReceivedReportDecodesIntoTheInputDataList) {
  HidDevice device;
  ASSERT_TRUE(device.Open(kConsumerPath, kHidReadOnly));
  ASSERT_TRUE(interface_->Send(std::array<std::uint8_t, 3>{kConsumerReportId, 0xE9, 0x00}));
  auto buffer = device.ReportBuffer(HidReportType::Input);
  std::size_t bytes = 0;
  ASSERT_TRUE(device.ReadReport(buffer, bytes, 0));
  auto dataList = device.DataList(HidReportType::Input);
  ASSERT_TRUE(device.UnpackReport(buffer.first(bytes), HidReportType::Input, dataList));
  ASSERT_FALSE(dataList.empty());
  EXPECT_TRUE(dataList[0].isSet);
  ASSERT_FALSE(dataList[0].usages.empty());
  EXPECT_EQ(dataList[0].usages[0], 0xE9);
}

TEST(HidInterfaceListTest, NoInterfacesGivesAnEmptyList) {
  HidInterfaceList list(std::make_shared<VirtualHidBus>());
  ASSERT_TRUE(list.Enumerate());
  EXPECT_EQ(list.Count(), 0u);
  EXPECT_FALSE(list.NextPath());
}

TEST(HidInterfaceListTest, EveryPathIsReturnedOnceInOrder) {
  auto bus = std::make_shared<VirtualHidBus>();
  std::vector<std::shared_ptr<TestInterface>> interfaces;
  std::vector<VirtualHidInterfaceSlot> slots;
  for (std::uint8_t i = 0; i < 3; ++i) {
    interfaces.push_back(std::make_shared<TestInterface>());
    slots.push_back({i, interfaces.back()});
  }
  bus->Plug(TestDevice(slots));
  std::vector<std::string> expected;
  ASSERT_TRUE(bus->EnumeratePaths(expected));
  ASSERT_EQ(expected.size(), 6u);

  HidInterfaceList list(bus);
  // A second pass must start over, not append to the first.
  for (int pass = 0; pass < 2; ++pass) {
    ASSERT_TRUE(list.Enumerate());
    std::vector<std::string> walked;
    while (auto path = list.NextPath()) walked.push_back(*path);
    EXPECT_EQ(walked, expected);
  }
  list.Release();
  EXPECT_FALSE(list.NextPath());
}

TEST(AbortEventTest, APendingSignalWinsOverAReadyFdAndStaysUntilConsumed) {
  AbortEvent abort, ready;
  ready.Signal();
  EXPECT_EQ(WaitForFd(ready.Fd(), POLLIN, abort, TransferDeadline(0)), WaitResult::Ready);
  abort.Signal();
  EXPECT_EQ(WaitForFd(ready.Fd(), POLLIN, abort, TransferDeadline(kInfiniteTimeout)), WaitResult::Aborted);
  EXPECT_EQ(WaitForFd(ready.Fd(), POLLIN, abort, TransferDeadline(kInfiniteTimeout)), WaitResult::Aborted);
  EXPECT_TRUE(abort.Consume());
  EXPECT_FALSE(abort.Consume());
  AbortEvent idle;
  EXPECT_EQ(WaitForFd(idle.Fd(), POLLIN, abort, TransferDeadline(0)), WaitResult::TimedOut);
}

}  // namespace
}  // namespace nimbel
