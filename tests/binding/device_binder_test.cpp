#include "binding/device_binder.h"

#include <gtest/gtest.h>

#include <QStackedWidget>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "binding/device_option_ui.h"
#include "binding/device_selector.h"
#include "binding/message_window_sink.h"
#include "catalogue/detection_thread.h"
#include "devices/mouse_device.h"
#include "emulator/emulator.h"
#include "main_window_fixture.h"
#include "platform/trace.h"
#include "protocol/command_set.h"
#include "tests/protocol/trace_lines.h"
#include "ui/control_timer.h"

namespace nimbel {
namespace {

// Failure bound for waits on detection and timers; never a measure of speed.
constexpr int kWaitBoundMs = 10000;

bool WaitFor(const std::function<bool()>& done) {
  return QTest::qWaitFor(done, kWaitBoundMs);
}

bool Sent(const emulator::EmulatedMouse& mouse, CommandCode command) {
  const auto requests = mouse.Requests();
  return std::any_of(requests.begin(), requests.end(),
                     [command](const emulator::ReceivedRequest& r) { return r.bytes[3] == ToByte(command); });
}

using protocol_test::TraceLines;

std::size_t CountLine(const TraceLines& traces, std::string_view line) {
  const auto lines = traces.Lines();
  return static_cast<std::size_t>(std::count(lines.begin(), lines.end(), std::string(line) + "\n"));
}

// The main window's part in binding: the start-up mice built as the application builds them, the
// detection thread's messages delivered through the message window to the binder.
class BindingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallHidBackend(emulator.Bus());
    window.selector = &selector;
    window.handler = [this](const WindowMessage& m) {
      if (m.message == kDeviceArrivedMessage) binder.OnDeviceArrived(m.wParam);
      if (m.message == kDeviceRemovedMessage) binder.OnDeviceRemoved(m.wParam);
    };
    binder.CreateStartupDevices();
    ASSERT_EQ(devices.size(), 2u);
  }
  void TearDown() override { detection.Stop(); }

  IBindableDevice* CreateDevice(std::size_t row) {
    createdRows.push_back(row);
    const int kindRow = DeviceCatalogue::KindRowForInterfaceRow(static_cast<int>(row));
    const InterfaceSlot identity = slotList.Slot(row);
    if (identity.kind != KindCode::MouseCable) return nullptr;
    auto device = std::make_unique<CVelquorMouseDevice>();
    device->Channel().SetPauses({std::chrono::milliseconds(0), std::chrono::milliseconds(0)});
    device->ApplyCatalogueRows(kindRow);
    device->SetMainWindow(&window);
    auto* pages = window.Control<QStackedWidget>(CDeviceSelector::kPageSwitchName);
    if (!device->CreatePage(pages)) return nullptr;
    const int pageIndex = pages->addWidget(device->Page());
    device->SetIdentity(identity);
    if (selector.CreateTab(*device, kindRow, pageIndex, -1) == nullptr) return nullptr;
    devices.push_back(std::move(device));
    return devices.back().get();
  }

  CVelquorMouseDevice& Mouse(std::size_t i) { return *devices[i]; }
  // Fires a tab item's timer and lets the device work it asked for come back to the UI thread.
  bool FireTimer(std::size_t i, int timer) {
    TabOf(i).OnTimer(timer);
    return WaitFor([&] { return !Mouse(i).HasDeviceWork(); });
  }
  CDeviceOptionUI& TabOf(std::size_t i) { return *dynamic_cast<CDeviceOptionUI*>(devices[i]->TabItem()); }
  int TabIndex(std::size_t i) { return selector.TabIndexOf(devices[i]->TabItem()); }
  bool NoDeviceShown() { return !window.Control(CDeviceSelector::kNoDeviceName)->isHidden(); }

  void StartDetection() { ASSERT_TRUE(detection.Start()); }
  bool Handled(std::uint32_t message, std::intptr_t slot) {
    const auto received = window.Received(message);
    return std::any_of(received.begin(), received.end(),
                       [slot](const WindowMessage& m) { return m.wParam == slot; });
  }
  bool BoundOnCable(std::size_t i) {
    CommandChannel& channel = Mouse(i).Channel();
    return channel.IsOpen() && !channel.UseReceiver() && TabOf(i).IsShown();
  }
  bool BoundOnReceiver(std::size_t i) {
    CommandChannel& channel = Mouse(i).Channel();
    return channel.IsOpen() && channel.UseReceiver() && TabOf(i).IsShown();
  }

  emulator::DeviceEmulator emulator;
  TestMainWindow window;
  CDeviceSelector selector{&window, {}};
  InterfaceSlotList slotList;
  std::vector<std::size_t> createdRows;
  int popupsClosed = 0;
  std::vector<std::unique_ptr<CVelquorMouseDevice>> devices;
  DeviceBinder binder{
      slotList,
      selector,
      {[this](std::size_t row) { return CreateDevice(row); },
       [this](int tab, bool up) { window.LinkChanged(tab, up); }, [this] { ++popupsClosed; }}};
  MessageWindowSink sink{&window, window};
  DetectionThread detection{slotList, sink};
};

TEST_F(BindingTest, StartupMiceTakeTheCommandRowsOfTheFirstKindRowsHidden) {
  EXPECT_EQ(createdRows, (std::vector<std::size_t>{4, 8}));
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_TRUE(SameIdentity(Mouse(i).Identity(), DeviceCatalogue::InterfaceRows()[createdRows[i]]));
    EXPECT_EQ(TabIndex(i), static_cast<int>(i));
    EXPECT_FALSE(TabOf(i).IsShown());
    EXPECT_FALSE(Mouse(i).Channel().IsOpen());
  }
}

TEST_F(BindingTest, CabledMouseOpensTheWiredHandleAndShowsItsTab) {
  emulator.PlugMouseCable();
  StartDetection();
  ASSERT_TRUE(WaitFor([&] { return BoundOnCable(0) && Mouse(0).Notifications().IsOpen(LinkPath::Wired); }));

  CommandChannel& channel = Mouse(0).Channel();
  EXPECT_TRUE(channel.Handle(LinkPath::Wired).IsOpen());
  EXPECT_FALSE(channel.Handle(LinkPath::Receiver).IsOpen());
  EXPECT_EQ(channel.ChunkSize(), kWiredChunkSize);
  EXPECT_EQ(selector.CurrentTab(), TabIndex(0));
  EXPECT_FALSE(NoDeviceShown());
  EXPECT_FALSE(Mouse(1).Channel().IsOpen());
  EXPECT_EQ(createdRows.size(), 2u) << "the start-up object is bound, no other is created";
  // The bind timer's first read.
  EXPECT_TRUE(WaitFor([&] { return Mouse(0).IsLightingRunning(); }));
}

struct ReceiverCase {
  const char* name;
  emulator::EmulatedMouse& (emulator::DeviceEmulator::*plug)(const emulator::MouseOptions&);
  std::size_t device;
  std::size_t identityRow;
};

class ReceiverBindingTest : public BindingTest, public ::testing::WithParamInterface<ReceiverCase> {};

TEST_P(ReceiverBindingTest, ReceiverAloneOpensTheReceiverHandle) {
  const ReceiverCase& c = GetParam();
  (emulator.*c.plug)({});
  StartDetection();
  // The receiver's tab appears once the bind timer has found the mouse linked.
  ASSERT_TRUE(WaitFor([&] {
    return BoundOnReceiver(c.device) && Mouse(c.device).Notifications().IsOpen(LinkPath::Receiver);
  }));

  CommandChannel& channel = Mouse(c.device).Channel();
  EXPECT_TRUE(channel.Handle(LinkPath::Receiver).IsOpen());
  EXPECT_FALSE(channel.Handle(LinkPath::Wired).IsOpen());
  EXPECT_EQ(channel.ChunkSize(), kReceiverChunkSize);
  EXPECT_TRUE(SameIdentity(Mouse(c.device).Identity(), DeviceCatalogue::InterfaceRows()[c.identityRow]));
  EXPECT_FALSE(Mouse(1 - c.device).Channel().IsOpen());
}

INSTANTIATE_TEST_SUITE_P(
    Receivers, ReceiverBindingTest,
    ::testing::Values(ReceiverCase{"Mouse", &emulator::DeviceEmulator::PlugMouseReceiver, 0, 4},
                      ReceiverCase{"Mouse2", &emulator::DeviceEmulator::PlugMouse2Receiver, 1, 8}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(BindingTest, CableTakesOverFromTheReceiverAndHandsBack) {
  emulator.PlugMouseReceiver();
  StartDetection();
  ASSERT_TRUE(WaitFor([&] { return BoundOnReceiver(0); }));
  const std::size_t linkMessages = window.Received(kLinkStateMessage).size();

  emulator.PlugMouseCable();
  ASSERT_TRUE(WaitFor([&] { return BoundOnCable(0); }));
  CommandChannel& channel = Mouse(0).Channel();
  EXPECT_TRUE(channel.Handle(LinkPath::Wired).IsOpen());
  EXPECT_EQ(channel.ChunkSize(), kWiredChunkSize);
  const auto linkStates = window.Received(kLinkStateMessage);
  ASSERT_GT(linkStates.size(), linkMessages);
  EXPECT_EQ(linkStates[linkMessages].wParam, TabIndex(0));
  EXPECT_EQ(linkStates[linkMessages].lParam, kLinkUp);
  EXPECT_GE(popupsClosed, 1);

  emulator.UnplugMouseCable();
  ASSERT_TRUE(WaitFor([&] { return Handled(kDeviceRemovedMessage, 4); }));
  EXPECT_TRUE(channel.IsOpen());
  EXPECT_TRUE(channel.UseReceiver());
  EXPECT_TRUE(channel.Handle(LinkPath::Receiver).IsOpen());
  EXPECT_EQ(channel.ChunkSize(), kReceiverChunkSize);
  EXPECT_TRUE(TabOf(0).IsShown());
  // The receiver's reads, and the pop-up closing after them, follow the link wait on the mouse's worker.
  EXPECT_TRUE(WaitFor([&] { return popupsClosed >= 2; }));
}

TEST_F(BindingTest, ReceiverComingAndGoingLeavesTheCableInUse) {
  emulator.PlugMouseCable();
  StartDetection();
  ASSERT_TRUE(WaitFor([&] { return BoundOnCable(0); }));

  emulator.PlugMouseReceiver();
  ASSERT_TRUE(WaitFor([&] { return Handled(kDeviceArrivedMessage, 6); }));
  EXPECT_TRUE(BoundOnCable(0));
  EXPECT_FALSE(Mouse(0).Channel().Handle(LinkPath::Receiver).IsOpen());

  emulator.UnplugMouseReceiver();
  ASSERT_TRUE(WaitFor([&] { return Handled(kDeviceRemovedMessage, 6); }));
  EXPECT_TRUE(BoundOnCable(0));
  EXPECT_TRUE(Mouse(0).Channel().Handle(LinkPath::Wired).IsOpen());
}

TEST_F(BindingTest, LastPathGoneClosesTheChannelAndHidesTheTab) {
  emulator.PlugMouseCable();
  StartDetection();
  ASSERT_TRUE(WaitFor([&] { return BoundOnCable(0) && Mouse(0).Notifications().IsOpen(LinkPath::Wired); }));
  TraceLines traces;

  emulator.UnplugMouseCable();
  ASSERT_TRUE(
      WaitFor([&] { return Handled(kDeviceRemovedMessage, 4) && Handled(kDeviceRemovedMessage, 5); }));
  CommandChannel& channel = Mouse(0).Channel();
  EXPECT_FALSE(channel.IsOpen());
  EXPECT_FALSE(channel.Handle(LinkPath::Wired).IsOpen());
  EXPECT_FALSE(channel.Handle(LinkPath::Receiver).IsOpen());
  EXPECT_FALSE(Mouse(0).Notifications().IsOpen(LinkPath::Wired));
  EXPECT_FALSE(TabOf(0).IsShown());
  EXPECT_TRUE(NoDeviceShown());
  EXPECT_EQ(CountLine(traces, "删除一个鼠标设备"), 2u);
  EXPECT_EQ(CountLine(traces, "鼠标设备丢失"), 1u);
}

TEST_F(BindingTest, SwitchToAnUnlinkedReceiverWaitsABoundedTime) {
  emulator::EmulatedMouse& mouse = emulator.PlugMouseCable();
  emulator.PlugMouseReceiver();
  StartDetection();
  ASSERT_TRUE(WaitFor([&] { return BoundOnCable(0) && Handled(kDeviceArrivedMessage, 6); }));
  mouse.SetLinked(false);
  TraceLines traces;

  emulator.UnplugMouseCable();
  ASSERT_TRUE(WaitFor([&] { return Handled(kDeviceRemovedMessage, 4); }));
  // The wait runs on the mouse's worker.
  ASSERT_TRUE(WaitFor([&] { return CountLine(traces, "获取2") == 1; }));
  EXPECT_TRUE(Mouse(0).Channel().UseReceiver());
  EXPECT_TRUE(Mouse(0).Channel().IsOpen());
  EXPECT_EQ(CountLine(traces, "获取2.4G模式失败"),
            static_cast<std::size_t>(DeviceBinder::kLinkQueryTries - 1));
  const auto lines = traces.Lines();
  const auto lastFailure = std::find(lines.rbegin(), lines.rend(), "获取2.4G模式失败\n");
  const auto done = std::find(lines.rbegin(), lines.rend(), "获取2\n");
  ASSERT_NE(done, lines.rend());
  EXPECT_LT(done, lastFailure) << "the wait ends after the last failed try";
}

TEST_F(BindingTest, TheWindowAnswersWhileTheLinkWaitForASilentReceiverRuns) {
  emulator::EmulatedMouse& mouse = emulator.PlugMouseCable();
  emulator.PlugMouseReceiver();
  StartDetection();
  ASSERT_TRUE(WaitFor([&] { return BoundOnCable(0) && Handled(kDeviceArrivedMessage, 6); }));
  TraceLines traces;

  emulator.UnplugMouseCable();
  // Every request from now on reaches the mouse through the receiver, and no reply comes back.
  mouse.InjectFaults(std::vector<emulator::Fault>(64, emulator::Fault::NoReply));
  ASSERT_TRUE(WaitFor([&] { return Handled(kDeviceRemovedMessage, 4); }));
  bool answered = false;
  bool waitStillRunning = false;
  QTimer::singleShot(0, &window, [&] {
    answered = true;
    waitStillRunning = CountLine(traces, "获取2") == 0;
  });
  ASSERT_TRUE(WaitFor([&] { return answered; }));
  EXPECT_TRUE(waitStillRunning);

  // Each silent try costs two read limits: the total time ends the wait long before the tries would.
  ASSERT_TRUE(WaitFor([&] { return CountLine(traces, "获取2") == 1; }));
  EXPECT_LT(CountLine(traces, "获取2.4G模式失败"),
            static_cast<std::size_t>(DeviceBinder::kLinkQueryTries - 1));
}

TEST_F(BindingTest, LinkWatchHidesAnUnlinkedMouseAndBringsItBackWithAFreshRead) {
  emulator::EmulatedMouse& mouse = emulator.PlugMouseReceiver();
  StartDetection();
  ASSERT_TRUE(WaitFor([&] { return BoundOnReceiver(0); }));
  TraceLines traces;

  mouse.SetLinked(false);
  ASSERT_TRUE(FireTimer(0, tab_timer::kLinkWatch));
  EXPECT_FALSE(TabOf(0).IsShown());
  EXPECT_TRUE(NoDeviceShown());
  ASSERT_FALSE(window.Received(kLinkStateMessage).empty());
  EXPECT_EQ(window.Received(kLinkStateMessage).back().lParam, kLinkDown);
  EXPECT_TRUE(IsTimerRunning(&TabOf(0), tab_timer::kLinkWatch));

  mouse.ClearRequests();
  mouse.SetLinked(true);
  ASSERT_TRUE(FireTimer(0, tab_timer::kLinkWatch));
  EXPECT_TRUE(TabOf(0).IsShown());
  EXPECT_EQ(selector.CurrentTab(), TabIndex(0));
  EXPECT_FALSE(NoDeviceShown());
  EXPECT_TRUE(WaitFor([&] { return Sent(mouse, CommandCode::ReadDeviceInfo); }));
  EXPECT_EQ(CountLine(traces, "2.4gcesvdfherhue"), 1u);
  EXPECT_EQ(CountLine(traces, "2.4gcesvdfherhue  12312423 123342341"), 1u);
}

TEST_F(BindingTest, TheWindowAnswersWhileTheLinkWatchAsksASilentReceiver) {
  emulator::EmulatedMouse& mouse = emulator.PlugMouseReceiver();
  StartDetection();
  ASSERT_TRUE(WaitFor([&] { return BoundOnReceiver(0) && !Mouse(0).HasDeviceWork(); }));
  ASSERT_TRUE(TabOf(0).IsShown());
  mouse.InjectFaults(std::vector<emulator::Fault>(8, emulator::Fault::NoReply));

  TabOf(0).OnTimer(tab_timer::kLinkWatch);
  bool answered = false;
  bool checkStillRunning = false;
  QTimer::singleShot(0, &window, [&] {
    answered = true;
    checkStillRunning = Mouse(0).HasDeviceWork();
  });
  ASSERT_TRUE(WaitFor([&] { return answered; }));
  EXPECT_TRUE(checkStillRunning);

  // A receiver that does not answer counts as unlinked.
  ASSERT_TRUE(WaitFor([&] { return !Mouse(0).HasDeviceWork(); }));
  EXPECT_FALSE(TabOf(0).IsShown());
  EXPECT_TRUE(IsTimerRunning(&TabOf(0), tab_timer::kLinkWatch));
}

TEST_F(BindingTest, UnlinkedReceiverMouseRetriesAndNeverReadsItsSettings) {
  emulator::EmulatedMouse& mouse = emulator.PlugMouseReceiver();
  mouse.SetLinked(false);
  StartDetection();
  ASSERT_TRUE(WaitFor([&] { return TabOf(0).LinkRetries() >= 1; }));

  CDeviceOptionUI& tab = TabOf(0);
  EXPECT_TRUE(Mouse(0).Channel().IsOpen());
  EXPECT_FALSE(tab.IsShown());
  EXPECT_TRUE(IsTimerRunning(&tab, tab_timer::kBind));
  EXPECT_FALSE(IsTimerRunning(&tab, tab_timer::kLinkWatch));
  EXPECT_FALSE(IsTimerRunning(&tab, tab_timer::kPowerPoll));
  EXPECT_FALSE(Mouse(0).IsLightingRunning());
  EXPECT_FALSE(Sent(mouse, CommandCode::ReadDeviceInfo));

  // The count runs 0..4 and starts over.
  for (int i = 0; i < 6; ++i) {
    const int before = tab.LinkRetries();
    ASSERT_TRUE(FireTimer(0, tab_timer::kBind));
    EXPECT_EQ(tab.LinkRetries(), before == 4 ? 0 : before + 1);
  }
  EXPECT_FALSE(Sent(mouse, CommandCode::ReadDeviceInfo));
}

TEST_F(BindingTest, ReceiverMouseThatLosesItsLinkAtTheBindTimerMovesTheSelection) {
  emulator::EmulatedMouse& mouse = emulator.PlugMouseReceiver();
  emulator.PlugMouse2Receiver();
  StartDetection();
  ASSERT_TRUE(WaitFor([&] { return BoundOnReceiver(0) && BoundOnReceiver(1); }));
  selector.ShowTab(TabIndex(0), true, true);

  mouse.SetLinked(false);
  ASSERT_TRUE(FireTimer(0, tab_timer::kBind));
  EXPECT_FALSE(TabOf(0).IsShown());
  EXPECT_EQ(selector.CurrentTab(), TabIndex(1));
}

TEST_F(BindingTest, ArrivalOfAProductWithoutAnObjectCreatesOneForItsCableSideRow) {
  TraceLines traces;
  const InterfaceRow& row = DeviceCatalogue::InterfaceRows()[3];
  ASSERT_TRUE(slotList.Attach(
      {{row.vendorId, row.productId, row.interfaceNumber, row.collectionNumber}, row.usagePage, row.usage},
      "nowhere"));
  binder.OnDeviceArrived(3);
  EXPECT_EQ(createdRows.back(), 0u);
  EXPECT_EQ(CountLine(traces, "添加一个键盘设备"), 1u);

  for (std::intptr_t index : {std::intptr_t{-1}, std::intptr_t{12}}) {
    binder.OnDeviceArrived(index);
    binder.OnDeviceRemoved(index);
  }
  EXPECT_EQ(createdRows.size(), 3u);
}

}  // namespace
}  // namespace nimbel
