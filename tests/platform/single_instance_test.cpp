#include "platform/single_instance.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>

#include <QDBusConnection>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <thread>

#include "platform/message_bus.h"
#include "platform/registered_messages.h"

namespace nimbel {
namespace {

constexpr int kFailureBoundMs = 10000;

struct Received {
  std::uint32_t id = 0;
  QString name;
  qint64 wParam = -1;
  qint64 lParam = -1;
  int count = 0;
};

// A private session bus per test, so no test ever talks to the desktop's bus or to another test's.
class PrivateBusTest : public testing::Test {
 protected:
  void SetUp() override {
    QProcess daemon;
    daemon.start(QStringLiteral("dbus-daemon"),
                 {QStringLiteral("--session"), QStringLiteral("--fork"), QStringLiteral("--print-address=1"),
                  QStringLiteral("--print-pid=1")});
    ASSERT_TRUE(daemon.waitForFinished(kFailureBoundMs));
    const QStringList lines = QString::fromUtf8(daemon.readAllStandardOutput()).split(QLatin1Char('\n'));
    ASSERT_GE(lines.size(), 2);
    address_ = lines[0].trimmed();
    daemonPid_ = lines[1].trimmed().toInt();
    ASSERT_FALSE(address_.isEmpty());
    ASSERT_GT(daemonPid_, 0);
  }

  void TearDown() override {
    for (const QString& name : connectionNames_) QDBusConnection::disconnectFromBus(name);
    if (daemonPid_ > 0) ::kill(daemonPid_, SIGTERM);
  }

  QDBusConnection Connect(const QString& name) {
    const QString unique = name + QString::number(++connectionCount_);
    connectionNames_ << unique;
    return QDBusConnection::connectToBus(address_, unique);
  }

  QString address_;
  pid_t daemonPid_ = 0;
  QStringList connectionNames_;
  int connectionCount_ = 0;
  QTemporaryDir lockFolder_;
};

TEST_F(PrivateBusTest, ASecondInstanceSeesTheFirstAndItsMessageArrives) {
  QDBusConnection firstBus = Connect(QStringLiteral("first"));
  ASSERT_TRUE(firstBus.isConnected());
  MessageBus bus(firstBus);
  Received received;
  bus.SetMessageHandler([&](std::uint32_t id, const QString& name, qint64 wParam, qint64 lParam) {
    received = {id, name, wParam, lParam, received.count + 1};
  });
  ASSERT_TRUE(bus.Export());
  SingleInstance first(firstBus, lockFolder_.filePath(QStringLiteral("nimbel.lock")));
  ASSERT_EQ(first.Acquire(), SingleInstance::Result::kFirstInstance);

  SingleInstance second(Connect(QStringLiteral("second")),
                        lockFolder_.filePath(QStringLiteral("nimbel.lock")));
  ASSERT_EQ(second.Acquire(), SingleInstance::Result::kAnotherInstanceRuns);
  // The second instance waits for the first to take the call; the first needs this thread's event loop.
  bool delivered = false;
  std::thread secondProcess([&] { delivered = second.NotifyRunningInstance(); });
  EXPECT_TRUE(QTest::qWaitFor([&] { return received.count > 0; }, kFailureBoundMs));
  secondProcess.join();

  EXPECT_TRUE(delivered);
  EXPECT_EQ(received.count, 1);
  EXPECT_EQ(received.id, RegisterWindowMessage(kInstanceMessageName));
  EXPECT_EQ(received.name, QStringLiteral("Nimbel"));
  EXPECT_EQ(received.wParam, 0);
  EXPECT_EQ(received.lParam, 1);
}

TEST_F(PrivateBusTest, NamesTheProgramDoesNotKnowAreIgnored) {
  QDBusConnection nimbelBus = Connect(QStringLiteral("nimbel"));
  MessageBus bus(nimbelBus);
  QStringList names;
  bus.SetMessageHandler([&](std::uint32_t, const QString& name, qint64, qint64) { names << name; });
  ASSERT_TRUE(bus.Export());
  ASSERT_TRUE(nimbelBus.registerService(QLatin1String(MessageBus::kServiceName)));

  const QStringList unknown = {QStringLiteral("Peer_Flood_1"), QString(4096, QLatin1Char('x'))};
  const QString known = QStringLiteral("Game_Start");
  QDBusConnection peer = Connect(QStringLiteral("peer"));
  int delivered = 0;
  std::thread sender([&] {
    for (const QString& name : unknown + QStringList{known})
      delivered += MessageBus::PostTo(peer, QLatin1String(MessageBus::kServiceName), name, 1, 2) ? 1 : 0;
  });
  // Calls are taken in order, so once the known one is in, the others have been dealt with.
  EXPECT_TRUE(QTest::qWaitFor([&] { return !names.isEmpty(); }, kFailureBoundMs));
  sender.join();
  EXPECT_EQ(delivered, 3);
  EXPECT_EQ(names, QStringList{known});
  for (const QString& name : unknown) EXPECT_EQ(FindWindowMessage(name.toStdString()), std::nullopt);
}

TEST_F(PrivateBusTest, CopyDataBlocksArriveWhole) {
  QDBusConnection firstBus = Connect(QStringLiteral("first"));
  MessageBus bus(firstBus);
  quint64 dwData = 0;
  QByteArray data;
  bus.SetCopyDataHandler([&](quint64 kind, const QByteArray& block) {
    dwData = kind;
    data = block;
  });
  ASSERT_TRUE(bus.Export());
  SingleInstance first(firstBus, lockFolder_.filePath(QStringLiteral("nimbel.lock")));
  ASSERT_EQ(first.Acquire(), SingleInstance::Result::kFirstInstance);

  const QByteArray block("\x01\x00\xff\x7f", 4);
  QDBusConnection peer = Connect(QStringLiteral("peer"));
  bool delivered = false;
  std::thread sender(
      [&] { delivered = MessageBus::CopyDataTo(peer, QLatin1String(MessageBus::kServiceName), 2, block); });
  EXPECT_TRUE(QTest::qWaitFor([&] { return !data.isEmpty(); }, kFailureBoundMs));
  sender.join();
  EXPECT_TRUE(delivered);
  EXPECT_EQ(dwData, 2u);
  EXPECT_EQ(data, block);
}

// Listens to Nimbel's broadcasts the way another program would.
class BroadcastListener : public QObject {
  Q_OBJECT
 public:
  QString name;
  qlonglong wParam = -1;
  qlonglong lParam = -1;

 public Q_SLOTS:
  void OnBroadcast(const QString& message, qlonglong w, qlonglong l) {
    name = message;
    wParam = w;
    lParam = l;
  }
};

TEST_F(PrivateBusTest, BroadcastsReachListeners) {
  QDBusConnection nimbelBus = Connect(QStringLiteral("nimbel"));
  MessageBus bus(nimbelBus);
  ASSERT_TRUE(bus.Export());
  BroadcastListener listener;
  QDBusConnection peer = Connect(QStringLiteral("listener"));
  ASSERT_TRUE(peer.connect(QString(), QLatin1String(MessageBus::kObjectPath),
                           QLatin1String(MessageBus::kInterfaceName), QStringLiteral("Broadcast"), &listener,
                           SLOT(OnBroadcast(QString, qlonglong, qlonglong))));
  const QString lightingState =
      QString::fromUtf8(kLightingStateMessageName.data(), kLightingStateMessageName.size());
  ASSERT_TRUE(bus.BroadcastMessage(lightingState, 1, 1));
  EXPECT_TRUE(QTest::qWaitFor([&] { return !listener.name.isEmpty(); }, kFailureBoundMs));
  EXPECT_EQ(listener.name, lightingState);
  EXPECT_EQ(listener.wParam, 1);
  EXPECT_EQ(listener.lParam, 1);
}

TEST_F(PrivateBusTest, PostingToAnAbsentInstanceFails) {
  EXPECT_FALSE(MessageBus::PostTo(Connect(QStringLiteral("lonely")), QLatin1String(MessageBus::kServiceName),
                                  QStringLiteral("Nimbel"), 0, 1));
}

TEST(SingleInstanceWithoutBus, TheLockFileDecides) {
  QTemporaryDir folder;
  const QString lockPath = folder.filePath(QStringLiteral("nimbel.lock"));
  const QDBusConnection noBus = QDBusConnection::connectToBus(
      QStringLiteral("unix:path=/nonexistent/nimbel-test-bus"), QStringLiteral("nobus"));
  ASSERT_FALSE(noBus.isConnected());
  {
    SingleInstance first(noBus, lockPath);
    EXPECT_EQ(first.Acquire(), SingleInstance::Result::kFirstInstanceWithoutBus);
    SingleInstance second(noBus, lockPath);
    EXPECT_EQ(second.Acquire(), SingleInstance::Result::kAnotherInstanceRuns);
    EXPECT_FALSE(second.NotifyRunningInstance());
  }
  SingleInstance afterTheFirstEnded(noBus, lockPath);
  EXPECT_EQ(afterTheFirstEnded.Acquire(), SingleInstance::Result::kFirstInstanceWithoutBus);
  QDBusConnection::disconnectFromBus(QStringLiteral("nobus"));
}

}  // namespace
}  // namespace nimbel

#include "single_instance_test.moc"
