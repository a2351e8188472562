#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "hid/abort_event.h"
#include "hid/hid_device.h"
#include "hid/linux_hid_backend.h"
#include "tests/hid/virtual_test_interface.h"

namespace nimbel {
namespace {

namespace fs = std::filesystem;

// Three vendor collections with report ids 1, 2 and 3.
constexpr std::array<std::uint8_t, 69> kThreeCollections = {
    0x06, 0x1C, 0xFF, 0x09, 0x91, 0xA1, 0x01, 0x85, 0x01, 0x09, 0x01, 0x15, 0x00, 0x26,
    0xFF, 0x00, 0x75, 0x08, 0x95, 0x07, 0x81, 0x02, 0xC0, 0x06, 0x1C, 0xFF, 0x09, 0x92,
    0xA1, 0x01, 0x85, 0x02, 0x09, 0x01, 0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08, 0x95,
    0x07, 0x81, 0x02, 0xC0, 0x06, 0x1C, 0xFF, 0x09, 0x93, 0xA1, 0x01, 0x85, 0x03, 0x09,
    0x01, 0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x07, 0x81, 0x02, 0xC0,
};
// One vendor collection without report ids.
constexpr std::array<std::uint8_t, 21> kOneCollection = {
    0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x09, 0x01, 0x15, 0x00,
    0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x07, 0x81, 0x02, 0xC0,
};

void WriteFile(const fs::path& path, std::span<const std::uint8_t> bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void WriteFile(const fs::path& path, std::string_view text) {
  WriteFile(path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

// A sysfs tree as the kernel lays it out for hidraw nodes:
//   devices/<usb device>/<usb interface>/<hid device>/hidraw/hidrawN, and dev/char/M:m links to them.
class FakeSysfs : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "nimbel-sysfs-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
  }
  void TearDown() override { fs::remove_all(root_); }

  fs::path AddHidDevice(const fs::path& parent, std::string_view hidName, std::string_view hidId,
                        std::span<const std::uint8_t> descriptor, std::string_view node) {
    const fs::path hid = root_ / "devices" / parent / hidName;
    WriteFile(hid / "uevent", "DRIVER=hid-generic\nHID_ID=" + std::string(hidId) + "\nHID_NAME=Test\n");
    WriteFile(hid / "report_descriptor", descriptor);
    const fs::path hidraw = hid / "hidraw" / node;
    fs::create_directories(hidraw);
    return hidraw;
  }

  fs::path AddUsbNode(std::string_view usbDevice, std::string_view bcdDevice, std::string_view interface,
                      std::string_view interfaceNumber, std::string_view hidName, std::string_view hidId,
                      std::span<const std::uint8_t> descriptor, std::string_view node) {
    const fs::path device = fs::path("pci0000:00/usb1") / usbDevice;
    WriteFile(root_ / "devices" / device / "bcdDevice", std::string(bcdDevice) + "\n");
    WriteFile(root_ / "devices" / device / interface / "bInterfaceNumber",
              std::string(interfaceNumber) + "\n");
    return AddHidDevice(device / interface, hidName, hidId, descriptor, node);
  }

  // The three nodes of the enumeration: a USB interface with three collections, a USB interface with
  // one, and a Bluetooth device whose parent happens to carry interface and version files.
  std::vector<HidrawNode> AddThreeNodes() {
    const auto mouse = AddUsbNode("1-2", "0109", "1-2:1.1", "01", "0003:320F:226E.0005",
                                  "0003:0000320F:0000226E", kThreeCollections, "hidraw3");
    const auto keyboard = AddUsbNode("1-3", "0200", "1-3:1.0", "00", "0003:046D:C077.0006",
                                     "0003:0000046D:0000C077", kOneCollection, "hidraw4");
    WriteFile(root_ / "devices/virtual/misc/uhid/bInterfaceNumber", "02\n");
    WriteFile(root_ / "devices/virtual/misc/uhid/bcdDevice", "0300\n");
    const auto bluetooth = AddHidDevice("virtual/misc/uhid", "0005:046D:B01A.0007", "0005:0000046D:0000B01A",
                                        kOneCollection, "hidraw5");
    return {{mouse, "/dev/hidraw3"}, {keyboard, "/dev/hidraw4"}, {bluetooth, "/dev/hidraw5"}};
  }

  fs::path root_;
};

TEST_F(FakeSysfs, EachCollectionOfEachNodeGetsAPathWithTheNodesMarkers) {
  auto nodes = AddThreeNodes();
  // A node whose HID device has vanished between the listing and the reading is left out.
  nodes.insert(nodes.begin() + 1,
               {root_ / "devices/gone/0003:1234:5678.0009/hidraw/hidraw9", "/dev/hidraw9"});
  std::vector<std::string> paths;
  LinuxHidBackend::CollectPaths(nodes, paths);
  EXPECT_EQ(paths, (std::vector<std::string>{
                       "/dev/hidraw3#vid_320f&pid_226e&mi_01&col01",
                       "/dev/hidraw3#vid_320f&pid_226e&mi_01&col02",
                       "/dev/hidraw3#vid_320f&pid_226e&mi_01&col03",
                       "/dev/hidraw4#vid_046d&pid_c077&mi_00",
                       "/dev/hidraw5#vid_046d&pid_b01a",
                   }));
}

TEST_F(FakeSysfs, NodeInformationComesFromTheHidUsbInterfaceAndUsbDevice) {
  const auto nodes = AddThreeNodes();
  const struct {
    std::uint16_t vendor, product, version;
    std::optional<std::uint8_t> interfaceNumber;
    std::size_t descriptorSize;
  } expected[] = {
      {0x320F, 0x226E, 0x0109, 1, kThreeCollections.size()},
      {0x046D, 0xC077, 0x0200, 0, kOneCollection.size()},
      {0x046D, 0xB01A, 0, std::nullopt, kOneCollection.size()},
  };
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    const auto info = ReadHidrawNodeInfo(nodes[i].sysPath);
    ASSERT_TRUE(info) << nodes[i].devNode;
    EXPECT_EQ(info->attributes.vendorId, expected[i].vendor) << nodes[i].devNode;
    EXPECT_EQ(info->attributes.productId, expected[i].product) << nodes[i].devNode;
    EXPECT_EQ(info->attributes.versionNumber, expected[i].version) << nodes[i].devNode;
    EXPECT_EQ(info->interfaceNumber, expected[i].interfaceNumber) << nodes[i].devNode;
    EXPECT_EQ(info->reportDescriptor.size(), expected[i].descriptorSize) << nodes[i].devNode;
  }
}

TEST_F(FakeSysfs, AnUnparsableDescriptorGivesNoPaths) {
  constexpr std::array<std::uint8_t, 3> kTruncated = {0x06, 0x1C, 0xFF};
  const auto node = AddUsbNode("1-4", "0100", "1-4:1.0", "00", "0003:320F:226E.0008",
                               "0003:0000320F:0000226E", kTruncated, "hidraw6");
  std::vector<std::string> paths;
  LinuxHidBackend::CollectPaths(std::array<HidrawNode, 1>{{{node, "/dev/hidraw6"}}}, paths);
  EXPECT_TRUE(paths.empty());
}

// The presence test follows the node's character device through dev/char to its sysfs entry. A real
// character device that is not hidraw (/dev/null) stands in for the node; the fake tree links its
// numbers to the hidraw entry.
TEST_F(FakeSysfs, PresenceTestSucceedsOnlyWhileTheNodeIsTheDeviceThePathNames) {
  const auto nodes = AddThreeNodes();
  struct stat null {};
  ASSERT_EQ(stat("/dev/null", &null), 0);
  const fs::path link =
      root_ / "dev/char" / (std::to_string(major(null.st_rdev)) + ":" + std::to_string(minor(null.st_rdev)));
  fs::create_directories(link.parent_path());
  fs::create_directory_symlink(nodes[0].sysPath, link);

  LinuxHidBackend backend(root_);
  const auto probe = backend.Open("/dev/null#vid_320f&pid_226e&mi_01&col02", kHidPresence);
  ASSERT_NE(probe, nullptr);
  EXPECT_EQ(probe->Attributes().vendorId, 0x320F);
  EXPECT_EQ(probe->Attributes().versionNumber, 0x0109);
  EXPECT_EQ(probe->ReportDescriptor().size(), kThreeCollections.size());

  const char* otherDevices[] = {
      "/dev/null#vid_320f&pid_22b5&mi_01&col02",  // another product now holds the node number
      "/dev/null#vid_320f&pid_226e&mi_02&col02",  // another interface
      "/dev/null#vid_320f&pid_226e&col02",        // a path without the interface the node has
      "/dev/nimbel-absent#vid_320f&pid_226e&mi_01&col02",
  };
  for (const char* path : otherDevices) EXPECT_EQ(backend.Open(path, kHidPresence), nullptr) << path;

  fs::remove(link);
  EXPECT_EQ(backend.Open("/dev/null#vid_320f&pid_226e&mi_01&col02", kHidPresence), nullptr);
}

// A socket pair that keeps message boundaries stands in for the node: one report per read, as hidraw.
class HidrawConnectionTest : public ::testing::Test {
 protected:
  void TearDown() override {
    if (device_ >= 0) close(device_);
  }

  std::unique_ptr<HidConnection> Connect(std::span<const std::uint8_t> descriptor, std::size_t collection) {
    std::array<int, 2> fds{};
    EXPECT_EQ(socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, fds.data()), 0);
    device_ = fds[1];
    return MakeHidrawConnection(fds[0], {}, std::vector(descriptor.begin(), descriptor.end()), collection);
  }

  void Send(std::vector<std::uint8_t> report) {
    ASSERT_EQ(write(device_, report.data(), report.size()), static_cast<ssize_t>(report.size()));
  }

  std::vector<std::uint8_t> Read(HidConnection& connection, int timeoutMs, TransferResult expected) {
    std::array<std::uint8_t, 16> buffer{};
    std::size_t bytes = 0;
    EXPECT_EQ(connection.Read(buffer, timeoutMs, abort_, bytes), expected);
    return {buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(bytes)};
  }

  int device_ = -1;
  AbortEvent abort_;
};

TEST_F(HidrawConnectionTest, AHandleReadsOnlyTheReportsOfItsCollection) {
  const auto connection = Connect(kThreeCollections, 2);
  ASSERT_NE(connection, nullptr);
  Send({1, 0x11});
  Send({3, 0x33});
  Send({2, 0x22, 0x23});
  EXPECT_EQ(Read(*connection, kInfiniteTimeout, TransferResult::Done),
            (std::vector<std::uint8_t>{2, 0x22, 0x23, 0, 0, 0, 0, 0}));
  EXPECT_TRUE(Read(*connection, 0, TransferResult::TimedOut).empty());
}

TEST_F(HidrawConnectionTest, ReportsOfANodeWithoutReportIdsGetAZeroIdByte) {
  const auto connection = Connect(kOneCollection, 1);
  ASSERT_NE(connection, nullptr);
  Send({0x11, 0x22});
  EXPECT_EQ(Read(*connection, kInfiniteTimeout, TransferResult::Done),
            (std::vector<std::uint8_t>{0, 0x11, 0x22, 0, 0, 0, 0, 0}));
}

TEST_F(HidrawConnectionTest, AShortReportArrivesZeroPaddedAndDecodes) {
  const auto connection = Connect(test::kTwoLengthsDescriptor, 1);
  ASSERT_NE(connection, nullptr);
  Send({2, 0x5A});
  const auto report = Read(*connection, kInfiniteTimeout, TransferResult::Done);
  EXPECT_EQ(report, (std::vector<std::uint8_t>{2, 0x5A, 0, 0, 0, 0, 0, 0}));

  const auto caps = ParseReportDescriptor(test::kTwoLengthsDescriptor);
  ASSERT_TRUE(caps);
  auto dataList = BuildDataList(caps->collections[0], HidReportType::Input);
  ASSERT_TRUE(UnpackReport(caps->collections[0], report, HidReportType::Input, dataList));
  const HidDataItem* shortValue = test::FindValue(dataList, 2, 2);
  ASSERT_NE(shortValue, nullptr);
  EXPECT_TRUE(shortValue->isSet);
  EXPECT_EQ(shortValue->rawValue, 0x5Au);
}

TEST_F(HidrawConnectionTest, WritesGoToTheNodeAsGiven) {
  const auto connection = Connect(kThreeCollections, 1);
  ASSERT_NE(connection, nullptr);
  const std::array<std::uint8_t, 3> report{1, 0xAB, 0xCD};
  std::size_t written = 0;
  ASSERT_EQ(connection->Write(report, 1000, abort_, written), TransferResult::Done);
  EXPECT_EQ(written, report.size());
  std::array<std::uint8_t, 8> received{};
  ASSERT_EQ(read(device_, received.data(), received.size()), static_cast<ssize_t>(report.size()));
  EXPECT_TRUE(std::equal(report.begin(), report.end(), received.begin()));
}

TEST_F(HidrawConnectionTest, AbortAndHangUpEndAWaitWithoutLimit) {
  const auto connection = Connect(kThreeCollections, 1);
  ASSERT_NE(connection, nullptr);
  abort_.Signal();
  Read(*connection, kInfiniteTimeout, TransferResult::Aborted);
  abort_.Consume();
  close(std::exchange(device_, -1));
  Read(*connection, kInfiniteTimeout, TransferResult::Failed);
}

TEST_F(HidrawConnectionTest, ACollectionTheDescriptorLacksCannotBeOpened) {
  EXPECT_EQ(Connect(kThreeCollections, 4), nullptr);
  EXPECT_EQ(Connect(kOneCollection, 0), nullptr);
}

// Announcements come from the udev daemon as root; what runs without either is the watch's own part:
// the monitor is set up, a wait with nothing announced ends at its time limit, and the cancel event ends
// a wait without limit and stays signalled for the caller to see.
TEST(UdevChangeWatchTest, AWaitEndsAtItsLimitOrOnCancel) {
  const auto watch = MakeUdevChangeWatch();
  if (!watch) GTEST_SKIP() << "this system refuses a udev monitor socket";
  AbortEvent cancel;
  EXPECT_EQ(watch->Wait(0, cancel), WaitResult::TimedOut);
  cancel.Signal();
  EXPECT_EQ(watch->Wait(kInfiniteTimeout, cancel), WaitResult::Aborted);
  EXPECT_TRUE(cancel.Consume());
}

}  // namespace
}  // namespace nimbel
