#pragma once

// The firmware's command bytes and the results every command returns. The commands themselves are
// operations of CommandChannel (protocol/command_channel.h).

#include <cstddef>
#include <cstdint>

namespace nimbel {

enum class CommandCode : std::uint8_t {
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
  // Shares its value with the receiver's "device absent" answer, so the echo test matches it first.
  QueryLink = 0xAA,
};

constexpr std::uint8_t ToByte(CommandCode code) {
  return static_cast<std::uint8_t>(code);
}

// Results of exchanges and commands. Callers test for exactly kResultOk.
inline constexpr int kResultOk = 1;
// Channel not open, no reply within the read limit, or a request refused before anything was sent.
inline constexpr int kResultNothing = 0;
inline constexpr int kResultWriteFailed = -1;
// The receiver cannot reach the wireless device, or a light-frame reply failed its CRC.
inline constexpr int kResultDeviceAbsent = -101;
inline constexpr int kResultStatusFF = -102;
inline constexpr int kResultStatusFE = -103;
inline constexpr int kResultBadBank = -201;

// Sizes fixed by the firmware.
inline constexpr std::size_t kDeviceInfoLength = 34;
inline constexpr std::uint16_t kMaxKeyTableLength = 512;
inline constexpr std::uint32_t kKeyTableBankStride = 512;
// Key light maps hold one byte per key; key tables three.
inline constexpr std::uint16_t kKeyTableBytesPerKey = 3;
// Shooting-pattern data travels in full reports on the cable.
inline constexpr std::uint8_t kShootDataChunkSize = 56;
// The mouse's shooting-pattern memory, which one pattern image fills from its start.
inline constexpr std::size_t kShootMemorySize = 4096;
inline constexpr std::uint8_t kWiredChunkSize = 56;
inline constexpr std::uint8_t kReceiverChunkSize = 24;
// QueryLink: reply data byte 1 (report byte 9) is 0xFF while the wireless device is linked.
inline constexpr std::size_t kLinkStateDataIndex = 1;
inline constexpr std::uint8_t kLinkStateLinked = 0xFF;

}  // namespace nimbel
