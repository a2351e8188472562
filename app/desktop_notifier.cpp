#include "app/desktop_notifier.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QStringList>
#include <QVariantMap>
#include <cstdio>

namespace nimbel {
namespace {

// No notice replaces an earlier one; the server chooses how long each stays.
constexpr quint32 kNoReplacedNotice = 0;
constexpr qint32 kServerChoosesExpiry = -1;

}  // namespace

DesktopNotifier::DesktopNotifier(QDBusConnection bus) : bus_(std::move(bus)) {}

void DesktopNotifier::Notify(const QString& summary, const QString& body) {
  if (!bus_.isConnected()) {
    ReportNoService(QStringLiteral("no session bus"));
    return;
  }
  // A plain message rather than a QDBusInterface: creating one asks the service for its interfaces and
  // waits for the answer on the calling thread.
  QDBusMessage call = QDBusMessage::createMethodCall(QLatin1String(kService), QLatin1String(kPath),
                                                     QLatin1String(kInterface), QLatin1String(kMethod));
  const QVariantMap hints{{QStringLiteral("desktop-entry"), QString::fromLatin1(kDesktopEntry)}};
  call << QString::fromLatin1(kAppName) << kNoReplacedNotice << QString::fromLatin1(kIconName) << summary
       << body << QStringList() << hints << kServerChoosesExpiry;
  ++pendingCalls_;
  auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, kCallTimeoutMs), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* finished) {
    --pendingCalls_;
    if (finished->isError()) ReportNoService(finished->error().message());
    finished->deleteLater();
  });
}

void DesktopNotifier::ReportNoService(const QString& reason) {
  if (noServiceReported_) return;
  noServiceReported_ = true;
  std::fprintf(stderr, "nimbel: no desktop notifications (%s); the battery is shown in the tray only\n",
               qPrintable(reason));
}

}  // namespace nimbel
