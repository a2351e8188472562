#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDBusConnection>
#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QTest>
#include <array>
#include <csignal>
#include <memory>

#include "app/application.h"
#include "app/demo_devices.h"
#include "app/main_wnd.h"
#include "catalogue/device_option_ui.h"
#include "catalogue/device_selector.h"
#include "devices/mouse_device.h"
#include "platform/registered_messages.h"
#include "ui/find_control.h"

namespace nimbel {
namespace {

// Generous bounds for waits on a loaded machine; none of them is a timing requirement.
constexpr int kWaitMs = 15000;
// The first mouse of the device-kind table (0x226E by cable, 0x22B5 through its receiver).
constexpr int kFirstMouseTab = 0;

// A session bus of the test's own, so that single-instance and message tests never meet a desktop's.
class PrivateBus {
 public:
  PrivateBus() {
    QProcess daemon;
    daemon.start(QStringLiteral("dbus-daemon"),
                 {QStringLiteral("--session"), QStringLiteral("--fork"), QStringLiteral("--print-address=1"),
                  QStringLiteral("--print-pid=1")});
    if (!daemon.waitForFinished(kWaitMs)) return;
    const QList<QByteArray> lines = daemon.readAllStandardOutput().split('\n');
    if (lines.size() < 2) return;
    address_ = QString::fromLocal8Bit(lines[0].trimmed());
    pid_ = lines[1].trimmed().toLongLong();
  }
  ~PrivateBus() {
    if (pid_ > 0) ::kill(static_cast<pid_t>(pid_), SIGTERM);
  }
  PrivateBus(const PrivateBus&) = delete;
  PrivateBus& operator=(const PrivateBus&) = delete;

  bool IsRunning() const { return !address_.isEmpty() && pid_ > 0; }
  const QString& Address() const { return address_; }

 private:
  QString address_;
  qint64 pid_ = 0;
};

class AppEndToEndTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(bus_.IsRunning()) << "dbus-daemon could not be started";
    connectionName_ = QStringLiteral("nimbel-test-%1").arg(++connectionCount_);
    connection_ =
        std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(bus_.Address(), connectionName_));
    ASSERT_TRUE(connection_->isConnected());
  }

  void TearDown() override {
    app_.reset();
    connection_.reset();
    QDBusConnection::disconnectFromBus(connectionName_);
  }

  void Start(std::vector<DemoProduct> products) {
    CommandLine line;
    line.demo = true;
    line.demoProducts = std::move(products);
    app_ = std::make_unique<Application>(line, *connection_);
    ASSERT_FALSE(app_->Start().has_value());
    ASSERT_TRUE(app_->HasMessageBus());
  }

  CMainWnd& Window() const { return *app_->Window(); }
  DemoDevices& Demo() const { return *app_->Demo(); }
  CDeviceOptionUI* MouseTab() const { return Window().Selector()->Tab(kFirstMouseTab); }
  CVelquorMouseDevice* Mouse() const {
    return MouseTab() != nullptr ? dynamic_cast<CVelquorMouseDevice*>(MouseTab()->Device()) : nullptr;
  }
  bool MouseTabShown() const { return MouseTab() != nullptr && MouseTab()->IsShown(); }
  QWidget* PowerChild(const char* name) const {
    return Mouse() != nullptr && Mouse()->PowerDisplay() != nullptr
               ? FindControl(dynamic_cast<QWidget*>(Mouse()->PowerDisplay()), QString::fromLatin1(name))
               : nullptr;
  }
  QString PowerValueText() const {
    auto* label = qobject_cast<QLabel*>(PowerChild("device_power_value"));
    return label != nullptr ? label->text() : QString();
  }
  bool OnReceiver() const { return Mouse() != nullptr && Mouse()->Channel().UseReceiver.load(); }
  bool ChannelOpen() const { return Mouse() != nullptr && Mouse()->Channel().IsOpen.load(); }

  QProcessEnvironment ProcessEnvironment() const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus_.Address());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return environment;
  }

  PrivateBus bus_;
  static inline int connectionCount_ = 0;
  QString connectionName_;
  std::unique_ptr<QDBusConnection> connection_;
  std::unique_ptr<Application> app_;
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

TEST_F(AppEndToEndTest, SecondInstanceBringsTheFirstUpAndExitsZero) {
  Start({});
  // Detection's first pass brings the window up; the close button hides it to the tray.
  ASSERT_TRUE(QTest::qWaitFor([&] { return Window().isVisible(); }, kWaitMs));
  auto* close = FindControl<QAbstractButton>(Window().Root(), QStringLiteral("closebtn"));
  ASSERT_NE(close, nullptr);
  close->click();
  ASSERT_FALSE(Window().isVisible());

  QProcess second;
  second.setProcessEnvironment(ProcessEnvironment());
  second.start(QStringLiteral(NIMBEL_EXECUTABLE), {});
  ASSERT_TRUE(QTest::qWaitFor([&] { return second.state() == QProcess::NotRunning; }, kWaitMs));
  EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second.exitCode(), 0);
  EXPECT_TRUE(QTest::qWaitFor([&] { return Window().isVisible(); }, kWaitMs));
}

TEST_F(AppEndToEndTest, ExitFromTheMenuStopsEveryWorker) {
  Start({DemoProduct::MouseCable});
  ASSERT_TRUE(QTest::qWaitFor([&] { return ChannelOpen() && Mouse()->IsLightingRunning(); }, kWaitMs));
  ASSERT_TRUE(Window().Workers().IsOccupied(WorkerTable::kDetectionSlot));

  Window().OnMenuCommand(QStringLiteral("exit"));
  EXPECT_FALSE(Window().isVisible());
  EXPECT_FALSE(Window().Workers().IsOccupied(WorkerTable::kDetectionSlot));
  EXPECT_TRUE(Window().Mice().empty());
  // A second instance knocking while the program ends does not bring the window back.
  Window().DispatchWindowMessage(RegisterWindowMessage(kInstanceMessageName), 0, 1);
  EXPECT_FALSE(Window().isVisible());
}

TEST_F(AppEndToEndTest, TerminationSignalEndsTheProgramWithZero) {
  QProcess nimbel;
  QProcessEnvironment environment = ProcessEnvironment();
  environment.insert(QStringLiteral("NIMBEL_STARTUP_TIMING"), QStringLiteral("1"));
  nimbel.setProcessEnvironment(environment);
  nimbel.start(QStringLiteral(NIMBEL_EXECUTABLE), {QStringLiteral("--demo")});
  QByteArray output;
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        output += nimbel.readAllStandardError();
        return output.contains("window shown");
      },
      kWaitMs))
      << output.toStdString();
  nimbel.terminate();
  ASSERT_TRUE(QTest::qWaitFor([&] { return nimbel.state() == QProcess::NotRunning; }, kWaitMs));
  EXPECT_EQ(nimbel.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(nimbel.exitCode(), 0);
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
