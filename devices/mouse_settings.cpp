#include "devices/mouse_settings.h"

#include <algorithm>
#include <charconv>
#include <limits>

#include "profiles/light_presets.h"

namespace nimbel {
namespace {

constexpr SliderSteps kDpiSliderSteps{50, 400};
constexpr SliderSteps kSteppedSliderSteps{1, 1};
// The stepped sensor's product has no model name of its own: its picture names none.
constexpr std::array<MouseVariant, 3> kVariants{{
    {0x3395, 0, "file='main/RX20 Prime.png'", false, 50, 26000, kDpiSliderSteps},
    {0x3950, 1, "file='main/RX20 Apex.png'", false, 50, 30000, kDpiSliderSteps},
    {0x3104, 2, "file='main/Mouse.png'", true, 0, 0, kSteppedSliderSteps},
}};

constexpr SettingCodeTable kSleepCodes{{6, 8, 10, 20, 30, 40, 60}};
constexpr SettingCodeTable kDeepSleepCodes{{3, 4, 5, 10, 15, 20, 30}};

// The record keeps the polling rate and the effect speed counted down from these.
constexpr int kPollingCodeBase = 3;
constexpr int kSpeedCodeBase = 4;

// The stepped sensor's steps: two low steps of their own, then three runs of equal DPI steps (38, 76
// and 152 DPI), each step shown rounded to the hundred. The sensor's own DPI for a few steps is a round
// value that the run's formula misses by a little.
constexpr int kLowestShownDpi = 230;
constexpr int kSecondShownDpi = 420;
constexpr int kFirstRunLastStep = 49;
constexpr int kSecondRunLastStep = 81;
constexpr int kFirstRunOffset = 14;
constexpr int kSecondRunOffset = 18;
constexpr int kThirdRunOffset = 50;
constexpr int kFirstRunDpiStep = 38;
constexpr int kSecondRunDpiStep = 76;
constexpr int kThirdRunDpiStep = 152;
constexpr int kThirdRunDpiCorrection = 56;
struct ShownException {
  int step;
  int dpi;
};
constexpr std::array<ShownException, 4> kShownExceptions{{{7, 800}, {28, 1600}, {49, 2400}, {60, 3200}}};
constexpr int kRounding = 100;
constexpr int kRoundUpAbove = 50;

// Typed DPIs: below the floor counts as the floor; the bounds of the low steps and the runs.
constexpr int kTypedFloor = 50;
constexpr int kLowestStepUpTo = 350;
constexpr int kSecondStepUpTo = 600;
constexpr int kFirstRunBelow = 2432;
constexpr int kSecondRunBelow = 4864;
// 8000 DPI is step 103, one above where the third run's formula puts it.
constexpr int kExactTypedDpi = 8000;
constexpr int kExactTypedDpiValue = 8056;
constexpr int kHighestStep = 113;

// The ranges a profile's values are held to: the page's controls and the record's choices.
using M = MouseSystemSettings;
struct SettingRange {
  std::uint16_t M::*field;
  std::uint16_t minimum;
  std::uint16_t maximum;
};
constexpr std::uint16_t kLastPollingOption = 5;
constexpr std::uint16_t kLastAntiShakeItem = 3;
constexpr std::array<SettingRange, 14> kSettingRanges{{
    {&M::doubleClickTime, 200, 900},
    {&M::mouseSpeed, 1, 20},
    {&M::pointerPrecision, 0, 1},
    {&M::scrollPage, 0, 1},
    {&M::wheelScrollLines, 1, 20},
    {&M::reportRate, 0, kLastPollingOption},
    {&M::antiShake, 0, kLastAntiShakeItem},
    {&M::silentAltitudeItem, 0, 1},
    {&M::sensorLif, 0, 1},
    {&M::motionSync, 0, 1},
    {&M::linearCalibration, 0, 1},
    {&M::keyDelay, 1, 8},
    {&M::deepSleepOff, 0, 1},
    {&M::reportSelectItemUsb, 0, kLastPollingOption},
}};
constexpr std::uint8_t kHighestLightLevel = 4;

std::uint8_t Flag(std::uint8_t value) {
  return value != 0 ? 1 : 0;
}

// The number a text shows, saturated to int; 0 for an empty or unreadable text.
int ParseTypedNumber(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  long long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error == std::errc::result_out_of_range) {
    return text.starts_with('-') ? std::numeric_limits<int>::min() : std::numeric_limits<int>::max();
  }
  if (error != std::errc{} || end != text.data() + text.size()) return 0;
  return static_cast<int>(
      std::clamp<long long>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

int RoundToHundred(int dpi) {
  const int remainder = dpi % kRounding;
  return remainder > kRoundUpAbove ? dpi - remainder + kRounding : dpi - remainder;
}

}  // namespace

std::optional<MouseVariant> MouseVariantForSensor(std::uint16_t sensorCode) {
  for (const MouseVariant& variant : kVariants) {
    if (variant.sensorCode == sensorCode) return variant;
  }
  return std::nullopt;
}

DpiRange StageSliderRange(const MouseVariant& variant, std::uint16_t dpiStepCount) {
  if (variant.stepped) return {0, std::max(0, static_cast<int>(dpiStepCount) - 1)};
  return {variant.minimumDpi, variant.maximumDpi};
}

bool IsTypedDpi(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int SteppedShownDpi(int step) {
  // The two lowest steps are shown as the sensor has them: no hundred is near them.
  if (step <= 0) return kLowestShownDpi;
  if (step == 1) return kSecondShownDpi;
  for (const ShownException& exception : kShownExceptions) {
    if (exception.step == step) return exception.dpi;
  }
  int dpi = 0;
  if (step <= kFirstRunLastStep) {
    dpi = (step + kFirstRunOffset) * kFirstRunDpiStep;
  } else if (step <= kSecondRunLastStep) {
    dpi = (step - kSecondRunOffset) * kSecondRunDpiStep;
  } else {
    dpi = (step - kThirdRunOffset) * kThirdRunDpiStep - kThirdRunDpiCorrection;
  }
  return RoundToHundred(dpi);
}

int SteppedStepForDpi(int typedDpi) {
  const int dpi = std::max(typedDpi, kTypedFloor);
  int step = 0;
  if (dpi <= kLowestStepUpTo) {
    step = 0;
  } else if (dpi <= kSecondStepUpTo) {
    step = 1;
  } else if (dpi < kFirstRunBelow) {
    step = dpi / kFirstRunDpiStep - kFirstRunOffset;
  } else if (dpi < kSecondRunBelow) {
    step = dpi / kSecondRunDpiStep + kSecondRunOffset;
  } else if (dpi == kExactTypedDpi) {
    step = kExactTypedDpiValue / kThirdRunDpiStep + kThirdRunOffset;
  } else {
    step = dpi / kThirdRunDpiStep + kThirdRunOffset;
  }
  return std::min(step, kHighestStep);
}

int StageValueFromText(const MouseVariant& variant, std::string_view text) {
  const int typed = ParseTypedNumber(text);
  if (variant.stepped) return SteppedStepForDpi(typed);
  return std::clamp(typed, variant.minimumDpi, variant.maximumDpi);
}

int ShownDpi(const MouseVariant& variant, int stageValue) {
  return variant.stepped ? SteppedShownDpi(stageValue) : stageValue;
}

std::vector<DpiStage> ClampStages(std::vector<DpiStage> stages, DpiRange dpiRange) {
  if (stages.size() > kMouseStageCount) stages.resize(kMouseStageCount);
  const auto clampDpi = [dpiRange](std::uint16_t dpi) {
    return static_cast<std::uint16_t>(std::clamp<int>(dpi, dpiRange.minimum, dpiRange.maximum));
  };
  for (DpiStage& stage : stages) {
    stage.enabled = Flag(stage.enabled);
    stage.xyFlag = Flag(stage.xyFlag);
    stage.dpiX = clampDpi(stage.dpiX);
    stage.dpiY = clampDpi(stage.dpiY);
  }
  return stages;
}

int ClampActiveStage(int activeStage, std::size_t stageCount) {
  if (stageCount == 0) return 0;
  return std::clamp(activeStage, 0, static_cast<int>(std::min(stageCount, kMouseStageCount)) - 1);
}

MouseSystemSettings ClampSystemSettings(MouseSystemSettings settings) {
  for (const SettingRange& range : kSettingRanges) {
    settings.*range.field = std::clamp(settings.*range.field, range.minimum, range.maximum);
  }
  return settings;
}

LightInfo ClampLightInfo(LightInfo light) {
  light.light = std::min(light.light, kHighestLightLevel);
  light.speed = std::min(light.speed, kHighestLightLevel);
  light.fx = Flag(light.fx);
  light.multiColour = Flag(light.multiColour);
  return light;
}

std::optional<std::uint8_t> SettingCodeTable::Encode(std::uint16_t field) const {
  if (field < 1 || field > kSize) return std::nullopt;
  return codes_[field - 1];
}

std::optional<std::uint16_t> SettingCodeTable::Decode(std::uint8_t code) const {
  const auto found = std::find(codes_.begin(), codes_.end(), code);
  if (found == codes_.end()) return std::nullopt;
  return static_cast<std::uint16_t>(found - codes_.begin() + 1);
}

const SettingCodeTable& SleepCodes() {
  return kSleepCodes;
}

const SettingCodeTable& DeepSleepCodes() {
  return kDeepSleepCodes;
}

LightModeCodes LightModeCodes::Load(const std::string& defaultLightFile, int lightNameIndex) {
  std::vector<std::uint8_t> codes;
  for (const LightModeEntry& mode : LightPresets::LoadModes(defaultLightFile, lightNameIndex))
    codes.push_back(mode.code);
  return LightModeCodes(std::move(codes));
}

std::uint8_t LightModeCodes::Encode(std::uint8_t selectItem) const {
  const std::size_t index = selectItem < kCodedModes ? selectItem : 0;
  // Without a table (no factory light file) the shipped identity of index and code stands in.
  return index < codes_.size() ? codes_[index] : static_cast<std::uint8_t>(index);
}

std::uint8_t LightModeCodes::Decode(std::uint8_t code) const {
  const auto found = std::find(codes_.begin(), codes_.end(), code);
  return found == codes_.end() ? code : static_cast<std::uint8_t>(found - codes_.begin());
}

void EncodeMouseSettings(MouseSettingsBlock& block, const MouseSettingsContent& content,
                         const LightModeCodes& modeCodes, std::uint8_t firstByte) {
  namespace b = settings_byte;
  const MouseSystemSettings& system = content.system;
  block[b::kPollingCode] = static_cast<std::uint8_t>(kPollingCodeBase - system.reportSelectItemUsb);
  block[b::kSilentAltitude] = static_cast<std::uint8_t>(system.silentAltitudeItem);
  block[b::kMotionSync] = static_cast<std::uint8_t>(system.motionSync);
  block[b::kLinearCalibration] = static_cast<std::uint8_t>(system.linearCalibration);
  if (auto code = SleepCodes().Encode(system.dormancyTime)) block[b::kSleepCode] = *code;
  if (auto code = DeepSleepCodes().Encode(system.dormancyTimeH)) block[b::kDeepSleepCode] = *code;

  if (content.stages != nullptr) {
    block[b::kActiveStage] = content.activeStage;
    const std::size_t count = std::min(content.stages->size(), kMouseStageCount);
    for (std::size_t i = 0; i < count; ++i) {
      const auto bytes = (*content.stages)[i].ToBytes();
      std::copy(bytes.begin(), bytes.end(),
                block.begin() + static_cast<std::ptrdiff_t>(b::kFirstStage + i * DpiStage::kSize));
    }
  }

  const LightInfo& light = content.light;
  block[b::kSlot] = firstByte;
  block[b::kLightMode] = modeCodes.Encode(light.selectItem);
  block[b::kBrightness] = light.light;
  block[b::kSpeed] = static_cast<std::uint8_t>(kSpeedCodeBase - light.speed);
  block[b::kDirection] = light.fx;
  block[b::kMultiColour] = light.multiColour;
  block[b::kRed] = light.red;
  block[b::kGreen] = light.green;
  block[b::kBlue] = light.blue;
  block[b::kReserved] = 0;
}

DecodedMouseSettings DecodeMouseSettings(const MouseSettingsBlock& block, const LightModeCodes& modeCodes,
                                         const MouseSystemSettings& current, const LightInfo& currentLight) {
  namespace b = settings_byte;
  DecodedMouseSettings decoded{{}, block[b::kActiveStage], current, currentLight};

  LightInfo& light = decoded.light;
  light.selectItem = modeCodes.Decode(block[b::kLightMode]);
  light.light = block[b::kBrightness];
  light.speed = static_cast<std::uint8_t>(kSpeedCodeBase - block[b::kSpeed]);
  light.multiColour = block[b::kMultiColour];
  light.red = block[b::kRed];
  light.green = block[b::kGreen];
  light.blue = block[b::kBlue];

  MouseSystemSettings& system = decoded.system;
  system.reportSelectItemUsb = static_cast<std::uint16_t>(kPollingCodeBase - block[b::kPollingCode]);
  system.silentAltitudeItem = block[b::kSilentAltitude];
  system.linearCalibration = block[b::kLinearCalibration];
  system.motionSync = block[b::kMotionSync];
  if (auto field = SleepCodes().Decode(block[b::kSleepCode])) system.dormancyTime = *field;
  if (auto field = DeepSleepCodes().Decode(block[b::kDeepSleepCode])) system.dormancyTimeH = *field;

  for (std::size_t i = 0; i < kMouseStageCount; ++i) {
    decoded.stages.push_back(DpiStage::FromBytes(std::span<const std::uint8_t>(block)
                                                     .subspan(b::kFirstStage + i * DpiStage::kSize)
                                                     .first<DpiStage::kSize>()));
  }
  return decoded;
}

}  // namespace nimbel
