#pragma once

// The 64-byte report of the device command protocol. Requests and replies share one layout; multi-byte
// fields are little-endian.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "protocol/checksum.h"

namespace nimbel {

inline constexpr std::size_t kCommandReportSize = 64;
inline constexpr std::size_t kCommandDataCapacity = 56;

// Byte positions within a command report.
namespace command_report_byte {
inline constexpr std::size_t kReportId = 0;
inline constexpr std::size_t kChecksumLow = 1;
inline constexpr std::size_t kChecksumHigh = 2;
inline constexpr std::size_t kCommand = 3;
inline constexpr std::size_t kLength = 4;
inline constexpr std::size_t kOffsetLow = 5;
inline constexpr std::size_t kOffsetHigh = 6;
inline constexpr std::size_t kStatus = 7;
inline constexpr std::size_t kData = 8;
// The receiver reads this byte as its own routing mark; it is set after the checksum was computed.
inline constexpr std::size_t kReceiverMark = 32;
}  // namespace command_report_byte

inline constexpr std::uint8_t kCommandReportId = 4;
inline constexpr std::uint8_t kReceiverMarkValue = 2;
// A receiver answers with this in place of the echo when the wireless device cannot be reached.
inline constexpr std::uint8_t kReceiverDeviceAbsent = 0xAA;
// Reply status bytes that mean the firmware refused the request; anything else is success.
inline constexpr std::uint8_t kStatusErrorFF = 0xFF;
inline constexpr std::uint8_t kStatusErrorFE = 0xFE;

class CommandReport {
 public:
  // 64 zero bytes.
  CommandReport() = default;

  // A request for `command`: zero bytes with the report id and the command byte set.
  static CommandReport Request(std::uint8_t command) {
    CommandReport report;
    report.bytes_[command_report_byte::kReportId] = kCommandReportId;
    report.bytes_[command_report_byte::kCommand] = command;
    return report;
  }

  // The first 64 bytes of `bytes`; a shorter input is zero-filled.
  static CommandReport FromBytes(std::span<const std::uint8_t> bytes) {
    CommandReport report;
    std::copy_n(bytes.begin(), std::min(bytes.size(), kCommandReportSize), report.bytes_.begin());
    return report;
  }

  std::uint8_t ReportId() const { return bytes_[command_report_byte::kReportId]; }

  std::uint16_t Checksum() const {
    return ReadLe16(command_report_byte::kChecksumLow, command_report_byte::kChecksumHigh);
  }
  void SetChecksum(std::uint16_t value) {
    WriteLe16(command_report_byte::kChecksumLow, command_report_byte::kChecksumHigh, value);
  }

  std::uint8_t Command() const { return bytes_[command_report_byte::kCommand]; }
  void SetCommand(std::uint8_t command) { bytes_[command_report_byte::kCommand] = command; }

  std::uint8_t Length() const { return bytes_[command_report_byte::kLength]; }
  void SetLength(std::uint8_t length) { bytes_[command_report_byte::kLength] = length; }

  std::uint16_t Offset() const {
    return ReadLe16(command_report_byte::kOffsetLow, command_report_byte::kOffsetHigh);
  }
  void SetOffset(std::uint16_t offset) {
    WriteLe16(command_report_byte::kOffsetLow, command_report_byte::kOffsetHigh, offset);
  }

  std::uint8_t Status() const { return bytes_[command_report_byte::kStatus]; }

  std::uint8_t ReceiverMark() const { return bytes_[command_report_byte::kReceiverMark]; }
  void SetReceiverMark() { bytes_[command_report_byte::kReceiverMark] = kReceiverMarkValue; }

  std::span<std::uint8_t, kCommandDataCapacity> Data() {
    return std::span(bytes_).subspan<command_report_byte::kData>();
  }
  std::span<const std::uint8_t, kCommandDataCapacity> Data() const {
    return std::span(bytes_).subspan<command_report_byte::kData>();
  }

  // Writes the sum of bytes 3..63 into the checksum field; call after every other byte is set.
  void FinishSum() { SetChecksum(CommandSum(bytes_)); }

  std::span<std::uint8_t, kCommandReportSize> Bytes() { return bytes_; }
  std::span<const std::uint8_t, kCommandReportSize> Bytes() const { return bytes_; }

  friend bool operator==(const CommandReport&, const CommandReport&) = default;

 private:
  std::uint16_t ReadLe16(std::size_t low, std::size_t high) const {
    return static_cast<std::uint16_t>(bytes_[low] | (bytes_[high] << 8));
  }
  void WriteLe16(std::size_t low, std::size_t high, std::uint16_t value) {
    bytes_[low] = static_cast<std::uint8_t>(value & 0xFF);
    bytes_[high] = static_cast<std::uint8_t>(value >> 8);
  }

  std::array<std::uint8_t, kCommandReportSize> bytes_{};
};

}  // namespace nimbel
