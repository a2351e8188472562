#pragma once

// The data list of one report type of an open collection: one entry per control, each holding what the
// last decoded report carried for it.

#include <cstdint>
#include <span>
#include <vector>

#include "hid/report_descriptor.h"

namespace nimbel {

// One control of one report type, and what the last decode found in it.
struct HidDataItem {
  bool isButton = false;
  std::uint16_t usagePage = 0;
  HidStatus status = HidStatus::Success;
  std::uint32_t reportId = 0;
  bool isSet = false;
  // Button group: the pressed usages of the group after a decode, followed by a 0 when there is room.
  std::uint32_t usageMin = 0;
  std::uint32_t usageMax = 0;
  std::uint32_t maxUsageListLength = 0;
  std::vector<std::uint16_t> usages;
  // Value.
  std::uint16_t usage = 0;
  std::uint32_t rawValue = 0;
  std::int32_t scaledValue = 0;
};

// One entry per button capability, then one per value usage (a usage range gives one entry per usage,
// lowest first), each carrying its report id and, for buttons, a zeroed usage list as long as the
// longest list of its usage page.
std::vector<HidDataItem> BuildDataList(const HidCollectionCaps& caps, HidReportType type);

// Decodes one received report (byte 0 = report id) into the entries of its report id; entries of other
// reports are left as they are. False when a value cannot be extracted (or the report is empty), with
// the entries decoded before it keeping their results.
bool UnpackReport(const HidCollectionCaps& caps, std::span<const std::uint8_t> report, HidReportType type,
                  std::span<HidDataItem> dataList);

}  // namespace nimbel
