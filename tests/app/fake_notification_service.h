#pragma once

// A desktop's notification service as far as Nimbel uses it: takes Notify calls on its own connection to
// a test's bus and keeps their arguments.

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <vector>

namespace nimbel::test {

struct NoticeCall {
  QString appName;
  uint replacesId = 0;
  QString appIcon;
  QString summary;
  QString body;
  QStringList actions;
  QVariantMap hints;
  int expireTimeout = 0;
};

class FakeNotificationService : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

 public:
  // Connects to the bus at `address` under `connectionName` and takes the service's name there.
  FakeNotificationService(const QString& address, const QString& connectionName);
  ~FakeNotificationService() override;
  FakeNotificationService(const FakeNotificationService&) = delete;
  FakeNotificationService& operator=(const FakeNotificationService&) = delete;

  bool IsRegistered() const { return registered_; }
  const std::vector<NoticeCall>& Calls() const { return calls_; }

 public Q_SLOTS:
  uint Notify(const QString& appName, uint replacesId, const QString& appIcon, const QString& summary,
              const QString& body, const QStringList& actions, const QVariantMap& hints, int expireTimeout);

 private:
  QString connectionName_;
  QDBusConnection connection_;
  bool registered_ = false;
  std::vector<NoticeCall> calls_;
};

}  // namespace nimbel::test
