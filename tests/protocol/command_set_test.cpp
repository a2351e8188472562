#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "protocol/checksum.h"
#include "protocol/command_channel.h"
#include "tests/protocol/emulated_channel.h"
#include "tests/protocol/trace_lines.h"
#include "tests/protocol/write_gate.h"

namespace nimbel {
namespace {

using emulator::Fault;
using emulator::MouseMemory;
using protocol_test::EmulatedChannel;
using protocol_test::Link;
using protocol_test::TraceLines;
using protocol_test::WriteGate;

std::vector<std::uint8_t> Pattern(std::size_t length, std::uint8_t seed) {
  std::vector<std::uint8_t> bytes(length);
  for (std::size_t i = 0; i < length; ++i) bytes[i] = static_cast<std::uint8_t>(seed + 3 * i + 1);
  return bytes;
}

std::vector<std::uint8_t> DeviceHolds(EmulatedChannel& link, MouseMemory memory, std::size_t offset,
                                      std::size_t length) {
  return link.Mouse().Read(memory, offset, length).value_or(std::vector<std::uint8_t>{});
}

struct Chunk {
  std::uint8_t length;
  std::uint16_t offset;
  friend bool operator==(const Chunk&, const Chunk&) = default;
};

std::ostream& operator<<(std::ostream& out, const Chunk& chunk) {
  return out << "(" << int{chunk.length} << " @" << chunk.offset << ")";
}

// `count` chunks of `length` bytes from `base` on, then `last` bytes.
std::vector<Chunk> EvenChunks(std::uint8_t length, std::size_t count, std::uint8_t last,
                              std::uint16_t base = 0) {
  std::vector<Chunk> chunks;
  for (std::size_t i = 0; i < count; ++i)
    chunks.push_back({length, static_cast<std::uint16_t>(base + i * length)});
  chunks.push_back({last, static_cast<std::uint16_t>(base + count * length)});
  return chunks;
}

// The sum the host computed, recovered from what the device received: through the receiver the mark in
// byte 32 was set after summing.
std::uint16_t HostSum(const emulator::ReceivedRequest& request) {
  CommandReport report = CommandReport::FromBytes(request.bytes);
  if (request.throughReceiver) report.Bytes()[command_report_byte::kReceiverMark] = 0;
  return CommandSum(report.Bytes());
}

struct FramingCase {
  std::string name;
  Link link;
  CommandCode command;
  std::function<int(CommandChannel&)> run;
  std::vector<Chunk> chunks;
};

std::vector<FramingCase> FramingCases() {
  static const std::vector<std::uint8_t> keyTable = Pattern(kMaxKeyTableLength, 0x10);
  static const std::vector<std::uint8_t> data = Pattern(300, 0x40);
  const auto readInfo = [](CommandChannel& c) {
    std::array<std::uint8_t, kDeviceInfoLength> info{};
    return c.ReadDeviceInfo(info);
  };
  const auto writeKeys = [](CommandChannel& c) {
    return c.WriteKeyTable(std::span<const std::uint8_t, kMaxKeyTableLength>(keyTable), 0);
  };
  const auto readKeysBank = [](CommandChannel& c) {
    std::array<std::uint8_t, kMaxKeyTableLength> keys{};
    return c.ReadKeyTableBank(keys, 0);
  };
  const auto writeShoot = [](CommandChannel& c) { return c.WriteShootData(data, 120); };
  return {
      {"BeginSession",
       Link::Cable,
       CommandCode::BeginSession,
       [](CommandChannel& c) { return c.BeginSession(); },
       {{0, 0}}},
      {"EndSession",
       Link::Receiver,
       CommandCode::EndSession,
       [](CommandChannel& c) { return c.EndSession(1); },
       {{0, 0}}},
      {"EnableHostLighting",
       Link::Cable,
       CommandCode::EnableHostLighting,
       [](CommandChannel& c) { return c.EnableHostLighting(); },
       {{0, 0}}},
      {"ReadStatus",
       Link::Receiver,
       CommandCode::ReadStatus,
       [](CommandChannel& c) {
         std::array<std::uint8_t, 6> status{};
         return c.ReadStatus(status, status.size(), 0);
       },
       {{6, 0}}},
      {"ReadDeviceInfoByCable", Link::Cable, CommandCode::ReadDeviceInfo, readInfo, {{34, 0}}},
      {"ReadDeviceInfoThroughReceiver",
       Link::Receiver,
       CommandCode::ReadDeviceInfo,
       readInfo,
       {{24, 0}, {10, 24}}},
      {"WriteKeyTableByCable", Link::Cable, CommandCode::WriteKeyTable, writeKeys, EvenChunks(56, 9, 8)},
      {"WriteKeyTableThroughReceiver", Link::Receiver, CommandCode::WriteKeyTable, writeKeys,
       EvenChunks(24, 21, 8)},
      {"ReadKeyTableBankByCable", Link::Cable, CommandCode::ReadKeyTableBank, readKeysBank,
       EvenChunks(56, 9, 8)},
      {"WriteKeyTable2OfAShortTable",
       Link::Receiver,
       CommandCode::WriteKeyTable2,
       [](CommandChannel& c) {
         c.SetKeyTableLength(36);
         return c.WriteKeyTable2(std::span<const std::uint8_t, kMaxKeyTableLength>(keyTable), 0);
       },
       {{24, 0}, {12, 24}}},
      {"WriteKeyColoursOfSlot2",
       Link::Cable,
       CommandCode::WriteKeyColours,
       [](CommandChannel& c) { return c.WriteKeyColours(data, 300, 2, 512); },
       {{56, 0x400}, {56, 0x438}, {56, 0x470}, {56, 0x4A8}, {56, 0x4E0}, {20, 0x518}}},
      {"ReadKeyColoursOfSlot1",
       Link::Receiver,
       CommandCode::ReadKeyColours,
       [](CommandChannel& c) {
         std::array<std::uint8_t, 30> colours{};
         return c.ReadKeyColours(colours, colours.size(), 1, 512);
       },
       {{24, 512}, {6, 536}}},
      {"ReadMemoryOfSlot1",
       Link::Cable,
       CommandCode::ReadMemory,
       [](CommandChannel& c) {
         std::array<std::uint8_t, 85> block{};
         return c.ReadMemory(block, block.size(), 96);
       },
       {{56, 96}, {29, 152}}},
      {"WriteMemoryThroughReceiver",
       Link::Receiver,
       CommandCode::WriteMemory,
       [](CommandChannel& c) { return c.WriteMemory(data, 50, 192); },
       {{24, 192}, {24, 216}, {2, 240}}},
      {"WriteMacroData", Link::Receiver, CommandCode::WriteMacroData,
       [](CommandChannel& c) { return c.WriteMacroData(data, 100); }, EvenChunks(24, 4, 4)},
      {"WriteShootDataByCable",
       Link::Cable,
       CommandCode::WriteShootData,
       writeShoot,
       {{56, 0}, {56, 56}, {8, 112}}},
      // Through the receiver the data stays out of the receiver's byte 32.
      {"WriteShootDataThroughReceiver", Link::Receiver, CommandCode::WriteShootData, writeShoot,
       EvenChunks(24, 4, 24)},
      {"ReadKeyLightMapOfThirtyBytes",
       Link::Cable,
       CommandCode::ReadKeyLightMap,
       [](CommandChannel& c) {
         c.SetKeyTableLength(30);
         std::array<std::uint8_t, 10> map{};
         return c.ReadKeyLightMap(map);
       },
       {{10, 0}}},
      {"ReadKeyTableOfNoLength",
       Link::Cable,
       CommandCode::ReadKeyTable,
       [](CommandChannel& c) {
         c.SetKeyTableLength(0);
         std::array<std::uint8_t, kMaxKeyTableLength> keys{};
         return c.ReadKeyTable(keys);
       },
       {}},
      {"StreamLightFrameThroughReceiver",
       Link::Receiver,
       CommandCode::StreamLightFrame,
       [](CommandChannel& c) { return c.StreamLightFrame(data, 60); },
       {{24, 0}, {24, 24}, {12, 48}}},
      {"QueryLinkThroughReceiver",
       Link::Receiver,
       CommandCode::QueryLink,
       [](CommandChannel& c) { return c.QueryLink() ? kResultOk : kResultNothing; },
       {{0, 0}}},
      {"QueryLinkByCableSendsNothing",
       Link::Cable,
       CommandCode::QueryLink,
       [](CommandChannel& c) { return c.QueryLink() ? kResultOk : kResultNothing; },
       {}},
  };
}

void PrintTo(const FramingCase& c, std::ostream* out) {
  *out << c.name;
}

class CommandFramingTest : public ::testing::TestWithParam<FramingCase> {};

TEST_P(CommandFramingTest, SendsTheReportsTheFirmwareAccepts) {
  const FramingCase& c = GetParam();
  EmulatedChannel link(c.link);
  ASSERT_TRUE(link.Opened());
  EXPECT_EQ(c.run(link.Channel()), kResultOk);

  const auto requests = link.Requests();
  std::vector<Chunk> chunks;
  for (const auto& request : requests) {
    const CommandReport sent = CommandReport::FromBytes(request.bytes);
    chunks.push_back({sent.Length(), sent.Offset()});
    EXPECT_EQ(sent.ReportId(), kCommandReportId);
    EXPECT_EQ(sent.Command(), ToByte(c.command));
    EXPECT_EQ(sent.Status(), 0) << "byte 7 of a request is zero";
    EXPECT_EQ(request.throughReceiver, c.link == Link::Receiver);
    const bool crc = request.throughReceiver && c.command == CommandCode::StreamLightFrame;
    EXPECT_EQ(sent.Checksum(), crc ? LightFrameCrc(sent.Bytes()) : HostSum(request));
  }
  EXPECT_EQ(chunks, c.chunks);
}

INSTANTIATE_TEST_SUITE_P(Commands, CommandFramingTest, ::testing::ValuesIn(FramingCases()),
                         [](const auto& param) { return param.param.name; });

TEST(CommandSetTest, WritesLandInDeviceMemoryAndReadBack) {
  for (Link path : {Link::Cable, Link::Receiver}) {
    EmulatedChannel link(path);
    ASSERT_TRUE(link.Opened());
    CommandChannel& channel = link.Channel();

    const auto block = Pattern(85, 0x21);
    ASSERT_EQ(channel.WriteMemory(block, block.size(), 96), kResultOk);
    EXPECT_EQ(DeviceHolds(link, MouseMemory::Onboard, 96, block.size()), block);
    std::vector<std::uint8_t> readBack(block.size());
    ASSERT_EQ(channel.ReadMemory(readBack, readBack.size(), 96), kResultOk);
    EXPECT_EQ(readBack, block);

    // Every 24th byte of a shooting pattern is non-zero here, so a receiver mark over the data would show.
    const auto pattern = Pattern(120, 0x01);
    ASSERT_EQ(channel.WriteShootData(pattern, pattern.size()), kResultOk);
    EXPECT_EQ(DeviceHolds(link, MouseMemory::Shoot, 0, pattern.size()), pattern);

    std::array<std::uint8_t, kDeviceInfoLength> info{};
    ASSERT_EQ(channel.ReadDeviceInfo(info), kResultOk);
    EXPECT_TRUE(std::ranges::equal(info, DeviceHolds(link, MouseMemory::DeviceInfo, 0, kDeviceInfoLength)));
  }
}

TEST(CommandSetTest, DeviceStatusStopsTheTransferAtTheFailingChunk) {
  struct Case {
    Fault second;
    int result;
  };
  // The first request's stale report is harmless, so the fault lands on the second chunk.
  constexpr std::array cases{Case{Fault::StatusFE, kResultStatusFE}, Case{Fault::StatusFF, kResultStatusFF},
                             Case{Fault::WriteFails, kResultWriteFailed}};
  for (const Case& c : cases) {
    EmulatedChannel link(Link::Cable);
    ASSERT_TRUE(link.Opened());
    link.Mouse().InjectFaults(std::array{Fault::StaleThenEcho, c.second});
    const auto data = Pattern(150, 0x05);
    EXPECT_EQ(link.Channel().WriteMemory(data, data.size(), 0), c.result);
    const std::size_t received = c.second == Fault::WriteFails ? 1 : 2;
    EXPECT_EQ(link.Requests().size(), received) << "no chunk after the failing one";
  }
}

TEST(CommandSetTest, FirmwareRefusalOfAnOutOfRangeChunkEndsTheWrite) {
  EmulatedChannel link(Link::Cable);
  ASSERT_TRUE(link.Opened());
  // Onboard memory ends at 480: the first chunk fits, the second starts past the end.
  const auto data = Pattern(100, 0x09);
  EXPECT_EQ(link.Channel().WriteMemory(data, data.size(), 424), kResultStatusFE);
  EXPECT_EQ(link.Requests().size(), 2u);
}

TEST(CommandSetTest, FailedReadKeepsDeviceInfoButKeepsMemoryChunksReceived) {
  EmulatedChannel link(Link::Receiver);
  ASSERT_TRUE(link.Opened());
  CommandChannel& channel = link.Channel();

  link.Mouse().InjectFaults(std::array{Fault::StaleThenEcho, Fault::StatusFE});
  std::array<std::uint8_t, kDeviceInfoLength> info;
  info.fill(0xCC);
  EXPECT_EQ(channel.ReadDeviceInfo(info), kResultStatusFE);
  EXPECT_TRUE(std::ranges::all_of(info, [](std::uint8_t b) { return b == 0xCC; }));

  link.Mouse().InjectFaults(std::array{Fault::StaleThenEcho, Fault::StatusFE});
  std::vector<std::uint8_t> block(40, 0xCC);
  EXPECT_EQ(channel.ReadMemory(block, block.size(), 96), kResultStatusFE);
  const auto first = DeviceHolds(link, MouseMemory::Onboard, 96, kReceiverChunkSize);
  EXPECT_TRUE(std::ranges::equal(std::span(block).first(kReceiverChunkSize), first));
  EXPECT_TRUE(
      std::ranges::all_of(std::span(block).subspan(kReceiverChunkSize), [](auto b) { return b == 0xCC; }));
}

TEST(CommandSetTest, BankOtherThanZeroIsRefusedWithoutTraffic) {
  EmulatedChannel link(Link::Cable);
  ASSERT_TRUE(link.Opened());
  CommandChannel& channel = link.Channel();
  std::array<std::uint8_t, kMaxKeyTableLength> keys{};
  EXPECT_EQ(channel.ReadKeyTableBank(keys, 1), kResultBadBank);
  EXPECT_EQ(channel.WriteKeyTable(keys, 1), kResultBadBank);
  EXPECT_EQ(channel.WriteKeyTable2(keys, -1), kResultBadBank);
  EXPECT_TRUE(link.Requests().empty());
}

TEST(CommandSetTest, LengthBeyondTheCallersBufferIsRefusedWithoutTraffic) {
  EmulatedChannel link(Link::Cable);
  ASSERT_TRUE(link.Opened());
  CommandChannel& channel = link.Channel();
  std::array<std::uint8_t, 10> small{};
  std::array<std::uint8_t, 64> large{};
  const std::vector<std::function<int()>> refused{
      [&] { return channel.ReadMemory(small, 11, 0); },
      [&] { return channel.WriteMemory(small, 100, 0); },
      [&] { return channel.ReadKeyColours(small, 20, 0, 512); },
      [&] { return channel.WriteMacroData(small, 11); },
      [&] { return channel.StreamLightFrame(small, 12); },
      [&] { return channel.ReadStatus(small, 11, 0); },
      [&] { return channel.ReadStatus(large, 57, 0); },
      [&] {
        channel.SetKeyTableLength(36);  // 12 bytes of key light map
        return channel.ReadKeyLightMap(small);
      },
  };
  for (std::size_t i = 0; i < refused.size(); ++i) EXPECT_EQ(refused[i](), kResultNothing) << "case " << i;
  EXPECT_TRUE(link.Requests().empty());
}

TEST(CommandSetTest, ReadStatusCopiesOnlyAnAnsweredReply) {
  EmulatedChannel link(Link::Cable);
  ASSERT_TRUE(link.Opened());
  std::array<std::uint8_t, 8> status;
  status.fill(0xCC);
  link.Mouse().InjectFaults(std::array{Fault::WriteFails});
  EXPECT_EQ(link.Channel().ReadStatus(status, 6, 0), kResultWriteFailed);
  EXPECT_TRUE(std::ranges::all_of(status, [](std::uint8_t b) { return b == 0xCC; }));

  ASSERT_EQ(link.Channel().ReadStatus(status, 6, 0), kResultOk);
  const auto power = DeviceHolds(link, MouseMemory::PowerStatus, 0, 6);
  EXPECT_TRUE(std::ranges::equal(std::span(status).first(6), power));
  EXPECT_EQ(status[6], 0xCC);
}

TEST(CommandSetTest, QueryLinkFollowsTheWirelessLink) {
  EmulatedChannel link(Link::Receiver);
  ASSERT_TRUE(link.Opened());
  EXPECT_TRUE(link.Channel().QueryLink());
  link.Mouse().SetLinked(false);
  EXPECT_FALSE(link.Channel().QueryLink());
  EXPECT_EQ(link.Channel().BeginSession(), kResultDeviceAbsent);
  link.Mouse().SetLinked(true);
  link.Mouse().InjectFaults(std::array{Fault::WriteFails});
  EXPECT_FALSE(link.Channel().QueryLink());
}

TEST(CommandSetTest, UnplugInTheMiddleOfATransferFailsItAndEveryLaterCommand) {
  EmulatedChannel link(Link::Cable);
  ASSERT_TRUE(link.Opened());
  link.Mouse().InjectFaults(std::array{Fault::StaleThenEcho, Fault::UnplugDuringReply});
  const auto data = Pattern(150, 0x33);
  EXPECT_EQ(link.Channel().WriteMacroData(data, data.size()), kResultNothing);
  EXPECT_EQ(link.Requests().size(), 2u);
  EXPECT_EQ(link.Channel().BeginSession(), kResultWriteFailed);
  EXPECT_TRUE(link.Channel().IsOpen()) << "only the owner closes the channel";
}

// Another thread's command, held at its first write: in flight inside the channel, with the channel busy,
// for as long as the test needs.
class ParkedExchange {
 public:
  ParkedExchange(EmulatedChannel& link, std::function<int()> command)
      : channel_(link.Channel()), gate_(std::make_shared<WriteGate>(link.Emulator().Bus())) {
    // The channel's interface is opened again through the gate.
    InstallHidBackend(gate_);
    gate_->Hold();
    const std::string path = channel_.Handle().Path();
    attached_ = channel_.Attach(path, channel_.UseReceiver() ? LinkPath::Receiver : LinkPath::Wired);
    thread_ = std::thread([this, command] { result_ = command(); });
  }

  ~ParkedExchange() {
    gate_->Release();
    if (thread_.joinable()) thread_.join();
  }

  bool WaitUntilBusy() {
    // A failure bound only: the thread sets the busy flag as soon as it runs.
    for (int i = 0; i < 10000 && attached_ && !channel_.IsBusy(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return channel_.IsBusy();
  }

  int Finish() {
    gate_->Release();
    thread_.join();
    return result_;
  }

 private:
  CommandChannel& channel_;
  std::shared_ptr<WriteGate> gate_;
  bool attached_ = false;
  int result_ = 0;
  std::thread thread_;
};

TEST(CommandSetTest, LightFramesAreDroppedWhileAnExchangeIsInFlight) {
  EmulatedChannel link(Link::Receiver);
  ASSERT_TRUE(link.Opened());
  CommandChannel& channel = link.Channel();
  const auto frame = Pattern(48, 0x70);
  TraceLines trace;
  {
    ParkedExchange parked(link, [&] { return channel.BeginSession(); });
    ASSERT_TRUE(parked.WaitUntilBusy());
    // Streamed from a thread of its own so that a frame wrongly waiting for the parked exchange fails the
    // test instead of hanging it; the bound is a failure limit only.
    std::promise<int> streamed;
    std::future<int> result = streamed.get_future();
    std::thread streamer([&] { streamed.set_value(channel.StreamLightFrame(frame, frame.size())); });
    const bool finished = result.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    EXPECT_TRUE(finished) << "the light frame waited for the exchange in flight";
    EXPECT_EQ(parked.Finish(), kResultOk);
    streamer.join();
    EXPECT_EQ(result.get(), kResultOk);
  }
  const auto lines = trace.Lines();
  EXPECT_EQ(std::ranges::count(lines, std::string("放弃灯光数据\n")), 2);
  const auto requests = link.Requests();
  ASSERT_EQ(requests.size(), 1u) << "no light frame reached the device";
  EXPECT_EQ(requests[0].bytes[command_report_byte::kCommand], ToByte(CommandCode::BeginSession));

  // Once the exchange is over the same frame goes through and the device shows it.
  ASSERT_EQ(channel.StreamLightFrame(frame, frame.size()), kResultOk);
  EXPECT_EQ(DeviceHolds(link, MouseMemory::LightFrame, 0, frame.size()), frame);
}

TEST(CommandSetTest, NewKeyTableLengthAppliesFromTheNextChunk) {
  EmulatedChannel link(Link::Cable);
  ASSERT_TRUE(link.Opened());
  CommandChannel& channel = link.Channel();
  std::array<std::uint8_t, kMaxKeyTableLength> keys{};
  {
    ParkedExchange parked(link, [&] { return channel.ReadKeyTableBank(keys, 0); });
    ASSERT_TRUE(parked.WaitUntilBusy());
    ASSERT_TRUE(channel.SetKeyTableLength(60));
    EXPECT_EQ(parked.Finish(), kResultOk);
  }
  const auto requests = link.Requests();
  ASSERT_EQ(requests.size(), 2u);
  const CommandReport last = CommandReport::FromBytes(requests[1].bytes);
  EXPECT_EQ(last.Length(), 4);
  EXPECT_EQ(last.Offset(), 56);
}

TEST(CommandSetTest, SessionWithTheProtocolsOwnPauses) {
  EmulatedChannel link(Link::Cable, ProtocolPauses{});
  ASSERT_TRUE(link.Opened());
  CommandChannel& channel = link.Channel();
  EXPECT_EQ(channel.Pauses().afterWrite, std::chrono::milliseconds(20));
  EXPECT_EQ(channel.Pauses().beforeEndSession, std::chrono::milliseconds(10));

  const auto block = Pattern(85, 0x60);
  ASSERT_EQ(channel.BeginSession(), kResultOk);
  EXPECT_TRUE(link.Mouse().SessionOpen());
  ASSERT_EQ(channel.WriteMemory(block, block.size(), 0), kResultOk);
  ASSERT_EQ(channel.EndSession(1), kResultOk);
  EXPECT_FALSE(link.Mouse().SessionOpen());
  EXPECT_EQ(DeviceHolds(link, MouseMemory::Onboard, 0, block.size()), block);
}

}  // namespace
}  // namespace nimbel
