#include "platform/sleep_watch.h"

namespace nimbel {

SleepWatch::SleepWatch(QDBusConnection systemBus, std::function<void(bool sleeping)> onChange)
    : bus_(std::move(systemBus)), onChange_(std::move(onChange)) {
  // Only the login manager's own name may say that the system sleeps; any other sender is ignored.
  watching_ = bus_.isConnected() &&
              bus_.connect(QLatin1String(kService), QLatin1String(kObjectPath), QLatin1String(kInterface),
                           QLatin1String(kSignal), this, SLOT(OnPrepareForSleep(bool)));
}

SleepWatch::~SleepWatch() {
  if (watching_) {
    bus_.disconnect(QLatin1String(kService), QLatin1String(kObjectPath), QLatin1String(kInterface),
                    QLatin1String(kSignal), this, SLOT(OnPrepareForSleep(bool)));
  }
}

void SleepWatch::OnPrepareForSleep(bool sleeping) {
  if (onChange_) onChange_(sleeping);
}

}  // namespace nimbel
