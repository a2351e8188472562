#include "profiles/profile_records.h"

namespace nimbel {

std::array<std::uint8_t, DpiStage::kSize> DpiStage::ToBytes() const {
  return {enabled,
          xyFlag,
          static_cast<std::uint8_t>(dpiX),
          static_cast<std::uint8_t>(dpiX >> 8),
          static_cast<std::uint8_t>(dpiY),
          static_cast<std::uint8_t>(dpiY >> 8),
          red,
          green,
          blue};
}

DpiStage DpiStage::FromBytes(std::span<const std::uint8_t, kSize> bytes) {
  return {bytes[0],
          bytes[1],
          static_cast<std::uint16_t>(bytes[2] | bytes[3] << 8),
          static_cast<std::uint16_t>(bytes[4] | bytes[5] << 8),
          bytes[6],
          bytes[7],
          bytes[8]};
}

}  // namespace nimbel
