#include "devices/light_cadence.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace nimbel {
namespace {

TEST(LightCadence, RunsAsManyStepsAsTheElapsedTicksMakeWhateverThePassLengths) {
  struct Case {
    std::uint32_t intervalTicks;
    std::vector<std::uint32_t> passGapsMs;
    std::uint32_t expectedSteps;
  };
  // A step every interval x 2 ms; time short of a step carries over to the next pass.
  const std::array<Case, 6> cases{{
      {8, {15}, 0},
      {8, {16}, 1},
      {8, {10, 10, 10, 2}, 2},
      {8, {33, 33, 33, 33, 33, 33}, 12},
      {1, {33}, 16},
      {0, {7}, 3},  // an interval of 0 steps on every tick
  }};
  for (const Case& c : cases) {
    LightCadence cadence;
    std::uint32_t now = 5000;
    cadence.Restart(now);
    std::uint32_t steps = 0;
    for (std::uint32_t gap : c.passGapsMs) steps += cadence.StepsDue(now += gap, c.intervalTicks);
    EXPECT_EQ(steps, c.expectedSteps) << c.intervalTicks << " ticks, " << c.passGapsMs.size() << " passes";
  }
}

TEST(LightCadence, CatchesUpWithOneCycleAtMostAndCountsAcrossTheTickWrap) {
  LightCadence cadence;
  cadence.Restart(0);
  EXPECT_EQ(cadence.StepsDue(60000, 1), LightCadence::kMaxStepsPerPass);
  EXPECT_EQ(cadence.StepsDue(60001, 1), 0u);

  cadence.Restart(0xFFFFFFF0);
  EXPECT_EQ(cadence.StepsDue(0x10, 1), 16u);
}

TEST(LightCadence, RestartDropsWhatHadAccumulated) {
  LightCadence cadence;
  cadence.Restart(0);
  EXPECT_EQ(cadence.StepsDue(15, 8), 0u);
  cadence.Restart(1000);
  EXPECT_EQ(cadence.StepsDue(1001, 8), 0u);
  EXPECT_EQ(cadence.StepsDue(1016, 8), 1u);
}

}  // namespace
}  // namespace nimbel
