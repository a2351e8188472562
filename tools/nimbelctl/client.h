#pragma once

// nimbelctl's side of the bus: Nimbel's scripting interface (dbus/org.nimbel.Nimbel1.xml) reached
// through plain D-Bus calls, with every failure turned into the exit status and the one line the user
// sees.

#include <QDBusConnection>
#include <QDBusMessage>
#include <QJsonValue>
#include <QObject>
#include <QString>
#include <QVariantList>
#include <QVariantMap>
#include <optional>

namespace nimbel::ctl {

// The exit statuses nimbelctl promises.
enum class Exit { kSuccess = 0, kUnavailable = 1, kBadArguments = 2 };

struct Failure {
  Exit status;
  QString message;
};

class Client {
 public:
  explicit Client(QDBusConnection bus) : bus_(std::move(bus)) {}

  // Nimbel answers on the bus; otherwise `failure` says why not.
  bool Reach(std::optional<Failure>& failure) const;
  // The object path of a device given as its id or its path; none (with `failure`) when there is no such
  // device.
  std::optional<QString> FindDevice(const QString& device, std::optional<Failure>& failure) const;
  std::optional<QStringList> DevicePaths(std::optional<Failure>& failure) const;
  std::optional<QVariantMap> Properties(const QString& path, std::optional<Failure>& failure) const;
  // Calls a method of the device at `path`; false with `failure` when it failed.
  bool CallDevice(const QString& path, const QString& method, const QVariantList& arguments,
                  std::optional<Failure>& failure) const;
  QDBusConnection& Bus() { return bus_; }

 private:
  std::optional<QDBusMessage> Call(const QString& path, const char* interface, const QString& method,
                                   const QVariantList& arguments, std::optional<Failure>& failure) const;

  QDBusConnection bus_;
};

// The id of a device path: its last element.
QString IdOfPath(const QString& path);
// A property's value as plain D-Bus types: DpiStages as a list of maps with dpi, colour and enabled.
QVariant Plain(const QString& name, const QVariant& value);

// A plain value as one line of text (lists joined by ", ", stages as "1800 #ff0000 on") and as JSON.
QString ValueText(const QVariant& plain);
QJsonValue JsonOf(const QVariant& plain);
// One line to stdout, at once: a script reading `watch` must see each change as it happens.
void PrintLine(const QString& line);

// Prints what changes on the bus until the process is ended: PropertiesChanged of every device and of
// the manager, devices that come and go.
class Watcher : public QObject {
  Q_OBJECT

 public:
  Watcher(Client& client, bool json) : client_(client), json_(json) {}
  // Subscribes, then prints every device's current properties; false when the bus refused.
  bool Start();

 private Q_SLOTS:
  void OnPropertiesChanged(const QDBusMessage& message);
  void OnDeviceAdded(const QDBusMessage& message);
  void OnDeviceRemoved(const QDBusMessage& message);

 private:
  void Print(const QString& path, const QVariantMap& properties) const;
  void PrintEvent(const QString& event, const QString& path) const;

  Client& client_;
  bool json_;
};

}  // namespace nimbel::ctl
