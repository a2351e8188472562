#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace nimbel {

// The fixed records decoded from a profile document. Fields the document does not hold are not
// represented; every field is 0 unless read.

// The current lighting choice, "LightInfo" of a profile. MultiColor is 0 or 1.
struct LightInfo {
  std::uint8_t selectItem = 0;
  std::uint8_t light = 0;
  std::uint8_t speed = 0;
  std::uint8_t fx = 0;
  std::uint8_t multiColour = 0;
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  std::uint8_t zzccLedMode = 0;
  std::uint8_t customGroup = 0;
  std::uint8_t oldLedmode = 0;
  bool operator==(const LightInfo&) const = default;
};

// Sound-reactive lighting, "AudioLightInfo" of a profile. The two flags are 0 or 1.
struct AudioLightInfo {
  std::uint8_t audioMode = 0;
  std::uint8_t bkColourR = 0;
  std::uint8_t bkColourG = 0;
  std::uint8_t bkColourB = 0;
  std::uint8_t fgColourR = 0;
  std::uint8_t fgColourG = 0;
  std::uint8_t fgColourB = 0;
  std::uint8_t sevenColourFlags = 0;
  std::uint8_t colourTypeFlags = 0;
  bool operator==(const AudioLightInfo&) const = default;
};

// One element of the factory "LightList". present is 1 when the element was an object; any other element
// (null included) gives an entry that is all 0.
struct LightListEntry {
  std::uint8_t ledRegMode = 0;
  std::uint8_t ledBrightness = 0;
  std::uint8_t ledSpeed = 0;
  std::uint8_t ledDirection = 0;
  std::uint8_t ledMultiColour = 0;
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  std::uint8_t present = 0;
  bool operator==(const LightListEntry&) const = default;
};

// One step of a custom light effect (".light" file).
struct LightEffectStep {
  std::uint8_t ledRegMode = 0;
  std::uint8_t ledBrightness = 0;
  std::uint8_t ledSpeed = 0;
  std::uint8_t ledDirection = 0;
  std::uint8_t ledMultiColour = 0;
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  std::int32_t time = 0;
  std::int32_t cyle = 0;
  bool operator==(const LightEffectStep&) const = default;
};

// A key position and its 24-bit assignment code split into bytes; high is the function type.
struct KeyCode {
  std::uint16_t position = 0;
  std::uint8_t high = 0;
  std::uint8_t middle = 0;
  std::uint8_t low = 0;

  static KeyCode FromValue(std::uint16_t keyPosition, std::int64_t value) {
    return {keyPosition, static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value)};
  }
  std::uint32_t Value() const {
    return static_cast<std::uint32_t>(high) << 16 | static_cast<std::uint32_t>(middle) << 8 | low;
  }
  bool operator==(const KeyCode&) const = default;
};

// One element of "KeyList": the current assignment, then the factory one.
struct KeyAssignment {
  KeyCode current;
  KeyCode factory;
  bool operator==(const KeyAssignment&) const = default;
};

// One sensitivity stage. The 9-byte form is the one the mouse keeps in its memory.
struct DpiStage {
  std::uint8_t enabled = 0;
  std::uint8_t xyFlag = 0;
  std::uint16_t dpiX = 0;
  std::uint16_t dpiY = 0;
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;

  static constexpr std::size_t kSize = 9;
  std::array<std::uint8_t, kSize> ToBytes() const;
  static DpiStage FromBytes(std::span<const std::uint8_t, kSize> bytes);
  bool operator==(const DpiStage&) const = default;
};

// The mouse's system settings in the order of the settings record's words; reportRate is word 5
// ("ReportStages"."StageActive"). sensorLif and motionSync are 0 or 1.
struct MouseSystemSettings {
  std::uint16_t doubleClickTime = 0;
  std::uint16_t mouseSpeed = 0;
  std::uint16_t pointerPrecision = 0;
  std::uint16_t scrollPage = 0;
  std::uint16_t wheelScrollLines = 0;
  std::uint16_t reportRate = 0;
  std::uint16_t dormancyTime = 0;
  std::uint16_t dormancyTimeH = 0;
  std::uint16_t antiShake = 0;
  std::uint16_t silentAltitudeItem = 0;
  std::uint16_t sensorLif = 0;
  std::uint16_t motionSync = 0;
  std::uint16_t linearCalibration = 0;
  std::uint16_t keyDelay = 0;
  std::uint16_t deepSleepOff = 0;
  std::uint16_t sleepTime = 0;
  std::uint16_t sleepTimeH = 0;
  std::uint16_t reportSelectItemUsb = 0;
  std::uint16_t reportSelectItem24k = 0;
  bool operator==(const MouseSystemSettings&) const = default;
};

struct KeyboardSystemSettings {
  std::uint16_t repeat = 0;
  std::uint16_t repeatDelay = 0;
  std::uint16_t key6Flag = 0;
  std::uint16_t pollingRate = 0;
  std::uint16_t wFlag = 0;
  std::uint16_t winFlag = 0;
  bool operator==(const KeyboardSystemSettings&) const = default;
};

// customEqSeletIndex is -1 when no own preset is selected; eqType 13 stands for the own preset.
struct HeadsetSystemSettings {
  std::int32_t magicEnable = 0;
  std::int32_t magicType = 0;
  std::int32_t eqType = 0;
  std::int32_t customEqSeletIndex = 0;
  std::int32_t micInSelect = 0;
  std::int32_t micInValue = 0;
  std::int32_t micMoniterSelect = 0;
  std::int32_t micMoniterValue = 0;
  bool operator==(const HeadsetSystemSettings&) const = default;
};

// A key colour: red, green, blue and alpha in its bytes from the lowest up.
using KeyColour = std::uint32_t;

constexpr KeyColour MakeKeyColour(std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                                  std::uint8_t alpha) {
  return static_cast<KeyColour>(red) | static_cast<KeyColour>(green) << 8 |
         static_cast<KeyColour>(blue) << 16 | static_cast<KeyColour>(alpha) << 24;
}
constexpr std::uint8_t KeyColourByte(KeyColour colour, int index) {
  return static_cast<std::uint8_t>(colour >> (8 * index));
}

}  // namespace nimbel
