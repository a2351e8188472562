// The emulated devices driven with raw command reports through the virtual bus, as the host's command
// channel and notification listeners meet them.
//
// The emulator hands its replies to the bus before the host's write returns, so reports still missing
// after a write are never coming: reads that expect nothing use a zero time limit, reads that expect a
// report a generous one that only bounds a failure.

#include "emulator/emulator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "emulator/memory_store.h"
#include "hid/hid_backend.h"
#include "hid/hid_device.h"
#include "hid/report_descriptor.h"
#include "protocol/checksum.h"
#include "protocol/command_report.h"
#include "protocol/command_set.h"
#include "tests/support/emulated_paths.h"

namespace nimbel::emulator {
namespace {

using Frame = std::array<std::uint8_t, 64>;

constexpr int kReplyLimitMs = 5000;
constexpr int kNothingMoreMs = 0;

namespace byte = command_report_byte;
// No command of the firmware has this byte.
constexpr auto kUnknownCommand = static_cast<CommandCode>(0x04);
// Any status other than the two refusals is success; the firmware answers 0.
constexpr std::uint8_t kStatusOk = 0x00;
constexpr std::uint8_t kBegin = ToByte(CommandCode::BeginSession);
constexpr std::uint8_t kWrite = ToByte(CommandCode::WriteMemory);
constexpr std::size_t kLinkStateByte = byte::kData + kLinkStateDataIndex;

constexpr std::uint16_t kCablePid = 0x226E;
constexpr std::uint16_t kReceiverPid = 0x22B5;
constexpr std::uint16_t kReceiver2Pid = 0x2260;

struct CollectionAt {
  std::uint16_t pid;
  std::uint8_t mi;
  std::uint8_t col;
};
constexpr CollectionAt kCableCommand{kCablePid, 1, 2};
constexpr CollectionAt kCableNotification{kCablePid, 1, 3};
constexpr CollectionAt kReceiverCommand{kReceiverPid, 1, 4};
constexpr CollectionAt kReceiverNotification{kReceiverPid, 1, 3};
constexpr CollectionAt kReceiver2Command{kReceiver2Pid, 0, 5};
constexpr CollectionAt kReceiver2Notification{kReceiver2Pid, 0, 4};

// A request as the host builds it: the sum over bytes 3..63, then, through the receiver, byte 32 = 2.
Frame Request(CommandCode command, std::uint8_t length, std::uint16_t offset, bool receiver,
              std::vector<std::uint8_t> data = {}) {
  Frame frame{};
  frame[byte::kReportId] = kCommandReportId;
  frame[byte::kCommand] = ToByte(command);
  frame[byte::kLength] = length;
  frame[byte::kOffsetLow] = static_cast<std::uint8_t>(offset & 0xFF);
  frame[byte::kOffsetHigh] = static_cast<std::uint8_t>(offset >> 8);
  std::copy(data.begin(), data.end(), frame.begin() + byte::kData);
  const std::uint16_t sum = CommandSum(frame);
  frame[byte::kChecksumLow] = static_cast<std::uint8_t>(sum & 0xFF);
  frame[byte::kChecksumHigh] = static_cast<std::uint8_t>(sum >> 8);
  if (receiver) frame[byte::kReceiverMark] = kReceiverMarkValue;
  return frame;
}

// A light frame through the receiver: the CRC of bytes 3..31 replaces the sum.
Frame LightFrame(std::vector<std::uint8_t> data) {
  Frame frame =
      Request(CommandCode::StreamLightFrame, static_cast<std::uint8_t>(data.size()), 0, false, data);
  const std::uint16_t crc = LightFrameCrc(frame);
  frame[1] = static_cast<std::uint8_t>(crc & 0xFF);
  frame[2] = static_cast<std::uint8_t>(crc >> 8);
  return frame;
}

std::uint16_t StoredChecksum(const Frame& frame) {
  return static_cast<std::uint16_t>(frame[1] | frame[2] << 8);
}

std::optional<std::string> FindPath(VirtualHidBus& bus, CollectionAt at) {
  std::string path = test_support::FindCollectionPath(bus, {at.pid, at.mi, at.col});
  if (path.empty()) return std::nullopt;
  return path;
}

class EmulatorTest : public ::testing::Test {
 protected:
  void SetUp() override { InstallHidBackend(emulator_.Bus()); }
  void TearDown() override { InstallHidBackend(nullptr); }

  std::unique_ptr<HidDevice> Open(CollectionAt at) {
    const auto path = FindPath(*emulator_.Bus(), at);
    if (!path) return nullptr;
    auto device = std::make_unique<HidDevice>();
    if (!device->Open(*path, kHidReadWrite)) return nullptr;
    return device;
  }

  static bool Write(HidDevice& device, const Frame& request) {
    std::size_t written = 0;
    return device.WriteReport(request, written, kReplyLimitMs);
  }

  static std::optional<Frame> Read(HidDevice& device, int limitMs) {
    Frame reply{};
    std::size_t read = 0;
    if (!device.ReadReport(reply, read, limitMs) || read != reply.size()) return std::nullopt;
    return reply;
  }

  // Every report the device sent for one request.
  static std::vector<Frame> Replies(HidDevice& device, const Frame& request) {
    std::vector<Frame> replies;
    if (!Write(device, request)) return replies;
    while (auto reply = Read(device, kNothingMoreMs)) replies.push_back(*reply);
    return replies;
  }

  static Frame Exchange(HidDevice& device, const Frame& request) {
    EXPECT_TRUE(Write(device, request));
    const auto reply = Read(device, kReplyLimitMs);
    EXPECT_TRUE(reply.has_value());
    return reply.value_or(Frame{});
  }

  // A chunked read of `length` bytes at `base`, `chunk` bytes per report, as the host's commands do.
  static std::vector<std::uint8_t> ChunkedRead(HidDevice& device, CommandCode command, std::size_t length,
                                               std::uint16_t base, std::size_t chunk, bool receiver) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t at = 0; at < length; at += chunk) {
      const auto n = static_cast<std::uint8_t>(std::min(chunk, length - at));
      const Frame reply =
          Exchange(device, Request(command, n, static_cast<std::uint16_t>(base + at), receiver));
      EXPECT_EQ(reply[byte::kStatus], kStatusOk);
      bytes.insert(bytes.end(), reply.begin() + 8, reply.begin() + 8 + n);
    }
    return bytes;
  }

  static void ChunkedWrite(HidDevice& device, CommandCode command, std::span<const std::uint8_t> bytes,
                           std::uint16_t base, std::size_t chunk, bool receiver) {
    for (std::size_t at = 0; at < bytes.size(); at += chunk) {
      const std::size_t n = std::min(chunk, bytes.size() - at);
      std::vector<std::uint8_t> data(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                                     bytes.begin() + static_cast<std::ptrdiff_t>(at + n));
      const Frame reply = Exchange(device, Request(command, static_cast<std::uint8_t>(n),
                                                   static_cast<std::uint16_t>(base + at), receiver, data));
      EXPECT_EQ(reply[byte::kStatus], kStatusOk);
    }
  }

  DeviceEmulator emulator_;
};

// --- the interfaces of the supported-interface table ---------------------------------------------------

struct ProductCase {
  const char* name;
  EmulatedMouse& (DeviceEmulator::*plug)(const MouseOptions&);
  CollectionAt command;
  CollectionAt notification;
};

class ProductTest : public EmulatorTest, public ::testing::WithParamInterface<ProductCase> {};

TEST_P(ProductTest, CommandAndNotificationCollectionsSitWhereTheTableLooks) {
  (emulator_.*GetParam().plug)({});
  auto command = Open(GetParam().command);
  auto notification = Open(GetParam().notification);
  ASSERT_TRUE(command && notification);

  EXPECT_EQ(command->Attributes().vendorId, 0x320F);
  EXPECT_EQ(command->UsagePage(), 0xFF1C);
  EXPECT_EQ(command->Usage(), 0x0092);
  EXPECT_EQ(command->Capabilities()->reportByteLength[static_cast<int>(HidReportType::Input)], 64);
  EXPECT_EQ(command->Capabilities()->reportByteLength[static_cast<int>(HidReportType::Output)], 64);
  EXPECT_EQ(command->Capabilities()->reportIds, std::vector<std::uint8_t>{4});
  EXPECT_EQ(notification->UsagePage(), 0x000C);
  EXPECT_EQ(notification->Usage(), 0x0001);

  // Every collection of the interface answers to its own report ids.
  const auto caps = ParseReportDescriptor(CurrentHidBackend()->Open(command->Path(), {})->ReportDescriptor());
  ASSERT_TRUE(caps.has_value());
  std::set<std::uint8_t> ids;
  std::size_t idCount = 0;
  for (const auto& collection : caps->collections) {
    ASSERT_FALSE(collection.reportIds.empty());
    ids.insert(collection.reportIds.begin(), collection.reportIds.end());
    idCount += collection.reportIds.size();
  }
  EXPECT_EQ(ids.size(), idCount);
  EXPECT_GE(caps->collections.size(), GetParam().command.col);
}

INSTANTIATE_TEST_SUITE_P(Products, ProductTest,
                         ::testing::Values(ProductCase{"Cable", &DeviceEmulator::PlugMouseCable,
                                                       kCableCommand, kCableNotification},
                                           ProductCase{"Receiver", &DeviceEmulator::PlugMouseReceiver,
                                                       kReceiverCommand, kReceiverNotification},
                                           ProductCase{"Receiver2", &DeviceEmulator::PlugMouse2Receiver,
                                                       kReceiver2Command, kReceiver2Notification}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST_F(EmulatorTest, CableProductAlsoCarriesABootMouseOnInterfaceZero) {
  emulator_.PlugMouseCable();
  auto mouse = Open({kCablePid, 0, 1});
  ASSERT_TRUE(mouse);
  EXPECT_EQ(mouse->UsagePage(), 0x01);
  EXPECT_EQ(mouse->Usage(), 0x02);
}

// --- command framing and status ------------------------------------------------------------------------

struct StatusCase {
  const char* name;
  Frame request;
  std::uint8_t status;
};

TEST_F(EmulatorTest, RepliesEchoTheCommandAndCarryTheStatusAndTheirSum) {
  Frame badSum = Request(CommandCode::BeginSession, 0, 0, false);
  badSum[1] ^= 0x01;
  const StatusCase cases[] = {
      {"begin session", Request(CommandCode::BeginSession, 0, 0, false), kStatusOk},
      {"unknown command", Request(kUnknownCommand, 0, 0, false), kStatusErrorFF},
      {"wrong sum", badSum, kStatusErrorFF},
      {"memory read past the end", Request(CommandCode::ReadMemory, 1, 5 * 96, false), kStatusErrorFE},
      {"memory read across the end", Request(CommandCode::ReadMemory, 8, 5 * 96 - 4, false), kStatusErrorFE},
      {"length above a report's data", Request(CommandCode::ReadMemory, 57, 0, false), kStatusErrorFE},
      {"factory key table past its keys", Request(CommandCode::ReadKeyTable, 1, 12 * 3, false),
       kStatusErrorFE},
      {"key table bank 1", Request(CommandCode::ReadKeyTableBank, 8, 512, false), kStatusErrorFE},
      {"macro write past the capacity", Request(CommandCode::WriteMacroData, 8, 32 * 128 - 4, false),
       kStatusErrorFE},
      {"power status past its 6 bytes", Request(CommandCode::ReadStatus, 7, 0, false), kStatusErrorFE},
      {"offset at the top of 16 bits", Request(CommandCode::ReadKeyColours, 56, 0xFFFF, false),
       kStatusErrorFE},
  };
  emulator_.PlugMouseCable();
  auto device = Open(kCableCommand);
  ASSERT_TRUE(device);
  for (const StatusCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Frame reply = Exchange(*device, c.request);
    EXPECT_EQ(reply[byte::kReportId], kCommandReportId);
    EXPECT_EQ(reply[byte::kCommand], c.request[byte::kCommand]);
    EXPECT_EQ(reply[byte::kStatus], c.status);
    EXPECT_EQ(StoredChecksum(reply), CommandSum(reply));
  }
}

TEST_F(EmulatorTest, ReportsOfAnotherSizeOrIdFailTheWrite) {
  emulator_.PlugMouseCable();
  auto device = Open(kCableCommand);
  ASSERT_TRUE(device);
  Frame wrongId = Request(CommandCode::BeginSession, 0, 0, false);
  wrongId[0] = 5;
  std::size_t written = 0;
  EXPECT_FALSE(device->WriteReport(wrongId, written, kReplyLimitMs));
  const Frame good = Request(CommandCode::BeginSession, 0, 0, false);
  EXPECT_FALSE(device->WriteReport(std::span(good).first(63), written, kReplyLimitMs));
  EXPECT_FALSE(Read(*device, kNothingMoreMs));
}

TEST_F(EmulatorTest, SessionsAreTrackedAndHostLightingSwitchedOn) {
  EmulatedMouse& mouse = emulator_.PlugMouseCable();
  auto device = Open(kCableCommand);
  ASSERT_TRUE(device);
  Exchange(*device, Request(CommandCode::BeginSession, 0, 0, false));
  EXPECT_TRUE(mouse.SessionOpen());
  Exchange(*device, Request(CommandCode::EndSession, 0, 0, false));
  EXPECT_FALSE(mouse.SessionOpen());
  EXPECT_FALSE(mouse.HostLightingEnabled());
  EXPECT_EQ(Exchange(*device, Request(CommandCode::EnableHostLighting, 0, 0, false))[byte::kStatus],
            kStatusOk);
  EXPECT_TRUE(mouse.HostLightingEnabled());
}

// --- what the mouse holds ------------------------------------------------------------------------------

TEST_F(EmulatorTest, SettingsWrittenByCableReadBackInReceiverChunks) {
  EmulatedMouse& mouse = emulator_.PlugMouseCable();
  EXPECT_EQ(&emulator_.PlugMouseReceiver(), &mouse);
  auto cable = Open(kCableCommand);
  auto receiver = Open(kReceiverCommand);
  ASSERT_TRUE(cable && receiver);

  std::vector<std::uint8_t> block(85);
  for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>(3 * i + 1);
  ChunkedWrite(*cable, CommandCode::WriteMemory, block, 2 * 96, 56, false);
  EXPECT_EQ(mouse.SettingsBlock(2), block);
  EXPECT_EQ(ChunkedRead(*receiver, CommandCode::ReadMemory, 85, 2 * 96, 24, true), block);
  // The neighbouring slots are untouched.
  EXPECT_EQ(mouse.SettingsBlock(1)[0], 1);
  EXPECT_EQ(mouse.SettingsBlock(3)[0], 3);
}

TEST_F(EmulatorTest, FactorySettingsBlocksHoldSevenStagesAndCodesFromTheTables) {
  EmulatedMouse& mouse = emulator_.PlugMouseCable({.sensorCode = 0x3950});
  const std::set<std::uint8_t> sleepCodes{6, 8, 10, 20, 30, 40, 60};
  const std::set<std::uint8_t> deepSleepCodes{3, 4, 5, 10, 15, 20, 30};
  EXPECT_EQ(mouse.CurrentSlot(), 0);
  for (std::size_t slot = 0; slot < 5; ++slot) {
    const auto block = mouse.SettingsBlock(slot);
    ASSERT_EQ(block.size(), 85u);
    EXPECT_EQ(block[0], slot);
    EXPECT_LT(block[12], 7);
    EXPECT_TRUE(sleepCodes.contains(block[79]));
    EXPECT_TRUE(deepSleepCodes.contains(block[80]));
    std::set<std::uint32_t> colours;
    for (std::size_t i = 0; i < 7; ++i) {
      const std::size_t at = 14 + 9 * i;
      EXPECT_EQ(block[at], 1);
      const int dpi = block[at + 2] | block[at + 3] << 8;
      EXPECT_GE(dpi, 50);
      EXPECT_LE(dpi, 30000);
      colours.insert(static_cast<std::uint32_t>(block[at + 6] << 16 | block[at + 7] << 8 | block[at + 8]));
    }
    EXPECT_EQ(colours.size(), 7u);
  }
}

TEST_F(EmulatorTest, DeviceInfoReadsTheSameInOneChunkOrTwo) {
  emulator_.PlugMouseCable({.sensorCode = 0x3104, .firmwareVersion = 0x0107, .dpiStepCount = 114});
  emulator_.PlugMouseReceiver();
  auto cable = Open(kCableCommand);
  auto receiver = Open(kReceiverCommand);
  ASSERT_TRUE(cable && receiver);
  const auto whole = ChunkedRead(*cable, CommandCode::ReadDeviceInfo, 34, 0, 56, false);
  EXPECT_EQ(ChunkedRead(*receiver, CommandCode::ReadDeviceInfo, 34, 0, 24, true), whole);
  EXPECT_EQ(whole[5], 12);  // KeyCount
  EXPECT_EQ(whole[6], 32);  // macro capacity, 128-byte blocks
  EXPECT_EQ(whole[7], 0);   // LinkFlag
  EXPECT_EQ(whole[9] | whole[10] << 8, 0x3104);
  EXPECT_EQ(whole[12] | whole[13] << 8, 114);
  EXPECT_EQ(cable->Attributes().versionNumber, 0x0107);
}

TEST_F(EmulatorTest, FactoryKeyTableCarriesEverySlotCodeOnceOutOfSlotOrder) {
  using Code = std::array<std::uint8_t, 3>;
  const std::vector<Code> slotCodes{{0x10, 0x10, 0x00}, {0x10, 0x01, 0x00}, {0x10, 0x04, 0x00},
                                    {0x10, 0x02, 0x00}, {0x10, 0x08, 0x00}, {0x13, 0x01, 0x00},
                                    {0x13, 0x02, 0x00}, {0x13, 0x03, 0x00}, {0x15, 0x03, 0x00},
                                    {0xA0, 0x1B, 0x00}, {0x16, 0x90, 0x01}, {0x14, 0x78, 0x02}};
  emulator_.PlugMouseCable();
  auto device = Open(kCableCommand);
  ASSERT_TRUE(device);
  const auto table = ChunkedRead(*device, CommandCode::ReadKeyTable, 12 * 3, 0, 56, false);
  std::vector<Code> buttons;
  for (std::size_t k = 0; k < 12; ++k) buttons.push_back({table[3 * k], table[3 * k + 1], table[3 * k + 2]});
  EXPECT_NE(buttons, slotCodes);
  EXPECT_TRUE(std::is_permutation(buttons.begin(), buttons.end(), slotCodes.begin(), slotCodes.end()));
  // The current table starts as the factory one, and the key light map has one byte per key.
  EXPECT_EQ(ChunkedRead(*device, CommandCode::ReadKeyTableBank, 12 * 3, 0, 56, false), table);
  EXPECT_EQ(Exchange(*device, Request(CommandCode::ReadKeyLightMap, 12, 0, false))[byte::kStatus], kStatusOk);
  EXPECT_EQ(Exchange(*device, Request(CommandCode::ReadKeyLightMap, 13, 0, false))[byte::kStatus],
            kStatusErrorFE);
}

struct WriteCase {
  const char* name;
  CommandCode command;
  MouseMemory memory;
  std::uint16_t offset;
};

TEST_F(EmulatorTest, ChunkedWritesLandAtTheirOffsetsInEachMemory) {
  const WriteCase cases[] = {
      {"key table", CommandCode::WriteKeyTable, MouseMemory::KeyTable, 0},
      {"second key table", CommandCode::WriteKeyTable2, MouseMemory::KeyTable2, 0},
      {"key colours of slot 2", CommandCode::WriteKeyColours, MouseMemory::KeyColours, 2 * 512},
      {"macro data", CommandCode::WriteMacroData, MouseMemory::Macro, 0},
      {"shooting data", CommandCode::WriteShootData, MouseMemory::Shoot, 0},
  };
  EmulatedMouse& mouse = emulator_.PlugMouseCable();
  auto device = Open(kCableCommand);
  ASSERT_TRUE(device);
  std::vector<std::uint8_t> bytes(300);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
  for (const WriteCase& c : cases) {
    SCOPED_TRACE(c.name);
    ChunkedWrite(*device, c.command, bytes, c.offset, 56, false);
    EXPECT_EQ(mouse.Read(c.memory, c.offset, bytes.size()), bytes);
  }
  // Key colours read back through their own command.
  EXPECT_EQ(ChunkedRead(*device, CommandCode::ReadKeyColours, 300, 2 * 512, 56, false), bytes);
}

TEST_F(EmulatorTest, PowerStatusReadsWhatTheMouseReports) {
  EmulatedMouse& mouse = emulator_.PlugMouseReceiver();
  auto device = Open(kReceiverCommand);
  ASSERT_TRUE(device);
  const std::vector<std::uint8_t> status{42, 1, 0, 0, 7, 0};
  ASSERT_TRUE(mouse.Write(MouseMemory::PowerStatus, 0, status));
  const Frame reply = Exchange(*device, Request(CommandCode::ReadStatus, 6, 0, true));
  EXPECT_EQ(std::vector<std::uint8_t>(reply.begin() + 8, reply.begin() + 14), status);
  EXPECT_FALSE(mouse.Write(MouseMemory::PowerStatus, 1, status));
}

// --- the receiver path ---------------------------------------------------------------------------------

TEST_F(EmulatorTest, ReceiverSumLeavesOutItsMarkerByte) {
  emulator_.PlugMouseReceiver();
  auto device = Open(kReceiverCommand);
  ASSERT_TRUE(device);
  const Frame good = Request(CommandCode::BeginSession, 0, 0, true);
  Frame noMarker = good;
  noMarker[32] = 0;
  // A host that summed after setting the marker.
  Frame markerSummed = Request(CommandCode::BeginSession, 0, 0, false);
  markerSummed[32] = 2;
  const std::uint16_t sum = CommandSum(markerSummed);
  markerSummed[1] = static_cast<std::uint8_t>(sum & 0xFF);
  markerSummed[2] = static_cast<std::uint8_t>(sum >> 8);

  EXPECT_EQ(Exchange(*device, good)[byte::kStatus], kStatusOk);
  EXPECT_EQ(Exchange(*device, noMarker)[byte::kStatus], kStatusErrorFF);
  EXPECT_EQ(Exchange(*device, markerSummed)[byte::kStatus], kStatusErrorFF);
}

TEST_F(EmulatorTest, DataInTheMarkerByteIsRefusedNotStoredDamaged) {
  EmulatedMouse& mouse = emulator_.PlugMouseReceiver();
  auto device = Open(kReceiverCommand);
  ASSERT_TRUE(device);
  std::vector<std::uint8_t> chunk(56, 0x11);  // a 56-byte chunk puts data byte 24 into report byte 32
  const Frame reply = Exchange(*device, Request(CommandCode::WriteShootData, 56, 0, true, chunk));
  EXPECT_EQ(reply[byte::kStatus], kStatusErrorFF);
  EXPECT_EQ(mouse.Read(MouseMemory::Shoot, 0, 56), std::vector<std::uint8_t>(56, 0));
}

TEST_F(EmulatorTest, UnlinkedReceiverAnswersEveryRequestWithAA) {
  EmulatedMouse& mouse = emulator_.PlugMouseReceiver();
  auto device = Open(kReceiverCommand);
  ASSERT_TRUE(device);
  EXPECT_EQ(Exchange(*device, Request(CommandCode::QueryLink, 0, 0, true))[kLinkStateByte], kLinkStateLinked);

  mouse.SetLinked(false);
  const std::uint8_t before = mouse.SettingsBlock(0)[20];
  const Frame write = Exchange(
      *device, Request(CommandCode::WriteMemory, 1, 20, true, {static_cast<std::uint8_t>(before + 1)}));
  EXPECT_EQ(write[byte::kCommand], kReceiverDeviceAbsent);
  EXPECT_EQ(mouse.SettingsBlock(0)[20], before);
  const Frame query = Exchange(*device, Request(CommandCode::QueryLink, 0, 0, true));
  EXPECT_EQ(query[byte::kCommand], ToByte(CommandCode::QueryLink));
  EXPECT_NE(query[kLinkStateByte], kLinkStateLinked);
  EXPECT_EQ(StoredChecksum(query), CommandSum(query));

  // The cable reaches the mouse whatever the wireless link does.
  emulator_.PlugMouseCable();
  auto cable = Open(kCableCommand);
  ASSERT_TRUE(cable);
  EXPECT_EQ(Exchange(*cable, Request(CommandCode::ReadMemory, 1, 0, false))[byte::kCommand],
            ToByte(CommandCode::ReadMemory));

  mouse.SetLinked(true);
  EXPECT_EQ(Exchange(*device, Request(CommandCode::QueryLink, 0, 0, true))[kLinkStateByte], kLinkStateLinked);
}

TEST_F(EmulatorTest, ReceiverLightFramesCarryACrcBothWays) {
  EmulatedMouse& mouse = emulator_.PlugMouseReceiver();
  auto device = Open(kReceiverCommand);
  ASSERT_TRUE(device);
  const std::vector<std::uint8_t> data{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};

  const Frame reply = Exchange(*device, LightFrame(data));
  EXPECT_EQ(reply[byte::kCommand], ToByte(CommandCode::StreamLightFrame));
  EXPECT_EQ(reply[byte::kStatus], kStatusOk);
  EXPECT_EQ(StoredChecksum(reply), LightFrameCrc(reply));
  EXPECT_EQ(mouse.Read(MouseMemory::LightFrame, 0, data.size()), data);

  Frame wrongHighByte = LightFrame({9, 9, 9});
  wrongHighByte[2] ^= 0x01;
  EXPECT_EQ(Exchange(*device, wrongHighByte)[byte::kStatus], kStatusErrorFE);
  EXPECT_EQ(mouse.Read(MouseMemory::LightFrame, 0, data.size()), data);
  // The sum is no substitute for the CRC on this path.
  EXPECT_EQ(Exchange(*device, Request(CommandCode::StreamLightFrame, 3, 0, true, {9, 9, 9}))[byte::kStatus],
            kStatusErrorFE);
}

TEST_F(EmulatorTest, RequestLogKeepsEachRequestWithItsPath) {
  EmulatedMouse& mouse = emulator_.PlugMouseCable();
  emulator_.PlugMouseReceiver();
  auto cable = Open(kCableCommand);
  auto receiver = Open(kReceiverCommand);
  ASSERT_TRUE(cable && receiver);
  const Frame first = Request(CommandCode::BeginSession, 0, 0, false);
  const Frame second = Request(CommandCode::EndSession, 0, 0, true);
  Exchange(*cable, first);
  Exchange(*receiver, second);
  const auto log = mouse.Requests();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].bytes, first);
  EXPECT_FALSE(log[0].throughReceiver);
  EXPECT_EQ(log[1].bytes, second);
  EXPECT_TRUE(log[1].throughReceiver);
  mouse.ClearRequests();
  EXPECT_TRUE(mouse.Requests().empty());
}

// --- faults --------------------------------------------------------------------------------------------

struct FaultCase {
  const char* name;
  Fault fault;
  std::vector<std::uint8_t> replyCommands;  // byte 3 of each report that comes back
  std::uint8_t lastStatus;
  bool carriedOut;
};

TEST_F(EmulatorTest, EachFaultShapesTheRepliesOfOneRequest) {
  const FaultCase cases[] = {
      {"no reply", Fault::NoReply, {}, kStatusOk, true},
      {"stale then echo", Fault::StaleThenEcho, {kBegin, kWrite}, kStatusOk, true},
      {"two stale replies", Fault::TwoStaleReplies, {kBegin, kBegin}, kStatusOk, true},
      {"status FF", Fault::StatusFF, {kWrite}, kStatusErrorFF, false},
      {"status FE", Fault::StatusFE, {kWrite}, kStatusErrorFE, false},
  };
  EmulatedMouse& mouse = emulator_.PlugMouseCable();
  auto device = Open(kCableCommand);
  ASSERT_TRUE(device);
  std::uint8_t value = 0x40;
  for (const FaultCase& c : cases) {
    SCOPED_TRACE(c.name);
    ++value;
    mouse.InjectFaults(std::array{c.fault});
    const auto replies = Replies(*device, Request(CommandCode::WriteMemory, 1, 30, false, {value}));
    std::vector<std::uint8_t> commands;
    for (const Frame& reply : replies) commands.push_back(reply[byte::kCommand]);
    EXPECT_EQ(commands, c.replyCommands);
    if (!replies.empty()) {
      EXPECT_EQ(replies.back()[byte::kStatus], c.lastStatus);
    }
    EXPECT_EQ(mouse.SettingsBlock(0)[30] == value, c.carriedOut);
    EXPECT_EQ(mouse.PendingFaults(), 0u);
  }
}

TEST_F(EmulatorTest, FaultsApplyToTheNextRequestsInOrder) {
  EmulatedMouse& mouse = emulator_.PlugMouseCable();
  auto device = Open(kCableCommand);
  ASSERT_TRUE(device);
  mouse.InjectFaults(std::array{Fault::StatusFE, Fault::WriteFails, Fault::NoReply});
  const Frame request = Request(CommandCode::BeginSession, 0, 0, false);
  EXPECT_EQ(Replies(*device, request).at(0)[byte::kStatus], kStatusErrorFE);
  EXPECT_TRUE(Replies(*device, request).empty());  // the write itself failed
  EXPECT_TRUE(Replies(*device, request).empty());
  EXPECT_EQ(Replies(*device, request).at(0)[byte::kStatus], kStatusOk);
  // The refused write never reached the firmware.
  EXPECT_EQ(mouse.Requests().size(), 3u);
}

TEST_F(EmulatorTest, WriteFailsFailsTheHostsWrite) {
  EmulatedMouse& mouse = emulator_.PlugMouseCable();
  auto device = Open(kCableCommand);
  ASSERT_TRUE(device);
  mouse.InjectFaults(std::array{Fault::WriteFails});
  EXPECT_FALSE(Write(*device, Request(CommandCode::BeginSession, 0, 0, false)));
  EXPECT_TRUE(Write(*device, Request(CommandCode::BeginSession, 0, 0, false)));
}

TEST_F(EmulatorTest, BadCrcSpoilsOnlyTheHighByteOfTheReplyCrc) {
  EmulatedMouse& mouse = emulator_.PlugMouseReceiver();
  auto device = Open(kReceiverCommand);
  ASSERT_TRUE(device);
  mouse.InjectFaults(std::array{Fault::BadCrc});
  const Frame reply = Exchange(*device, LightFrame({1, 2, 3}));
  const std::uint16_t crc = LightFrameCrc(reply);
  EXPECT_EQ(reply[1], crc & 0xFF);
  EXPECT_NE(reply[2], crc >> 8);
}

TEST_F(EmulatorTest, UnplugDuringReplyTakesTheProductAway) {
  EmulatedMouse& mouse = emulator_.PlugMouseCable();
  emulator_.PlugMouseReceiver();
  auto cable = Open(kCableCommand);
  auto receiver = Open(kReceiverCommand);
  ASSERT_TRUE(cable && receiver);
  mouse.InjectFaults(std::array{Fault::UnplugDuringReply});
  EXPECT_TRUE(Write(*cable, Request(CommandCode::BeginSession, 0, 0, false)));
  EXPECT_FALSE(Read(*cable, kReplyLimitMs));
  EXPECT_FALSE(emulator_.IsMouseCablePlugged());
  EXPECT_FALSE(FindPath(*emulator_.Bus(), kCableCommand));
  // The receiver still reaches the same mouse.
  EXPECT_EQ(Exchange(*receiver, Request(CommandCode::EndSession, 0, 0, true))[byte::kCommand],
            ToByte(CommandCode::EndSession));
}

TEST_F(EmulatorTest, ShutdownEndsAReportLatencyAtOnce) {
  EmulatedMouse& mouse = emulator_.PlugMouseCable();
  auto device = Open(kCableCommand);
  ASSERT_TRUE(device);
  mouse.SetReportLatency(std::chrono::hours(1));
  std::vector<Frame> replies;
  std::jthread writer([&] { replies = Replies(*device, Request(CommandCode::BeginSession, 0, 0, false)); });
  mouse.Shutdown();
  writer.join();
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_EQ(replies[0][byte::kCommand], kBegin);
}

// --- notifications, plugging ---------------------------------------------------------------------------

std::optional<std::uint16_t> NextNotification(HidDevice& device) {
  std::vector<std::uint8_t> report(device.ReportBuffer(HidReportType::Input).size());
  std::size_t read = 0;
  if (!device.ReadReport(report, read, kReplyLimitMs)) return std::nullopt;
  auto list = device.DataList(HidReportType::Input);
  if (list.empty() || !device.UnpackReport(std::span(report).first(read), HidReportType::Input, list) ||
      list[0].usages.empty())
    return std::nullopt;
  return list[0].usages[0];
}

TEST_F(EmulatorTest, NotificationsReachEveryOpenNotificationHandleOfEveryPath) {
  EmulatedMouse& mouse = emulator_.PlugMouseCable();
  emulator_.PlugMouseReceiver();
  emulator_.PlugMouse2Receiver();
  std::vector<std::unique_ptr<HidDevice>> handles;
  for (CollectionAt at : {kCableNotification, kCableNotification, kReceiverNotification})
    handles.push_back(Open(at));
  auto otherMouse = Open(kReceiver2Notification);
  auto command = Open(kCableCommand);
  for (const auto& handle : handles) ASSERT_TRUE(handle);
  ASSERT_TRUE(otherMouse && command);

  for (std::uint16_t value : {0x0401, 0x0402, 0x0403}) {
    mouse.SendNotification(value);
    for (const auto& handle : handles) EXPECT_EQ(NextNotification(*handle), value);
  }
  EXPECT_FALSE(Read(*command, kNothingMoreMs));
  std::array<std::uint8_t, 3> none{};
  std::size_t read = 0;
  EXPECT_FALSE(otherMouse->ReadReport(none, read, kNothingMoreMs));
}

TEST_F(EmulatorTest, SlotAndStageNotificationsChangeWhatTheMouseHolds) {
  EmulatedMouse& mouse = emulator_.PlugMouseCable();
  auto handle = Open(kCableNotification);
  ASSERT_TRUE(handle);
  mouse.SendNotification(0x1003);
  EXPECT_EQ(NextNotification(*handle), 0x1003);
  EXPECT_EQ(mouse.CurrentSlot(), 3);
  mouse.SendNotification(0x1152);
  EXPECT_EQ(NextNotification(*handle), 0x1152);
  EXPECT_EQ(mouse.CurrentSlot(), 2);
  EXPECT_EQ(mouse.SettingsBlock(2)[12], 5);
  // A slot the mouse does not have changes nothing.
  mouse.SendNotification(0x1009);
  EXPECT_EQ(mouse.CurrentSlot(), 2);
}

TEST_F(EmulatorTest, UnplugFailsOpenHandlesAndTheMouseKeepsItsMemory) {
  EmulatedMouse& mouse = emulator_.PlugMouseCable();
  auto device = Open(kCableCommand);
  ASSERT_TRUE(device);
  ChunkedWrite(*device, CommandCode::WriteMemory, std::vector<std::uint8_t>{7, 7, 7}, 96 + 40, 56, false);

  emulator_.UnplugMouseCable();
  EXPECT_FALSE(Write(*device, Request(CommandCode::BeginSession, 0, 0, false)));
  EXPECT_FALSE(Read(*device, kReplyLimitMs));
  EXPECT_FALSE(FindPath(*emulator_.Bus(), kCableCommand));

  EXPECT_EQ(&emulator_.PlugMouseCable(), &mouse);
  auto again = Open(kCableCommand);
  ASSERT_TRUE(again);
  EXPECT_EQ(ChunkedRead(*again, CommandCode::ReadMemory, 3, 96 + 40, 56, false),
            (std::vector<std::uint8_t>{7, 7, 7}));
}

TEST_F(EmulatorTest, SecondReceiverReachesItsOwnMouse) {
  EmulatedMouse& first = emulator_.PlugMouseReceiver();
  EmulatedMouse& second = emulator_.PlugMouse2Receiver();
  EXPECT_NE(&first, &second);
  auto device = Open(kReceiver2Command);
  ASSERT_TRUE(device);
  ChunkedWrite(*device, CommandCode::WriteMemory, std::vector<std::uint8_t>{9}, 50, 24, true);
  EXPECT_EQ(second.SettingsBlock(0)[50], 9);
  EXPECT_NE(first.SettingsBlock(0)[50], 9);
}

TEST_F(EmulatorTest, TwoPathsExchangingAtOnceEachGetTheirOwnReplies) {
  EmulatedMouse& mouse = emulator_.PlugMouseCable();
  emulator_.PlugMouseReceiver();
  auto cable = Open(kCableCommand);
  auto receiver = Open(kReceiverCommand);
  ASSERT_TRUE(cable && receiver);
  constexpr int kRounds = 200;
  auto run = [](HidDevice& device, bool throughReceiver, std::uint16_t offset, int& mismatches) {
    for (int i = 0; i < kRounds; ++i) {
      const auto value = static_cast<std::uint8_t>(i);
      const Frame write =
          Exchange(device, Request(CommandCode::WriteMemory, 1, offset, throughReceiver, {value}));
      const Frame read = Exchange(device, Request(CommandCode::ReadMemory, 1, offset, throughReceiver));
      if (write[byte::kCommand] != kWrite || read[byte::kCommand] != ToByte(CommandCode::ReadMemory) ||
          read[byte::kData] != value)
        ++mismatches;
    }
  };
  int cableMismatches = 0;
  int receiverMismatches = 0;
  {
    std::jthread other([&] { run(*receiver, true, 3 * 96 + 20, receiverMismatches); });
    run(*cable, false, 4 * 96 + 20, cableMismatches);
  }
  EXPECT_EQ(cableMismatches, 0);
  EXPECT_EQ(receiverMismatches, 0);
  EXPECT_EQ(mouse.Requests().size(), 4u * kRounds);
}

// --- memory kept between runs ---------------------------------------------------------------------------

// What demo mode keeps in files, kept here in memory: one store outlives the emulators of two runs.
class ImageStore final : public MemoryStore {
 public:
  std::optional<std::vector<std::uint8_t>> Load(const std::string& name) override {
    std::lock_guard lock(mutex_);
    const auto found = images_.find(name);
    if (found == images_.end()) return std::nullopt;
    return found->second;
  }
  void Save(const std::string& name, std::span<const std::uint8_t> image) override {
    std::lock_guard lock(mutex_);
    images_[name].assign(image.begin(), image.end());
    ++saves_;
  }
  void Put(const std::string& name, std::vector<std::uint8_t> image) {
    std::lock_guard lock(mutex_);
    images_[name] = std::move(image);
  }
  int Saves() const {
    std::lock_guard lock(mutex_);
    return saves_;
  }

 private:
  mutable std::mutex mutex_;
  std::map<std::string, std::vector<std::uint8_t>> images_;
  int saves_ = 0;
};

constexpr const char* kMouseImage = "mouse-3395";
const std::vector<std::uint8_t> kEditedStage{1, 0, 0x20, 0x03, 0x20, 0x03};  // the first stage at 800 DPI
constexpr std::uint16_t kEditedStageAt = 2 * 96 + 14;
const std::vector<std::uint8_t> kMacroBytes{0x81, 0x04, 0x00, 0x32};

class KeptMemoryTest : public EmulatorTest {
 protected:
  void SetUp() override {
    EmulatorTest::SetUp();
    emulator_.KeepMemoryIn(store_);
  }

  static std::vector<std::uint8_t> FactorySettingsBlock() {
    DeviceEmulator fresh;
    return fresh.PlugMouseCable().SettingsBlock(2);
  }

  // A second run: a new emulator on the same store.
  EmulatedMouse& PlugAfterRestart(DeviceEmulator& next) {
    next.KeepMemoryIn(store_);
    return next.PlugMouseReceiver();
  }

  std::shared_ptr<ImageStore> store_ = std::make_shared<ImageStore>();
};

TEST_F(KeptMemoryTest, WhatTheHostWroteIsSavedWhenItsSessionEndsAndLoadedAtTheNextRun) {
  emulator_.PlugMouseCable();
  auto device = Open(kCableCommand);
  ASSERT_TRUE(device);
  Exchange(*device, Request(CommandCode::BeginSession, 0, 0, false));
  ChunkedWrite(*device, CommandCode::WriteMemory, kEditedStage, kEditedStageAt, 56, false);
  ChunkedWrite(*device, CommandCode::WriteMacroData, kMacroBytes, 128, 56, false);
  EXPECT_EQ(store_->Saves(), 0) << "saved in the middle of a session";
  Exchange(*device, Request(CommandCode::EndSession, 0, 0, false));
  EXPECT_EQ(store_->Saves(), 1);

  DeviceEmulator next;
  EmulatedMouse& mouse = PlugAfterRestart(next);
  const auto block = mouse.SettingsBlock(2);
  EXPECT_TRUE(std::equal(kEditedStage.begin(), kEditedStage.end(), block.begin() + 14));
  EXPECT_EQ(mouse.Read(MouseMemory::Macro, 128, kMacroBytes.size()), kMacroBytes);
}

TEST_F(KeptMemoryTest, ASlotChangedOnTheMouseIsSavedAtOnce) {
  EmulatedMouse& mouse = emulator_.PlugMouseCable();
  mouse.SwitchSlot(3);
  DeviceEmulator next;
  EXPECT_EQ(PlugAfterRestart(next).CurrentSlot(), 3);
}

TEST_F(KeptMemoryTest, AnImageThatIsDamagedOrOfAnotherSizeLeavesTheFactoryMemory) {
  emulator_.PlugMouseCable().SwitchSlot(3);
  const std::vector<std::uint8_t> good = store_->Load(kMouseImage).value();
  std::vector<std::uint8_t> flipped = good;
  flipped[good.size() / 2] ^= 0x01;
  auto memory = OpenMemoryImage(good).value();
  memory.pop_back();
  const struct {
    const char* name;
    std::vector<std::uint8_t> image;
  } cases[] = {
      {"one bit flipped", flipped},
      {"cut short", std::vector(good.begin(), good.end() - 100)},
      {"intact but one byte short", SealMemoryImage(memory)},
      {"empty", {}},
      {"not an image", std::vector<std::uint8_t>(good.size(), 0x5A)},
  };
  const auto factory = FactorySettingsBlock();
  for (const auto& c : cases) {
    store_->Put(kMouseImage, c.image);
    DeviceEmulator next;
    EmulatedMouse& mouse = PlugAfterRestart(next);
    EXPECT_EQ(mouse.CurrentSlot(), 0) << c.name;
    EXPECT_EQ(mouse.SettingsBlock(2), factory) << c.name;
  }
}

TEST_F(KeptMemoryTest, EachSensorVariantKeepsItsOwnImage) {
  emulator_.PlugMouseCable().SwitchSlot(3);
  DeviceEmulator next;
  next.KeepMemoryIn(store_);
  EXPECT_EQ(next.PlugMouseCable({.sensorCode = 0x3104}).CurrentSlot(), 0);
}

TEST_F(KeptMemoryTest, RestoringTheFactoryMemoryIsKeptToo) {
  EmulatedMouse& mouse = emulator_.PlugMouseCable();
  const auto factory = mouse.SettingsBlock(2);
  auto device = Open(kCableCommand);
  ASSERT_TRUE(device);
  ChunkedWrite(*device, CommandCode::WriteMemory, kEditedStage, kEditedStageAt, 56, false);
  ASSERT_NE(mouse.SettingsBlock(2), factory);

  mouse.RestoreFactoryMemory();
  EXPECT_EQ(mouse.SettingsBlock(2), factory);
  DeviceEmulator next;
  EXPECT_EQ(PlugAfterRestart(next).SettingsBlock(2), factory);
}

}  // namespace
}  // namespace nimbel::emulator
