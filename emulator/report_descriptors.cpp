#include "emulator/report_descriptors.h"

#include <initializer_list>

#include "emulator/command_wire.h"

namespace nimbel::emulator {
namespace {

// Short items of the HID report descriptor grammar, by their prefix byte with the size bits cleared.
enum Item : std::uint8_t {
  kInput = 0x80,
  kOutput = 0x90,
  kCollection = 0xA0,
  kEndCollection = 0xC0,
  kUsagePage = 0x04,
  kLogicalMinimum = 0x14,
  kLogicalMaximum = 0x24,
  kReportSize = 0x74,
  kReportId = 0x84,
  kReportCount = 0x94,
  kUsage = 0x08,
  kUsageMinimum = 0x18,
  kUsageMaximum = 0x28,
};

constexpr std::uint8_t kApplication = 0x01;
constexpr std::uint8_t kPhysical = 0x00;
constexpr std::uint8_t kDataArray = 0x00;
constexpr std::uint8_t kConstant = 0x01;
constexpr std::uint8_t kDataVariable = 0x02;
constexpr std::uint8_t kDataVariableRelative = 0x06;

constexpr std::uint16_t kGenericDesktopPage = 0x01;
constexpr std::uint16_t kKeyboardPage = 0x07;
constexpr std::uint16_t kButtonPage = 0x09;
constexpr std::uint16_t kPointerUsage = 0x01;
constexpr std::uint16_t kMouseUsage = 0x02;
constexpr std::uint16_t kKeyboardUsage = 0x06;
constexpr std::uint16_t kSystemControlUsage = 0x80;
constexpr std::uint16_t kXUsage = 0x30;
constexpr std::uint16_t kYUsage = 0x31;
constexpr std::uint16_t kWheelUsage = 0x38;
constexpr std::uint16_t kSystemPowerDownUsage = 0x81;
constexpr std::uint16_t kSystemWakeUpUsage = 0x83;
constexpr std::uint16_t kLeftControlUsage = 0xE0;
constexpr std::uint16_t kRightGuiUsage = 0xE7;
constexpr std::uint16_t kCommandInputUsage = 0x01;
constexpr std::uint16_t kCommandOutputUsage = 0x02;
constexpr std::uint8_t kMouseButtonCount = 5;
constexpr std::uint8_t kKeyArrayLength = 6;
constexpr std::uint8_t kSystemControlCount = 3;
constexpr std::int32_t kLargestNotification = 0xFFFF;

class DescriptorWriter {
 public:
  // Emits the shortest item that holds `value`; signed items (logical ranges) keep their sign, so a
  // positive value whose top bit would be set in the short form takes the next size up.
  DescriptorWriter& Signed(Item item, std::int32_t value) {
    if (value >= -128 && value <= 127) return Emit(item, static_cast<std::uint32_t>(value), 1);
    if (value >= -32768 && value <= 32767) return Emit(item, static_cast<std::uint32_t>(value), 2);
    return Emit(item, static_cast<std::uint32_t>(value), 4);
  }
  DescriptorWriter& Unsigned(Item item, std::uint32_t value) {
    if (value <= 0xFF) return Emit(item, value, 1);
    if (value <= 0xFFFF) return Emit(item, value, 2);
    return Emit(item, value, 4);
  }
  DescriptorWriter& End() {
    bytes_.push_back(kEndCollection);
    return *this;
  }
  std::vector<std::uint8_t> Take() { return std::move(bytes_); }

 private:
  DescriptorWriter& Emit(Item item, std::uint32_t value, int size) {
    const std::uint8_t sizeCode = size == 4 ? 3 : static_cast<std::uint8_t>(size);
    bytes_.push_back(static_cast<std::uint8_t>(item | sizeCode));
    for (int i = 0; i < size; ++i) bytes_.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    return *this;
  }

  std::vector<std::uint8_t> bytes_;
};

std::uint8_t Id(ReportId id) {
  return static_cast<std::uint8_t>(id);
}

DescriptorWriter& MouseBody(DescriptorWriter& w) {
  w.Unsigned(kUsage, kPointerUsage).Unsigned(kCollection, kPhysical);
  w.Unsigned(kUsagePage, kButtonPage).Unsigned(kUsageMinimum, 1).Unsigned(kUsageMaximum, kMouseButtonCount);
  w.Signed(kLogicalMinimum, 0).Signed(kLogicalMaximum, 1);
  w.Unsigned(kReportCount, kMouseButtonCount).Unsigned(kReportSize, 1).Unsigned(kInput, kDataVariable);
  w.Unsigned(kReportCount, 1).Unsigned(kReportSize, 8 - kMouseButtonCount).Unsigned(kInput, kConstant);
  w.Unsigned(kUsagePage, kGenericDesktopPage);
  w.Unsigned(kUsage, kXUsage).Unsigned(kUsage, kYUsage).Unsigned(kUsage, kWheelUsage);
  w.Signed(kLogicalMinimum, -127).Signed(kLogicalMaximum, 127);
  w.Unsigned(kReportSize, 8).Unsigned(kReportCount, 3).Unsigned(kInput, kDataVariableRelative);
  return w.End();
}

DescriptorWriter ApplicationCollection(std::uint16_t usagePage, std::uint16_t usage) {
  DescriptorWriter w;
  w.Unsigned(kUsagePage, usagePage).Unsigned(kUsage, usage).Unsigned(kCollection, kApplication);
  return w;
}

}  // namespace

std::vector<std::uint8_t> UnnumberedMouseCollection() {
  DescriptorWriter w = ApplicationCollection(kGenericDesktopPage, kMouseUsage);
  return MouseBody(w).End().Take();
}

std::vector<std::uint8_t> MouseCollection() {
  DescriptorWriter w = ApplicationCollection(kGenericDesktopPage, kMouseUsage);
  w.Unsigned(kReportId, Id(ReportId::Mouse));
  return MouseBody(w).End().Take();
}

std::vector<std::uint8_t> KeyboardCollection() {
  DescriptorWriter w = ApplicationCollection(kGenericDesktopPage, kKeyboardUsage);
  w.Unsigned(kReportId, Id(ReportId::Keyboard)).Unsigned(kUsagePage, kKeyboardPage);
  w.Unsigned(kUsageMinimum, kLeftControlUsage).Unsigned(kUsageMaximum, kRightGuiUsage);
  w.Signed(kLogicalMinimum, 0).Signed(kLogicalMaximum, 1);
  w.Unsigned(kReportSize, 1).Unsigned(kReportCount, 8).Unsigned(kInput, kDataVariable);
  w.Unsigned(kReportSize, 8).Unsigned(kReportCount, 1).Unsigned(kInput, kConstant);
  w.Signed(kLogicalMinimum, 0).Signed(kLogicalMaximum, 0xFF);
  w.Unsigned(kUsageMinimum, 0).Unsigned(kUsageMaximum, 0xFF);
  w.Unsigned(kReportCount, kKeyArrayLength).Unsigned(kInput, kDataArray);
  return w.End().Take();
}

std::vector<std::uint8_t> SystemControlCollection() {
  DescriptorWriter w = ApplicationCollection(kGenericDesktopPage, kSystemControlUsage);
  w.Unsigned(kReportId, Id(ReportId::SystemControl));
  w.Unsigned(kUsageMinimum, kSystemPowerDownUsage).Unsigned(kUsageMaximum, kSystemWakeUpUsage);
  w.Signed(kLogicalMinimum, 0).Signed(kLogicalMaximum, 1);
  w.Unsigned(kReportSize, 1).Unsigned(kReportCount, kSystemControlCount).Unsigned(kInput, kDataVariable);
  w.Unsigned(kReportCount, 8 - kSystemControlCount).Unsigned(kInput, kConstant);
  return w.End().Take();
}

std::vector<std::uint8_t> CommandCollection() {
  DescriptorWriter w = ApplicationCollection(kCommandUsagePage, kCommandUsage);
  w.Unsigned(kReportId, kCommandReportId);
  w.Signed(kLogicalMinimum, 0).Signed(kLogicalMaximum, 0xFF).Unsigned(kReportSize, 8);
  w.Unsigned(kReportCount, kCommandReportSize - 1);
  w.Unsigned(kUsage, kCommandInputUsage).Unsigned(kInput, kDataVariable);
  w.Unsigned(kUsage, kCommandOutputUsage).Unsigned(kOutput, kDataVariable);
  return w.End().Take();
}

std::vector<std::uint8_t> NotificationCollection() {
  DescriptorWriter w = ApplicationCollection(kNotificationUsagePage, kNotificationUsage);
  w.Unsigned(kReportId, Id(ReportId::Notification));
  w.Signed(kLogicalMinimum, 0).Signed(kLogicalMaximum, kLargestNotification);
  w.Unsigned(kUsageMinimum, 0).Unsigned(kUsageMaximum, kLargestNotification);
  w.Unsigned(kReportSize, 16).Unsigned(kReportCount, 1).Unsigned(kInput, kDataArray);
  return w.End().Take();
}

std::vector<std::uint8_t> JoinCollections(std::span<const std::vector<std::uint8_t>> collections) {
  std::vector<std::uint8_t> descriptor;
  for (const auto& collection : collections)
    descriptor.insert(descriptor.end(), collection.begin(), collection.end());
  return descriptor;
}

}  // namespace nimbel::emulator
