#pragma once

#include <cstdint>
#include <span>

namespace nimbel {

// The command report's sum: bytes 3..63 added in a 32-bit accumulator, kept to 16 bits.
std::uint16_t CommandSum(std::span<const std::uint8_t, 64> report);

// CRC-16/MODBUS (reflected 0xA001, initial 0xFFFF, no final XOR).
std::uint16_t Crc16Modbus(std::span<const std::uint8_t> bytes);

// The receiver's light-frame CRC covers bytes 3..31 of a report.
inline constexpr std::size_t kCrcFirstByte = 3;
inline constexpr std::size_t kCrcByteCount = 29;
std::uint16_t LightFrameCrc(std::span<const std::uint8_t, 64> report);

}  // namespace nimbel
