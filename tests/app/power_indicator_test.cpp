#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>
#include <array>
#include <memory>

#include "app/mp_device_power_ui.h"
#include "ui/find_control.h"
#include "ui/resource_manager.h"
#include "ui/skin_attributes.h"

namespace nimbel {
namespace {

constexpr int kMouse = 2;
constexpr int kMousePad = 3;

class PowerIndicatorTest : public testing::Test {
 protected:
  void SetUp() override {
    CMpDevicePowerUI::Register();
    indicator_.reset(CMpDevicePowerUI::Create(nullptr));
    ASSERT_NE(indicator_, nullptr);
  }

  QWidget* Child(const char* name) const { return FindControl(indicator_.get(), QString::fromLatin1(name)); }
  bool Shown(const char* name) const { return !Child(name)->isHidden(); }
  QString Image(const char* name) const { return GetBkImage(Child(name)); }
  QString ValueText() const { return qobject_cast<QLabel*>(Child("device_power_value"))->text(); }

  std::unique_ptr<CMpDevicePowerUI> indicator_;
};

TEST_F(PowerIndicatorTest, BatteryOnCableOfAMouse) {
  indicator_->SetKindRole(kMouse, 0);
  indicator_->ShowPowerStatus(std::array<std::uint8_t, 6>{85, 0, 0, 0, 7, 0});
  EXPECT_EQ(qobject_cast<QProgressBar*>(Child("device_Power_progress"))->value(), 85);
  EXPECT_EQ(ValueText(), QStringLiteral("85%"));
  EXPECT_FALSE(Shown("device_wuxian_logo"));
  EXPECT_TRUE(Shown("device_youxian_logo_text"));
  EXPECT_FALSE(Shown("device_wuxian_logo_text"));
  EXPECT_TRUE(Shown("device_power_value"));
  EXPECT_FALSE(Shown("device_Power_progress"));
  EXPECT_EQ(Image("device_power_status"), QStringLiteral("file='power/power.png'"));
  EXPECT_EQ(Image("device_powering_status"), QStringLiteral("file='power/light.png'"));
}

struct ChargeCase {
  std::uint8_t state;
  bool chargingText;
  bool valueLabel;
  const char* statusImage;
  const char* chargingImage;
};

TEST_F(PowerIndicatorTest, ChargeStatesFollowTheTable) {
  constexpr ChargeCase kCases[] = {
      {1, true, false, "file='power/powering.png'", "file='power/powering.png'"},
      {0, false, true, "file='power/power.png'", "file='power/light.png'"},
      {2, false, true, "file='power/power.png'", "file='power/power.png'"},
      // An unknown state leaves what the last one showed.
      {9, false, true, "file='power/power.png'", "file='power/power.png'"},
  };
  indicator_->SetKindRole(kMouse, 0);
  for (const ChargeCase& c : kCases) {
    SCOPED_TRACE(c.state);
    indicator_->ShowPowerStatus(std::array<std::uint8_t, 6>{40, c.state, 0, 0, 0, 0});
    EXPECT_EQ(Shown("device_powering_status_text"), c.chargingText);
    EXPECT_EQ(Shown("device_power_value"), c.valueLabel);
    EXPECT_FALSE(Shown("device_Power_progress"));
    EXPECT_EQ(Image("device_power_status"), QString::fromLatin1(c.statusImage));
    EXPECT_EQ(Image("device_powering_status"), QString::fromLatin1(c.chargingImage));
  }
}

TEST_F(PowerIndicatorTest, ReceiverLinkShowsTheWirelessLogoOnMiceOnly) {
  indicator_->SetKindRole(kMouse, 0);
  indicator_->ShowPowerStatus(std::array<std::uint8_t, 6>{50, 9, 0, 1, 0, 0});
  EXPECT_EQ(Image("device_wuxian_logo"), QStringLiteral("file='power/WIFI_down.png'"));
  EXPECT_TRUE(Shown("device_wuxian_logo"));
  EXPECT_EQ(Image("device_powering_status"), QStringLiteral("file='power/powering.png'"));
  EXPECT_TRUE(Shown("device_wuxian_logo_text"));
  EXPECT_FALSE(Shown("device_youxian_logo_text"));

  auto pad = std::unique_ptr<CMpDevicePowerUI>(CMpDevicePowerUI::Create(nullptr));
  pad->SetKindRole(kMousePad, 0);
  const QString before = GetBkImage(FindControl(pad.get(), QStringLiteral("device_wuxian_logo")));
  pad->ShowPowerStatus(std::array<std::uint8_t, 6>{50, 9, 0, 1, 0, 0});
  EXPECT_EQ(GetBkImage(FindControl(pad.get(), QStringLiteral("device_wuxian_logo"))), before);
}

struct PhoneCase {
  std::uint8_t type;
  const char* toolTipId;
};

TEST_F(PowerIndicatorTest, PhoneTypeOnAMousePad) {
  constexpr PhoneCase kCases[] = {
      {1, "Phone_type_iphone"},    {2, "Phone_type_samsung"},   {3, "Phone_type_other"},
      {0, "Phone_type_no_device"}, {4, "Phone_type_no_device"},
  };
  indicator_->SetKindRole(kMousePad, 0);
  EXPECT_TRUE(Shown("device_phone_type"));
  for (const PhoneCase& c : kCases) {
    SCOPED_TRACE(c.type);
    indicator_->ShowPowerStatus(std::array<std::uint8_t, 6>{60, 0, 0, 0, 0, c.type});
    QWidget* phone = Child("device_phone_type");
    EXPECT_EQ(phone->property(CResourceManager::kToolTipIdProperty).toString(),
              QString::fromLatin1(c.toolTipId));
    EXPECT_EQ(phone->toolTip(), CResourceManager::Instance().Text(QString::fromLatin1(c.toolTipId)));
    EXPECT_EQ(GetBkImage(phone), QStringLiteral("file='power/%1.png'").arg(QString::fromLatin1(c.toolTipId)));
  }
}

TEST_F(PowerIndicatorTest, MouseKeepsThePhoneHiddenAndUntouched) {
  indicator_->SetKindRole(kMouse, 0);
  const QString before = Image("device_phone_type");
  indicator_->ShowPowerStatus(std::array<std::uint8_t, 6>{60, 0, 0, 0, 0, 2});
  EXPECT_FALSE(Shown("device_phone_type"));
  EXPECT_EQ(Image("device_phone_type"), before);
}

TEST_F(PowerIndicatorTest, SkinWithoutThePhoneControlIgnoresTheStatus) {
  indicator_->SetKindRole(kMouse, 0);
  delete Child("device_phone_type");
  const QString before = ValueText();
  indicator_->ShowPowerStatus(std::array<std::uint8_t, 6>{33, 1, 0, 1, 0, 0});
  EXPECT_EQ(ValueText(), before);
  EXPECT_FALSE(Shown("device_powering_status_text"));
}

TEST_F(PowerIndicatorTest, ShowLayoutHidesTheWholePanel) {
  indicator_->ShowLayout(false);
  EXPECT_FALSE(Shown("device_power_Layout"));
  indicator_->ShowLayout(true);
  EXPECT_TRUE(Shown("device_power_Layout"));
}

}  // namespace
}  // namespace nimbel
