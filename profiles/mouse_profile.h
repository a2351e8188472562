#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "profiles/profile_document.h"

namespace nimbel {

// The mouse's profile document: the sensitivity stage sets, one per sensor model, and the system settings.
class CMouseProfiledata : public CBasicProfiledata {
 public:
  // "DPIStages" holds one stage set per sensor model a mouse can report.
  static std::optional<int> DpiStageSetForSensor(std::uint16_t sensorCode);

  // The stages of set s merged into the cached list: each stage read replaces the cached one at its
  // position, and cached stages beyond what was read stay (the cache never shrinks here). Also reads the
  // set's active stage index, which stays as it was when the set is absent.
  std::vector<DpiStage> GetDpiStages(int set);
  void SetDpiStages(std::span<const DpiStage> stages, int set);
  void SetActiveStage(std::int32_t value, int set);
  std::int32_t GetActiveStage() const { return activeStage_; }

  MouseSystemSettings GetSystemSettings();
  // Writes every setting except sleepTime and sleepTimeH, whose stored values come from the factory
  // profile and stay.
  void SetSystemSettings(const MouseSystemSettings& settings);

 private:
  std::vector<DpiStage> stages_;
  std::int32_t activeStage_ = 0;
  MouseSystemSettings settings_;
};

}  // namespace nimbel
