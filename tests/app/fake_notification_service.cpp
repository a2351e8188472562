#include "tests/app/fake_notification_service.h"

#include "app/desktop_notifier.h"

namespace nimbel::test {

FakeNotificationService::FakeNotificationService(const QString& address, const QString& connectionName)
    : connectionName_(connectionName), connection_(QDBusConnection::connectToBus(address, connectionName)) {
  registered_ = connection_.isConnected() &&
                connection_.registerObject(QLatin1String(DesktopNotifier::kPath), this,
                                           QDBusConnection::ExportAllSlots) &&
                connection_.registerService(QLatin1String(DesktopNotifier::kService));
}

FakeNotificationService::~FakeNotificationService() {
  connection_.unregisterService(QLatin1String(DesktopNotifier::kService));
  connection_.unregisterObject(QLatin1String(DesktopNotifier::kPath));
  QDBusConnection::disconnectFromBus(connectionName_);
}

uint FakeNotificationService::Notify(const QString& appName, uint replacesId, const QString& appIcon,
                                     const QString& summary, const QString& body, const QStringList& actions,
                                     const QVariantMap& hints, int expireTimeout) {
  calls_.push_back({appName, replacesId, appIcon, summary, body, actions, hints, expireTimeout});
  // The service numbers its notices from 1.
  return static_cast<uint>(calls_.size());
}

}  // namespace nimbel::test
