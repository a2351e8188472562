#include "tools/nimbelctl/client.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusObjectPath>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

#include "dbus/api_types.h"

namespace nimbel::ctl {
namespace {

// Nimbel answers from its UI thread; a window busy for longer than this counts as not answering.
constexpr int kCallTimeoutMs = 5000;

QString Latin(const char* text) {
  return QString::fromLatin1(text);
}

Failure NotRunning() {
  return {Exit::kUnavailable, QStringLiteral("Nimbel is not running (nothing owns %1 on the session bus)")
                                  .arg(Latin(api::kServiceName))};
}

// An error reply as the user should read it: Nimbel's refusal of an argument is the caller's mistake,
// anything else means Nimbel or the device is not there.
Failure FailureOf(const QDBusMessage& reply) {
  if (reply.errorName() == Latin(api::kInvalidArgsError)) return {Exit::kBadArguments, reply.errorMessage()};
  if (reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.UnknownObject") ||
      reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.UnknownMethod")) {
    return {Exit::kUnavailable, QStringLiteral("the device is gone")};
  }
  if (reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown")) return NotRunning();
  return {Exit::kUnavailable, reply.errorMessage()};
}

}  // namespace

bool Client::Reach(std::optional<Failure>& failure) const {
  if (!bus_.isConnected()) {
    failure =
        Failure{Exit::kUnavailable, QStringLiteral("no session bus: %1").arg(bus_.lastError().message())};
    return false;
  }
  if (!bus_.interface()->isServiceRegistered(Latin(api::kServiceName)).value()) {
    failure = NotRunning();
    return false;
  }
  return true;
}

std::optional<QDBusMessage> Client::Call(const QString& path, const char* interface, const QString& method,
                                         const QVariantList& arguments,
                                         std::optional<Failure>& failure) const {
  QDBusMessage call =
      QDBusMessage::createMethodCall(Latin(api::kServiceName), path, Latin(interface), method);
  call.setArguments(arguments);
  call.setAutoStartService(false);
  const QDBusMessage reply = bus_.call(call, QDBus::Block, kCallTimeoutMs);
  if (reply.type() == QDBusMessage::ReplyMessage) return reply;
  failure = FailureOf(reply);
  return std::nullopt;
}

std::optional<QStringList> Client::DevicePaths(std::optional<Failure>& failure) const {
  const auto reply =
      Call(Latin(api::kManagerPath), api::kManagerInterface, QStringLiteral("ListDevices"), {}, failure);
  if (!reply || reply->arguments().isEmpty()) return std::nullopt;
  QStringList paths;
  for (const QDBusObjectPath& path : qdbus_cast<QList<QDBusObjectPath>>(reply->arguments().first()))
    paths << path.path();
  return paths;
}

std::optional<QString> Client::FindDevice(const QString& device, std::optional<Failure>& failure) const {
  const std::optional<QStringList> paths = DevicePaths(failure);
  if (!paths) return std::nullopt;
  for (const QString& path : *paths) {
    if (path == device || IdOfPath(path) == device) return path;
  }
  failure = Failure{Exit::kUnavailable, QStringLiteral("no device %1 (see nimbelctl list)").arg(device)};
  return std::nullopt;
}

std::optional<QVariantMap> Client::Properties(const QString& path, std::optional<Failure>& failure) const {
  const auto reply = Call(path, api::kPropertiesInterface, QStringLiteral("GetAll"),
                          {Latin(api::kDeviceInterface)}, failure);
  if (!reply || reply->arguments().isEmpty()) return std::nullopt;
  QVariantMap plain;
  const QVariantMap properties = qdbus_cast<QVariantMap>(reply->arguments().first());
  for (auto property = properties.cbegin(); property != properties.cend(); ++property)
    plain.insert(property.key(), Plain(property.key(), property.value()));
  return plain;
}

bool Client::CallDevice(const QString& path, const QString& method, const QVariantList& arguments,
                        std::optional<Failure>& failure) const {
  return Call(path, api::kDeviceInterface, method, arguments, failure).has_value();
}

QString IdOfPath(const QString& path) {
  return path.section(QLatin1Char('/'), -1);
}

QVariant Plain(const QString& name, const QVariant& value) {
  if (name != QLatin1String("DpiStages")) {
    if (value.canConvert<QDBusArgument>()) return qdbus_cast<QVariantList>(value.value<QDBusArgument>());
    return value;
  }
  const auto stages = value.canConvert<QDBusArgument>()
                          ? qdbus_cast<DpiStageList>(value.value<QDBusArgument>())
                          : value.value<DpiStageList>();
  QVariantList list;
  for (const DpiStageEntry& stage : stages) {
    list << QVariantMap{{QStringLiteral("dpi"), stage.dpi},
                        {QStringLiteral("colour"), stage.colour},
                        {QStringLiteral("enabled"), stage.enabled}};
  }
  return list;
}

QString ValueText(const QVariant& plain) {
  if (plain.typeId() == QMetaType::QVariantMap) {
    const QVariantMap stage = plain.toMap();
    return QStringLiteral("%1 %2 %3")
        .arg(stage.value(QStringLiteral("dpi")).toUInt())
        .arg(stage.value(QStringLiteral("colour")).toString(),
             stage.value(QStringLiteral("enabled")).toBool() ? QStringLiteral("on") : QStringLiteral("off"));
  }
  if (plain.typeId() == QMetaType::QVariantList || plain.typeId() == QMetaType::QStringList) {
    QStringList items;
    for (const QVariant& item : plain.toList()) items << ValueText(item);
    return items.join(QStringLiteral(", "));
  }
  if (plain.typeId() == QMetaType::Bool) return plain.toBool() ? QStringLiteral("yes") : QStringLiteral("no");
  return plain.toString();
}

QJsonValue JsonOf(const QVariant& plain) {
  return QJsonValue::fromVariant(plain);
}

void PrintLine(const QString& line) {
  std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
  std::fflush(stdout);
}

// Watching.

bool Watcher::Start() {
  QDBusConnection& bus = client_.Bus();
  const QString service = Latin(api::kServiceName);
  // Subscribed before the current state is printed: a change in between is printed, not lost.
  const bool subscribed =
      bus.connect(service, QString(), Latin(api::kPropertiesInterface), QStringLiteral("PropertiesChanged"),
                  this, SLOT(OnPropertiesChanged(QDBusMessage))) &&
      bus.connect(service, Latin(api::kManagerPath), Latin(api::kManagerInterface),
                  QStringLiteral("DeviceAdded"), this, SLOT(OnDeviceAdded(QDBusMessage))) &&
      bus.connect(service, Latin(api::kManagerPath), Latin(api::kManagerInterface),
                  QStringLiteral("DeviceRemoved"), this, SLOT(OnDeviceRemoved(QDBusMessage)));
  if (!subscribed) return false;
  std::optional<Failure> failure;
  for (const QString& path : client_.DevicePaths(failure).value_or(QStringList())) {
    if (const auto properties = client_.Properties(path, failure)) Print(path, *properties);
  }
  return true;
}

void Watcher::OnPropertiesChanged(const QDBusMessage& message) {
  if (message.arguments().size() < 2 ||
      message.arguments().first().toString() != Latin(api::kDeviceInterface))
    return;
  const QVariantMap changed = qdbus_cast<QVariantMap>(message.arguments().at(1));
  QVariantMap plain;
  for (auto property = changed.cbegin(); property != changed.cend(); ++property)
    plain.insert(property.key(), Plain(property.key(), property.value()));
  Print(message.path(), plain);
}

void Watcher::OnDeviceAdded(const QDBusMessage& message) {
  if (!message.arguments().isEmpty())
    PrintEvent(QStringLiteral("added"), qdbus_cast<QDBusObjectPath>(message.arguments().first()).path());
}

void Watcher::OnDeviceRemoved(const QDBusMessage& message) {
  if (!message.arguments().isEmpty())
    PrintEvent(QStringLiteral("removed"), qdbus_cast<QDBusObjectPath>(message.arguments().first()).path());
}

void Watcher::Print(const QString& path, const QVariantMap& properties) const {
  const QString id = IdOfPath(path);
  if (json_) {
    QJsonObject line{{QStringLiteral("device"), id}};
    line.insert(QStringLiteral("changed"), QJsonObject::fromVariantMap(properties));
    PrintLine(QString::fromUtf8(QJsonDocument(line).toJson(QJsonDocument::Compact)));
    return;
  }
  for (auto property = properties.cbegin(); property != properties.cend(); ++property)
    PrintLine(QStringLiteral("%1 %2=%3").arg(id, property.key(), ValueText(property.value())));
}

void Watcher::PrintEvent(const QString& event, const QString& path) const {
  const QString id = IdOfPath(path);
  if (json_) {
    PrintLine(QString::fromUtf8(
        QJsonDocument(QJsonObject{{QStringLiteral("device"), id}, {QStringLiteral("event"), event}})
            .toJson(QJsonDocument::Compact)));
    return;
  }
  PrintLine(QStringLiteral("%1 %2").arg(id, event));
}

}  // namespace nimbel::ctl
