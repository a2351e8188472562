#pragma once

// Desktop notifications through the freedesktop notification service on the session bus. A desktop
// without the service (or without a session bus) gets no notices, and the program says so once.

#include <QDBusConnection>
#include <QObject>
#include <QString>

namespace nimbel {

class DesktopNotifier final : public QObject {
 public:
  static constexpr const char* kService = "org.freedesktop.Notifications";
  static constexpr const char* kPath = "/org/freedesktop/Notifications";
  static constexpr const char* kInterface = "org.freedesktop.Notifications";
  static constexpr const char* kMethod = "Notify";
  static constexpr const char* kAppName = "Nimbel";
  // The icon theme name of the program's icon, which the package installs.
  static constexpr const char* kIconName = "nimbel";
  // The desktop file, so that the desktop can group the notices under the program.
  static constexpr const char* kDesktopEntry = "nimbel";
  // A service that takes the call and never answers would otherwise keep it open for the bus's default of
  // 25 s; a notice that late is of no use anyway.
  static constexpr int kCallTimeoutMs = 5000;

  explicit DesktopNotifier(QDBusConnection bus);

  // Shows a notice; the call runs in the background, the UI thread never waits for the desktop.
  void Notify(const QString& summary, const QString& body);

  // Notices sent whose answer (or failure) has not come back yet.
  int PendingCalls() const { return pendingCalls_; }

 private:
  void ReportNoService(const QString& reason);

  QDBusConnection bus_;
  int pendingCalls_ = 0;
  bool noServiceReported_ = false;
};

}  // namespace nimbel
