#include <gtest/gtest.h>

#include <QTest>
#include <array>

#include "app/tray_icon.h"
#include "tests/app/app_fixture.h"
#include "tests/app/fake_notification_service.h"

namespace nimbel {
namespace {

using test::kWaitMs;

constexpr std::uint8_t kOnBattery = 0;
constexpr std::uint8_t kCharging = 1;
constexpr int kEnglish = 0;
constexpr int kChinese = 1;

class BatteryEndToEndTest : public test::AppTest {
 protected:
  void TearDown() override {
    // The language is kept in the settings file that every test of the run shares.
    if (app_ != nullptr) Window().ApplyLanguage(kEnglish);
    AppTest::TearDown();
  }

  void SetPower(std::uint8_t percent, std::uint8_t charge) const {
    const std::array<std::uint8_t, 2> status{percent, charge};
    ASSERT_TRUE(
        Demo().MouseOf(DemoProduct::MouseReceiver)->Write(emulator::MouseMemory::PowerStatus, 0, status));
  }
  QString ToolTip() const { return Window().Tray()->ToolTip(); }
  bool ToolTipBecomes(const char* text) const {
    const QString expected = QString::fromUtf8(text);
    return QTest::qWaitFor([&] { return ToolTip() == expected; }, kWaitMs);
  }
};

TEST_F(BatteryEndToEndTest, TheTrayFollowsTheMouseAndALowBatteryIsToldOncePerDischarge) {
  test::FakeNotificationService service(bus_.Address(), QStringLiteral("notification-service"));
  ASSERT_TRUE(service.IsRegistered());
  Start({DemoProduct::MouseReceiver});
  SetPower(60, kOnBattery);
  EXPECT_TRUE(ToolTipBecomes("Nimbel\nMouse: 60%")) << qPrintable(ToolTip());

  SetPower(10, kOnBattery);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !service.Calls().empty(); }, kWaitMs));
  EXPECT_EQ(service.Calls()[0].summary, QStringLiteral("Battery low"));
  EXPECT_EQ(service.Calls()[0].body, QStringLiteral("Mouse has 10% battery left. Charge it soon."));
  EXPECT_EQ(service.Calls()[0].appName, QStringLiteral("Nimbel"));

  // Lower still, then away and back: the same discharge.
  SetPower(9, kOnBattery);
  EXPECT_TRUE(ToolTipBecomes("Nimbel\nMouse: 9%")) << qPrintable(ToolTip());
  Demo().Unplug(DemoProduct::MouseReceiver);
  EXPECT_TRUE(ToolTipBecomes("Nimbel")) << qPrintable(ToolTip());
  SetPower(8, kOnBattery);
  Demo().Plug(DemoProduct::MouseReceiver);
  EXPECT_TRUE(ToolTipBecomes("Nimbel\nMouse: 8%")) << qPrintable(ToolTip());

  // A charge ends the discharge; the next fall below the mark is told again.
  SetPower(8, kCharging);
  EXPECT_TRUE(ToolTipBecomes("Nimbel\nMouse: 8%, charging")) << qPrintable(ToolTip());
  SetPower(7, kOnBattery);
  ASSERT_TRUE(QTest::qWaitFor([&] { return service.Calls().size() >= 2; }, kWaitMs));
  // The service's calls arrive in the order they were sent: nothing came between the two.
  ASSERT_EQ(service.Calls().size(), 2u);
  EXPECT_EQ(service.Calls()[1].body, QStringLiteral("Mouse has 7% battery left. Charge it soon."));

  Window().ApplyLanguage(kChinese);
  EXPECT_EQ(ToolTip(), QString::fromUtf8("Nimbel\n鼠标：电量 7%"));
}

}  // namespace
}  // namespace nimbel
