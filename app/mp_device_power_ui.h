#pragma once

// The power indicator of one device in the main window's "device_power_switch": battery level, charging,
// cable or receiver, and for a mouse pad the phone on its charging surface. It only shows what its
// device reads; it never talks to a device.

#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <span>

#include "devices/device_interfaces.h"

class QLabel;
class QProgressBar;

namespace nimbel {

class CMpDevicePowerUI : public QWidget, public IPowerDisplay {
  Q_OBJECT

 public:
  static constexpr const char* kClassName = "CMpDevicePowerUI";
  static constexpr const char* kSkinFile = "XML/CustomControlXML/MpDevicePower.ui";
  // Status bytes beyond this are ignored; missing ones read as 0.
  static constexpr std::size_t kStatusBufferLength = 64;

  // Makes skins that declare the class build this one.
  static void Register();
  // An indicator built from its own skin under `parent`; nullptr when the skin cannot be built.
  static CMpDevicePowerUI* Create(QWidget* parent);

  explicit CMpDevicePowerUI(QWidget* parent = nullptr);

  QString GetClass() const { return QStringLiteral("MpDevicePower"); }

  // Only a mouse pad (kind 3) has a phone to show.
  void SetKindRole(int kind, int role);
  int Kind() const { return kind_; }
  int Role() const { return role_; }

  void ShowLayout(bool on);

  using StatusListener = std::function<void(std::span<const std::uint8_t, kPowerStatusLength> status)>;
  // Told every power status the device reads, after the indicator showed it.
  void SetStatusListener(StatusListener listener) { statusListener_ = std::move(listener); }

  void ShowPowerStatus(std::span<const std::uint8_t, kPowerStatusLength> status) override;
  // A status of any length: at most kStatusBufferLength bytes count, missing ones read as 0.
  void ShowPowerBytes(std::span<const std::uint8_t> bytes);

  // Sends the indicator's own "selectchanged".
  void Activate();

 private:
  enum Child : std::size_t {
    kLayout,
    kValue,
    kWirelessLogo,
    kWirelessText,
    kCableText,
    kStatusImage,
    kChargingImage,
    kChargingText,
    kProgress,
    kPhoneType,
    kChildCount,
  };

  // Looks up what is not cached yet; false when the skin lacks one of the children.
  bool CacheChildren();
  QWidget* ChildWidget(Child child) const { return children_[child].data(); }

  void ShowLink(bool throughReceiver);
  void ShowChargeState(std::uint8_t state);
  void ShowPhoneType(std::uint8_t type);

  int kind_ = 0;
  int role_ = 0;
  std::array<QPointer<QWidget>, kChildCount> children_;
  StatusListener statusListener_;
};

}  // namespace nimbel
