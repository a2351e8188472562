#include "app/mp_device_power_ui.h"

#include <QLabel>
#include <QProgressBar>
#include <algorithm>
#include <iterator>

#include "ui/control_factory.h"
#include "ui/find_control.h"
#include "ui/notify_pump.h"
#include "ui/resource_manager.h"
#include "ui/skin_attributes.h"
#include "ui/skin_loader.h"

namespace nimbel {
namespace {

constexpr std::array<const char*, 10> kChildNames = {
    "device_power_Layout",     "device_power_value",          "device_wuxian_logo",
    "device_wuxian_logo_text", "device_youxian_logo_text",    "device_power_status",
    "device_powering_status",  "device_powering_status_text", "device_Power_progress",
    "device_phone_type",
};

// Byte 5 of the status is the phone on a mouse pad's charging surface; the mouse leaves it 0.
constexpr std::size_t kPhoneTypeByte = 5;

constexpr int kKeyboardKind = static_cast<int>(KindCode::KeyboardCable);
constexpr int kMouseKind = static_cast<int>(KindCode::MouseCable);
constexpr int kMousePadKind = static_cast<int>(KindCode::MousePad);

constexpr const char* kWirelessLinkedImage = "file='power/WIFI_down.png'";
constexpr const char* kReceiverChargingImage = "file='power/powering.png'";

struct ChargeLook {
  std::uint8_t state;
  bool chargingText;
  bool valueLabel;
  const char* statusImage;
  const char* chargingImage;
};

// 0 on battery, 1 charging, 2 full. Any other value leaves the indicator as it was.
constexpr ChargeLook kChargeLooks[] = {
    {0, false, true, "file='power/power.png'", "file='power/light.png'"},
    {1, true, false, "file='power/powering.png'", "file='power/powering.png'"},
    {2, false, true, "file='power/power.png'", "file='power/power.png'"},
};

struct PhoneLook {
  std::uint8_t type;
  const char* toolTipId;
  const char* image;
};

constexpr PhoneLook kPhoneLooks[] = {
    {1, "Phone_type_iphone", "file='power/Phone_type_iphone.png'"},
    {2, "Phone_type_samsung", "file='power/Phone_type_samsung.png'"},
    {3, "Phone_type_other", "file='power/Phone_type_other.png'"},
};
constexpr PhoneLook kNoPhone = {0, "Phone_type_no_device", "file='power/Phone_type_no_device.png'"};

}  // namespace

void CMpDevicePowerUI::Register() {
  CControlFactory::Instance().RegistControl(kClassName,
                                            [](QWidget* parent) { return new CMpDevicePowerUI(parent); });
}

CMpDevicePowerUI* CMpDevicePowerUI::Create(QWidget* parent) {
  QWidget* root = LoadSkin(kSkinFile, parent);
  auto* indicator = qobject_cast<CMpDevicePowerUI*>(root);
  if (indicator == nullptr) delete root;
  return indicator;
}

CMpDevicePowerUI::CMpDevicePowerUI(QWidget* parent) : QWidget(parent) {}

void CMpDevicePowerUI::SetKindRole(int kind, int role) {
  kind_ = kind;
  role_ = role;
  if (auto* phone = FindControl(this, kChildNames[kPhoneType])) phone->setVisible(kind_ == kMousePadKind);
}

void CMpDevicePowerUI::ShowLayout(bool on) {
  if (auto* layout = FindControl(this, kChildNames[kLayout])) layout->setVisible(on);
}

void CMpDevicePowerUI::Activate() {
  CNotifyPump::SendNotify(this, notify::kSelectChanged);
}

bool CMpDevicePowerUI::CacheChildren() {
  for (std::size_t i = 0; i < kChildCount; ++i) {
    if (children_[i].isNull()) children_[i] = FindControl(this, kChildNames[i]);
    if (children_[i].isNull()) return false;
  }
  return true;
}

void CMpDevicePowerUI::ShowPowerStatus(std::span<const std::uint8_t, kPowerStatusLength> status) {
  ShowPowerBytes(std::span<const std::uint8_t>(status));
  if (statusListener_) statusListener_(status);
}

void CMpDevicePowerUI::ShowPowerBytes(std::span<const std::uint8_t> bytes) {
  std::array<std::uint8_t, kStatusBufferLength> status{};
  std::copy_n(bytes.begin(), std::min(bytes.size(), status.size()), status.begin());
  if (!CacheChildren()) return;

  const int battery = status[power_status_byte::kBattery];
  if (auto* progress = qobject_cast<QProgressBar*>(ChildWidget(kProgress))) progress->setValue(battery);
  if (auto* value = qobject_cast<QLabel*>(ChildWidget(kValue)))
    value->setText(QString::asprintf("%d%s", battery, "%"));

  ShowLink(status[power_status_byte::kLink] != 0);
  ShowChargeState(status[power_status_byte::kChargeState]);
  if (kind_ == kMousePadKind) ShowPhoneType(status[kPhoneTypeByte]);
}

void CMpDevicePowerUI::ShowLink(bool throughReceiver) {
  const bool showsWirelessLogo = kind_ == kKeyboardKind || kind_ == kMouseKind;
  if (showsWirelessLogo && throughReceiver) {
    SetBkImage(ChildWidget(kWirelessLogo), kWirelessLinkedImage);
    SetBkImage(ChildWidget(kChargingImage), kReceiverChargingImage);
  }
  // On the cable a greyed wireless logo beside "Wired" would only say what is not in use.
  ChildWidget(kWirelessLogo)->setVisible(throughReceiver);
  ChildWidget(kWirelessText)->setVisible(throughReceiver);
  ChildWidget(kCableText)->setVisible(!throughReceiver);
}

void CMpDevicePowerUI::ShowChargeState(std::uint8_t state) {
  const auto look = std::find_if(std::begin(kChargeLooks), std::end(kChargeLooks),
                                 [state](const ChargeLook& l) { return l.state == state; });
  if (look == std::end(kChargeLooks)) return;
  ChildWidget(kChargingText)->setVisible(look->chargingText);
  ChildWidget(kValue)->setVisible(look->valueLabel);
  ChildWidget(kProgress)->setVisible(false);
  SetBkImage(ChildWidget(kStatusImage), look->statusImage);
  SetBkImage(ChildWidget(kChargingImage), look->chargingImage);
}

void CMpDevicePowerUI::ShowPhoneType(std::uint8_t type) {
  const auto found = std::find_if(std::begin(kPhoneLooks), std::end(kPhoneLooks),
                                  [type](const PhoneLook& l) { return l.type == type; });
  const PhoneLook& look = found == std::end(kPhoneLooks) ? kNoPhone : *found;
  QWidget* phone = ChildWidget(kPhoneType);
  phone->setProperty(CResourceManager::kToolTipIdProperty, QString::fromLatin1(look.toolTipId));
  CResourceManager::Instance().ReloadText(phone);
  SetBkImage(phone, look.image);
}

}  // namespace nimbel
