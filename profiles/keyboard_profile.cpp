#include "profiles/keyboard_profile.h"

#include <array>

#include "profiles/json_access.h"
#include "profiles/record_fields.h"

namespace nimbel {
namespace {

constexpr const char* kSystemKey = "SystemStages";
constexpr const char* kCustomLightKey = "CustomLightMode";
constexpr const char* kColourGroupsKey = "LightColorInfo";
constexpr const char* kGroupIndexKey = "CustomLightModeGroupIndex";
// Colour components in the order of a KeyColour's bytes, lowest first.
constexpr std::array<const char*, 4> kColourKeys{"Red", "Green", "Blue", "Alpha"};

using K = KeyboardSystemSettings;
constexpr std::array<FieldKey<K, std::uint16_t>, 6> kSystemKeys{{
    {"Repeat", &K::repeat},
    {"RepeatDelay", &K::repeatDelay},
    {"Key6Flag", &K::key6Flag},
    {"PollingRate", &K::pollingRate},
    {"WFlag", &K::wFlag},
    {"WinFlag", &K::winFlag},
}};

Json::Value ColourObject(KeyColour colour) {
  Json::Value object(Json::objectValue);
  for (std::size_t i = 0; i < kColourKeys.size(); ++i)
    object[kColourKeys[i]] = KeyColourByte(colour, static_cast<int>(i));
  return object;
}

KeyColour ReadColour(const Json::Value& object) {
  KeyColour colour = 0;
  for (std::size_t i = 0; i < kColourKeys.size(); ++i) {
    colour |= static_cast<KeyColour>(static_cast<std::uint8_t>(json::IntMember(object, kColourKeys[i])))
              << (8 * i);
  }
  return colour;
}

}  // namespace

KeyboardSystemSettings CKeyboardProfiledata::GetKeyboardSettings() {
  settings_ = KeyboardSystemSettings{};
  ReadFields(json::Member(Document(), kSystemKey), kSystemKeys, settings_);
  return settings_;
}

void CKeyboardProfiledata::SetKeyboardSettings(const KeyboardSystemSettings& settings) {
  settings_ = settings;
  WriteFields(settings, kSystemKeys, json::MemberForWrite(MutableDocument(), kSystemKey));
}

std::vector<KeyColour> CKeyboardProfiledata::GetKeyColours(std::int32_t group, std::int32_t count) {
  colours_.assign(static_cast<std::size_t>(std::max(count, 0)), KeyColour{0});
  if (!json::IsWritableIndex(group)) return colours_;
  Json::Value& groups =
      json::MemberForWrite(json::MemberForWrite(MutableDocument(), kCustomLightKey), kColourGroupsKey);
  Json::Value& keys = *json::ElementForWrite(groups, group);
  for (std::size_t i = 0; i < colours_.size(); ++i) {
    Json::Value* element = json::ElementForWrite(keys, static_cast<std::int64_t>(i));
    if (element == nullptr) break;
    if (element->isNull()) {
      *element = ColourObject(0);
    } else {
      colours_[i] = ReadColour(*element);
    }
  }
  return colours_;
}

void CKeyboardProfiledata::SetKeyColours(std::span<const KeyColour> colours, std::int32_t group) {
  colours_.assign(colours.begin(), colours.end());
  if (!json::IsWritableIndex(group)) return;
  Json::Value& groups =
      json::MemberForWrite(json::MemberForWrite(MutableDocument(), kCustomLightKey), kColourGroupsKey);
  Json::Value& keys = *json::ElementForWrite(groups, group);
  for (std::size_t i = 0; i < colours.size(); ++i) {
    Json::Value* element = json::ElementForWrite(keys, static_cast<std::int64_t>(i));
    if (element == nullptr) return;
    *element = ColourObject(colours[i]);
  }
}

std::int32_t CKeyboardProfiledata::GetColourGroup() {
  colourGroup_ =
      static_cast<std::int32_t>(json::IntMember(json::Member(Document(), kCustomLightKey), kGroupIndexKey));
  return colourGroup_;
}

void CKeyboardProfiledata::SetColourGroup(std::int32_t group) {
  colourGroup_ = group;
  json::MemberForWrite(json::MemberForWrite(MutableDocument(), kCustomLightKey), kGroupIndexKey) = group;
}

}  // namespace nimbel
