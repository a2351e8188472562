#include "app/desktop_notifier.h"

#include <gtest/gtest.h>

#include <QTest>
#include <algorithm>
#include <string>

#include "tests/app/app_fixture.h"
#include "tests/app/fake_notification_service.h"

namespace nimbel {
namespace {

using test::kWaitMs;

class DesktopNotifierTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(bus_.IsRunning()) << "dbus-daemon could not be started";
    connection_ = QDBusConnection::connectToBus(bus_.Address(), kConnectionName);
    ASSERT_TRUE(connection_.isConnected());
  }
  void TearDown() override { QDBusConnection::disconnectFromBus(kConnectionName); }

  static inline const QString kConnectionName = QStringLiteral("notifier-test");
  test::PrivateBus bus_;
  QDBusConnection connection_{QString()};
};

TEST_F(DesktopNotifierTest, TheServiceGetsTheNoticeWithTheProgramsNameAndIcon) {
  test::FakeNotificationService service(bus_.Address(), QStringLiteral("notification-service"));
  ASSERT_TRUE(service.IsRegistered());
  DesktopNotifier notifier(connection_);

  notifier.Notify(QStringLiteral("Battery low"), QStringLiteral("Mouse has 9% battery left."));
  ASSERT_TRUE(QTest::qWaitFor([&] { return notifier.PendingCalls() == 0; }, kWaitMs));

  ASSERT_EQ(service.Calls().size(), 1u);
  const test::NoticeCall& call = service.Calls()[0];
  EXPECT_EQ(call.appName, QStringLiteral("Nimbel"));
  EXPECT_EQ(call.replacesId, 0u);
  EXPECT_EQ(call.appIcon, QStringLiteral("nimbel"));
  EXPECT_EQ(call.summary, QStringLiteral("Battery low"));
  EXPECT_EQ(call.body, QStringLiteral("Mouse has 9% battery left."));
  EXPECT_TRUE(call.actions.isEmpty());
  EXPECT_EQ(call.hints.value(QStringLiteral("desktop-entry")).toString(), QStringLiteral("nimbel"));
  EXPECT_EQ(call.expireTimeout, -1);
}

TEST_F(DesktopNotifierTest, WithoutAServiceTheNoticesAreDroppedAndSaidOnce) {
  DesktopNotifier notifier(connection_);
  testing::internal::CaptureStderr();
  notifier.Notify(QStringLiteral("Battery low"), QStringLiteral("first"));
  notifier.Notify(QStringLiteral("Battery low"), QStringLiteral("second"));
  const bool answered = QTest::qWaitFor([&] { return notifier.PendingCalls() == 0; }, kWaitMs);
  const std::string said = testing::internal::GetCapturedStderr();

  EXPECT_TRUE(answered);
  EXPECT_NE(said.find("nimbel: no desktop notifications"), std::string::npos) << said;
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
}

TEST(DesktopNotifierWithoutBusTest, NoSessionBusIsSaidOnce) {
  DesktopNotifier notifier(QDBusConnection(QStringLiteral("never-connected")));
  testing::internal::CaptureStderr();
  notifier.Notify(QStringLiteral("Battery low"), QStringLiteral("first"));
  notifier.Notify(QStringLiteral("Battery low"), QStringLiteral("second"));
  const std::string said = testing::internal::GetCapturedStderr();

  EXPECT_EQ(notifier.PendingCalls(), 0);
  EXPECT_EQ(said,
            "nimbel: no desktop notifications (no session bus); the battery is shown in the tray only\n");
}

}  // namespace
}  // namespace nimbel
