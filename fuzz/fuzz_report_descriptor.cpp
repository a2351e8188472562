// Parses arbitrary bytes as a report descriptor and checks what comes out: every control lies inside
// the report length of its type, and the data lists build within bounded memory.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "hid/data_list.h"
#include "hid/report_descriptor.h"

namespace {

using nimbel::HidCollectionCaps;
using nimbel::HidReportType;

void Check(bool condition) {
  if (!condition) std::abort();
}

// The last bit of a control must lie inside the report of its type, after the report id byte.
void CheckFits(const HidCollectionCaps& collection, std::size_t type, std::uint64_t bitOffset,
               std::uint64_t bitSize, std::uint64_t reportCount) {
  const std::uint64_t length = collection.reportByteLength[type];
  Check(length > 0);
  Check(bitOffset + bitSize * reportCount <= (length - 1) * 8);
}

void Walk(const HidCollectionCaps& collection) {
  for (std::size_t i = 1; i < collection.reportIds.size(); ++i)
    Check(collection.reportIds[i - 1] < collection.reportIds[i]);
  for (std::size_t t = 0; t < nimbel::kHidReportTypeCount; ++t) {
    const auto type = static_cast<HidReportType>(t);
    for (const auto& cap : collection.buttonCaps[t]) {
      Check(cap.usageMin <= cap.usageMax);
      CheckFits(collection, t, cap.bitOffset, cap.bitSize, cap.reportCount);
    }
    for (const auto& cap : collection.valueCaps[t]) {
      Check(cap.usageMin <= cap.usageMax);
      Check(static_cast<std::uint32_t>(cap.usageMax - cap.usageMin) < cap.reportCount);
      CheckFits(collection, t, cap.bitOffset, cap.bitSize, cap.reportCount);
    }
    const auto list = nimbel::BuildDataList(collection, type);
    for (const auto& item : list) Check(item.usages.size() == item.maxUsageListLength);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto caps = nimbel::ParseReportDescriptor(std::span(data, size));
  if (caps)
    for (const auto& collection : caps->collections) Walk(collection);
  return 0;
}
