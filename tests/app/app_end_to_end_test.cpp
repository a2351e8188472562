#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <array>

#include "app/tray_icon.h"
#include "catalogue/window_messages.h"
#include "devices/mouse_settings.h"
#include "platform/registered_messages.h"
#include "platform/sleep_watch.h"
#include "platform/system_awake.h"
#include "tests/app/app_fixture.h"
#include "ui/resource_manager.h"

namespace nimbel {
namespace {

using test::kWaitMs;

class AppEndToEndTest : public test::AppTest {
 protected:
  QWidget* PowerChild(const char* name) const {
    return Mouse() != nullptr && Mouse()->PowerDisplay() != nullptr
               ? FindControl(dynamic_cast<QWidget*>(Mouse()->PowerDisplay()), QString::fromLatin1(name))
               : nullptr;
  }
  bool WindowShown() const { return Window().isVisible() && !Window().isMinimized(); }
  QString PowerValueText() const {
    auto* label = qobject_cast<QLabel*>(PowerChild("device_power_value"));
    return label != nullptr ? label->text() : QString();
  }
};

TEST_F(AppEndToEndTest, DemoMouseArrivesWithItsPowerState) {
  Start({});
  // The start-up mice exist from the window's initialisation on, hidden until their products arrive.
  ASSERT_NE(Mouse(), nullptr);
  EXPECT_FALSE(MouseTabShown());
  Demo().Plug(DemoProduct::MouseCable);
  // Battery 42 %, on battery, so the reading on screen can only have come from this mouse.
  constexpr std::array<std::uint8_t, 6> kStatus{42, 0, 0, 0, 0, 0};
  ASSERT_TRUE(Demo().MouseOf(DemoProduct::MouseCable)->Write(emulator::MouseMemory::PowerStatus, 0, kStatus));

  EXPECT_TRUE(QTest::qWaitFor([&] { return MouseTabShown() && Window().isVisible(); }, kWaitMs));
  EXPECT_TRUE(QTest::qWaitFor([&] { return PowerValueText() == QStringLiteral("42%"); }, kWaitMs));
  EXPECT_FALSE(PowerChild("device_youxian_logo_text")->isHidden());
  EXPECT_TRUE(PowerChild("device_wuxian_logo_text")->isHidden());
  EXPECT_FALSE(Window().IsNoDeviceShown());
  EXPECT_EQ(Window().CurrentDevice(), Mouse());
}

TEST_F(AppEndToEndTest, UnplugHidesTheTabAndShowsNoDevice) {
  Start({DemoProduct::MouseCable});
  ASSERT_TRUE(QTest::qWaitFor([&] { return MouseTabShown(); }, kWaitMs));
  Demo().Unplug(DemoProduct::MouseCable);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !MouseTabShown() && Window().IsNoDeviceShown(); }, kWaitMs));
  EXPECT_FALSE(ChannelOpen());
  EXPECT_EQ(Window().CurrentDevice(), nullptr);

  Demo().Plug(DemoProduct::MouseCable);
  EXPECT_TRUE(QTest::qWaitFor([&] { return MouseTabShown() && !Window().IsNoDeviceShown(); }, kWaitMs));
}

TEST_F(AppEndToEndTest, CableAndReceiverSwitchOneMouse) {
  Start({DemoProduct::MouseReceiver});
  ASSERT_TRUE(QTest::qWaitFor([&] { return MouseTabShown() && OnReceiver(); }, kWaitMs));
  EXPECT_TRUE(QTest::qWaitFor(
      [&] {
        return PowerChild("device_wuxian_logo_text")->isVisibleTo(Window().Root()) ||
               !PowerChild("device_wuxian_logo_text")->isHidden();
      },
      kWaitMs));
  CVelquorMouseDevice* mouse = Mouse();

  Demo().Plug(DemoProduct::MouseCable);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !OnReceiver() && ChannelOpen(); }, kWaitMs));
  EXPECT_TRUE(MouseTabShown());

  Demo().Unplug(DemoProduct::MouseCable);
  EXPECT_TRUE(QTest::qWaitFor([&] { return OnReceiver() && ChannelOpen(); }, kWaitMs));
  EXPECT_TRUE(MouseTabShown());
  EXPECT_EQ(Mouse(), mouse) << "both paths reach the same device object";
}

TEST_F(AppEndToEndTest, LinkWatchHidesAndShowsTheReceiverMouse) {
  Start({DemoProduct::MouseReceiver});
  ASSERT_TRUE(QTest::qWaitFor([&] { return MouseTabShown(); }, kWaitMs));
  Demo().SetLinked(DemoProduct::MouseReceiver, false);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !MouseTabShown() && Window().IsNoDeviceShown(); }, kWaitMs));
  Demo().SetLinked(DemoProduct::MouseReceiver, true);
  EXPECT_TRUE(QTest::qWaitFor([&] { return MouseTabShown() && !Window().IsNoDeviceShown(); }, kWaitMs));
}

TEST_F(AppEndToEndTest, WithoutANotificationAreaCloseMinimises) {
  if (TrayIcon::IsAvailable()) GTEST_SKIP() << "this desktop has a notification area";
  Start({});
  ASSERT_TRUE(QTest::qWaitFor([&] { return WindowShown(); }, kWaitMs));
  for (const char* button : {"closebtn", "nodevice_ok_btn"}) {
    SCOPED_TRACE(button);
    Window().ActivateMainWindow();
    ASSERT_TRUE(WindowShown());
    auto* close = FindControl<QAbstractButton>(Window().Root(), QLatin1String(button));
    ASSERT_NE(close, nullptr);
    close->click();
    // Still there for the task bar to bring back.
    EXPECT_TRUE(Window().isVisible());
    EXPECT_TRUE(Window().isMinimized());
  }
}

TEST_F(AppEndToEndTest, OnlyControlsThatWorkAreShown) {
  Start({DemoProduct::MouseCable});
  ASSERT_TRUE(QTest::qWaitFor([&] { return MouseTabShown() && Window().isVisible(); }, kWaitMs));
  // Their features are not built yet; the single device has no other to step to.
  for (const char* name :
       {"system_Op_tab", "About_Op_tab", "skinbtn", "setbtn", "device_select_prev", "device_select_next"}) {
    const QWidget* control = FindControl(Window().Root(), QLatin1String(name));
    ASSERT_NE(control, nullptr) << name;
    EXPECT_TRUE(control->isHidden()) << name;
  }
  for (const char* name : {"performance_Op_tab", "key_Op_tab", "macro_Op_tab", "shoot_Op_tab", "deng_Op_tab",
                           "cursor_Op_tab", "closebtn", "minbtn"}) {
    EXPECT_FALSE(FindControl(Window().Root(), QLatin1String(name))->isHidden()) << name;
  }
  int offered = 0;
  for (const QAction* action : Window().Tray()->Menu()->actions()) {
    if (action->isSeparator() || action->menu() != nullptr || !action->isVisible()) continue;
    ++offered;
    EXPECT_TRUE(CMainWnd::HasMenuCommand(action->objectName())) << action->objectName().toStdString();
  }
  EXPECT_GE(offered, 1) << "the exit at least";
}

TEST_F(AppEndToEndTest, TwoMiceOfOneKindAreNumbered) {
  Start({DemoProduct::MouseCable, DemoProduct::Mouse2Receiver});
  const auto label = [&](int tab) {
    const CDeviceOptionUI* item = Window().Selector()->Tab(tab);
    const auto* name =
        item != nullptr ? item->findChild<QLabel*>(QStringLiteral("device_select_name")) : nullptr;
    return name != nullptr ? name->text() : QString();
  };
  const QString mouse = CResourceManager::Instance().Text(QStringLiteral("ms_device_name_text"));
  EXPECT_TRUE(QTest::qWaitFor(
      [&] { return label(0) == mouse + QStringLiteral(" 1") && label(1) == mouse + QStringLiteral(" 2"); },
      kWaitMs))
      << label(0).toStdString() << " / " << label(1).toStdString();
  EXPECT_FALSE(FindControl(Window().Root(), QStringLiteral("device_select_next"))->isHidden());
}

TEST_F(AppEndToEndTest, TheDemoMenuSpeaksTheChosenLanguage) {
  // Languages by their index in the language list.
  constexpr int kEnglish = 0;
  constexpr int kChinese = 1;
  Start({});
  auto* button = FindControl<QPushButton>(Window().Root(), QStringLiteral("demo_btn"));
  ASSERT_NE(button, nullptr);
  ASSERT_NE(button->menu(), nullptr);
  const auto firstItem = [&] { return button->menu()->actions().value(0)->text(); };
  EXPECT_EQ(button->text(), QStringLiteral("Demo"));
  EXPECT_EQ(firstItem(), QStringLiteral("Mouse (cable) plugged in"));

  Window().ApplyLanguage(kChinese);
  EXPECT_EQ(button->text(), QStringLiteral("演示"));
  EXPECT_EQ(firstItem(), QStringLiteral("鼠标（有线） 已插入"));
  Window().ApplyLanguage(kEnglish);
  EXPECT_EQ(firstItem(), QStringLiteral("Mouse (cable) plugged in"));
}

TEST_F(AppEndToEndTest, SecondInstanceBringsTheFirstUpAndExitsZero) {
  Start({});
  // Detection's first pass brings the window up; the close button puts it away.
  ASSERT_TRUE(QTest::qWaitFor([&] { return WindowShown(); }, kWaitMs));
  auto* close = FindControl<QAbstractButton>(Window().Root(), QStringLiteral("closebtn"));
  ASSERT_NE(close, nullptr);
  close->click();
  ASSERT_FALSE(WindowShown());

  QProcess second;
  second.setProcessEnvironment(ProcessEnvironment());
  second.start(QStringLiteral(NIMBEL_EXECUTABLE), {});
  ASSERT_TRUE(QTest::qWaitFor([&] { return second.state() == QProcess::NotRunning; }, kWaitMs));
  EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second.exitCode(), 0);
  EXPECT_TRUE(QTest::qWaitFor([&] { return WindowShown(); }, kWaitMs));
}

TEST_F(AppEndToEndTest, ExitFromTheMenuStopsEveryWorker) {
  Start({DemoProduct::MouseCable});
  ASSERT_TRUE(QTest::qWaitFor([&] { return ChannelOpen() && Mouse()->IsLightingRunning(); }, kWaitMs));
  ASSERT_TRUE(Window().Workers().IsOccupied(WorkerTable::kDetectionSlot));

  // From inside the program's event loop, which the command ends (and which leaves no exit pending for
  // the modal loops of later tests).
  QTimer::singleShot(0, &Window(), [&] { Window().OnMenuCommand(QStringLiteral("exit")); });
  EXPECT_EQ(app_->Run(), 0);
  EXPECT_FALSE(Window().isVisible());
  EXPECT_FALSE(Window().Workers().IsOccupied(WorkerTable::kDetectionSlot));
  EXPECT_TRUE(Window().Devices().empty());
  // A second instance knocking while the program ends does not bring the window back.
  Window().DispatchWindowMessage(RegisterWindowMessage(kInstanceMessageName), 0, 1);
  EXPECT_FALSE(Window().isVisible());
}

// Starts `nimbel --demo` with `variable` set, sends SIGTERM once its stderr shows `mark`, and expects the
// program to end normally with status 0.
void ExpectZeroAfterTermination(QProcessEnvironment environment, const char* variable, const char* mark) {
  QProcess nimbel;
  environment.insert(QLatin1String(variable), QStringLiteral("1"));
  nimbel.setProcessEnvironment(environment);
  nimbel.start(QStringLiteral(NIMBEL_EXECUTABLE), {QStringLiteral("--demo")});
  QByteArray output;
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        output += nimbel.readAllStandardError();
        return output.contains(mark);
      },
      kWaitMs))
      << output.toStdString();
  nimbel.terminate();
  ASSERT_TRUE(QTest::qWaitFor([&] { return nimbel.state() == QProcess::NotRunning; }, kWaitMs));
  EXPECT_EQ(nimbel.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(nimbel.exitCode(), 0);
}

TEST_F(AppEndToEndTest, TerminationSignalEndsTheProgramWithZero) {
  ExpectZeroAfterTermination(ProcessEnvironment(), "NIMBEL_STARTUP_TIMING", "window shown");
}

// The login manager's side of suspend and resume, on the test's private bus.
class FakeLoginManager {
 public:
  explicit FakeLoginManager(const QString& address)
      : bus_(QDBusConnection::connectToBus(address, QStringLiteral("fake-login1"))) {}
  ~FakeLoginManager() {
    // Nothing may stay asleep for the next test.
    SetSystemAwake(true);
    QDBusConnection::disconnectFromBus(QStringLiteral("fake-login1"));
  }
  bool Register() { return bus_.registerService(QLatin1String(SleepWatch::kService)); }
  bool PrepareForSleep(bool sleeping) {
    QDBusMessage signal =
        QDBusMessage::createSignal(QLatin1String(SleepWatch::kObjectPath),
                                   QLatin1String(SleepWatch::kInterface), QLatin1String(SleepWatch::kSignal));
    signal << sleeping;
    return bus_.send(signal);
  }

 private:
  QDBusConnection bus_;
};

TEST_F(AppEndToEndTest, AfterASleepTheMouseIsReadAgainAndNothingRoutesWhileAsleep) {
  FakeLoginManager login(bus_.Address());
  ASSERT_TRUE(login.Register());
  Start({DemoProduct::MouseCable});
  ASSERT_TRUE(QTest::qWaitFor([&] { return MouseTabShown() && Mouse()->Stages().size() > 2; }, kWaitMs));
  const std::vector<DpiStage> before = Mouse()->Stages();
  ASSERT_NE(before[0], before[2]);

  ASSERT_TRUE(login.PrepareForSleep(true));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !IsSystemAwake(); }, kWaitMs));
  // A routed message does nothing while asleep: the link-down report would hide the tab.
  Window().LinkChanged(test::kFirstMouseTab, false);
  EXPECT_TRUE(MouseTabShown());

  // Over the sleep the mouse's third stage became a copy of its first.
  emulator::EmulatedMouse& mouse = *Demo().MouseOf(DemoProduct::MouseCable);
  const std::vector<std::uint8_t> block = mouse.SettingsBlock(0);
  const auto stage = [&](std::size_t index) {
    return std::vector<std::uint8_t>(
        block.begin() + static_cast<std::ptrdiff_t>(settings_byte::kFirstStage + index * DpiStage::kSize),
        block.begin() +
            static_cast<std::ptrdiff_t>(settings_byte::kFirstStage + (index + 1) * DpiStage::kSize));
  };
  ASSERT_TRUE(mouse.Write(emulator::MouseMemory::Onboard, settings_byte::kFirstStage + 2 * DpiStage::kSize,
                          stage(0)));

  ASSERT_TRUE(login.PrepareForSleep(false));
  EXPECT_TRUE(QTest::qWaitFor(
      [&] { return Mouse()->Stages().size() > 2 && Mouse()->Stages()[2] == before[0]; }, kWaitMs));
  EXPECT_TRUE(IsSystemAwake());
}

TEST_F(AppEndToEndTest, TerminationSignalWithAMessageBoxOpenExitsZero) {
  // The mouse's kind folder is a file: the first save of its profile list fails and a box says so,
  // still inside the window's initialisation.
  ASSERT_TRUE(QDir(dataHome_.path()).mkpath(QStringLiteral("Nimbel")));
  QFile kindFolder(dataHome_.filePath(QStringLiteral("Nimbel/mouse")));
  ASSERT_TRUE(kindFolder.open(QIODevice::WriteOnly));
  kindFolder.close();

  // The failed write is traced just before the box opens; no event loop runs between the two, so the
  // signal is taken inside the box's loop.
  ExpectZeroAfterTermination(ProcessEnvironment(), "NIMBEL_TRACE", "Nimbel/mouse");
}

TEST_F(AppEndToEndTest, UnknownDemoDeviceIsAUsageError) {
  QProcess nimbel;
  nimbel.setProcessEnvironment(ProcessEnvironment());
  nimbel.start(QStringLiteral(NIMBEL_EXECUTABLE), {QStringLiteral("--demo=mouse,toaster")});
  ASSERT_TRUE(QTest::qWaitFor([&] { return nimbel.state() == QProcess::NotRunning; }, kWaitMs));
  EXPECT_EQ(nimbel.exitCode(), kUsageExitCode);
  EXPECT_TRUE(nimbel.readAllStandardError().contains("toaster"));
}

}  // namespace
}  // namespace nimbel
