#include "platform/message_bus.h"

#include <QDBusMessage>

#include "platform/registered_messages.h"
#include "platform/trace.h"

namespace nimbel {
namespace {

// Enough of a name to recognise it in a trace; a peer may send one of any length.
constexpr qsizetype kTracedNameLength = 80;

bool CallPeer(QDBusConnection& connection, const QString& service, const QString& method,
              const QList<QVariant>& arguments) {
  if (!connection.isConnected()) return false;
  QDBusMessage call = QDBusMessage::createMethodCall(service, QLatin1String(MessageBus::kObjectPath),
                                                     QLatin1String(MessageBus::kInterfaceName), method);
  call.setArguments(arguments);
  call.setAutoStartService(false);
  const QDBusMessage reply = connection.call(call, QDBus::Block, MessageBus::kCallTimeoutMs);
  if (reply.type() == QDBusMessage::ReplyMessage) return true;
  Trace("message bus: " + method.toStdString() + " to " + service.toStdString() +
        " failed: " + reply.errorMessage().toStdString());
  return false;
}

}  // namespace

MessageBus::MessageBus(QDBusConnection connection, QObject* parent)
    : QObject(parent), connection_(std::move(connection)) {}

MessageBus::~MessageBus() {
  if (exported_) connection_.unregisterObject(QLatin1String(kObjectPath));
}

bool MessageBus::Export() {
  if (exported_) return true;
  if (!connection_.isConnected()) return false;
  exported_ = connection_.registerObject(
      QLatin1String(kObjectPath), this,
      QDBusConnection::ExportScriptableSlots | QDBusConnection::ExportScriptableSignals);
  return exported_;
}

bool MessageBus::BroadcastMessage(const QString& name, qint64 wParam, qint64 lParam) {
  if (!exported_) return false;
  emit Broadcast(name, wParam, lParam);
  return true;
}

bool MessageBus::PostTo(QDBusConnection connection, const QString& service, const QString& name,
                        qint64 wParam, qint64 lParam) {
  return CallPeer(connection, service, QStringLiteral("PostMessage"),
                  {name, static_cast<qlonglong>(wParam), static_cast<qlonglong>(lParam)});
}

bool MessageBus::CopyDataTo(QDBusConnection connection, const QString& service, quint64 dwData,
                            const QByteArray& data) {
  return CallPeer(connection, service, QStringLiteral("CopyData"), {static_cast<qulonglong>(dwData), data});
}

void MessageBus::PostMessage(const QString& name, qlonglong wParam, qlonglong lParam) {
  // Only the names the program registered itself mean something here; registering every name a peer
  // sends would let any program on the bus grow the table without end.
  const std::optional<std::uint32_t> id = FindWindowMessage(name.toStdString());
  if (!id) {
    Trace("message bus: unknown message " + name.left(kTracedNameLength).toStdString() + " ignored");
    return;
  }
  if (messageHandler_) messageHandler_(*id, name, wParam, lParam);
}

void MessageBus::CopyData(qulonglong dwData, const QByteArray& data) {
  if (copyDataHandler_) copyDataHandler_(dwData, data);
}

}  // namespace nimbel
