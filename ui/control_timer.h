#pragma once

class QWidget;

namespace nimbel {

// A control that handles its own timers (tab items, device pages, the main window). Controls without it
// receive a "timer" notification with wParam = the timer id through the pumps of their tree.
class ITimerTarget {
 public:
  virtual ~ITimerTarget() = default;
  virtual void OnTimer(int id) = 0;
};

// Periodic timers keyed by (control, id), fired on the UI thread until killed. Setting a running id
// restarts it with the new period. Periods below the system's minimum of 10 ms are raised to it, so a 0
// never turns into a busy loop. A control's timers end with the control. While the system is not awake
// (IsSystemAwake) a timer's ticks do nothing. UI thread only.
bool SetTimer(QWidget* control, int id, int periodMs);
// False when the control had no such running timer.
bool KillTimer(QWidget* control, int id);
bool IsTimerRunning(const QWidget* control, int id);

}  // namespace nimbel
