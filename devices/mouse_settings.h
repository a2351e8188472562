#pragma once

// The mouse's onboard settings record (one per onboard slot, at slot * 96 of the mouse's memory), the
// code tables of its fields, the three mouse variants and the DPI conversions of the stepped sensor.
// Bytes only: no page, no channel.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "profiles/profile_records.h"

namespace nimbel {

inline constexpr std::size_t kMouseSettingsBlockSize = 85;
inline constexpr std::size_t kMouseSlotStride = 96;
inline constexpr std::size_t kMouseStageCount = 7;
// The slot number followed by the first 20 bytes of the block.
inline constexpr std::size_t kMouseSettingsBackupSize = 21;
using MouseSettingsBlock = std::array<std::uint8_t, kMouseSettingsBlockSize>;

namespace settings_byte {
inline constexpr std::size_t kSlot = 0;
inline constexpr std::size_t kLightMode = 1;
inline constexpr std::size_t kBrightness = 2;
inline constexpr std::size_t kSpeed = 3;
inline constexpr std::size_t kDirection = 4;
inline constexpr std::size_t kMultiColour = 5;
inline constexpr std::size_t kRed = 6;
inline constexpr std::size_t kGreen = 7;
inline constexpr std::size_t kBlue = 8;
inline constexpr std::size_t kReserved = 9;
inline constexpr std::size_t kPollingCode = 11;
inline constexpr std::size_t kActiveStage = 12;
inline constexpr std::size_t kSilentAltitude = 13;
inline constexpr std::size_t kFirstStage = 14;
inline constexpr std::size_t kSleepCode = 79;
inline constexpr std::size_t kDeepSleepCode = 80;
inline constexpr std::size_t kMotionSync = 82;
inline constexpr std::size_t kLinearCalibration = 83;
}  // namespace settings_byte

// How far the stage sliders move for an arrow key and for a click on their track.
struct SliderSteps {
  int single;
  int page;
};

// What one sensor model makes of the DPI stages.
struct MouseVariant {
  std::uint16_t sensorCode;
  // The stage set of the profile ("DPIStages"[index]).
  int index;
  // The picture of "ms_device_name"; empty: the page keeps its picture.
  std::string_view productImage;
  // True: a stage holds a step index of the sensor's DpiStepCount steps, shown as a DPI by table.
  bool stepped;
  // The DPI a stage can hold (stepped sensors: their step range instead).
  int minimumDpi;
  int maximumDpi;
  // A stepped sensor's slider moves by one step of its table: its runs differ in DPI per step.
  SliderSteps sliderSteps;
};

// nullopt for a sensor code the program does not know; such a mouse keeps its DPI state untouched.
std::optional<MouseVariant> MouseVariantForSensor(std::uint16_t sensorCode);

struct DpiRange {
  int minimum;
  int maximum;
};
// The range of the stage sliders: the DPI range, or 0..DpiStepCount - 1 for a stepped sensor.
DpiRange StageSliderRange(const MouseVariant& variant, std::uint16_t dpiStepCount);

// Whether a typed text is a number the stage can take: digits only, at least one.
bool IsTypedDpi(std::string_view text);

// The stepped sensor's DPI for step `step`, as the page shows it.
int SteppedShownDpi(int step);
// The step for a DPI the user typed.
int SteppedStepForDpi(int typedDpi);
// The stage value a typed text stands for: the step of a stepped sensor, else the DPI clamped to the
// variant's range. Empty or unreadable text counts as 0.
int StageValueFromText(const MouseVariant& variant, std::string_view text);
// What the page shows for a stage value.
int ShownDpi(const MouseVariant& variant, int stageValue);

// A profile file holds whatever a person or another program wrote into it. These bring its values
// into what the page can show and the mouse can take, before either sees them.
// At most seven stages; DPI X and Y into `dpiRange`, the flags to 0 or 1.
std::vector<DpiStage> ClampStages(std::vector<DpiStage> stages, DpiRange dpiRange);
// An index of `stageCount` stages (0 without stages).
int ClampActiveStage(int activeStage, std::size_t stageCount);
// Options and flags to their choices, the page's values to the page's ranges. The sleep times stay:
// a time without a code leaves its byte of the record as the mouse has it.
MouseSystemSettings ClampSystemSettings(MouseSystemSettings settings);
// Levels to 0..4 and flags to 0 or 1; light modes beyond the coded ones are written as mode 0 anyway.
LightInfo ClampLightInfo(LightInfo light);

// A field of the settings record that the mouse keeps as a code: field values 1..7 stand for the
// table's codes; other values have no code.
class SettingCodeTable {
 public:
  static constexpr std::size_t kSize = 7;
  constexpr explicit SettingCodeTable(std::array<std::uint8_t, kSize> codes) : codes_(codes) {}
  std::optional<std::uint8_t> Encode(std::uint16_t field) const;
  std::optional<std::uint16_t> Decode(std::uint8_t code) const;

 private:
  std::array<std::uint8_t, kSize> codes_;
};
const SettingCodeTable& SleepCodes();
const SettingCodeTable& DeepSleepCodes();

// The light modes' device codes: entry i is the code of light mode index i (SelectItem).
class LightModeCodes {
 public:
  // Modes from this index on have no code of their own and are written as mode 0.
  static constexpr std::size_t kCodedModes = 12;

  LightModeCodes() = default;
  explicit LightModeCodes(std::vector<std::uint8_t> codes) : codes_(std::move(codes)) {}
  // The codes of the modes of list `lightNameIndex` in the factory light file (LightPresets); empty when
  // the file or the list is missing or unusable.
  static LightModeCodes Load(const std::string& defaultLightFile, int lightNameIndex);

  std::uint8_t Encode(std::uint8_t selectItem) const;
  // The mode index of a code; a code outside the table reads as itself.
  std::uint8_t Decode(std::uint8_t code) const;
  std::span<const std::uint8_t> Codes() const { return codes_; }

 private:
  std::vector<std::uint8_t> codes_;
};

// What the program puts into a settings record; the rest of the record stays as the mouse gave it.
struct MouseSettingsContent {
  // Null for a mouse without a known variant: its stage bytes and active stage stay.
  const std::vector<DpiStage>* stages = nullptr;
  std::uint8_t activeStage = 0;
  MouseSystemSettings system;
  LightInfo light;
};

void EncodeMouseSettings(MouseSettingsBlock& block, const MouseSettingsContent& content,
                         const LightModeCodes& modeCodes, std::uint8_t firstByte);

struct DecodedMouseSettings {
  std::vector<DpiStage> stages;
  std::uint8_t activeStage = 0;
  MouseSystemSettings system;
  LightInfo light;
};

// Decodes over the current values: a sleep code outside its table leaves its field, and the light
// direction is not in the record at all.
DecodedMouseSettings DecodeMouseSettings(const MouseSettingsBlock& block, const LightModeCodes& modeCodes,
                                         const MouseSystemSettings& current, const LightInfo& currentLight);

}  // namespace nimbel
