#include "hid/data_list.h"

#include <algorithm>

namespace nimbel {
namespace {

std::size_t TypeIndex(HidReportType type) {
  return static_cast<std::size_t>(type);
}

HidDataItem ButtonItem(const HidCollectionCaps& caps, HidReportType type, const HidButtonCaps& cap) {
  HidDataItem item;
  item.isButton = true;
  item.usagePage = cap.usagePage;
  item.reportId = cap.reportId;
  item.usageMin = cap.usageMin;
  item.usageMax = cap.usageMax;
  item.maxUsageListLength = MaxUsageListLength(caps, type, cap.usagePage);
  item.usages.assign(item.maxUsageListLength, 0);
  return item;
}

HidDataItem ValueItem(const HidValueCaps& cap, std::uint16_t usage) {
  HidDataItem item;
  item.usagePage = cap.usagePage;
  item.reportId = cap.reportId;
  item.usage = usage;
  return item;
}

void DecodeButtons(const HidCollectionCaps& caps, std::span<const std::uint8_t> report, HidReportType type,
                   HidDataItem& item) {
  std::uint32_t found = 0;
  item.status = GetUsages(caps, type, item.usagePage, report, item.usages, found);
  // A failed decode reports no usages; the list must not keep the presses of an earlier report.
  if (item.status != HidStatus::Success && item.status != HidStatus::BufferTooSmall) found = 0;
  const auto first = item.usages.begin();
  const auto kept = std::remove_if(first, first + found, [&item](std::uint16_t usage) {
    return usage < item.usageMin || usage > item.usageMax;
  });
  std::fill(kept, item.usages.end(), 0);
}

bool DecodeValue(const HidCollectionCaps& caps, std::span<const std::uint8_t> report, HidReportType type,
                 HidDataItem& item) {
  item.status = GetUsageValue(caps, type, item.usagePage, item.usage, report, item.rawValue);
  if (item.status != HidStatus::Success) return false;
  item.status = GetScaledUsageValue(caps, type, item.usagePage, item.usage, report, item.scaledValue);
  return true;
}

}  // namespace

std::vector<HidDataItem> BuildDataList(const HidCollectionCaps& caps, HidReportType type) {
  const auto& buttons = caps.buttonCaps[TypeIndex(type)];
  const auto& values = caps.valueCaps[TypeIndex(type)];
  std::size_t valueUsages = 0;
  for (const auto& cap : values)
    if (cap.usageMax >= cap.usageMin)
      valueUsages += static_cast<std::size_t>(cap.usageMax - cap.usageMin) + 1;

  std::vector<HidDataItem> list;
  list.reserve(buttons.size() + valueUsages);
  for (const auto& cap : buttons) list.push_back(ButtonItem(caps, type, cap));
  for (const auto& cap : values)
    for (std::uint32_t usage = cap.usageMin; usage <= cap.usageMax; ++usage)
      list.push_back(ValueItem(cap, static_cast<std::uint16_t>(usage)));
  return list;
}

bool UnpackReport(const HidCollectionCaps& caps, std::span<const std::uint8_t> report, HidReportType type,
                  std::span<HidDataItem> dataList) {
  // Without byte 0 there is no report id to match entries against.
  if (report.empty()) return false;
  for (auto& item : dataList) {
    if (item.reportId != report[0]) continue;
    if (item.isButton) {
      DecodeButtons(caps, report, type, item);
    } else if (!DecodeValue(caps, report, type, item)) {
      return false;
    }
    item.isSet = true;
  }
  return true;
}

}  // namespace nimbel
