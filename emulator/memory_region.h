#pragma once

// A block of firmware memory addressed by offset and length. Every access is checked against the
// block's size, so no request can reach outside it whatever offsets and lengths it carries.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace nimbel::emulator {

class MemoryRegion {
 public:
  explicit MemoryRegion(std::size_t size) : bytes_(size) {}

  std::size_t Size() const { return bytes_.size(); }

  bool Contains(std::size_t offset, std::size_t length) const {
    return offset <= bytes_.size() && length <= bytes_.size() - offset;
  }

  bool Read(std::size_t offset, std::span<std::uint8_t> destination) const;
  bool Write(std::size_t offset, std::span<const std::uint8_t> source);

  std::span<std::uint8_t> Bytes() { return bytes_; }
  std::span<const std::uint8_t> Bytes() const { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
};

}  // namespace nimbel::emulator
