#pragma once

#include <QDBusConnection>
#include <QObject>
#include <functional>

namespace nimbel {

// Follows the system's suspend and resume through the login manager's PrepareForSleep signal on the
// system bus: true as the system is about to sleep, false once it has woken up.
class SleepWatch final : public QObject {
  Q_OBJECT

 public:
  static constexpr const char* kService = "org.freedesktop.login1";
  static constexpr const char* kObjectPath = "/org/freedesktop/login1";
  static constexpr const char* kInterface = "org.freedesktop.login1.Manager";
  static constexpr const char* kSignal = "PrepareForSleep";

  // `onChange` runs on this object's thread with true before a sleep and false after it.
  SleepWatch(QDBusConnection systemBus, std::function<void(bool sleeping)> onChange);
  ~SleepWatch() override;
  SleepWatch(const SleepWatch&) = delete;
  SleepWatch& operator=(const SleepWatch&) = delete;

  // False without a system bus: then nothing will ever be reported.
  bool IsWatching() const { return watching_; }

 private Q_SLOTS:
  void OnPrepareForSleep(bool sleeping);

 private:
  QDBusConnection bus_;
  std::function<void(bool sleeping)> onChange_;
  bool watching_ = false;
};

}  // namespace nimbel
