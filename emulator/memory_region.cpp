#include "emulator/memory_region.h"

#include <algorithm>

namespace nimbel::emulator {

bool MemoryRegion::Read(std::size_t offset, std::span<std::uint8_t> destination) const {
  if (!Contains(offset, destination.size())) return false;
  std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(offset), destination.size(), destination.begin());
  return true;
}

bool MemoryRegion::Write(std::size_t offset, std::span<const std::uint8_t> source) {
  if (!Contains(offset, source.size())) return false;
  std::copy(source.begin(), source.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(offset));
  return true;
}

}  // namespace nimbel::emulator
