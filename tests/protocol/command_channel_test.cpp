#include "protocol/command_channel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "protocol/checksum.h"
#include "tests/protocol/emulated_channel.h"
#include "tests/protocol/trace_lines.h"

namespace nimbel {
namespace {

using emulator::Fault;
using protocol_test::EmulatedChannel;
using protocol_test::Link;
using protocol_test::TraceLines;

// The power status the emulated mouse holds from the factory: 85 % battery, the rest zero.
constexpr std::uint8_t kFactoryBattery = 85;
constexpr std::uint8_t kPowerStatusLength = 6;

CommandReport StatusRequest() {
  CommandReport request = CommandReport::Request(ToByte(CommandCode::ReadStatus));
  request.SetLength(kPowerStatusLength);
  request.FinishSum();
  return request;
}

TEST(CommandChannelTest, ClosedChannelSendsNothingAndTracesNothing) {
  EmulatedChannel link(Link::Cable);
  ASSERT_TRUE(link.Opened());
  CommandChannel& channel = link.Channel();
  channel.Detach();

  TraceLines trace;
  CommandReport reply;
  std::size_t bytesRead = 7;
  EXPECT_EQ(channel.Exchange(StatusRequest().Bytes(), reply.Bytes(), bytesRead), kResultNothing);
  EXPECT_EQ(bytesRead, 0u);
  EXPECT_FALSE(channel.IsBusy());
  EXPECT_TRUE(trace.Lines().empty());
  EXPECT_TRUE(link.Requests().empty());
}

TEST(CommandChannelTest, TracesRequestAndReplyAsTwoDumpLinesEach) {
  EmulatedChannel link(Link::Cable);
  ASSERT_TRUE(link.Opened());
  TraceLines trace;
  CommandReport reply;
  std::size_t bytesRead = 0;
  ASSERT_EQ(link.Channel().Exchange(StatusRequest().Bytes(), reply.Bytes(), bytesRead), kResultOk);
  EXPECT_EQ(bytesRead, kCommandReportSize);

  const std::string zeros =
      "00 00 00 00   00 00 00 00   00 00 00 00   00 00 00 00  00 00 00 00  00 00 00 00  00 00 00 00  00 00 "
      "00 00\n";
  // Request: sum 0x1A + 6; reply: the echo, status 0 and the battery byte, summed with it.
  const std::vector<std::string> expected{
      "命令\n",
      "04 20 00 1a   06 00 00 00   00 00 00 00   00 00 00 00  00 00 00 00  00 00 00 00  00 00 00 00  00 00 "
      "00 00\n",
      zeros,
      "返回\n",
      "04 75 00 1a   06 00 00 00   55 00 00 00   00 00 00 00  00 00 00 00  00 00 00 00  00 00 00 00  00 00 "
      "00 00\n",
      zeros,
  };
  EXPECT_EQ(trace.Lines(), expected);
}

TEST(CommandChannelTest, RequestIsZeroFilledOrCutToOneReport) {
  const CommandReport full = StatusRequest();
  std::vector<std::uint8_t> shortRequest(full.Bytes().begin(), full.Bytes().begin() + 8);
  std::vector<std::uint8_t> longRequest(full.Bytes().begin(), full.Bytes().end());
  longRequest.resize(80, 0xEE);

  for (const auto& request : {shortRequest, longRequest}) {
    EmulatedChannel link(Link::Cable);
    ASSERT_TRUE(link.Opened());
    CommandReport reply;
    std::size_t bytesRead = 0;
    EXPECT_EQ(link.Channel().Exchange(request, reply.Bytes(), bytesRead), kResultOk);
    EXPECT_EQ(reply.Status(), 0) << "the firmware accepted the report's sum";
    const auto requests = link.Requests();
    ASSERT_EQ(requests.size(), 1u) << request.size() << "-byte request";
    EXPECT_TRUE(std::ranges::equal(requests[0].bytes, full.Bytes())) << request.size() << "-byte request";
  }
}

TEST(CommandChannelTest, ReceiverMarkIsSetAfterTheSum) {
  EmulatedChannel link(Link::Receiver);
  ASSERT_TRUE(link.Opened());
  const CommandReport request = StatusRequest();
  CommandReport reply;
  std::size_t bytesRead = 0;
  ASSERT_EQ(link.Channel().Exchange(request.Bytes(), reply.Bytes(), bytesRead), kResultOk);
  EXPECT_EQ(reply.Status(), 0);
  EXPECT_EQ(reply.Data()[0], kFactoryBattery);

  const auto requests = link.Requests();
  ASSERT_EQ(requests.size(), 1u);
  const CommandReport sent = CommandReport::FromBytes(requests[0].bytes);
  EXPECT_TRUE(requests[0].throughReceiver);
  EXPECT_EQ(sent.ReceiverMark(), kReceiverMarkValue);
  EXPECT_EQ(sent.Checksum(), request.Checksum());
  EXPECT_NE(sent.Checksum(), CommandSum(sent.Bytes()));
}

TEST(CommandChannelTest, EchoMatchingReadsAtMostTwoReports) {
  struct Case {
    Fault fault;
    std::uint8_t replyCommand;
  };
  // The emulator's stale report carries BeginSession's command byte.
  const std::array cases{Case{Fault::StaleThenEcho, ToByte(CommandCode::ReadStatus)},
                         Case{Fault::TwoStaleReplies, ToByte(CommandCode::BeginSession)}};
  for (const Case& c : cases) {
    for (Link path : {Link::Cable, Link::Receiver}) {
      EmulatedChannel link(path);
      ASSERT_TRUE(link.Opened());
      link.Mouse().InjectFaults(std::array{c.fault});
      CommandReport reply;
      std::size_t bytesRead = 0;
      EXPECT_EQ(link.Channel().Exchange(StatusRequest().Bytes(), reply.Bytes(), bytesRead), kResultOk);
      EXPECT_EQ(reply.Command(), c.replyCommand);
      EXPECT_EQ(link.Requests().size(), 1u) << "nothing is rewritten";
    }
  }
}

TEST(CommandChannelTest, UnreachableWirelessDeviceGivesDeviceAbsentExceptForQueryLink) {
  EmulatedChannel link(Link::Receiver);
  ASSERT_TRUE(link.Opened());
  link.Mouse().SetLinked(false);
  CommandChannel& channel = link.Channel();
  CommandReport reply;
  std::size_t bytesRead = 0;

  EXPECT_EQ(channel.Exchange(StatusRequest().Bytes(), reply.Bytes(), bytesRead), kResultDeviceAbsent);
  EXPECT_EQ(reply.Command(), kReceiverDeviceAbsent);

  CommandReport query = CommandReport::Request(ToByte(CommandCode::QueryLink));
  query.FinishSum();
  EXPECT_EQ(channel.Exchange(query.Bytes(), reply.Bytes(), bytesRead), kResultOk);
  EXPECT_EQ(link.Requests().size(), 2u);
}

TEST(CommandChannelTest, LightFrameExchangeCarriesAndChecksTheCrcThroughTheReceiver) {
  CommandReport frame = CommandReport::Request(ToByte(CommandCode::StreamLightFrame));
  frame.SetLength(kReceiverChunkSize);
  for (std::size_t i = 0; i < kReceiverChunkSize; ++i) frame.Data()[i] = static_cast<std::uint8_t>(0x30 + i);
  frame.FinishSum();

  EmulatedChannel link(Link::Receiver);
  ASSERT_TRUE(link.Opened());
  CommandChannel& channel = link.Channel();
  TraceLines trace;
  CommandReport reply;
  std::size_t bytesRead = 0;
  ASSERT_EQ(channel.ExchangeCrc(frame.Bytes(), reply.Bytes(), bytesRead), kResultOk);
  EXPECT_EQ(reply.Status(), 0) << "the firmware accepted the CRC";
  const CommandReport sent = CommandReport::FromBytes(link.Requests().at(0).bytes);
  EXPECT_EQ(sent.Checksum(), LightFrameCrc(frame.Bytes()));
  EXPECT_EQ(sent.ReceiverMark(), 0) << "byte 32 stays as the caller set it";
  EXPECT_TRUE(trace.Lines().empty()) << "light frames are not traced";

  // A reply whose CRC low byte matches but whose high byte does not.
  link.Mouse().InjectFaults(std::array{Fault::BadCrc});
  EXPECT_EQ(channel.ExchangeCrc(frame.Bytes(), reply.Bytes(), bytesRead), kResultDeviceAbsent);
}

TEST(CommandChannelTest, LightFrameExchangeKeepsTheSumOnTheCable) {
  CommandReport frame = CommandReport::Request(ToByte(CommandCode::StreamLightFrame));
  frame.SetLength(3);
  frame.Data()[0] = 0x7F;
  frame.FinishSum();

  EmulatedChannel link(Link::Cable);
  ASSERT_TRUE(link.Opened());
  CommandReport reply;
  std::size_t bytesRead = 0;
  ASSERT_EQ(link.Channel().ExchangeCrc(frame.Bytes(), reply.Bytes(), bytesRead), kResultOk);
  EXPECT_EQ(reply.Status(), 0);
  EXPECT_TRUE(std::ranges::equal(link.Requests().at(0).bytes, frame.Bytes()));
}

TEST(CommandChannelTest, RefusedWriteGivesWriteFailedWithoutReplyTrace) {
  EmulatedChannel link(Link::Cable);
  ASSERT_TRUE(link.Opened());
  link.Mouse().InjectFaults(std::array{Fault::WriteFails});
  TraceLines trace;
  CommandReport reply;
  std::size_t bytesRead = 0;
  EXPECT_EQ(link.Channel().Exchange(StatusRequest().Bytes(), reply.Bytes(), bytesRead), kResultWriteFailed);
  EXPECT_FALSE(link.Channel().IsBusy());
  const auto lines = trace.Lines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "命令\n");
}

TEST(CommandChannelTest, MissingReplyGivesNothingAfterTwoReads) {
  EmulatedChannel link(Link::Receiver);
  ASSERT_TRUE(link.Opened());
  link.Mouse().InjectFaults(std::array{Fault::NoReply});
  CommandReport reply;
  std::size_t bytesRead = 0;
  EXPECT_EQ(link.Channel().Exchange(StatusRequest().Bytes(), reply.Bytes(), bytesRead), kResultNothing);
  EXPECT_EQ(bytesRead, 0u);
  EXPECT_EQ(link.Requests().size(), 1u);
}

TEST(CommandChannelTest, ShortReplyBufferGetsTheStartOfTheReport) {
  EmulatedChannel link(Link::Cable);
  ASSERT_TRUE(link.Opened());
  std::array<std::uint8_t, 2> reply{};
  std::size_t bytesRead = 0;
  EXPECT_EQ(link.Channel().Exchange(StatusRequest().Bytes(), reply, bytesRead), kResultOk);
  EXPECT_EQ(bytesRead, reply.size());
  EXPECT_EQ(reply[0], kCommandReportId);
}

TEST(CommandChannelTest, SwitchingMovesTheTrafficToTheOtherPathAndBack) {
  EmulatedChannel link(Link::Cable);
  ASSERT_TRUE(link.Opened());
  link.Emulator().PlugMouseReceiver();
  const std::string cablePath =
      test_support::FindCollectionPath(*link.Emulator().Bus(), test_support::kCableCommand);
  const std::string receiverPath =
      test_support::FindCollectionPath(*link.Emulator().Bus(), test_support::kReceiverCommand);
  CommandChannel& channel = link.Channel();
  CommandReport reply;
  std::size_t bytesRead = 0;

  ASSERT_TRUE(channel.SwitchPath(receiverPath));
  EXPECT_TRUE(channel.IsOpen());
  EXPECT_TRUE(channel.UseReceiver());
  EXPECT_EQ(channel.ChunkSize(), kReceiverChunkSize);
  EXPECT_EQ(channel.Handle().Path(), receiverPath);
  ASSERT_EQ(channel.Exchange(StatusRequest().Bytes(), reply.Bytes(), bytesRead), kResultOk);

  ASSERT_TRUE(channel.SwitchPath(cablePath));
  EXPECT_FALSE(channel.UseReceiver());
  EXPECT_EQ(channel.ChunkSize(), kWiredChunkSize);
  ASSERT_EQ(channel.Exchange(StatusRequest().Bytes(), reply.Bytes(), bytesRead), kResultOk);

  const auto requests = link.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_TRUE(requests[0].throughReceiver);
  EXPECT_FALSE(requests[1].throughReceiver);
}

TEST(CommandChannelTest, APathThatCannotBeOpenedLeavesTheChannelClosed) {
  EmulatedChannel link(Link::Cable);
  ASSERT_TRUE(link.Opened());
  CommandChannel& channel = link.Channel();
  EXPECT_FALSE(channel.SwitchPath("virtual/hid9#vid_320f&pid_22b5&mi_01&col04"));
  EXPECT_FALSE(channel.IsOpen());

  CommandReport reply;
  std::size_t bytesRead = 0;
  EXPECT_EQ(channel.Exchange(StatusRequest().Bytes(), reply.Bytes(), bytesRead), kResultNothing);
  EXPECT_TRUE(link.Requests().empty());
}

TEST(CommandChannelTest, DetachClosesBothInterfaces) {
  EmulatedChannel link(Link::Cable);
  ASSERT_TRUE(link.Opened());
  link.Emulator().PlugMouseReceiver();
  CommandChannel& channel = link.Channel();
  ASSERT_TRUE(channel.SwitchPath(
      test_support::FindCollectionPath(*link.Emulator().Bus(), test_support::kReceiverCommand)));
  channel.Detach();
  EXPECT_FALSE(channel.IsOpen());
  EXPECT_FALSE(channel.Handle(LinkPath::Wired).IsOpen());
  EXPECT_FALSE(channel.Handle(LinkPath::Receiver).IsOpen());
}

TEST(CommandChannelTest, KeyTableLengthAcceptsUpTo512) {
  struct Case {
    int length;
    bool accepted;
  };
  constexpr std::array cases{Case{513, false}, Case{512, true}, Case{0, true},
                             Case{30, true},   Case{-1, false}, Case{65536 + 30, false}};
  CommandChannel channel;
  EXPECT_EQ(channel.KeyTableLength(), 512);
  for (const Case& c : cases) {
    const std::uint16_t before = channel.KeyTableLength();
    EXPECT_EQ(channel.SetKeyTableLength(c.length), c.accepted) << c.length;
    EXPECT_EQ(channel.KeyTableLength(), c.accepted ? c.length : before) << c.length;
  }
}

TEST(CommandChannelTest, LinkModeChoosesPathAndChunkSize) {
  struct Case {
    int mode;
    bool receiver;
    std::uint8_t chunk;
  };
  constexpr std::array cases{Case{2, true, 24},  Case{1, false, 56}, Case{2, true, 24},
                             Case{0, false, 56}, Case{2, true, 24},  Case{7, false, 56}};
  CommandChannel channel;
  for (const Case& c : cases) {
    channel.SetLinkMode(c.mode);
    EXPECT_EQ(channel.UseReceiver(), c.receiver) << c.mode;
    EXPECT_EQ(channel.ChunkSize(), c.chunk) << c.mode;
  }
}

}  // namespace
}  // namespace nimbel
