// The decode of one report by the capabilities of its collection, with the results the HID parser's
// HidP_GetUsages, HidP_GetUsageValue and HidP_GetScaledUsageValue give.

#include <algorithm>

#include "hid/report_descriptor.h"

namespace nimbel {
namespace {

constexpr std::uint32_t kReportIdBits = 8;  // byte 0 of every report, also when none is declared
constexpr std::uint32_t kMaxValueBits = 32;

// Wide enough for (value - logicalMin) * (physicalMax - physicalMin) with 32-bit operands.
__extension__ using WideProduct = __int128;

std::size_t TypeIndex(HidReportType type) {
  return static_cast<std::size_t>(type);
}

bool HoldsReport(const HidCollectionCaps& caps, HidReportType type, std::span<const std::uint8_t> report) {
  return !report.empty() && report.size() >= caps.reportByteLength[TypeIndex(type)];
}

// One field of a report: its first bit after the report id byte and its width.
struct FieldPosition {
  std::uint64_t bitOffset = 0;
  std::uint32_t bitSize = 0;

  std::uint32_t Width() const { return std::min(bitSize, kMaxValueBits); }
  bool FitsIn(std::span<const std::uint8_t> report) const {
    return bitSize > 0 && kReportIdBits + bitOffset + Width() <= std::uint64_t{report.size()} * 8;
  }
};

// The low 32 bits of a field (fields are little-endian, least significant bit first).
std::uint32_t ReadField(std::span<const std::uint8_t> report, const FieldPosition& field) {
  const std::uint64_t first = kReportIdBits + field.bitOffset;
  const std::size_t byte = static_cast<std::size_t>(first / 8);
  const unsigned shift = static_cast<unsigned>(first % 8);
  const std::size_t bytes = (shift + field.Width() + 7) / 8;
  std::uint64_t bits = 0;
  for (std::size_t i = 0; i < bytes; ++i) bits |= std::uint64_t{report[byte + i]} << (8 * i);
  bits >>= shift;
  const std::uint64_t mask = (std::uint64_t{1} << field.Width()) - 1;
  return static_cast<std::uint32_t>(bits & mask);
}

// A field as a logical value: two's complement of its width when the logical range is signed.
std::int64_t ToLogical(std::uint32_t raw, std::uint32_t width, bool isSigned) {
  if (!isSigned || width == 0) return raw;
  const std::uint32_t signBit = 1u << (width - 1);
  if (!(raw & signBit)) return raw;
  return static_cast<std::int64_t>(raw) - (std::int64_t{1} << width);
}

FieldPosition FieldOf(const HidButtonCaps& cap, std::uint32_t field) {
  return {cap.bitOffset + std::uint64_t{field} * cap.bitSize, cap.bitSize};
}

// The usage a button field reports, or 0 when it reports none.
std::uint16_t ButtonUsage(const HidButtonCaps& cap, std::uint32_t field, std::uint32_t raw) {
  if (raw == 0) return 0;
  if (cap.isArray) {
    const std::int64_t index = ToLogical(raw, FieldOf(cap, field).Width(), cap.logicalMin < 0);
    if (index < cap.logicalMin || index > cap.logicalMax) return 0;
    const std::int64_t usage = cap.usageMin + (index - cap.logicalMin);
    return usage <= cap.usageMax ? static_cast<std::uint16_t>(usage) : 0;
  }
  if (!cap.isRange) return cap.usageMin;
  return static_cast<std::uint16_t>(std::min<std::uint32_t>(cap.usageMin + field, cap.usageMax));
}

struct ValueField {
  const HidValueCaps* cap = nullptr;
  FieldPosition position;
  HidStatus status = HidStatus::UsageNotFound;
};

// The field of a value usage in the report with this report id. A value array answers with its first
// field; a range with the field of the usage.
ValueField FindValue(const HidCollectionCaps& caps, HidReportType type, std::uint16_t usagePage,
                     std::uint16_t usage, std::span<const std::uint8_t> report) {
  ValueField found;
  if (!HoldsReport(caps, type, report)) {
    found.status = HidStatus::InvalidReportLength;
    return found;
  }
  for (const auto& cap : caps.valueCaps[TypeIndex(type)]) {
    if (cap.usagePage != usagePage || usage < cap.usageMin || usage > cap.usageMax) continue;
    found.status = HidStatus::IncompatibleReportId;
    if (cap.reportId != report[0]) continue;
    const std::uint32_t field = cap.isRange ? static_cast<std::uint32_t>(usage - cap.usageMin) : 0;
    found.cap = &cap;
    found.position = {cap.bitOffset + std::uint64_t{field} * cap.bitSize, cap.bitSize};
    found.status = found.position.FitsIn(report) && field < cap.reportCount ? HidStatus::Success
                                                                            : HidStatus::InvalidReportLength;
    return found;
  }
  return found;
}

}  // namespace

std::uint32_t MaxUsageListLength(const HidCollectionCaps& caps, HidReportType type, std::uint16_t usagePage) {
  std::uint64_t total = 0;
  // The usages of one array item come as consecutive caps over the same fields; count the fields once.
  const HidButtonCaps* lastArray = nullptr;
  for (const auto& cap : caps.buttonCaps[TypeIndex(type)]) {
    if (usagePage != 0 && cap.usagePage != usagePage) continue;
    if (cap.isArray) {
      const bool sameFields =
          lastArray && lastArray->reportId == cap.reportId && lastArray->bitOffset == cap.bitOffset;
      lastArray = &cap;
      if (sameFields) continue;
    }
    total += cap.reportCount;
  }
  return static_cast<std::uint32_t>(std::min<std::uint64_t>(total, UINT32_MAX));
}

HidStatus GetUsages(const HidCollectionCaps& caps, HidReportType type, std::uint16_t usagePage,
                    std::span<const std::uint8_t> report, std::span<std::uint16_t> usages,
                    std::uint32_t& usageLength) {
  if (!HoldsReport(caps, type, report)) return HidStatus::InvalidReportLength;
  HidStatus status = HidStatus::UsageNotFound;
  std::uint32_t count = 0;
  for (const auto& cap : caps.buttonCaps[TypeIndex(type)]) {
    if (cap.usagePage != usagePage) continue;
    if (cap.reportId != report[0]) {
      if (status == HidStatus::UsageNotFound) status = HidStatus::IncompatibleReportId;
      continue;
    }
    if (status != HidStatus::BufferTooSmall) status = HidStatus::Success;
    if (cap.reportCount > 0 && !FieldOf(cap, cap.reportCount - 1).FitsIn(report))
      return HidStatus::InvalidReportLength;
    for (std::uint32_t field = 0; field < cap.reportCount; ++field) {
      const std::uint16_t usage = ButtonUsage(cap, field, ReadField(report, FieldOf(cap, field)));
      if (usage == 0) continue;
      if (count == usages.size()) {
        status = HidStatus::BufferTooSmall;
        break;
      }
      usages[count++] = usage;
    }
  }
  if (status == HidStatus::Success || status == HidStatus::BufferTooSmall) usageLength = count;
  return status;
}

HidStatus GetUsageValue(const HidCollectionCaps& caps, HidReportType type, std::uint16_t usagePage,
                        std::uint16_t usage, std::span<const std::uint8_t> report, std::uint32_t& value) {
  const auto found = FindValue(caps, type, usagePage, usage, report);
  if (found.status == HidStatus::Success) value = ReadField(report, found.position);
  return found.status;
}

HidStatus GetScaledUsageValue(const HidCollectionCaps& caps, HidReportType type, std::uint16_t usagePage,
                              std::uint16_t usage, std::span<const std::uint8_t> report,
                              std::int32_t& value) {
  const auto found = FindValue(caps, type, usagePage, usage, report);
  if (found.status != HidStatus::Success) return found.status;
  const HidValueCaps& cap = *found.cap;
  if (cap.logicalMin >= cap.logicalMax) return HidStatus::BadLogPhyValues;
  const std::int64_t logical =
      ToLogical(ReadField(report, found.position), found.position.Width(), cap.logicalMin < 0);
  if (logical < cap.logicalMin || logical > cap.logicalMax) return HidStatus::NullValue;

  const bool noPhysical = cap.physicalMin == 0 && cap.physicalMax == 0;
  const std::int64_t physicalMin = noPhysical ? cap.logicalMin : cap.physicalMin;
  const std::int64_t physicalMax = noPhysical ? cap.logicalMax : cap.physicalMax;
  const WideProduct scaled = WideProduct{logical - cap.logicalMin} * (physicalMax - physicalMin) /
                             (std::int64_t{cap.logicalMax} - cap.logicalMin);
  // Lies between the physical bounds, so it fits.
  value = static_cast<std::int32_t>(physicalMin + static_cast<std::int64_t>(scaled));
  return HidStatus::Success;
}

}  // namespace nimbel
