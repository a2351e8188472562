#include "app/worker_table.h"

#include <gtest/gtest.h>

#include <vector>

namespace nimbel {
namespace {

TEST(WorkerTableTest, StopsEveryWorkerInSlotOrderOnce) {
  std::vector<std::size_t> stopped;
  WorkerTable table;
  for (const std::size_t slot : {std::size_t{8}, WorkerTable::kDetectionSlot, std::size_t{19}}) {
    ASSERT_TRUE(table.Occupy(slot, [&stopped, slot](int bound) {
      EXPECT_EQ(bound, WorkerTable::kStopBoundMs);
      stopped.push_back(slot);
      return slot != 19;
    }));
  }
  EXPECT_FALSE(table.Occupy(8, [](int) { return true; }));
  EXPECT_FALSE(table.Occupy(WorkerTable::kSlotCount, [](int) { return true; }));

  EXPECT_EQ(table.StopAll(), 1);
  EXPECT_EQ(stopped, (std::vector<std::size_t>{0, 8, 19}));
  EXPECT_FALSE(table.IsOccupied(0));
  EXPECT_EQ(table.StopAll(), 0);
  EXPECT_EQ(stopped.size(), 3u);
}

}  // namespace
}  // namespace nimbel
