#include "profiles/light_presets.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <utility>

#include "profiles/json_access.h"
#include "profiles/json_file.h"

namespace nimbel {
namespace {

namespace key {
constexpr const char* kModeLists = "DefaultLightName";
constexpr const char* kAreaLists = "AreaLightName";
constexpr const char* kCustomEffectLists = "LightInfo";
constexpr const char* kName = "LightName";
constexpr const char* kVisible = "visible";
constexpr const char* kCode = "value";
constexpr const char* kGuid = "Guid";
}  // namespace key

// The first kMaxEntries elements of list `index` of the array `lists`, each read by `read`; empty when
// there is no such list.
template <typename Read>
auto ReadEntries(const Json::Value& lists, int index, Read read) {
  using Entry = decltype(read(Json::Value()));
  std::vector<Entry> entries;
  const Json::Value& list = json::Element(lists, index);
  const Json::ArrayIndex count = std::min<Json::ArrayIndex>(
      json::BoundedSize(list), static_cast<Json::ArrayIndex>(LightPresets::kMaxEntries));
  entries.reserve(count);
  for (Json::ArrayIndex i = 0; i < count; ++i) entries.push_back(read(list[i]));
  return entries;
}

// A code written as a number that is not an integer (2.5, true, "3") is not taken for one.
std::optional<std::uint8_t> ModeCode(const Json::Value& value) {
  if (value.type() != Json::intValue && value.type() != Json::uintValue) return std::nullopt;
  const std::int64_t code = json::AsInt(value);
  if (code < 0 || code > std::numeric_limits<std::uint8_t>::max()) return std::nullopt;
  return static_cast<std::uint8_t>(code);
}

std::optional<LightModeEntry> ModeEntry(const Json::Value& item) {
  const std::optional<std::uint8_t> code = ModeCode(json::Member(item, key::kCode));
  if (!code) return std::nullopt;
  const Json::Value& visible = json::Member(item, key::kVisible);
  // An entry that does not say whether it is hidden (no flag, or text where the flag belongs) is shown.
  const bool saysVisible = visible.isBool() || visible.isNumeric();
  return LightModeEntry{.nameId = json::AsString(json::Member(item, key::kName)),
                        .visible = !saysVisible || json::AsBool(visible),
                        .code = *code};
}

std::vector<LightModeEntry> ModesOf(const Json::Value& document, int index) {
  std::vector<std::optional<LightModeEntry>> read =
      ReadEntries(json::Member(document, key::kModeLists), index, ModeEntry);
  if (!std::ranges::all_of(read, [](const auto& entry) { return entry.has_value(); })) return {};
  std::vector<LightModeEntry> modes;
  modes.reserve(read.size());
  for (std::optional<LightModeEntry>& entry : read) modes.push_back(std::move(*entry));
  return modes;
}

std::string NameOf(const Json::Value& item) {
  return json::AsString(json::Member(item, key::kName));
}

CustomEffectEntry CustomEffectOf(const Json::Value& item) {
  return {.name = NameOf(item), .guid = json::AsString(json::Member(item, key::kGuid))};
}

}  // namespace

LightPresets LightPresets::Load(const std::string& defaultLightFile, const std::string& lightListFile,
                                int lightNameIndex) {
  const Json::Value factory = ReadJsonFile(defaultLightFile);
  const Json::Value lightList = ReadJsonFile(lightListFile);
  return {.modes = ModesOf(factory, lightNameIndex),
          .areaNames = ReadEntries(json::Member(factory, key::kAreaLists), lightNameIndex, NameOf),
          .customEffects =
              ReadEntries(json::Member(lightList, key::kCustomEffectLists), lightNameIndex, CustomEffectOf)};
}

std::vector<LightModeEntry> LightPresets::LoadModes(const std::string& defaultLightFile, int lightNameIndex) {
  return ModesOf(ReadJsonFile(defaultLightFile), lightNameIndex);
}

}  // namespace nimbel
