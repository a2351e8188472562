#include <gtest/gtest.h>

#include <QStringList>
#include <vector>

#include "app/tray_icon.h"
#include "ui/resource_manager.h"

namespace nimbel {
namespace {

constexpr bool kWireless = true;
constexpr bool kCable = false;

PowerReading Reading(int percent, ChargeState charge, bool wireless) {
  return {percent, charge, wireless};
}

class TrayToolTipTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(CResourceManager::Instance().LoadLanguage(QStringLiteral("lan_en.json")));
  }
  void TearDown() override { CResourceManager::Instance().LoadLanguage(QStringLiteral("lan_en.json")); }

  QStringList Lines() const { return tray_.ToolTip().split(QLatin1Char('\n')); }

  TrayIcon tray_{TrayIcon::Hooks{}, nullptr};
};

struct LineCase {
  TrayDevice device;
  const char* english;
  const char* chinese;
};

std::vector<LineCase> LineCases() {
  return {
      {{QStringLiteral("Mouse"), Reading(57, ChargeState::kOnBattery, kWireless)},
       "Mouse: 57%",
       "Mouse：电量 57%"},
      {{QStringLiteral("Mouse 2"), Reading(12, ChargeState::kCharging, kWireless)},
       "Mouse 2: 12%, charging",
       "Mouse 2：电量 12%，充电中"},
      {{QStringLiteral("Mouse"), Reading(100, ChargeState::kCharged, kWireless)},
       "Mouse: 100%, charged",
       "Mouse：电量 100%，已充满"},
      // On the cable the battery is not the news.
      {{QStringLiteral("Mouse"), Reading(40, ChargeState::kCharging, kCable)}, "Mouse: wired", "Mouse：有线"},
      // Shown before its first power status.
      {{QStringLiteral("Mouse"), std::nullopt}, "Mouse", "Mouse"},
  };
}

TEST_F(TrayToolTipTest, TheProgramsNameAloneWithoutDevices) {
  EXPECT_EQ(tray_.ToolTip(), QStringLiteral("Nimbel"));
  tray_.ShowDevices({{QStringLiteral("Mouse"), Reading(50, ChargeState::kOnBattery, kWireless)}});
  tray_.ShowDevices({});
  EXPECT_EQ(tray_.ToolTip(), QStringLiteral("Nimbel"));
}

TEST_F(TrayToolTipTest, OneLinePerDeviceInOrderAndInTheCurrentLanguage) {
  std::vector<TrayDevice> devices;
  QStringList english{QStringLiteral("Nimbel")};
  QStringList chinese{QStringLiteral("Nimbel")};
  for (const LineCase& c : LineCases()) {
    devices.push_back(c.device);
    english << QString::fromUtf8(c.english);
    chinese << QString::fromUtf8(c.chinese);
  }
  tray_.ShowDevices(devices);
  EXPECT_EQ(Lines(), english);

  ASSERT_TRUE(CResourceManager::Instance().LoadLanguage(QStringLiteral("lan_cn.json")));
  tray_.Retranslate();
  EXPECT_EQ(Lines(), chinese);
}

}  // namespace
}  // namespace nimbel
