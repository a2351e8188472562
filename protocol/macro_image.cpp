#include "protocol/macro_image.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace nimbel {
namespace {

constexpr std::size_t kMagicOffset = 0;
constexpr std::size_t kLengthOffset = 2;
constexpr std::size_t kCountOffset = 4;
constexpr std::size_t kOffsetEntrySize = 2;
// A record's event count, then two bytes the mouse does not read.
constexpr std::size_t kRecordHeaderSize = 4;
constexpr std::uint8_t kDownBit = 0x80;
constexpr std::size_t kFieldMax = std::numeric_limits<std::uint16_t>::max();

void PutWord(std::vector<std::uint8_t>& image, std::size_t offset, std::size_t value) {
  image[offset] = static_cast<std::uint8_t>(value);
  image[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

std::size_t WordAt(std::span<const std::uint8_t> image, std::size_t offset) {
  return static_cast<std::size_t>(image[offset]) | static_cast<std::size_t>(image[offset + 1]) << 8;
}

std::size_t RecordSize(const MacroRecord& record) {
  return kRecordHeaderSize + kMacroImageEventSize * record.size();
}

MacroImageEvent EventAt(std::span<const std::uint8_t> image, std::size_t offset) {
  const std::uint8_t typeByte = image[offset + 2];
  return {static_cast<std::uint16_t>(WordAt(image, offset)), static_cast<std::uint8_t>(typeByte & ~kDownBit),
          (typeByte & kDownBit) != 0, image[offset + 3]};
}

}  // namespace

std::size_t MacroImageLength(std::span<const MacroRecord> records) {
  std::size_t length = kMacroImageHeaderSize + kOffsetEntrySize * records.size();
  for (const MacroRecord& record : records) length += RecordSize(record);
  return length;
}

std::optional<std::vector<std::uint8_t>> BuildMacroImage(std::span<const MacroRecord> records) {
  // The count, every offset and every event count are below the length, so the length's bound is theirs.
  const std::size_t length = MacroImageLength(records);
  if (length > kFieldMax) return std::nullopt;
  std::vector<std::uint8_t> image(length, 0);
  PutWord(image, kMagicOffset, kMacroImageMagic);
  PutWord(image, kLengthOffset, length);
  PutWord(image, kCountOffset, records.size());
  std::size_t offset = kMacroImageHeaderSize + kOffsetEntrySize * records.size();
  for (std::size_t i = 0; i < records.size(); ++i) {
    PutWord(image, kMacroImageHeaderSize + kOffsetEntrySize * i, offset);
    PutWord(image, offset, records[i].size());
    std::size_t at = offset + kRecordHeaderSize;
    for (const MacroImageEvent& event : records[i]) {
      PutWord(image, at, event.delay);
      image[at + 2] = static_cast<std::uint8_t>(event.type | (event.down ? kDownBit : 0));
      image[at + 3] = event.button;
      at += kMacroImageEventSize;
    }
    offset = at;
  }
  return image;
}

std::optional<std::vector<MacroRecord>> DecodeMacroImage(std::span<const std::uint8_t> image) {
  if (image.size() < kMacroImageHeaderSize || WordAt(image, kMagicOffset) != kMacroImageMagic)
    return std::nullopt;
  const std::size_t length = WordAt(image, kLengthOffset);
  const std::size_t count = WordAt(image, kCountOffset);
  const std::size_t recordsStart = kMacroImageHeaderSize + kOffsetEntrySize * count;
  if (length > image.size() || recordsStart > length) return std::nullopt;
  const std::span<const std::uint8_t> bytes = image.first(length);

  // Records may lie in any order but never share bytes: shared records would let a few kilobytes claim
  // millions of events.
  std::vector<std::pair<std::size_t, std::size_t>> extents;
  extents.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t offset = WordAt(bytes, kMacroImageHeaderSize + kOffsetEntrySize * i);
    if (offset < recordsStart || offset + kRecordHeaderSize > length) return std::nullopt;
    const std::size_t end = offset + kRecordHeaderSize + kMacroImageEventSize * WordAt(bytes, offset);
    if (end > length) return std::nullopt;
    extents.emplace_back(offset, end);
  }
  std::vector<std::pair<std::size_t, std::size_t>> sorted = extents;
  std::ranges::sort(sorted);
  for (std::size_t i = 1; i < sorted.size(); ++i) {
    if (sorted[i].first < sorted[i - 1].second) return std::nullopt;
  }

  std::vector<MacroRecord> records;
  records.reserve(count);
  for (const auto& [offset, end] : extents) {
    MacroRecord& record = records.emplace_back();
    for (std::size_t at = offset + kRecordHeaderSize; at < end; at += kMacroImageEventSize)
      record.push_back(EventAt(bytes, at));
  }
  return records;
}

}  // namespace nimbel
