#pragma once

// The detection thread's working copy of the supported-interface table: one slot per interface row, in
// table order, so a slot index is also the row index and the only value that travels between the
// detection thread and the main window.

#include <array>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/device_identity.h"

namespace nimbel {

// A row whose present flag and path say whether, and where, its interface is attached. Free: not present
// and no path. Attached: present with the path in use.
using InterfaceSlot = InterfaceRow;

// What a path names before the interface is opened.
struct PathKey {
  std::uint16_t vendorId;
  std::uint16_t productId;
  std::uint16_t interfaceNumber;
  std::uint16_t collectionNumber;
};

// What an opened interface says of itself, with the interface and collection numbers of its path.
struct InterfaceKey {
  PathKey path;
  std::uint16_t usagePage;
  std::uint16_t usage;
};

// Every operation takes the list's own lock for its duration only, and readers get copies: the detection
// thread changes slots while the main window may look at them.
class InterfaceSlotList {
 public:
  static constexpr std::size_t kSlotCount = DeviceCatalogue::kInterfaceRowCount;

  InterfaceSlotList();

  static constexpr std::size_t Count() { return kSlotCount; }
  static constexpr bool IsIndex(std::intptr_t index) {
    return index >= 0 && static_cast<std::size_t>(index) < kSlotCount;
  }

  // A copy of a slot; the index must be below Count().
  InterfaceSlot Slot(std::size_t index) const;

  bool AnyFree() const;
  // Whether some row names exactly these four values and a free slot with them exists: the cheap test
  // that decides whether a path is worth opening.
  bool HasFreeSlotFor(const PathKey& key) const;
  // Marks the first free slot with all six values attached at `path`; its index, or none.
  std::optional<std::size_t> Attach(const InterfaceKey& key, const std::string& path);
  // Marks a slot free.
  void Detach(std::size_t index);

  struct AttachedPath {
    std::size_t index;
    std::string path;
  };
  std::vector<AttachedPath> AttachedPaths() const;

  // Whether the same interface of the same product is attached on the other path: the partner row
  // exists, names this slot as its own partner, and is attached.
  bool PartnerAttached(std::size_t index) const;
  // The partner slot's index when the partner relation is mutual.
  std::optional<std::size_t> MutualPartner(std::size_t index) const;

  // The slot whose row is the identity of the device a slot belongs to: a notification slot leads to
  // the command slot of its product and kind, a receiver command slot to its cable-side partner. None
  // when a notification slot's product has no command row.
  std::optional<std::size_t> IdentitySlot(std::size_t index) const;

 private:
  static bool IsFree(const InterfaceSlot& slot) { return slot.present == 0 && slot.path.empty(); }
  static bool IsAttached(const InterfaceSlot& slot) { return slot.present != 0 && !slot.path.empty(); }
  std::optional<std::size_t> MutualPartnerLocked(std::size_t index) const;

  mutable std::mutex lock_;
  std::array<InterfaceSlot, kSlotCount> slots_;
};

}  // namespace nimbel
