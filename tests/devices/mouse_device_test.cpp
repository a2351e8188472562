#include "devices/mouse_device.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "devices/device_messages.h"
#include "mouse_binding.h"

namespace nimbel {
namespace {

using namespace devices_test;

constexpr std::uint8_t kBeginSession = 0x01;
constexpr std::uint8_t kEndSession = 0x02;
constexpr std::uint8_t kReadDeviceInfo = 0x03;
constexpr std::uint8_t kReadMemory = 0x05;
constexpr std::uint8_t kQueryLink = 0xAA;

// A start-up mouse object bound to an emulated mouse through one path, reporting to recorders.
class BoundMouse {
 public:
  explicit BoundMouse(Link link, const emulator::MouseOptions& options = {})
      : mouse_(PlugMouse(emulator_, link, options)) {
    InstallHidBackend(emulator_.Bus());
    device_ = MakeStartupMouse(window_, tabItem_);
    device_->BindPowerDisplay(&power_);
    bound_ = BindCommandPath(*device_, *emulator_.Bus(), link);
    mouse_.ClearRequests();
  }

  bool Bound() const { return bound_; }
  CVelquorMouseDevice& Device() { return *device_; }
  emulator::EmulatedMouse& Mouse() { return mouse_; }
  emulator::DeviceEmulator& Emulator() { return emulator_; }
  std::vector<WindowMessage>& Messages() { return window_.messages; }
  RecordingTabItem& Tab() { return tabItem_; }
  RecordingPowerDisplay& Power() { return power_; }

 private:
  emulator::DeviceEmulator emulator_;
  emulator::EmulatedMouse& mouse_;
  RecordingWindow window_;
  RecordingTabItem tabItem_;
  RecordingPowerDisplay power_;
  // Goes before the emulator, the window and the recorders it reports to.
  std::unique_ptr<CVelquorMouseDevice> device_;
  bool bound_ = false;
};

TEST(MouseDevice, IsLinkedAsksTheReceiverOnly) {
  struct Case {
    Link link;
    bool wirelessLink;
    int linked;
    std::size_t requests;
  };
  constexpr std::array<Case, 3> cases{{
      {Link::Cable, true, 1, 0},
      {Link::Receiver, true, 1, 1},
      {Link::Receiver, false, 0, 1},
  }};
  for (const Case& c : cases) {
    BoundMouse bound(c.link);
    ASSERT_TRUE(bound.Bound());
    bound.Mouse().SetLinked(c.wirelessLink);
    EXPECT_EQ(bound.Device().IsLinked(), c.linked);
    EXPECT_EQ(bound.Mouse().Requests().size(), c.requests);
  }
}

TEST(MouseDevice, PollPowerStatusShowsTheStatusWithItsLinkAndTellsTheMainWindow) {
  constexpr std::array<std::uint8_t, 6> kStored{77, 1, 9, 9, 5, 3};
  struct Case {
    Link link;
    std::uint8_t linkByte;
  };
  for (const Case& c : {Case{Link::Cable, 0}, Case{Link::Receiver, 1}}) {
    BoundMouse bound(c.link);
    ASSERT_TRUE(bound.Bound());
    ASSERT_TRUE(bound.Mouse().Write(emulator::MouseMemory::PowerStatus, 0, kStored));
    bound.Device().PollPowerStatus();
    ASSERT_TRUE(Settle(bound.Device()));
    ASSERT_EQ(bound.Power().shown.size(), 1u);
    EXPECT_EQ(bound.Power().shown[0], (std::vector<std::uint8_t>{77, 1, 9, c.linkByte, 5, 3}));
    EXPECT_EQ(bound.Messages(), (std::vector<WindowMessage>{{device_message::kPowerStatus, 5, 0}}));
  }
}

TEST(MouseDevice, PollPowerStatusSkipsAnUnreachableOrBusyMouse) {
  BoundMouse unlinked(Link::Receiver);
  ASSERT_TRUE(unlinked.Bound());
  unlinked.Mouse().SetLinked(false);
  unlinked.Device().PollPowerStatus();
  ASSERT_TRUE(Settle(unlinked.Device()));
  EXPECT_TRUE(unlinked.Power().shown.empty());
  EXPECT_TRUE(unlinked.Messages().empty());
  EXPECT_EQ(CommandBytes(unlinked.Mouse()), std::vector<std::uint8_t>{kQueryLink});

  BoundMouse busy(Link::Cable);
  ASSERT_TRUE(busy.Bound());
  busy.Device().SetBusy(true);
  busy.Device().PollPowerStatus();
  ASSERT_TRUE(Settle(busy.Device()));
  EXPECT_TRUE(busy.Power().shown.empty());
  EXPECT_TRUE(busy.Mouse().Requests().empty());

  // A failed read keeps the indicator as it is.
  busy.Device().SetBusy(false);
  busy.Mouse().InjectFaults(std::array{emulator::Fault::WriteFails});
  busy.Device().PollPowerStatus();
  ASSERT_TRUE(Settle(busy.Device()));
  EXPECT_TRUE(busy.Power().shown.empty());
  EXPECT_TRUE(busy.Messages().empty());
}

TEST(MouseDevice, SyncFromDeviceReadsTheInformationBlockAndReportsTheSensor) {
  struct Case {
    Link link;
    std::uint8_t linkFlag;
    std::uint32_t linkMessage;
  };
  for (const Case& c : {Case{Link::Cable, 0, device_message::kHideNoDeviceLink},
                        Case{Link::Receiver, 1, device_message::kShowNoDeviceLink}}) {
    BoundMouse bound(c.link, {.sensorCode = 0x3950});
    ASSERT_TRUE(bound.Bound());
    ASSERT_TRUE(bound.Mouse().Write(emulator::MouseMemory::DeviceInfo, device_info_byte::kLinkFlag,
                                    std::array{c.linkFlag}));
    bound.Device().SyncFromDevice();
    ASSERT_TRUE(Settle(bound.Device()));

    EXPECT_EQ(bound.Messages(), (std::vector<WindowMessage>{{c.linkMessage, 0, 0},
                                                            {device_message::kSensorReported, 0x3950, 0}}));
    EXPECT_EQ(bound.Device().SensorCode(), 0x3950);
    EXPECT_EQ(bound.Device().Channel().KeyTableLength(), bound.Mouse().KeyCount() * 3);
    EXPECT_FALSE(bound.Mouse().SessionOpen());
    std::vector<std::uint8_t> commands = CommandBytes(bound.Mouse());
    std::erase(commands, kQueryLink);
    // The device phase in one session; then the settings record is read (slot byte, then the record).
    EXPECT_EQ(commands.front(), kBeginSession);
    const auto end = std::find(commands.begin(), commands.end(), kEndSession);
    ASSERT_NE(end, commands.end());
    EXPECT_NE(std::find(commands.begin(), end, kReadDeviceInfo), end);
    EXPECT_EQ(std::vector<std::uint8_t>(end + 1, commands.end()).front(), kReadMemory);
    EXPECT_EQ(commands.back(), kReadMemory);
    EXPECT_TRUE(bound.Device().IsLightingRunning());
  }
}

TEST(MouseDevice, SyncFromDeviceEndsQuietlyWithoutAReachableMouse) {
  BoundMouse unlinked(Link::Receiver);
  ASSERT_TRUE(unlinked.Bound());
  unlinked.Mouse().SetLinked(false);
  unlinked.Device().SyncFromDevice();
  ASSERT_TRUE(Settle(unlinked.Device()));
  EXPECT_TRUE(unlinked.Messages().empty());
  // The device phase and the settings read each ask once, and go no further.
  EXPECT_EQ(CommandBytes(unlinked.Mouse()), (std::vector<std::uint8_t>{kQueryLink, kQueryLink}));

  BoundMouse closed(Link::Cable);
  ASSERT_TRUE(closed.Bound());
  closed.Device().Channel().Detach();
  closed.Device().SyncFromDevice();
  ASSERT_TRUE(Settle(closed.Device()));
  EXPECT_TRUE(closed.Messages().empty());
  EXPECT_TRUE(closed.Mouse().Requests().empty());
}

TEST(MouseDevice, TheUpgradePromptComesOnceForOldFirmwareOfTheCabledPrimeOnly) {
  struct Case {
    Link link;
    std::uint16_t sensor;
    std::uint16_t version;
    bool prompted;
  };
  constexpr std::array<Case, 4> cases{{
      {Link::Cable, 0x3395, 0x0108, true},
      {Link::Cable, 0x3395, 0x0109, false},
      {Link::Cable, 0x3950, 0x0100, false},
      // Through the receiver the cable's version is unknown.
      {Link::Receiver, 0x3395, 0x0100, false},
  }};
  for (const Case& c : cases) {
    BoundMouse bound(c.link, {.sensorCode = c.sensor, .firmwareVersion = c.version});
    ASSERT_TRUE(bound.Bound());
    bound.Device().SyncFromDevice();
    ASSERT_TRUE(Settle(bound.Device()));
    bound.Device().SyncFromDevice();
    ASSERT_TRUE(Settle(bound.Device()));
    const auto prompts =
        std::count_if(bound.Messages().begin(), bound.Messages().end(),
                      [](const WindowMessage& m) { return m.message == device_message::kUpgradePrompt; });
    EXPECT_EQ(prompts, c.prompted ? 1 : 0) << c.sensor << " " << c.version;
    EXPECT_EQ(bound.Device().UpgradePrompted(), c.prompted);
    if (c.prompted) {
      const auto prompt =
          std::find_if(bound.Messages().begin(), bound.Messages().end(),
                       [](const WindowMessage& m) { return m.message == device_message::kUpgradePrompt; });
      EXPECT_EQ(*prompt, (WindowMessage{device_message::kUpgradePrompt, 0x226E, c.version}));
    }
  }
}

class FixedProfileList final : public IProfileList {
 public:
  std::string GetSelectedProfileId() override { return "test_profile"; }
};

TEST(MouseDevice, SyncFromDeviceLoadsTheSelectedProfileAndAnimatesItsLighting) {
  QTemporaryDir userData;
  ASSERT_TRUE(userData.isValid());
  const QByteArray savedData = qgetenv("XDG_DATA_HOME");
  const QByteArray savedDefaults = qgetenv("NIMBEL_DEFAULT_DATA");
  qputenv("XDG_DATA_HOME", userData.path().toUtf8());
  qputenv("NIMBEL_DEFAULT_DATA", NIMBEL_SOURCE_DIR "/DefaultData/");

  BoundMouse bound(Link::Cable);
  ASSERT_TRUE(bound.Bound());
  FixedProfileList profiles;
  bound.Device().BindProfileList(&profiles);
  bound.Device().SyncFromDevice();
  ASSERT_TRUE(Settle(bound.Device()));

  // The lighting the mouse's record holds (mode 1 at level 4, speed 2, multicolour, red); the direction
  // is not in the record and stays the profile's (forwards).
  const LightParameters parameters = bound.Device().GetLightParameters();
  EXPECT_EQ(parameters.mode, 1);
  EXPECT_EQ(parameters.brightness, 4);
  EXPECT_EQ(parameters.speed, 2);
  EXPECT_EQ(parameters.direction, 1);
  EXPECT_EQ(parameters.multiColour, 1);
  EXPECT_EQ(parameters.colour, (Rgb{255, 0, 0}));
  EXPECT_TRUE(QDir(userData.path()).exists("Nimbel/mouse/test_profile.Json"));

  // A mode with a step: the lighting thread animates it.
  LightParameters spectrum;
  spectrum.mode = 1;
  spectrum.brightness = 4;
  spectrum.direction = 1;
  bound.Device().SetLightParameters(spectrum);
  const std::uint8_t first = bound.Device().GetEffectState().step;
  EXPECT_TRUE(ProcessEventsUntil([&] { return bound.Device().GetEffectState().step != first; }));

  qputenv("XDG_DATA_HOME", savedData);
  qputenv("NIMBEL_DEFAULT_DATA", savedDefaults);
}

TEST(MouseDevice, NotificationsFromTheMouseReachTheTabItemAndTheSlotState) {
  BoundMouse bound(Link::Cable);
  ASSERT_TRUE(bound.Bound());
  const std::string path = FindCollectionPath(*bound.Emulator().Bus(), kCableNotification);
  ASSERT_TRUE(bound.Device().OpenNotification(path, KindCode::MouseCable));
  EXPECT_TRUE(bound.Device().Notifications().IsOpen(LinkPath::Wired));

  bound.Mouse().SendNotification(CVelquorMouseDevice::kResyncRequest2);
  ASSERT_TRUE(ProcessEventsUntil([&] { return !bound.Tab().starts.empty(); }));
  EXPECT_EQ(bound.Tab().starts[0].id, tab_timer::kResync);
  EXPECT_EQ(bound.Tab().starts[0].periodMs, CVelquorMouseDevice::kResyncDelayMs);

  bound.Mouse().SendNotification(0x1123);
  EXPECT_TRUE(ProcessEventsUntil(
      [&] { return bound.Device().OnboardSlot() == 3 && bound.Device().ReportedStage() == 2; }));
  bound.Mouse().SendNotification(0x1004);
  ASSERT_TRUE(ProcessEventsUntil([&] { return bound.Device().OnboardSlot() == 4; }));
  EXPECT_EQ(bound.Device().ReportedStage(), 2);

  TraceLines trace;
  bound.Device().CloseNotification(KindCode::MouseCable);
  EXPECT_FALSE(bound.Device().Notifications().IsOpen(LinkPath::Wired));
  EXPECT_TRUE(trace.Contains("MS 设备同步线程设定退出"));
  EXPECT_EQ(bound.Tab().starts.size(), 1u);
}

TEST(MouseDevice, TheReceiverNotificationInterfaceUsesItsOwnHandleAndFlag) {
  BoundMouse bound(Link::Receiver);
  ASSERT_TRUE(bound.Bound());
  const std::string path = FindCollectionPath(*bound.Emulator().Bus(), kReceiverNotification);
  ASSERT_TRUE(bound.Device().OpenNotification(path, KindCode::MouseReceiver));
  EXPECT_TRUE(bound.Device().Notifications().IsOpen(LinkPath::Receiver));
  EXPECT_FALSE(bound.Device().Notifications().IsOpen(LinkPath::Wired));

  bound.Mouse().SendNotification(CVelquorMouseDevice::kResyncRequest1);
  ASSERT_TRUE(ProcessEventsUntil([&] { return !bound.Tab().starts.empty(); }));
  EXPECT_FALSE(bound.Device().OpenNotification("/dev/hidraw-missing", KindCode::MouseReceiver));
  EXPECT_FALSE(bound.Device().Notifications().IsOpen(LinkPath::Receiver));
}

}  // namespace
}  // namespace nimbel
