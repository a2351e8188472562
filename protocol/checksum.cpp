#include "protocol/checksum.h"

namespace nimbel {
namespace {
constexpr std::size_t kSumFirstByte = 3;
constexpr std::uint16_t kModbusPolynomial = 0xA001;
}  // namespace

std::uint16_t CommandSum(std::span<const std::uint8_t, 64> report) {
  std::uint32_t sum = 0;
  for (std::size_t i = kSumFirstByte; i < report.size(); ++i) sum += report[i];
  return static_cast<std::uint16_t>(sum);
}

std::uint16_t Crc16Modbus(std::span<const std::uint8_t> bytes) {
  std::uint16_t crc = 0xFFFF;
  for (std::uint8_t byte : bytes) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) {
      const bool lowBit = (crc & 1u) != 0;
      crc = static_cast<std::uint16_t>(crc >> 1);
      if (lowBit) crc ^= kModbusPolynomial;
    }
  }
  return crc;
}

std::uint16_t LightFrameCrc(std::span<const std::uint8_t, 64> report) {
  return Crc16Modbus(report.subspan(kCrcFirstByte, kCrcByteCount));
}

}  // namespace nimbel
