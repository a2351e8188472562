#include "emulator/demo_device.h"

#include <charconv>

namespace nimbel::emulator {
namespace {

constexpr char kSeparator = ':';
constexpr std::string_view kOldFirmware = "old";
constexpr std::size_t kMaxSensorDigits = 4;
constexpr int kHex = 16;

std::string_view NextField(std::string_view& rest) {
  const std::size_t end = rest.find(kSeparator);
  const std::string_view field = rest.substr(0, end);
  rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
  return field;
}

std::optional<std::uint16_t> ParseSensorCode(std::string_view field) {
  if (field.empty() || field.size() > kMaxSensorDigits) return std::nullopt;
  std::uint16_t code = 0;
  const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), code, kHex);
  if (error != std::errc{} || end != field.data() + field.size()) return std::nullopt;
  return code;
}

}  // namespace

std::optional<DemoDevice> ParseDemoDevice(std::string_view text) {
  const bool hasOptions = text.find(kSeparator) != std::string_view::npos;
  std::string_view rest = text;
  DemoDevice device{std::string(NextField(rest)), {}};
  if (device.product.empty()) return std::nullopt;
  bool sensorSeen = false;
  bool oldSeen = false;
  while (hasOptions) {
    const std::string_view field = NextField(rest);
    if (field == kOldFirmware && !oldSeen) {
      device.mouse.firmwareVersion = kDemoOldFirmwareVersion;
      oldSeen = true;
    } else if (const std::optional<std::uint16_t> code = ParseSensorCode(field);
               code && !sensorSeen && !oldSeen) {
      device.mouse.sensorCode = *code;
      sensorSeen = true;
    } else {
      return std::nullopt;
    }
    if (rest.empty()) break;
  }
  return device;
}

}  // namespace nimbel::emulator
