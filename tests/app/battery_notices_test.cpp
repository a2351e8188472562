#include "app/battery_notices.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace nimbel {
namespace {

constexpr ChargeState kBattery = ChargeState::kOnBattery;
constexpr ChargeState kCharging = ChargeState::kCharging;
constexpr ChargeState kCharged = ChargeState::kCharged;
constexpr bool kWireless = true;
constexpr bool kCable = false;

struct Step {
  int percent;
  ChargeState charge;
  bool wireless;
  bool notifies;
  int device = 0;
};

struct SequenceCase {
  const char* name;
  std::vector<Step> steps;
};

std::vector<SequenceCase> SequenceCases() {
  return {
      {"a wireless device falling below the mark is told once",
       {{40, kBattery, kWireless, false},
        {15, kBattery, kWireless, false},
        {14, kBattery, kWireless, true},
        {10, kBattery, kWireless, false},
        {1, kBattery, kWireless, false}}},
      {"a device that is low at its first reading is told at once",
       {{8, kBattery, kWireless, true}, {8, kBattery, kWireless, false}}},
      {"never while charging or charged",
       {{10, kCharging, kWireless, false},
        {5, kCharging, kWireless, false},
        {5, kCharged, kWireless, false}}},
      {"a seen charge tells again when the device runs on battery below the mark",
       {{14, kBattery, kWireless, true},
        {12, kCharging, kWireless, false},
        {12, kBattery, kWireless, true},
        {11, kBattery, kWireless, false}}},
      {"a full charge and a new discharge tell again",
       {{9, kBattery, kWireless, true},
        {100, kCharged, kWireless, false},
        {50, kBattery, kWireless, false},
        {14, kBattery, kWireless, true}}},
      {"a level back at the mark means a charge that was not seen",
       {{14, kBattery, kWireless, true}, {60, kBattery, kWireless, false}, {13, kBattery, kWireless, true}}},
      {"a device on its cable is never told",
       {{10, kBattery, kCable, false}, {5, kBattery, kCable, false}, {5, kCharging, kCable, false}}},
      {"a charge on the cable counts, and the device is told again on the receiver",
       {{10, kBattery, kWireless, true}, {10, kCharging, kCable, false}, {9, kBattery, kWireless, true}}},
      {"the cable without a charge leaves the discharge as it was",
       {{10, kBattery, kWireless, true}, {9, kBattery, kCable, false}, {8, kBattery, kWireless, false}}},
      {"each device has its own discharge",
       {{10, kBattery, kWireless, true, 0},
        {10, kBattery, kWireless, true, 1},
        {9, kBattery, kWireless, false, 0},
        {9, kCharging, kWireless, false, 1},
        {8, kBattery, kWireless, false, 0},
        {8, kBattery, kWireless, true, 1}}},
  };
}

TEST(BatteryNoticesTest, ReadingsInOrderTellWhenTheyShould) {
  for (const SequenceCase& c : SequenceCases()) {
    SCOPED_TRACE(c.name);
    BatteryNotices notices;
    for (std::size_t i = 0; i < c.steps.size(); ++i) {
      const Step& step = c.steps[i];
      SCOPED_TRACE(i);
      EXPECT_EQ(notices.Take(step.device, {step.percent, step.charge, step.wireless}), step.notifies);
    }
  }
}

struct DecodeCase {
  std::array<std::uint8_t, kPowerStatusLength> status;
  int percent;
  ChargeState charge;
  bool wireless;
};

TEST(BatteryNoticesTest, PowerStatusBytesReadAsTheBattery) {
  constexpr DecodeCase kCases[] = {
      {{85, 0, 0, 1, 7, 0}, 85, kBattery, kWireless},
      {{12, 1, 0, 0, 0, 0}, 12, kCharging, kCable},
      {{100, 2, 0, 1, 0, 0}, 100, kCharged, kWireless},
      // A level no battery has reads as full; a state the device does not define as on battery.
      {{250, 9, 0, 1, 0, 0}, 100, kBattery, kWireless},
      {{30, 0, 0, 2, 0, 0}, 30, kBattery, kCable},
  };
  for (const DecodeCase& c : kCases) {
    SCOPED_TRACE(c.percent);
    const PowerReading reading = ReadPowerStatus(c.status);
    EXPECT_EQ(reading.percent, c.percent);
    EXPECT_EQ(reading.charge, c.charge);
    EXPECT_EQ(reading.wireless, c.wireless);
  }
}

}  // namespace
}  // namespace nimbel
