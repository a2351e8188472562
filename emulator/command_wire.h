#pragma once

// The command report as the firmware sees it: where the fields lie, the command bytes it knows and the
// status values it answers with.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace nimbel::emulator {

inline constexpr std::size_t kCommandReportSize = 64;
using CommandFrame = std::array<std::uint8_t, kCommandReportSize>;

inline constexpr std::uint8_t kCommandReportId = 4;

// Byte positions of the request and the reply.
inline constexpr std::size_t kReportIdByte = 0;
inline constexpr std::size_t kChecksumLowByte = 1;
inline constexpr std::size_t kChecksumHighByte = 2;
inline constexpr std::size_t kCommandByte = 3;
inline constexpr std::size_t kLengthByte = 4;
inline constexpr std::size_t kOffsetLowByte = 5;
inline constexpr std::size_t kOffsetHighByte = 6;
inline constexpr std::size_t kStatusByte = 7;
inline constexpr std::size_t kDataByte = 8;
inline constexpr std::size_t kMaxDataLength = kCommandReportSize - kDataByte;

// The receiver stamps this byte of every request it forwards after the host summed the report, so the
// sum never covers it.
inline constexpr std::size_t kReceiverMarkerByte = 32;
inline constexpr std::uint8_t kReceiverMarker = 2;

// The receiver answers in place of a wireless device it cannot reach.
inline constexpr std::uint8_t kUnreachableEcho = 0xAA;

// QueryLink's reply carries this in its second data byte while the device is linked.
inline constexpr std::size_t kLinkStateByte = 9;
inline constexpr std::uint8_t kLinkedValue = 0xFF;

// The firmware keeps its own list rather than the host's: the two sides of the wire are written apart, so
// that a wrong byte on one side shows up against the other.
enum class Command : std::uint8_t {
  BeginSession = 0x01,
  EndSession = 0x02,
  ReadDeviceInfo = 0x03,
  ReadMemory = 0x05,
  WriteMemory = 0x06,
  ReadKeyTable = 0x07,
  ReadKeyTableBank = 0x08,
  WriteKeyTable = 0x09,
  ReadKeyColours = 0x0A,
  WriteKeyColours = 0x0B,
  StreamLightFrame = 0x12,
  WriteMacroData = 0x15,
  WriteShootData = 0x17,
  ReadStatus = 0x1A,
  ReadKeyLightMap = 0x1B,
  EnableHostLighting = 0x1C,
  WriteKeyTable2 = 0x27,
  QueryLink = 0xAA,
};

// Reply status values. Requests that cannot be understood (unknown command, checksum or receiver
// marker wrong) get Rejected; understood requests whose address or length leaves the addressed data,
// and light frames whose CRC is wrong, get OutOfRange.
enum class Status : std::uint8_t {
  Ok = 0x00,
  OutOfRange = 0xFE,
  Rejected = 0xFF,
};

// Which way a request reached the firmware.
enum class Path : std::uint8_t { Cable, Receiver };

inline std::uint16_t ReadLe16(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

inline void WriteLe16(std::span<std::uint8_t> bytes, std::size_t at, std::uint16_t value) {
  bytes[at] = static_cast<std::uint8_t>(value & 0xFF);
  bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

}  // namespace nimbel::emulator
