#include "catalogue/interface_slots.h"

#include <algorithm>

namespace nimbel {
namespace {

bool SamePath(const InterfaceRow& row, const PathKey& key) {
  return row.vendorId == key.vendorId && row.productId == key.productId &&
         row.interfaceNumber == key.interfaceNumber && row.collectionNumber == key.collectionNumber;
}

bool SameInterface(const InterfaceRow& row, const InterfaceKey& key) {
  return SamePath(row, key.path) && row.usagePage == key.usagePage && row.usage == key.usage;
}

}  // namespace

InterfaceSlotList::InterfaceSlotList() {
  const auto rows = DeviceCatalogue::InterfaceRows();
  std::copy(rows.begin(), rows.end(), slots_.begin());
}

InterfaceSlot InterfaceSlotList::Slot(std::size_t index) const {
  std::lock_guard lock(lock_);
  return slots_.at(index);
}

bool InterfaceSlotList::AnyFree() const {
  std::lock_guard lock(lock_);
  return std::any_of(slots_.begin(), slots_.end(), [](const InterfaceSlot& slot) { return IsFree(slot); });
}

bool InterfaceSlotList::HasFreeSlotFor(const PathKey& key) const {
  const auto rows = DeviceCatalogue::InterfaceRows();
  if (std::none_of(rows.begin(), rows.end(), [&](const InterfaceRow& row) { return SamePath(row, key); })) {
    return false;
  }
  std::lock_guard lock(lock_);
  return std::any_of(slots_.begin(), slots_.end(),
                     [&](const InterfaceSlot& slot) { return IsFree(slot) && SamePath(slot, key); });
}

std::optional<std::size_t> InterfaceSlotList::Attach(const InterfaceKey& key, const std::string& path) {
  std::lock_guard lock(lock_);
  for (std::size_t i = 0; i < slots_.size(); ++i) {
    InterfaceSlot& slot = slots_[i];
    if (!IsFree(slot) || !SameInterface(slot, key)) continue;
    slot.present = 1;
    slot.path = path;
    return i;
  }
  return std::nullopt;
}

void InterfaceSlotList::Detach(std::size_t index) {
  std::lock_guard lock(lock_);
  InterfaceSlot& slot = slots_.at(index);
  slot.present = 0;
  slot.path.clear();
}

std::vector<InterfaceSlotList::AttachedPath> InterfaceSlotList::AttachedPaths() const {
  std::vector<AttachedPath> attached;
  std::lock_guard lock(lock_);
  for (std::size_t i = 0; i < slots_.size(); ++i) {
    if (slots_[i].present != 0) attached.push_back({i, slots_[i].path});
  }
  return attached;
}

std::optional<std::size_t> InterfaceSlotList::MutualPartnerLocked(std::size_t index) const {
  const InterfaceSlot& slot = slots_.at(index);
  if (slot.hasPartner == 0 || slot.partner >= slots_.size()) return std::nullopt;
  if (slots_[slot.partner].partner != index) return std::nullopt;
  return slot.partner;
}

std::optional<std::size_t> InterfaceSlotList::MutualPartner(std::size_t index) const {
  std::lock_guard lock(lock_);
  return MutualPartnerLocked(index);
}

bool InterfaceSlotList::PartnerAttached(std::size_t index) const {
  std::lock_guard lock(lock_);
  const auto partner = MutualPartnerLocked(index);
  return partner && IsAttached(slots_[*partner]);
}

std::optional<std::size_t> InterfaceSlotList::IdentitySlot(std::size_t index) const {
  std::lock_guard lock(lock_);
  std::size_t identity = index;
  const InterfaceSlot& slot = slots_.at(index);
  if (slot.role == RoleCode::Notification) {
    const int command =
        DeviceCatalogue::FindInterfaceRow(slot.vendorId, slot.productId, slot.kind, RoleCode::Command);
    if (command < 0) return std::nullopt;
    identity = static_cast<std::size_t>(command);
  }
  if (IsReceiverKind(slots_[identity].kind)) {
    if (const auto partner = MutualPartnerLocked(identity)) identity = *partner;
  }
  return identity;
}

}  // namespace nimbel
