#include "ui/control_timer.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "platform/system_awake.h"
#include "ui/notify_pump.h"

namespace nimbel {
namespace {

constexpr int kMinimumPeriodMs = 10;
constexpr const char* kTimerIdProperty = "controlTimerId";

QTimer* FindTimer(const QWidget* control, int id) {
  if (control == nullptr) return nullptr;
  for (QTimer* timer : control->findChildren<QTimer*>(Qt::FindDirectChildrenOnly)) {
    const QVariant timerId = timer->property(kTimerIdProperty);
    if (timerId.isValid() && timerId.toInt() == id) return timer;
  }
  return nullptr;
}

void Fire(QWidget* control, int id) {
  // Asleep, the timer keeps its period and acts again at its first tick after the wake-up.
  if (!IsSystemAwake()) return;
  if (auto* target = dynamic_cast<ITimerTarget*>(control)) {
    target->OnTimer(id);
    return;
  }
  CNotifyPump::SendNotify(control, notify::kTimer, id, 0);
}

}  // namespace

bool SetTimer(QWidget* control, int id, int periodMs) {
  if (control == nullptr) return false;
  QTimer* timer = FindTimer(control, id);
  if (timer == nullptr) {
    // A child of the control, so it ends with the control and never fires into a deleted one.
    timer = new QTimer(control);
    timer->setProperty(kTimerIdProperty, id);
    QObject::connect(timer, &QTimer::timeout, control, [control, id] { Fire(control, id); });
  }
  timer->start(periodMs < kMinimumPeriodMs ? kMinimumPeriodMs : periodMs);
  return true;
}

bool KillTimer(QWidget* control, int id) {
  QTimer* timer = FindTimer(control, id);
  if (timer == nullptr || !timer->isActive()) return false;
  // Stopped, not deleted: handlers kill their own timer from inside its timeout and often set it again.
  timer->stop();
  return true;
}

bool IsTimerRunning(const QWidget* control, int id) {
  const QTimer* timer = FindTimer(control, id);
  return timer != nullptr && timer->isActive();
}

}  // namespace nimbel
