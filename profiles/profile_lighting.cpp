#include <array>
#include <filesystem>

#include "profiles/json_file.h"
#include "profiles/profile_document.h"
#include "profiles/profile_paths.h"
#include "profiles/record_fields.h"
#include "profiles/text.h"

namespace nimbel {
namespace {

using LightKey = FieldKey<LightInfo, std::uint8_t>;
constexpr std::array<LightKey, 11> kLightInfoKeys{{
    {"SelectItem", &LightInfo::selectItem},
    {"Light", &LightInfo::light},
    {"Speed", &LightInfo::speed},
    {"Fx", &LightInfo::fx},
    {"MultiColor", &LightInfo::multiColour, true},
    {"Red", &LightInfo::red},
    {"Green", &LightInfo::green},
    {"Blue", &LightInfo::blue},
    {"ZZCCLedMode", &LightInfo::zzccLedMode},
    {"CustomGroup", &LightInfo::customGroup},
    {"OldLedmode", &LightInfo::oldLedmode},
}};

using AudioKey = FieldKey<AudioLightInfo, std::uint8_t>;
constexpr std::array<AudioKey, 9> kAudioLightInfoKeys{{
    {"AudioMode", &AudioLightInfo::audioMode},
    {"BkColorR", &AudioLightInfo::bkColourR},
    {"BkColorG", &AudioLightInfo::bkColourG},
    {"BkColorB", &AudioLightInfo::bkColourB},
    {"FgColorR", &AudioLightInfo::fgColourR},
    {"FgColorG", &AudioLightInfo::fgColourG},
    {"FgColorB", &AudioLightInfo::fgColourB},
    {"7ColorFlags", &AudioLightInfo::sevenColourFlags, true},
    {"ColorTypeFlags", &AudioLightInfo::colourTypeFlags, true},
}};

using ListKey = FieldKey<LightListEntry, std::uint8_t>;
constexpr std::array<ListKey, 8> kLightListKeys{{
    {"LEDREGMode", &LightListEntry::ledRegMode},
    {"LEDBrightness", &LightListEntry::ledBrightness},
    {"LEDSpeed", &LightListEntry::ledSpeed},
    {"LEDDirection", &LightListEntry::ledDirection, true},
    {"LEDMultiColor", &LightListEntry::ledMultiColour, true},
    {"red", &LightListEntry::red},
    {"green", &LightListEntry::green},
    {"blue", &LightListEntry::blue},
}};

using StepByteKey = FieldKey<LightEffectStep, std::uint8_t>;
constexpr std::array<StepByteKey, 8> kEffectStepByteKeys{{
    {"LEDREGMode", &LightEffectStep::ledRegMode},
    {"LEDBrightness", &LightEffectStep::ledBrightness},
    {"LEDSpeed", &LightEffectStep::ledSpeed},
    {"LEDDirection", &LightEffectStep::ledDirection},
    {"LEDMultiColor", &LightEffectStep::ledMultiColour},
    {"red", &LightEffectStep::red},
    {"green", &LightEffectStep::green},
    {"blue", &LightEffectStep::blue},
}};
using StepWordKey = FieldKey<LightEffectStep, std::int32_t>;
constexpr std::array<StepWordKey, 2> kEffectStepWordKeys{{
    {"Time", &LightEffectStep::time},
    {"Cyle", &LightEffectStep::cyle},
}};

constexpr const char* kLightInfoKey = "LightInfo";
constexpr const char* kAudioLightInfoKey = "AudioLightInfo";
constexpr const char* kLightListKey = "LightList";
// In the light-list file, "LightInfo" is the per-entry array of preset lists.
constexpr const char* kPresetListsKey = "LightInfo";
constexpr const char* kGuidKey = "Guid";
constexpr const char* kEffectStepsKey = "LEDEffectList";

template <class Record, std::size_t N>
Json::Value ObjectOf(const Record& record, const std::array<FieldKey<Record, std::uint8_t>, N>& keys) {
  Json::Value object(Json::objectValue);
  WriteFields(record, keys, object);
  return object;
}

}  // namespace

LightInfo CBasicProfiledata::GetLightInfo() {
  const Json::Value& object = json::Member(document_, kLightInfoKey);
  if (object.isNull()) {
    lightInfo_ = defaultLightInfo_;
  } else {
    lightInfo_ = LightInfo{};
    ReadFields(object, kLightInfoKeys, lightInfo_);
  }
  return lightInfo_;
}

void CBasicProfiledata::SetLightInfo(const LightInfo& info) {
  lightInfo_ = info;
  json::MemberForWrite(document_, kLightInfoKey) = ObjectOf(info, kLightInfoKeys);
}

AudioLightInfo CBasicProfiledata::GetAudioLightInfo() {
  audioLightInfo_ = AudioLightInfo{};
  ReadFields(json::Member(document_, kAudioLightInfoKey), kAudioLightInfoKeys, audioLightInfo_);
  return audioLightInfo_;
}

void CBasicProfiledata::SetAudioLightInfo(const AudioLightInfo& info) {
  audioLightInfo_ = info;
  json::MemberForWrite(document_, kAudioLightInfoKey) = ObjectOf(info, kAudioLightInfoKeys);
}

std::vector<LightListEntry> CBasicProfiledata::GetLightList() {
  lightList_.clear();
  const Json::Value& list = json::Member(document_, kLightListKey);
  for (Json::ArrayIndex i = 0; i < json::BoundedSize(list); ++i) {
    const Json::Value& element = list[i];
    LightListEntry entry;
    if (element.isObject()) {
      ReadFields(element, kLightListKeys, entry);
      entry.present = 1;
    }
    lightList_.push_back(entry);
  }
  return lightList_;
}

std::vector<LightEffectStep> CBasicProfiledata::GetCustomEffects() {
  customEffects_.clear();
  if (lightListDocument_.isNull() || lightInfo_.selectItem < builtInPresetCount_) return customEffects_;
  const Json::Value& presets = json::Element(json::Member(lightListDocument_, kPresetListsKey), entryIndex_);
  const std::string guid = json::AsString(
      json::Member(json::Element(presets, lightInfo_.selectItem - builtInPresetCount_), kGuidKey));
  if (!IsTimeStampId(guid)) return customEffects_;
  const std::string folder = std::filesystem::path(lightListPath_).parent_path().string();
  const Json::Value effect = ReadJsonFile(folder + "/" + guid + std::string(kEffectExtension));
  const Json::Value& steps = json::Member(effect, kEffectStepsKey);
  for (Json::ArrayIndex i = 0; i < json::BoundedSize(steps); ++i) {
    const Json::Value& element = steps[i];
    LightEffectStep step;
    ReadFields(element, kEffectStepByteKeys, step);
    ReadFields(element, kEffectStepWordKeys, step);
    customEffects_.push_back(step);
  }
  return customEffects_;
}

}  // namespace nimbel
