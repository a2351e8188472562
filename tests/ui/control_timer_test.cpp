#include "ui/control_timer.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <vector>

#include "platform/system_awake.h"
#include "ui/notify_pump.h"

namespace nimbel {
namespace {

constexpr int kFailureBoundMs = 10000;

// Like the tab item's timers: each handler kills its own timer and may start it again.
class CountingControl : public QWidget, public ITimerTarget {
 public:
  void OnTimer(int id) override {
    fired.push_back(id);
    if (id == kOneShot) KillTimer(this, id);
    if (id == kRestarting && ++restarts < 3) {
      KillTimer(this, id);
      SetTimer(this, id, 10);
    } else if (id == kRestarting) {
      KillTimer(this, id);
    }
  }
  static constexpr int kOneShot = 1001;
  static constexpr int kRestarting = 1007;
  std::vector<int> fired;
  int restarts = 0;
};

int Count(const std::vector<int>& ids, int id) {
  return static_cast<int>(std::count(ids.begin(), ids.end(), id));
}

TEST(ControlTimers, AsleepTheTicksDoNothingAndTheTimerGoesOnAfterTheWakeUp) {
  CountingControl control;
  SetSystemAwake(false);
  ASSERT_TRUE(SetTimer(&control, CountingControl::kOneShot, 10));
  // The timer's own ticks, whatever the control does with them.
  int ticks = 0;
  auto* timer = control.findChild<QTimer*>();
  ASSERT_NE(timer, nullptr);
  QObject::connect(timer, &QTimer::timeout, [&ticks] { ++ticks; });
  const bool ticked = QTest::qWaitFor([&] { return ticks >= 2; }, kFailureBoundMs);
  SetSystemAwake(true);
  ASSERT_TRUE(ticked);
  EXPECT_EQ(Count(control.fired, CountingControl::kOneShot), 0);
  EXPECT_TRUE(IsTimerRunning(&control, CountingControl::kOneShot));

  EXPECT_TRUE(
      QTest::qWaitFor([&] { return Count(control.fired, CountingControl::kOneShot) == 1; }, kFailureBoundMs));
}

TEST(ControlTimers, FireUntilKilledKeyedByControlAndId) {
  CountingControl control;
  ASSERT_TRUE(SetTimer(&control, 5, 10));
  ASSERT_TRUE(SetTimer(&control, CountingControl::kOneShot, 10));
  ASSERT_TRUE(SetTimer(&control, CountingControl::kRestarting, 0));
  EXPECT_TRUE(QTest::qWaitFor([&] { return Count(control.fired, 5) >= 3; }, kFailureBoundMs));
  EXPECT_TRUE(QTest::qWaitFor([&] { return !IsTimerRunning(&control, CountingControl::kRestarting); },
                              kFailureBoundMs));
  EXPECT_TRUE(KillTimer(&control, 5));
  EXPECT_FALSE(KillTimer(&control, 5));
  EXPECT_FALSE(IsTimerRunning(&control, 5));
  EXPECT_EQ(Count(control.fired, CountingControl::kOneShot), 1);
  EXPECT_EQ(Count(control.fired, CountingControl::kRestarting), 3);

  // Nothing is running any more, so nothing fires however long the loop runs.
  const std::size_t fired = control.fired.size();
  QTest::qWait(50);
  EXPECT_EQ(control.fired.size(), fired);
}

class TimerRecorder : public INotifyUI {
 public:
  void Notify(TNotifyUI& msg) override {
    if (msg.sType == notify::kTimer) timers.push_back({msg.senderName, msg.wParam});
  }
  std::vector<std::pair<QString, std::intptr_t>> timers;
};

TEST(ControlTimers, PlainControlsGetTimerNotificationsAndTimersDieWithTheirControl) {
  QWidget page;
  auto* label = new QWidget(&page);
  label->setObjectName(QStringLiteral("power_label"));
  TimerRecorder recorder;
  CNotifyPump pump(&recorder);
  pump.Attach(&page);

  ASSERT_TRUE(SetTimer(label, 1005, 10));
  EXPECT_TRUE(QTest::qWaitFor([&] { return !recorder.timers.empty(); }, kFailureBoundMs));
  EXPECT_EQ(recorder.timers.front(), std::make_pair(QStringLiteral("power_label"), std::intptr_t{1005}));

  delete label;
  recorder.timers.clear();
  QTest::qWait(50);
  EXPECT_TRUE(recorder.timers.empty());
  EXPECT_FALSE(SetTimer(nullptr, 1, 10));
  EXPECT_FALSE(IsTimerRunning(nullptr, 1));
}

}  // namespace
}  // namespace nimbel
