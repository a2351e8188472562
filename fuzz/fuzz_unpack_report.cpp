// Input: a 16-bit little-endian descriptor length, the descriptor, then report bytes. Every collection
// and report type decodes the report bytes as they come, padded to the report length, and cut one
// byte short of it.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "hid/data_list.h"
#include "hid/report_descriptor.h"

namespace {

constexpr std::size_t kLengthPrefix = 2;

void Decode(const nimbel::HidCollectionCaps& collection, nimbel::HidReportType type,
            std::span<const std::uint8_t> report) {
  auto list = nimbel::BuildDataList(collection, type);
  nimbel::UnpackReport(collection, report, type, list);
  std::vector<std::uint16_t> usages(nimbel::MaxUsageListLength(collection, type, 0));
  std::uint32_t count = 0;
  for (const auto& item : list) {
    if (item.isButton) nimbel::GetUsages(collection, type, item.usagePage, report, usages, count);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < kLengthPrefix) return 0;
  const std::span input(data, size);
  const std::size_t descriptorLength =
      std::min<std::size_t>(input[0] | (input[1] << 8), size - kLengthPrefix);
  const auto descriptor = input.subspan(kLengthPrefix, descriptorLength);
  const auto report = input.subspan(kLengthPrefix + descriptorLength);
  const auto caps = nimbel::ParseReportDescriptor(descriptor);
  if (!caps) return 0;

  for (const auto& collection : caps->collections) {
    for (std::size_t t = 0; t < nimbel::kHidReportTypeCount; ++t) {
      const auto type = static_cast<nimbel::HidReportType>(t);
      Decode(collection, type, report);
      std::vector<std::uint8_t> full(report.begin(), report.end());
      full.resize(collection.reportByteLength[t]);
      Decode(collection, type, full);
      if (!full.empty()) Decode(collection, type, std::span(full).first(full.size() - 1));
    }
  }
  return 0;
}
