#include "editors/colour_option_file.h"

#include <json/value.h>

#include <charconv>
#include <cstdio>

#include "platform/folders.h"
#include "platform/trace.h"
#include "profiles/json_access.h"
#include "profiles/json_file.h"

namespace nimbel {
namespace {

constexpr std::string_view kFileName = "color_option_info.config";
constexpr const char* kRootKey = "coloroptioninfo";
constexpr const char* kPresetsKey = "palletDialogcoloroption";
constexpr const char* kPresetSelectedKey = "palletDialogcoloroption_selectitem";
constexpr const char* kCollectedKey = "palletDialogcollectcoloroption";
constexpr const char* kCollectedSelectedKey = "palletDialogcollectcoloroption_selectitem";
constexpr const char* kColorKey = "color";
constexpr const char* kUserDataKey = "UserData";
constexpr std::size_t kColourDigits = 8;
// The collected index is saved as -1 while no collected slot is selected.
constexpr int kNoSelection = -1;

bool HasOptionShape(const Json::Value& document) {
  return json::Member(document, kRootKey).isObject();
}

std::optional<int> IndexMember(const Json::Value& info, const char* key, int lowest) {
  const Json::Value& value = json::Member(info, key);
  if (!value.isInt() && !value.isUInt()) return std::nullopt;
  const std::int64_t index = json::AsInt(value);
  if (index < lowest || index >= static_cast<std::int64_t>(kColourOptionCount)) return std::nullopt;
  return static_cast<int>(index);
}

std::optional<std::uint32_t> ColourMember(const Json::Value& entry) {
  return ParseColourText(json::AsString(json::Member(entry, kColorKey)));
}

ColourOptions OptionsFromDocument(const Json::Value& document) {
  ColourOptions options;
  const Json::Value& info = json::Member(document, kRootKey);
  const Json::Value& presets = json::Member(info, kPresetsKey);
  const Json::Value& collected = json::Member(info, kCollectedKey);
  for (std::size_t i = 0; i < kColourOptionCount; ++i) {
    const auto index = static_cast<std::int64_t>(i);
    if (const auto colour = ColourMember(json::Element(presets, index))) options.presets[i] = *colour;

    const Json::Value& entry = json::Element(collected, index);
    const std::optional<std::uint32_t> colour = ColourMember(entry);
    std::string userData = json::AsString(json::Member(entry, kUserDataKey));
    // A slot marked as holding a colour that cannot be read would show a colour nobody chose.
    if (userData == kCollectedHoldsColour && colour.has_value()) {
      options.collected[i] = {*colour, std::move(userData)};
    } else if (!userData.empty() && userData != kCollectedHoldsColour) {
      options.collected[i] = {colour.value_or(kBlankOptionColour), std::move(userData)};
    }
  }
  options.presetSelected = IndexMember(info, kPresetSelectedKey, 0).value_or(kInitialPresetIndex);
  options.collectedSelected =
      IndexMember(info, kCollectedSelectedKey, kNoSelection).value_or(kInitialCollectedIndex);
  return options;
}

}  // namespace

std::string FormatColourText(std::uint32_t argb) {
  std::array<char, kColourDigits + 1> text{};
  std::snprintf(text.data(), text.size(), "%08X", argb);
  return std::string(text.data(), kColourDigits);
}

std::optional<std::uint32_t> ParseColourText(std::string_view text) {
  if (text.empty() || text.size() > kColourDigits) return std::nullopt;
  std::uint32_t value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value, 16);
  if (error != std::errc() || stop != end) return std::nullopt;
  return value;
}

std::string ColourOptionFile() {
  return UserDataFolder() + std::string(kFileName);
}

std::string DefaultColourOptionFile() {
  return DefaultDataFolder() + std::string(kFileName);
}

ColourOptions LoadColourOptions() {
  const std::string userFile = ColourOptionFile();
  Json::Value document = ReadJsonFile(userFile);
  if (HasOptionShape(document)) return OptionsFromDocument(document);

  document = ReadJsonFile(DefaultColourOptionFile());
  if (!HasOptionShape(document)) {
    Trace("colour options: no usable factory copy, starting blank");
    return ColourOptions{};
  }
  if (!WriteJsonFile(userFile, document)) Trace("colour options: the factory copy could not be saved");
  return OptionsFromDocument(document);
}

bool SaveColourOptions(const ColourOptions& options) {
  const std::string userFile = ColourOptionFile();
  Json::Value document = ReadJsonFile(userFile);
  Json::Value& info = json::MemberForWrite(document, kRootKey);
  Json::Value& presets = json::MemberForWrite(info, kPresetsKey);
  Json::Value& collected = json::MemberForWrite(info, kCollectedKey);
  for (std::size_t i = 0; i < kColourOptionCount; ++i) {
    const auto index = static_cast<std::int64_t>(i);
    Json::Value* preset = json::ElementForWrite(presets, index);
    json::MemberForWrite(*preset, kColorKey) = FormatColourText(options.presets[i]);
    Json::Value* slot = json::ElementForWrite(collected, index);
    json::MemberForWrite(*slot, kColorKey) = FormatColourText(options.collected[i].colour);
    json::MemberForWrite(*slot, kUserDataKey) = options.collected[i].userData;
  }
  info[kPresetSelectedKey] = options.presetSelected;
  info[kCollectedSelectedKey] = options.collectedSelected;
  return WriteJsonFile(userFile, document);
}

}  // namespace nimbel
