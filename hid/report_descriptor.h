#pragma once

// Our own HID report-descriptor parser: what the HID class driver's parser gives on other systems
// (top-level collections, report lengths, button and value capabilities) and the decode of one report.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace nimbel {

enum class HidReportType : std::uint8_t { Input = 0, Output = 1, Feature = 2 };
inline constexpr std::size_t kHidReportTypeCount = 3;

// Results of the decode functions, named after the HID parser's status codes they stand for.
enum class HidStatus : std::uint32_t {
  Success = 0,
  UsageNotFound,         // the collection has no such control in any report of the type
  IncompatibleReportId,  // it has the control, but not in the report with this id
  BufferTooSmall,        // the usage list capacity is below the number of pressed usages
  InvalidReportLength,   // the report is shorter than the report byte length of its type
  BadLogPhyValues,       // scaling asked for a control whose logical range is empty
  NullValue,             // the raw value lies outside the logical range
};

// One button control group (an array, or variables one bit wide with logical range 0..1).
struct HidButtonCaps {
  std::uint16_t usagePage = 0;
  std::uint8_t reportId = 0;
  bool isRange = false;
  std::uint16_t usageMin = 0;  // equal to usageMax when not a range
  std::uint16_t usageMax = 0;
  std::uint32_t bitOffset = 0;  // from the first bit after the report id byte
  std::uint32_t bitSize = 0;    // of one field
  std::uint32_t reportCount = 0;
  bool isArray = false;
  // For arrays: the field values (indices) that stand for usageMin and usageMax.
  std::int32_t logicalMin = 0;
  std::int32_t logicalMax = 0;
};

// One value control. A range gives one usage per field (fields beyond the range repeat usageMax); a
// single usage over several fields is a value array whose first field is its value.
struct HidValueCaps {
  std::uint16_t usagePage = 0;
  std::uint8_t reportId = 0;
  bool isRange = false;
  std::uint16_t usageMin = 0;
  std::uint16_t usageMax = 0;
  std::uint32_t bitOffset = 0;
  std::uint32_t bitSize = 0;
  std::uint32_t reportCount = 0;
  std::int32_t logicalMin = 0;
  std::int32_t logicalMax = 0;
  std::int32_t physicalMin = 0;
  std::int32_t physicalMax = 0;
  bool hasNull = false;
};

// One top-level (application) collection with everything below it.
struct HidCollectionCaps {
  std::uint16_t usagePage = 0;
  std::uint16_t usage = 0;
  std::vector<std::uint8_t> reportIds;  // ascending; empty when the descriptor uses no report ids
  // Byte lengths as the HID class driver reports them: the longest report of each type, plus one byte
  // for the report id (present even when the descriptor declares none); 0 when the type is absent.
  std::array<std::uint16_t, kHidReportTypeCount> reportByteLength{};
  std::array<std::vector<HidButtonCaps>, kHidReportTypeCount> buttonCaps;
  std::array<std::vector<HidValueCaps>, kHidReportTypeCount> valueCaps;

  bool HasReportId(std::uint8_t id) const;
};

struct HidDescriptorCaps {
  std::vector<HidCollectionCaps> collections;  // in descriptor order; Windows numbers them from 1
};

// Parses a report descriptor. Malformed input (truncated items, absurd sizes or counts, unbalanced or
// too deep collections, Pop without Push) gives std::nullopt and, when asked, a reason; it never crashes,
// hangs or allocates more than the descriptor's bounded controls need.
std::optional<HidDescriptorCaps> ParseReportDescriptor(std::span<const std::uint8_t> descriptor,
                                                       std::string* error = nullptr);

// The longest usage list GetUsages can return for a report type and usage page (0 = every page).
std::uint32_t MaxUsageListLength(const HidCollectionCaps& caps, HidReportType type, std::uint16_t usagePage);

// The usages of the pressed buttons of a usage page in one report (byte 0 = report id), in control
// order, written to the front of `usages`; `usageLength` is the number written. More pressed usages
// than `usages` holds gives BufferTooSmall with the list filled.
HidStatus GetUsages(const HidCollectionCaps& caps, HidReportType type, std::uint16_t usagePage,
                    std::span<const std::uint8_t> report, std::span<std::uint16_t> usages,
                    std::uint32_t& usageLength);

// The raw (unsigned, as stored; at most the low 32 bits) value of a value usage in one report.
HidStatus GetUsageValue(const HidCollectionCaps& caps, HidReportType type, std::uint16_t usagePage,
                        std::uint16_t usage, std::span<const std::uint8_t> report, std::uint32_t& value);

// The value, signed when the logical minimum is negative, scaled linearly from the logical to the
// physical range (the logical range when both physical bounds are 0). `value` is written only on
// Success.
HidStatus GetScaledUsageValue(const HidCollectionCaps& caps, HidReportType type, std::uint16_t usagePage,
                              std::uint16_t usage, std::span<const std::uint8_t> report, std::int32_t& value);

}  // namespace nimbel
