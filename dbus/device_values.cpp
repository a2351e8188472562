#include "dbus/device_values.h"

#include <algorithm>
#include <cstdio>

namespace nimbel {
namespace {

constexpr std::size_t kColourTextLength = 7;
constexpr int kHexBase = 16;
constexpr unsigned kByteMask = 0xFF;
constexpr int kHighByteShift = 8;

std::string RatesText() {
  std::string text;
  for (const unsigned rate : kPollingRates) text += (text.empty() ? "" : ", ") + std::to_string(rate);
  return text;
}

std::optional<int> HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return std::nullopt;
}

// A stepped sensor takes only its table's DPI values: the nearest ones below and above make the refusal
// something the user can act on.
std::string SteppedRefusal(unsigned dpi, DpiRange steps) {
  std::optional<int> below;
  std::optional<int> above;
  for (int step = steps.minimum; step <= steps.maximum; ++step) {
    const int shown = SteppedShownDpi(step);
    if (shown < static_cast<int>(dpi)) below = shown;
    if (shown > static_cast<int>(dpi) && !above) above = shown;
  }
  std::string text = std::to_string(dpi) + " DPI is not a step of this sensor";
  if (below && above)
    return text + " (nearest: " + std::to_string(*below) + " or " + std::to_string(*above) + ")";
  if (below || above) return text + " (nearest: " + std::to_string(below ? *below : *above) + ")";
  return text;
}

}  // namespace

Checked<int> StageValueForDpi(const MouseVariant& variant, DpiRange sliderRange, unsigned dpi) {
  if (!variant.stepped) {
    if (dpi < static_cast<unsigned>(sliderRange.minimum) ||
        dpi > static_cast<unsigned>(sliderRange.maximum)) {
      return std::to_string(dpi) + " DPI is outside this sensor's range " +
             std::to_string(sliderRange.minimum) + ".." + std::to_string(sliderRange.maximum);
    }
    return static_cast<int>(dpi);
  }
  for (int step = sliderRange.minimum; step <= sliderRange.maximum; ++step) {
    if (SteppedShownDpi(step) == static_cast<int>(dpi)) return step;
  }
  return SteppedRefusal(dpi, sliderRange);
}

Checked<int> PollingOptionForRate(unsigned hz) {
  const auto* rate = std::find(kPollingRates.begin(), kPollingRates.end(), hz);
  if (rate == kPollingRates.end()) {
    return std::to_string(hz) + " Hz is not a polling rate of this mouse (one of " + RatesText() + ")";
  }
  return static_cast<int>(rate - kPollingRates.begin());
}

unsigned PollingRateOfOption(int option) {
  if (option < 0 || static_cast<std::size_t>(option) >= kPollingRates.size()) return 0;
  return kPollingRates[static_cast<std::size_t>(option)];
}

Checked<Rgb> ParseColour(std::string_view text) {
  const std::string refusal =
      "colour \"" + std::string(text.substr(0, kColourTextLength + 1)) + "\" is not of the form #rrggbb";
  if (text.size() != kColourTextLength || text[0] != '#') return refusal;
  std::array<std::uint8_t, 3> bytes{};
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const std::optional<int> high = HexDigit(text[1 + 2 * i]);
    const std::optional<int> low = HexDigit(text[2 + 2 * i]);
    if (!high || !low) return refusal;
    bytes[i] = static_cast<std::uint8_t>(*high * kHexBase + *low);
  }
  return Rgb{bytes[0], bytes[1], bytes[2]};
}

std::string ColourText(Rgb colour) {
  char text[kColourTextLength + 1];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", colour.red, colour.green, colour.blue);
  return text;
}

std::string FirmwareVersionText(std::uint16_t release) {
  char text[sizeof "ff.ff"];
  std::snprintf(text, sizeof text, "%x.%02x", (release >> kHighByteShift) & kByteMask, release & kByteMask);
  return text;
}

}  // namespace nimbel
