#pragma once

// Where emulated devices keep their onboard memory between runs, as real devices keep it without power.
// Demo mode keeps it in files; tests keep nothing and always meet factory-fresh devices.
//
// What is stored is a sealed image: a mark, the memory, and a CRC-32 of both, so that a file that was
// damaged, cut short or written by something else is recognised and the device starts from its factory
// memory instead.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace nimbel::emulator {

class MemoryStore {
 public:
  virtual ~MemoryStore() = default;

  // The image last saved under `name`; nullopt when there is none or it cannot be read.
  virtual std::optional<std::vector<std::uint8_t>> Load(const std::string& name) = 0;
  // Replaces the image under `name`; a failure leaves the previous image (the device runs on regardless).
  virtual void Save(const std::string& name, std::span<const std::uint8_t> image) = 0;
};

std::vector<std::uint8_t> SealMemoryImage(std::span<const std::uint8_t> memory);
// The memory of a sealed image; nullopt when the mark or the CRC does not match.
std::optional<std::vector<std::uint8_t>> OpenMemoryImage(std::span<const std::uint8_t> image);

}  // namespace nimbel::emulator
