#include "emulator/memory_store.h"

#include <algorithm>
#include <array>

namespace nimbel::emulator {
namespace {

constexpr std::array<std::uint8_t, 8> kImageMark{'N', 'M', 'B', 'L', 'M', 'E', 'M', 1};
constexpr std::size_t kCrcSize = 4;
// CRC-32 (reflected 0xEDB88320, as zlib's): unlike a sum it sees swapped and zeroed blocks.
constexpr std::uint32_t kCrcPolynomial = 0xEDB88320;
constexpr int kBitsPerByte = 8;

std::uint32_t Crc32(std::span<const std::uint8_t> bytes) {
  std::uint32_t crc = 0xFFFFFFFF;
  for (const std::uint8_t byte : bytes) {
    crc ^= byte;
    for (int bit = 0; bit < kBitsPerByte; ++bit) crc = (crc >> 1) ^ ((crc & 1) != 0 ? kCrcPolynomial : 0);
  }
  return ~crc;
}

}  // namespace

std::vector<std::uint8_t> SealMemoryImage(std::span<const std::uint8_t> memory) {
  std::vector<std::uint8_t> image(kImageMark.size() + memory.size() + kCrcSize);
  const auto sealed = std::span(image).first(image.size() - kCrcSize);
  std::copy(kImageMark.begin(), kImageMark.end(), sealed.begin());
  std::copy(memory.begin(), memory.end(), sealed.begin() + kImageMark.size());
  const std::uint32_t crc = Crc32(sealed);
  for (std::size_t i = 0; i < kCrcSize; ++i)
    image[sealed.size() + i] = static_cast<std::uint8_t>(crc >> (kBitsPerByte * i));
  return image;
}

std::optional<std::vector<std::uint8_t>> OpenMemoryImage(std::span<const std::uint8_t> image) {
  if (image.size() < kImageMark.size() + kCrcSize) return std::nullopt;
  if (!std::equal(kImageMark.begin(), kImageMark.end(), image.begin())) return std::nullopt;
  const auto sealed = image.first(image.size() - kCrcSize);
  std::uint32_t stored = 0;
  for (std::size_t i = 0; i < kCrcSize; ++i)
    stored |= std::uint32_t{image[sealed.size() + i]} << (kBitsPerByte * i);
  if (Crc32(sealed) != stored) return std::nullopt;
  return std::vector<std::uint8_t>(sealed.begin() + kImageMark.size(), sealed.end());
}

}  // namespace nimbel::emulator
