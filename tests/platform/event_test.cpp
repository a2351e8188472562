#include "platform/event.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <thread>

namespace nimbel {
namespace {

// Bounds that only end a broken test; a passing test never waits for them.
constexpr int kFailureBoundMs = 10000;

struct SetWaitCase {
  Event::ResetMode mode;
  bool initiallySet;
  bool setBeforeWaits;
  bool firstWait;
  bool secondWait;
};

class EventSemantics : public testing::TestWithParam<SetWaitCase> {};

TEST_P(EventSemantics, TwoWaitsAfterOneSet) {
  const SetWaitCase& c = GetParam();
  Event event(c.mode, c.initiallySet);
  if (c.setBeforeWaits) event.Set();
  EXPECT_EQ(event.Wait(0), c.firstWait);
  EXPECT_EQ(event.Wait(1), c.secondWait);
  EXPECT_EQ(event.IsSet(), c.secondWait && c.mode == Event::ResetMode::kManual);
}

INSTANTIATE_TEST_SUITE_P(Modes, EventSemantics,
                         testing::Values(SetWaitCase{Event::ResetMode::kManual, false, true, true, true},
                                         SetWaitCase{Event::ResetMode::kAuto, false, true, true, false},
                                         SetWaitCase{Event::ResetMode::kManual, true, false, true, true},
                                         SetWaitCase{Event::ResetMode::kAuto, true, false, true, false},
                                         SetWaitCase{Event::ResetMode::kManual, false, false, false, false},
                                         SetWaitCase{Event::ResetMode::kAuto, false, false, false, false}));

TEST(Event, ResetClearsAManualEvent) {
  Event event(Event::ResetMode::kManual, true);
  event.Reset();
  EXPECT_FALSE(event.Wait(0));
}

TEST(Event, AutoResetReleasesOneWaiterPerSet) {
  Event event(Event::ResetMode::kAuto);
  Event progress(Event::ResetMode::kAuto);
  std::atomic<int> released{0};
  auto waiter = [&] {
    if (event.Wait(kFailureBoundMs)) ++released;
    progress.Set();
  };
  std::thread first(waiter);
  std::thread second(waiter);

  event.Set();
  ASSERT_TRUE(progress.Wait(kFailureBoundMs));
  EXPECT_EQ(released.load(), 1);
  EXPECT_FALSE(event.IsSet());

  event.Set();
  ASSERT_TRUE(progress.Wait(kFailureBoundMs));
  first.join();
  second.join();
  EXPECT_EQ(released.load(), 2);
}

TEST(Event, ASetFromAnotherThreadEndsAnInfiniteWait) {
  Event event(Event::ResetMode::kManual);
  std::thread setter([&] { event.Set(); });
  EXPECT_TRUE(event.Wait(Event::kInfinite));
  setter.join();
}

TEST(WaitForAnyEvent, ReturnsTheFirstSetEventAndConsumesAutoEvents) {
  Event manual(Event::ResetMode::kManual);
  Event automatic(Event::ResetMode::kAuto);
  std::array<Event*, 2> events{&manual, &automatic};

  EXPECT_EQ(WaitForAnyEvent(events, 0), -1);
  automatic.Set();
  EXPECT_EQ(WaitForAnyEvent(events, 0), 1);
  EXPECT_FALSE(automatic.IsSet());
  manual.Set();
  automatic.Set();
  EXPECT_EQ(WaitForAnyEvent(events, 0), 0);
  EXPECT_TRUE(manual.IsSet());
  EXPECT_TRUE(automatic.IsSet());
}

TEST(WaitForAnyEvent, WakesOnASetFromAnotherThread) {
  Event idle(Event::ResetMode::kManual);
  Event cancel(Event::ResetMode::kManual);
  std::array<Event*, 2> events{&idle, &cancel};
  std::thread setter([&] { cancel.Set(); });
  EXPECT_EQ(WaitForAnyEvent(events, Event::kInfinite), 1);
  setter.join();
}

}  // namespace
}  // namespace nimbel
