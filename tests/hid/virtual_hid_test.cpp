#include "hid/virtual_hid.h"

#include <gtest/gtest.h>

#include <array>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "hid/hid_device.h"
#include "tests/hid/virtual_test_interface.h"

namespace nimbel {
namespace {

using test::kConsumerReportId;
using test::kVendorReportId;
using test::TestDevice;
using test::TestInterface;

constexpr std::chrono::seconds kFailureBound{10};

std::vector<std::string> Paths(VirtualHidBus& bus) {
  std::vector<std::string> paths;
  EXPECT_TRUE(bus.EnumeratePaths(paths));
  return paths;
}

class VirtualHidBusTest : public ::testing::Test {
 protected:
  void SetUp() override { InstallHidBackend(bus_); }
  void TearDown() override { InstallHidBackend(nullptr); }

  VirtualHidBus::DeviceId PlugOne() { return bus_->Plug(TestDevice({{1, interface_}})); }

  std::shared_ptr<VirtualHidBus> bus_ = std::make_shared<VirtualHidBus>();
  std::shared_ptr<TestInterface> interface_ = std::make_shared<TestInterface>();
};

TEST_F(VirtualHidBusTest, EveryCollectionOfEveryInterfaceHasItsOwnPath) {
  auto second = std::make_shared<TestInterface>();
  bus_->Plug(TestDevice({{1, interface_}, {2, second}}));
  EXPECT_EQ(Paths(*bus_), (std::vector<std::string>{
                              "virtual/hid0#vid_320f&pid_226e&mi_01&col01",
                              "virtual/hid0#vid_320f&pid_226e&mi_01&col02",
                              "virtual/hid1#vid_320f&pid_226e&mi_02&col01",
                              "virtual/hid1#vid_320f&pid_226e&mi_02&col02",
                          }));
}

TEST_F(VirtualHidBusTest, ReplugGetsANewNodeAndTheOldPathStaysAbsent) {
  const auto first = PlugOne();
  const std::string oldPath = Paths(*bus_).front();
  bus_->Unplug(first);
  EXPECT_FALSE(bus_->IsPlugged(first));
  EXPECT_TRUE(Paths(*bus_).empty());

  const auto second = PlugOne();
  EXPECT_TRUE(bus_->IsPlugged(second));
  EXPECT_EQ(Paths(*bus_).front(), "virtual/hid1#vid_320f&pid_226e&mi_01&col01");
  HidDevice device;
  EXPECT_FALSE(device.Open(oldPath, kHidReadWrite));
}

TEST_F(VirtualHidBusTest, PathsAreMatchedIgnoringCaseButOtherwiseExactly) {
  PlugOne();
  const struct {
    const char* path;
    bool opens;
  } cases[] = {
      {"virtual/hid0#vid_320f&pid_226e&mi_01&col02", true},
      {"VIRTUAL/HID0#VID_320F&PID_226E&MI_01&COL02", true},
      {"virtual/hid0#vid_320f&pid_226e&mi_01&col03", false},
      {"virtual/hid0#vid_320f&pid_226f&mi_01&col01", false},
      {"virtual/hid1#vid_320f&pid_226e&mi_01&col01", false},
      {"virtual/hid0", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(bus_->Open(c.path, kHidReadOnly) != nullptr, c.opens) << c.path;
  }
}

TEST_F(VirtualHidBusTest, EachHandleOfACollectionGetsItsOwnCopyOfItsReportsOnly) {
  PlugOne();
  const auto paths = Paths(*bus_);
  HidDevice vendorA, vendorB, consumer;
  ASSERT_TRUE(vendorA.Open(paths[0], kHidReadOnly));
  ASSERT_TRUE(vendorB.Open(paths[0], kHidReadOnly));
  ASSERT_TRUE(consumer.Open(paths[1], kHidReadOnly));

  const std::array<std::uint8_t, 8> vendorReport{kVendorReportId, 0xA1, 0xA2};
  const std::array<std::uint8_t, 3> consumerReport{kConsumerReportId, 0xE9, 0x00};
  ASSERT_TRUE(interface_->Send(vendorReport));
  ASSERT_TRUE(interface_->Send(consumerReport));

  const struct {
    HidDevice* device;
    std::span<const std::uint8_t> expected;
  } cases[] = {{&vendorA, vendorReport}, {&vendorB, vendorReport}, {&consumer, consumerReport}};
  for (const auto& c : cases) {
    std::array<std::uint8_t, 16> buffer{};
    std::size_t bytes = 0;
    ASSERT_TRUE(c.device->ReadReport(buffer, bytes, 0));
    EXPECT_EQ(std::vector(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(bytes)),
              std::vector(c.expected.begin(), c.expected.end()));
    // Nothing else arrived for this handle: the other collection's report was not queued here.
    EXPECT_FALSE(c.device->ReadReport(buffer, bytes, 0));
  }
}

TEST_F(VirtualHidBusTest, AShortReportArrivesZeroPaddedAndDecodes) {
  const auto interface = std::make_shared<TestInterface>(false, test::kTwoLengthsDescriptor);
  bus_->Plug(TestDevice({{1, interface}}));
  HidDevice device;
  ASSERT_TRUE(device.Open(Paths(*bus_).at(0), kHidReadOnly));
  ASSERT_TRUE(interface->Send(std::array<std::uint8_t, 2>{2, 0x5A}));

  auto buffer = device.ReportBuffer(HidReportType::Input);
  std::size_t bytes = 0;
  ASSERT_TRUE(device.ReadReport(buffer, bytes, 0));
  EXPECT_EQ(std::vector(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(bytes)),
            (std::vector<std::uint8_t>{2, 0x5A, 0, 0, 0, 0, 0, 0}));

  auto dataList = device.DataList(HidReportType::Input);
  ASSERT_TRUE(device.UnpackReport(buffer.first(bytes), HidReportType::Input, dataList));
  const HidDataItem* shortValue = test::FindValue(dataList, 2, 2);
  ASSERT_NE(shortValue, nullptr);
  EXPECT_TRUE(shortValue->isSet);
  EXPECT_EQ(shortValue->rawValue, 0x5Au);
}

TEST_F(VirtualHidBusTest, AnUnreadHandleKeepsTheNewestReports) {
  PlugOne();
  HidDevice device;
  ASSERT_TRUE(device.Open(Paths(*bus_)[0], kHidReadOnly));
  constexpr int kSent = 300;
  constexpr int kKept = 256;
  for (int i = 0; i < kSent; ++i) {
    interface_->Send(std::array<std::uint8_t, 8>{kVendorReportId, static_cast<std::uint8_t>(i)});
  }
  std::array<std::uint8_t, 8> buffer{};
  std::size_t bytes = 0;
  int received = 0;
  ASSERT_TRUE(device.ReadReport(buffer, bytes, 0));
  EXPECT_EQ(buffer[1], kSent - kKept);
  for (received = 1; device.ReadReport(buffer, bytes, 0); ++received) {
  }
  EXPECT_EQ(received, kKept);
  EXPECT_EQ(buffer[1], static_cast<std::uint8_t>(kSent - 1));
}

TEST_F(VirtualHidBusTest, WritesReachTheDeviceOnTheWritingThreadAndItsRefusalFailsThem) {
  PlugOne();
  const auto path = Paths(*bus_)[0];
  HidDevice writer, reader;
  ASSERT_TRUE(writer.Open(path, kHidReadWrite));
  ASSERT_TRUE(reader.Open(path, kHidReadOnly));
  const std::array<std::uint8_t, 8> report{kVendorReportId, 0x10, 0x20};
  std::size_t bytes = 0;

  ASSERT_TRUE(writer.WriteReport(report, bytes, 1000));
  EXPECT_EQ(bytes, report.size());
  interface_->SetAcceptWrites(false);
  EXPECT_FALSE(writer.WriteReport(report, bytes, 1000));
  EXPECT_EQ(bytes, 0u);
  EXPECT_FALSE(reader.WriteReport(report, bytes, 1000)) << "a handle without write access wrote";
  EXPECT_EQ(interface_->Written().size(), 2u);
}

TEST_F(VirtualHidBusTest, AnEchoSentFromInsideTheWriteIsRead) {
  auto echo = std::make_shared<TestInterface>(true);
  bus_->Plug(TestDevice({{1, echo}}));
  HidDevice device;
  ASSERT_TRUE(device.Open(Paths(*bus_)[0], kHidReadWrite));
  const std::array<std::uint8_t, 8> request{kVendorReportId, 0x5A};
  std::array<std::uint8_t, 8> reply{};
  std::size_t bytes = 0;
  ASSERT_TRUE(device.WriteReport(request, bytes, 1000));
  ASSERT_TRUE(device.ReadReport(reply, bytes, 1000));
  EXPECT_EQ(reply, request);
}

TEST_F(VirtualHidBusTest, UnplugEndsAWaitingReadAndFailsLaterTransfersAndOpens) {
  const auto id = PlugOne();
  const auto path = Paths(*bus_)[0];
  HidDevice device;
  ASSERT_TRUE(device.Open(path, kHidReadWrite));
  auto read = std::async(std::launch::async, [&device] {
    std::array<std::uint8_t, 8> buffer{};
    std::size_t bytes = 99;
    const bool ok = device.ReadReport(buffer, bytes, kInfiniteTimeout);
    return ok || bytes != 0;
  });
  // Gives the reader time to reach its wait; the outcome must be the same if it has not.
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  bus_->Unplug(id);
  if (read.wait_for(kFailureBound) != std::future_status::ready) {
    device.Close();  // ends the stuck reader so that the test fails instead of hanging
    FAIL() << "unplug did not end the waiting read";
  }
  EXPECT_FALSE(read.get());

  std::array<std::uint8_t, 8> buffer{kVendorReportId};
  std::size_t bytes = 0;
  EXPECT_FALSE(device.ReadReport(buffer, bytes, kInfiniteTimeout));
  EXPECT_FALSE(device.WriteReport(buffer, bytes, 1000));
  EXPECT_TRUE(interface_->Written().empty());
  EXPECT_TRUE(device.IsOpen()) << "a failed transfer leaves the device open";
  HidDevice other;
  EXPECT_FALSE(other.Open(path, kHidReadWrite));
}

}  // namespace
}  // namespace nimbel
