#pragma once

// What a scripted change asks of a mouse, checked and turned into what its page takes, and the page's
// values turned into what the interface shows. No bus and no page: the checks are the reason nothing
// out of range reaches a device, so they are tested on their own.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "devices/light_effects.h"
#include "devices/mouse_settings.h"

namespace nimbel {

// A value the device can take, or the sentence that says why not.
template <typename T>
using Checked = std::variant<T, std::string>;

// The polling rates of the page's options 0..5, in reports per second.
inline constexpr std::array<unsigned, 6> kPollingRates{125, 250, 500, 1000, 2000, 4000};

// The stage value (the slider's) that stands for `dpi` on this variant: the DPI itself within the
// sensor's range, or for a stepped sensor the step whose shown DPI it is. `sliderRange` is the range the
// mouse's stage sliders have (StageSliderRange).
Checked<int> StageValueForDpi(const MouseVariant& variant, DpiRange sliderRange, unsigned dpi);
// The page's polling option for a rate.
Checked<int> PollingOptionForRate(unsigned hz);
// The rate of a polling option; 0 for an option without one.
unsigned PollingRateOfOption(int option);

// "#rrggbb" (either case).
Checked<Rgb> ParseColour(std::string_view text);
std::string ColourText(Rgb colour);

// The device's release number as "major.minor", both bytes in hex as the firmware numbers them
// (0x0109 is "1.09").
std::string FirmwareVersionText(std::uint16_t release);

}  // namespace nimbel
