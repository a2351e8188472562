#include "devices/usb_device.h"

#include <gtest/gtest.h>

#include <QStackedWidget>
#include <QTabWidget>
#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>

#include "devices/mouse_device.h"
#include "mouse_binding.h"

namespace nimbel {
namespace {

using namespace devices_test;

constexpr const char* kTestPage = R"(XML\DeviceXml\test_page.xml)";

InterfaceRow RowOfKind(KindCode kind) {
  InterfaceRow row = DeviceCatalogue::InterfaceRows()[kMouseIdentityRow];
  row.kind = kind;
  return row;
}

TEST(UsbDevice, HostLightingIsAnnouncedOnlyToAKeyboardByCable) {
  struct Case {
    KindCode kind;
    bool on;
    std::size_t enableRequests;
  };
  constexpr std::array<Case, 4> cases{{
      {KindCode::MouseCable, true, 0},
      {KindCode::KeyboardCable, true, 1},
      {KindCode::KeyboardCable, false, 0},
      {KindCode::KeyboardReceiver, true, 0},
  }};
  for (const Case& c : cases) {
    emulator::DeviceEmulator emulator;
    emulator::EmulatedMouse& mouse = emulator.PlugMouseCable();
    InstallHidBackend(emulator.Bus());
    CVelquorMouseDevice device;
    ASSERT_TRUE(BindCommandPath(device, *emulator.Bus(), Link::Cable));
    device.SetIdentity(RowOfKind(c.kind));
    device.SetHostLighting(c.on);
    const std::vector<std::uint8_t> commands = CommandBytes(mouse);
    EXPECT_EQ(static_cast<std::size_t>(std::count(commands.begin(), commands.end(), 0x1C)), c.enableRequests)
        << static_cast<int>(c.kind) << " " << c.on;
    EXPECT_EQ(commands.size(), c.enableRequests);
    EXPECT_EQ(device.HostLighting(), c.on);
  }
}

class PageTest : public testing::Test {
 protected:
  void SetUp() override {
    device_.SetPageSkinName(kTestPage);
    device_.SetKeyButtonCount(2);
    device_.SetLedCount(3);
    ASSERT_TRUE(device_.CreatePage(nullptr));
  }

  QStackedWidget* FunctionSwitch() {
    return device_.Page()->findChild<QStackedWidget*>("device_function_switch");
  }
  QTabWidget* KeyFunctionSwitch() {
    return device_.Page()->findChild<QTabWidget*>("device_key_function_switch");
  }

  CVelquorMouseDevice device_;
};

TEST_F(PageTest, BuildPageTakesTheNumberedCellsOfTheSelectPanelWithinTheCounts) {
  for (std::size_t key = 0; key < 2; ++key) {
    ASSERT_NE(device_.KeyButton(key), nullptr);
    EXPECT_EQ(device_.KeyButton(key)->objectName(), QString("key_%1").arg(key));
  }
  EXPECT_EQ(device_.KeyButton(2), nullptr);  // "key_2" lies beyond the key-button count
  for (std::size_t led = 0; led < 3; ++led) {
    ASSERT_NE(device_.LedControl(led), nullptr);
    EXPECT_EQ(device_.LedControl(led)->objectName(), QString("light_%1").arg(led));
  }
  device_.SetLedCount(2);
  EXPECT_EQ(device_.LedControl(2), nullptr);
  EXPECT_NE(device_.LedControl(1), nullptr);
  EXPECT_EQ(device_.GetLightFrame().size(), 2u);
}

TEST_F(PageTest, ConnectionViewSwitchesTheTwoFunctionTabs) {
  struct Case {
    KindCode kind;
    int view;
    int functionTab;
    int keyFunctionTab;  // 3: left as it was
  };
  constexpr int kUnchanged = 3;
  constexpr std::array<Case, 13> cases{{
      {KindCode::MouseCable, 2, 0, 1},
      {KindCode::MouseCable, 6, 0, 1},
      {KindCode::MouseCable, 3, 1, kUnchanged},
      {KindCode::MouseCable, 10, 1, kUnchanged},
      {KindCode::MouseCable, 4, 4, kUnchanged},
      {KindCode::KeyboardCable, 4, 4, kUnchanged},
      {KindCode::MouseReceiver, 4, 0, 2},
      {KindCode::MouseCable, 7, 0, 2},
      {KindCode::MouseCable, 5, 2, kUnchanged},
      {KindCode::MouseCable, 8, 3, kUnchanged},
      {KindCode::MouseCable, 9, 5, kUnchanged},
      {KindCode::MouseCable, 1, 0, 0},
      {KindCode::MouseCable, 11, 0, 0},
  }};
  ASSERT_NE(FunctionSwitch(), nullptr);
  ASSERT_NE(KeyFunctionSwitch(), nullptr);
  for (const Case& c : cases) {
    device_.SetIdentity(RowOfKind(c.kind));
    FunctionSwitch()->setCurrentIndex(kUnchanged);
    KeyFunctionSwitch()->setCurrentIndex(kUnchanged);
    device_.SetConnectionView(c.view);
    EXPECT_EQ(device_.GetConnectionView(), c.view);
    EXPECT_EQ(FunctionSwitch()->currentIndex(), c.functionTab) << "view " << c.view;
    EXPECT_EQ(KeyFunctionSwitch()->currentIndex(), c.keyFunctionTab) << "view " << c.view;
  }
}

TEST_F(PageTest, FramePushRunsOnlyWhileThePageIsOnScreenAndPaintsTheLedCells) {
  device_.SetLedValue(0, LedEntry{10, 20, 30, 200}.Value());
  device_.SetLedValue(2, LedEntry{255, 0, 0, 128}.Value());
  EXPECT_FALSE(device_.IsFramePushRunning());
  EXPECT_EQ(device_.LedControl(0)->Led(), LedEntry{});

  device_.Page()->show();
  EXPECT_TRUE(device_.IsFramePushRunning());
  EXPECT_EQ(device_.LedControl(0)->Led(), (LedEntry{10, 20, 30, 200}));
  EXPECT_EQ(device_.LedControl(2)->Led(), (LedEntry{255, 0, 0, 128}));
  const std::vector<std::uint8_t> scaled{7, 15, 23, 0, 0, 0, 127, 0, 0};
  EXPECT_TRUE(
      std::equal(scaled.begin(), scaled.end(), device_.ScaledFrame().begin(), device_.ScaledFrame().end()));

  device_.SetLedValue(1, LedEntry{1, 2, 3, 4}.Value());
  ASSERT_TRUE(ProcessEventsUntil([&] { return device_.LedControl(1)->Led() == LedEntry{1, 2, 3, 4}; }));

  device_.Page()->hide();
  EXPECT_FALSE(device_.IsFramePushRunning());

  // Without host lighting control the cells keep what they show.
  device_.SetHostLighting(false);
  device_.Page()->show();
  device_.SetLedValue(0, 0);
  device_.SendLightFrame();
  EXPECT_EQ(device_.LedControl(0)->Led(), (LedEntry{10, 20, 30, 200}));
  device_.Page()->hide();
}

TEST(UsbDevicePage, TheMousePageSkinProvidesEveryKeyAndLedCell) {
  const QByteArray fixtureSkin = qgetenv("NIMBEL_SKIN_DIR");
  qputenv("NIMBEL_SKIN_DIR", NIMBEL_SOURCE_DIR "/skin");
  CVelquorMouseDevice device;
  ASSERT_TRUE(device.ApplyCatalogueRows(kMouseKindRow));
  const bool built = device.CreatePage(nullptr);
  qputenv("NIMBEL_SKIN_DIR", fixtureSkin);
  ASSERT_TRUE(built);
  ASSERT_EQ(device.KeyButtonCount(), 11u);
  ASSERT_EQ(device.LedCount(), 15u);
  for (std::size_t key = 0; key < device.KeyButtonCount(); ++key)
    EXPECT_NE(device.KeyButton(key), nullptr) << key;
  for (std::size_t led = 0; led < device.LedCount(); ++led) EXPECT_NE(device.LedControl(led), nullptr) << led;
  EXPECT_EQ(device.KindName(), "mouse");
  EXPECT_EQ(device.KindRowIndex(), kMouseKindRow);
  EXPECT_EQ(device.PowerIndicatorMode(), kReportsBatteryState);
}

// The lighting thread, the listener thread that reports button presses and the UI thread's edits, frame
// reads and frame push all meet here; the thread sanitizer watches the run.
TEST(UsbDeviceLighting, EditsPressesAndFrameReadsMeetOnlyThroughRequestsAndSnapshots) {
  emulator::DeviceEmulator emulator;
  emulator::EmulatedMouse& mouse = emulator.PlugMouseCable();
  InstallHidBackend(emulator.Bus());
  CVelquorMouseDevice device;
  device.SetLedCount(3);
  ASSERT_TRUE(BindCommandPath(device, *emulator.Bus(), Link::Cable));
  ASSERT_TRUE(
      device.OpenNotification(FindCollectionPath(*emulator.Bus(), kCableNotification), KindCode::MouseCable));
  device.StartLighting();

  std::atomic<bool> editing{true};
  std::thread presser([&] {
    while (editing) {
      mouse.PressButton(0);
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });
  LightEffectStep step;
  step.ledRegMode = 4;
  step.ledMultiColour = 1;
  step.time = 5;
  for (int edit = 0; edit < 300; ++edit) {
    LightParameters parameters;
    parameters.mode = static_cast<std::uint8_t>(edit % 13);
    parameters.brightness = static_cast<std::uint8_t>(edit % 5);
    parameters.speed = static_cast<std::uint8_t>(edit % 6);
    parameters.direction = static_cast<std::uint8_t>(edit % 2);
    parameters.multiColour = static_cast<std::uint8_t>(edit / 2 % 2);
    device.SetLightParameters(parameters);
    if (edit % 10 == 0) device.SetCustomEffectSteps(std::vector<LightEffectStep>(edit % 4, step));
    // What the page's frame push does on each of its ticks (a shown page would bring Qt's own threads,
    // which the sanitizer cannot see into).
    device.SendLightFrame();
    ASSERT_EQ(device.ScaledFrame().size(), 9u);
    device.GetEffectState();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  editing = false;
  presser.join();

  // Once the presses stop, the reactive effect fades out, and the next press lights it again.
  LightParameters reactive;
  reactive.mode = 6;
  reactive.brightness = 4;
  reactive.speed = 4;
  reactive.colour = {0, 0, 255};
  device.SetLightParameters(reactive);
  ASSERT_TRUE(ProcessEventsUntil([&] { return device.GetLightFrame()[0].intensity == 0; }));
  mouse.PressButton(0);
  EXPECT_TRUE(ProcessEventsUntil([&] {
    const LedEntry led = device.GetLightFrame()[2];
    return led.intensity > 0 && led.blue == 255;
  }));
  EXPECT_TRUE(device.StopLighting());
}

TEST(UsbDeviceLighting, TheThreadStepsWhileTheChannelIsOpenAndEndsWithItsTraceLine) {
  emulator::DeviceEmulator emulator;
  emulator.PlugMouseCable();
  InstallHidBackend(emulator.Bus());
  CVelquorMouseDevice device;
  device.SetLedCount(15);
  LightParameters staticRed;
  staticRed.mode = 3;
  staticRed.brightness = 2;
  staticRed.colour = {10, 20, 30};
  device.SetLightParameters(staticRed);

  device.StartLighting();
  // Closed channel: the thread waits and never steps.
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  EXPECT_EQ(device.GetLightFrame()[0], LedEntry{});

  ASSERT_TRUE(BindCommandPath(device, *emulator.Bus(), Link::Cable));
  const LedEntry expected{10, 20, 30, 135};
  ASSERT_TRUE(ProcessEventsUntil([&] { return device.GetLightFrame()[14] == expected; }));

  TraceLines trace;
  device.StopLighting();
  EXPECT_FALSE(device.IsLightingRunning());
  EXPECT_TRUE(trace.Contains("MS灯光线程设定退出"));
}

}  // namespace
}  // namespace nimbel
