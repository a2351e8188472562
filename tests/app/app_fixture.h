#pragma once

// The running program in the test process: a private session bus, a data folder of the test's own, and
// an Application in demo mode over the emulator.

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <memory>
#include <vector>

#include "app/application.h"
#include "app/demo_devices.h"
#include "app/main_wnd.h"
#include "binding/device_option_ui.h"
#include "binding/device_selector.h"
#include "devices/mouse_device.h"
#include "ui/find_control.h"

namespace nimbel::test {

// Generous bounds for waits on a loaded machine; none of them is a timing requirement.
inline constexpr int kWaitMs = 15000;
// The first mouse of the device-kind table (0x226E by cable, 0x22B5 through its receiver).
inline constexpr int kFirstMouseTab = 0;

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

class AppTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(bus_.IsRunning()) << "dbus-daemon could not be started";
    ASSERT_TRUE(dataHome_.isValid());
    // Profiles and palette colours of one test never meet another's; a restart within a test keeps them.
    savedDataHome_ = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", dataHome_.path().toLocal8Bit());
    connectionName_ = QStringLiteral("nimbel-test-%1").arg(++connectionCount_);
    connection_ =
        std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(bus_.Address(), connectionName_));
    ASSERT_TRUE(connection_->isConnected());
  }

  void TearDown() override {
    app_.reset();
    connection_.reset();
    QDBusConnection::disconnectFromBus(connectionName_);
    qputenv("XDG_DATA_HOME", savedDataHome_);
  }

  void Start(std::vector<DemoPlug> products) {
    CommandLine line;
    line.demo = true;
    line.demoProducts = std::move(products);
    // The private bus stands for the system bus too.
    app_ = std::make_unique<Application>(line, *connection_, *connection_);
    ASSERT_FALSE(app_->Start().has_value());
    ASSERT_TRUE(app_->HasMessageBus());
  }
  void Start(std::initializer_list<DemoProduct> products) {
    std::vector<DemoPlug> plugs;
    for (const DemoProduct product : products) plugs.push_back({product, {}});
    Start(std::move(plugs));
  }

  CMainWnd& Window() const { return *app_->Window(); }
  DemoDevices& Demo() const { return *app_->Demo(); }
  CDeviceOptionUI* MouseTab() const { return Window().Selector()->Tab(kFirstMouseTab); }
  CVelquorMouseDevice* Mouse() const {
    return MouseTab() != nullptr ? dynamic_cast<CVelquorMouseDevice*>(MouseTab()->Device()) : nullptr;
  }
  bool MouseTabShown() const { return MouseTab() != nullptr && MouseTab()->IsShown(); }
  bool OnReceiver() const { return Mouse() != nullptr && Mouse()->Channel().UseReceiver(); }
  bool ChannelOpen() const { return Mouse() != nullptr && Mouse()->Channel().IsOpen(); }

  QProcessEnvironment ProcessEnvironment() const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus_.Address());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), dataHome_.path());
    environment.insert(QStringLiteral("XDG_STATE_HOME"), dataHome_.path());
    return environment;
  }

  PrivateBus bus_;
  QTemporaryDir dataHome_;
  QByteArray savedDataHome_;
  static inline int connectionCount_ = 0;
  QString connectionName_;
  std::unique_ptr<QDBusConnection> connection_;
  std::unique_ptr<Application> app_;
};

}  // namespace nimbel::test
