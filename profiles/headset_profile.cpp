#include "profiles/headset_profile.h"

#include <algorithm>
#include <array>

#include "profiles/json_access.h"
#include "profiles/record_fields.h"

namespace nimbel {
namespace {

constexpr const char* kSystemKey = "SystemSetStages";
constexpr const char* kPresetBandsKey = "EQHzValueInfo";
constexpr const char* kOwnNamesKey = "CustomEQNameInfo";
constexpr const char* kOwnBandsKey = "CustomEQHzValueInfo";
constexpr const char* kBandValueKey = "value";
constexpr const char* kNameKey = "Name";
constexpr std::int32_t kFirstPresetType = 1;
constexpr std::int32_t kLastPresetType = 12;
// Types outside the presets (0, and anything a file may hold past 13) show the first preset.
constexpr std::int32_t kFallbackPresetSlot = 1;

using H = HeadsetSystemSettings;
constexpr std::array<FieldKey<H, std::int32_t>, 8> kSystemKeys{{
    {"MagicEnable", &H::magicEnable},
    {"MagicType", &H::magicType},
    {"EqType", &H::eqType},
    {"CustomEqSeletIndex", &H::customEqSeletIndex},
    {"MicInSelect", &H::micInSelect},
    {"MicInValue", &H::micInValue},
    {"MicMoniterSelect", &H::micMoniterSelect},
    {"MicMoniterValue", &H::micMoniterValue},
}};

std::int32_t PresetSlot(std::int32_t type) {
  return type >= kFirstPresetType && type <= kLastPresetType ? type : kFallbackPresetSlot;
}

// The bands of sets[index]; a band the document lacks is created there with value 0.
std::vector<std::int32_t> ReadBands(Json::Value& document, const char* setsKey, std::int64_t index) {
  std::vector<std::int32_t> bands(CAq4410Profiledata::kEqBandCount, 0);
  if (!json::IsWritableIndex(index)) return bands;
  Json::Value& set = *json::ElementForWrite(json::MemberForWrite(document, setsKey), index);
  for (std::size_t i = 0; i < bands.size(); ++i) {
    Json::Value& band = *json::ElementForWrite(set, static_cast<std::int64_t>(i));
    const Json::Value& value = json::Member(band, kBandValueKey);
    if (value.isNull()) {
      json::MemberForWrite(band, kBandValueKey) = 0;
    } else {
      bands[i] = static_cast<std::int32_t>(json::AsInt(value));
    }
  }
  return bands;
}

void WriteBands(Json::Value& document, const char* setsKey, std::int64_t index,
                std::span<const std::int32_t> bands) {
  if (!json::IsWritableIndex(index)) return;
  Json::Value& set = *json::ElementForWrite(json::MemberForWrite(document, setsKey), index);
  const std::size_t count = std::min(bands.size(), CAq4410Profiledata::kEqBandCount);
  for (std::size_t i = 0; i < count; ++i) {
    json::MemberForWrite(*json::ElementForWrite(set, static_cast<std::int64_t>(i)), kBandValueKey) = bands[i];
  }
}

}  // namespace

HeadsetSystemSettings CAq4410Profiledata::GetHeadsetSettings() {
  settings_ = HeadsetSystemSettings{};
  ReadFields(json::Member(Document(), kSystemKey), kSystemKeys, settings_);
  return settings_;
}

void CAq4410Profiledata::SetHeadsetSettings(const HeadsetSystemSettings& settings) {
  settings_ = settings;
  WriteFields(settings, kSystemKeys, json::MemberForWrite(MutableDocument(), kSystemKey));
}

std::vector<std::int32_t> CAq4410Profiledata::GetEqBands(std::int32_t type) {
  if (type == kOwnPresetType) return {};
  return ReadBands(MutableDocument(), kPresetBandsKey, PresetSlot(type));
}

void CAq4410Profiledata::SetEqBands(std::int32_t type, std::span<const std::int32_t> bands) {
  if (type == kOwnPresetType) return;
  WriteBands(MutableDocument(), kPresetBandsKey, PresetSlot(type), bands);
}

std::vector<std::string> CAq4410Profiledata::GetCustomEqNames() {
  std::vector<std::string> names;
  const Json::Value& list = json::Member(Document(), kOwnNamesKey);
  for (Json::ArrayIndex i = 0; i < json::BoundedSize(list); ++i)
    names.push_back(json::AsString(json::Member(list[i], kNameKey)));
  return names;
}

void CAq4410Profiledata::SetCustomEqNames(std::span<const std::string> names) {
  Json::Value list(Json::arrayValue);
  for (const std::string& name : names) {
    Json::Value element(Json::objectValue);
    element[kNameKey] = name;
    list.append(element);
  }
  json::MemberForWrite(MutableDocument(), kOwnNamesKey) = list;
}

std::vector<std::int32_t> CAq4410Profiledata::GetCustomEqBands(std::int32_t index) {
  return ReadBands(MutableDocument(), kOwnBandsKey, index);
}

void CAq4410Profiledata::SetCustomEqBands(std::int32_t index, std::span<const std::int32_t> bands) {
  WriteBands(MutableDocument(), kOwnBandsKey, index, bands);
}

}  // namespace nimbel
