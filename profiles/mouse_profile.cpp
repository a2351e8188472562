#include "profiles/mouse_profile.h"

#include <array>

#include "profiles/json_access.h"
#include "profiles/record_fields.h"

namespace nimbel {
namespace {

// Element s of "DPIStages" belongs to the sensor model at position s.
constexpr std::array<std::uint16_t, 3> kStageSetSensors{0x3395, 0x3950, 0x3104};

constexpr const char* kStageSetsKey = "DPIStages";
constexpr const char* kActiveStageKey = "StageActive";
constexpr const char* kStagesKey = "StageDPIs";
constexpr const char* kSystemKey = "SystemStages";
constexpr const char* kReportKey = "ReportStages";
constexpr const char* kReportOptionKey = "StageActive";

using StageByteKey = FieldKey<DpiStage, std::uint8_t>;
constexpr std::array<StageByteKey, 5> kStageByteKeys{{
    {"StageActive", &DpiStage::enabled},
    {"StageXY", &DpiStage::xyFlag},
    {"StageColorR", &DpiStage::red},
    {"StageColorG", &DpiStage::green},
    {"StageColorB", &DpiStage::blue},
}};
using StageWordKey = FieldKey<DpiStage, std::uint16_t>;
constexpr std::array<StageWordKey, 2> kStageWordKeys{{
    {"StageDPIX", &DpiStage::dpiX},
    {"StageDPIY", &DpiStage::dpiY},
}};

using M = MouseSystemSettings;
using SettingKey = FieldKey<M, std::uint16_t>;
// Every word but the report-rate option, which lives in "ReportStages". sleeptime and sleeptimeH are the
// factory profile's and are never written.
constexpr std::array<SettingKey, 18> kSystemKeys{{
    {"DoubleClickTime", &M::doubleClickTime},
    {"MouseSpeed", &M::mouseSpeed},
    {"PointerPrecision", &M::pointerPrecision},
    {"ScorllPage", &M::scrollPage},
    {"WheelScorlllinse", &M::wheelScrollLines},
    {"DormancyTime", &M::dormancyTime},
    {"DormancyTimeH", &M::dormancyTimeH},
    {"AntiShake", &M::antiShake},
    {"SilentAltitudeItem", &M::silentAltitudeItem},
    {"SensorLif", &M::sensorLif, true},
    {"MotionSync", &M::motionSync, true},
    {"LinearCalibration", &M::linearCalibration},
    {"KeyDelay", &M::keyDelay},
    {"DeepSleepOff", &M::deepSleepOff},
    {"sleeptime", &M::sleepTime, false, true},
    {"sleeptimeH", &M::sleepTimeH, false, true},
    {"ReportSelectItemUSB", &M::reportSelectItemUsb},
    {"ReportSelectItem24K", &M::reportSelectItem24k},
}};

}  // namespace

std::optional<int> CMouseProfiledata::DpiStageSetForSensor(std::uint16_t sensorCode) {
  for (std::size_t s = 0; s < kStageSetSensors.size(); ++s) {
    if (kStageSetSensors[s] == sensorCode) return static_cast<int>(s);
  }
  return std::nullopt;
}

std::vector<DpiStage> CMouseProfiledata::GetDpiStages(int set) {
  std::vector<DpiStage> fresh;
  const Json::Value& stageSet = json::Element(json::Member(Document(), kStageSetsKey), set);
  if (stageSet.isObject()) {
    activeStage_ = static_cast<std::int32_t>(json::IntMember(stageSet, kActiveStageKey));
    const Json::Value& stages = json::Member(stageSet, kStagesKey);
    for (Json::ArrayIndex i = 0; i < json::BoundedSize(stages); ++i) {
      const Json::Value& element = stages[i];
      DpiStage stage;
      ReadFields(element, kStageByteKeys, stage);
      ReadFields(element, kStageWordKeys, stage);
      fresh.push_back(stage);
    }
  }
  // Merged, not replaced: a shorter read keeps the trailing stages of an earlier one.
  for (std::size_t j = 0; j < fresh.size(); ++j) {
    if (j < stages_.size()) {
      stages_[j] = fresh[j];
    } else {
      stages_.push_back(fresh[j]);
    }
  }
  return stages_;
}

void CMouseProfiledata::SetDpiStages(std::span<const DpiStage> stages, int set) {
  stages_.assign(stages.begin(), stages.end());
  Json::Value* stageSet = json::ElementForWrite(json::MemberForWrite(MutableDocument(), kStageSetsKey), set);
  if (stageSet == nullptr) return;
  Json::Value& list = json::MemberForWrite(*stageSet, kStagesKey);
  for (std::size_t i = 0; i < stages.size(); ++i) {
    Json::Value* element = json::ElementForWrite(list, static_cast<std::int64_t>(i));
    if (element == nullptr) return;
    WriteFields(stages[i], kStageByteKeys, *element);
    WriteFields(stages[i], kStageWordKeys, *element);
  }
}

void CMouseProfiledata::SetActiveStage(std::int32_t value, int set) {
  activeStage_ = value;
  Json::Value* stageSet = json::ElementForWrite(json::MemberForWrite(MutableDocument(), kStageSetsKey), set);
  if (stageSet != nullptr) json::MemberForWrite(*stageSet, kActiveStageKey) = value;
}

MouseSystemSettings CMouseProfiledata::GetSystemSettings() {
  settings_ = MouseSystemSettings{};
  ReadFields(json::Member(Document(), kSystemKey), kSystemKeys, settings_);
  settings_.reportRate =
      static_cast<std::uint16_t>(json::IntMember(json::Member(Document(), kReportKey), kReportOptionKey));
  return settings_;
}

void CMouseProfiledata::SetSystemSettings(const MouseSystemSettings& settings) {
  settings_ = settings;
  WriteFields(settings, kSystemKeys, json::MemberForWrite(MutableDocument(), kSystemKey));
  json::MemberForWrite(json::MemberForWrite(MutableDocument(), kReportKey), kReportOptionKey) =
      settings.reportRate;
}

}  // namespace nimbel
