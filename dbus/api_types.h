#pragma once

// The names and the one structured type of Nimbel's scripting interface (org.nimbel.Nimbel1.xml),
// shared by the service and its clients. Qt Core and D-Bus only: nimbelctl includes it without the
// device code.

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QList>
#include <QMetaType>
#include <QString>

namespace nimbel {

namespace api {
inline constexpr const char* kServiceName = "org.nimbel.Nimbel";
inline constexpr const char* kManagerPath = "/org/nimbel/Nimbel1";
inline constexpr const char* kDevicePathPrefix = "/org/nimbel/Nimbel1/devices/";
inline constexpr const char* kManagerInterface = "org.nimbel.Nimbel1.Manager";
inline constexpr const char* kDeviceInterface = "org.nimbel.Nimbel1.Device";
inline constexpr const char* kPropertiesInterface = "org.freedesktop.DBus.Properties";
inline constexpr const char* kInvalidArgsError = "org.freedesktop.DBus.Error.InvalidArgs";
inline constexpr unsigned kVersion = 1;
}  // namespace api

// One entry of a device's DpiStages property, D-Bus signature (usb).
struct DpiStageEntry {
  unsigned dpi = 0;
  // "#rrggbb".
  QString colour;
  bool enabled = false;

  friend bool operator==(const DpiStageEntry&, const DpiStageEntry&) = default;
};
using DpiStageList = QList<DpiStageEntry>;

inline QDBusArgument& operator<<(QDBusArgument& argument, const DpiStageEntry& stage) {
  argument.beginStructure();
  argument << stage.dpi << stage.colour << stage.enabled;
  argument.endStructure();
  return argument;
}

inline const QDBusArgument& operator>>(const QDBusArgument& argument, DpiStageEntry& stage) {
  argument.beginStructure();
  argument >> stage.dpi >> stage.colour >> stage.enabled;
  argument.endStructure();
  return argument;
}

// Once per process, before the type crosses the bus.
inline void RegisterApiTypes() {
  qDBusRegisterMetaType<DpiStageEntry>();
  qDBusRegisterMetaType<DpiStageList>();
}

}  // namespace nimbel

Q_DECLARE_METATYPE(nimbel::DpiStageEntry)
