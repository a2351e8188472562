#include "profiles/json_access.h"
#include "profiles/profile_document.h"

namespace nimbel {
namespace {

constexpr const char* kKeyListKey = "KeyList";
constexpr const char* kAssignmentKey = "Assignment";
constexpr const char* kDefaultAssignmentKey = "DefaultAssignment";

}  // namespace

std::vector<KeyAssignment> CBasicProfiledata::ReadKeyList(const Json::Value& document) {
  std::vector<KeyAssignment> list;
  const Json::Value& keys = json::Member(document, kKeyListKey);
  if (!keys.isArray()) return list;
  const Json::ArrayIndex count = json::BoundedSize(keys);
  list.reserve(count);
  for (Json::ArrayIndex i = 0; i < count; ++i) {
    const Json::Value& element = keys[i];
    const auto position = static_cast<std::uint16_t>(i);
    list.push_back({KeyCode::FromValue(position, json::IntMember(element, kAssignmentKey)),
                    KeyCode::FromValue(position, json::IntMember(element, kDefaultAssignmentKey))});
  }
  return list;
}

void CBasicProfiledata::WriteKeyList(Json::Value& document, std::span<const KeyAssignment> list) {
  Json::Value& keys = json::MemberForWrite(document, kKeyListKey);
  for (std::size_t i = 0; i < list.size(); ++i) {
    Json::Value* element = json::ElementForWrite(keys, static_cast<std::int64_t>(i));
    if (element == nullptr) return;
    json::MemberForWrite(*element, kAssignmentKey) = list[i].current.Value();
  }
}

std::vector<KeyAssignment> CBasicProfiledata::GetKeyList() {
  keyList_ = ReadKeyList(document_);
  return keyList_;
}

std::vector<KeyAssignment> CBasicProfiledata::GetSecondaryKeyList() {
  secondaryKeyList_ = ReadKeyList(secondaryDocument_);
  return secondaryKeyList_;
}

void CBasicProfiledata::SetKeyList(std::span<const KeyAssignment> list) {
  keyList_.assign(list.begin(), list.end());
  WriteKeyList(document_, list);
}

void CBasicProfiledata::SetSecondaryKeyList(std::span<const KeyAssignment> list) {
  secondaryKeyList_.assign(list.begin(), list.end());
  WriteKeyList(secondaryDocument_, list);
}

std::vector<KeyAssignment> CBasicProfiledata::GetMergedKeyList() {
  mergedKeyList_ = ReadKeyList(document_);
  for (const auto& [position, slot] : keySlotMap_) {
    if (position < 0 || static_cast<std::size_t>(position) >= mergedKeyList_.size()) continue;
    // A slot past the table would read beyond it; such a key keeps the code its file holds.
    if (slot < 0 || static_cast<std::size_t>(slot) >= kRawKeyTableSize / kRawKeyTableStride) continue;
    const std::size_t offset = static_cast<std::size_t>(slot) * kRawKeyTableStride;
    KeyCode& code = mergedKeyList_[static_cast<std::size_t>(position)].current;
    code.high = rawKeyTable_[offset];
    code.middle = rawKeyTable_[offset + 1];
    code.low = rawKeyTable_[offset + 2];
  }
  return mergedKeyList_;
}

void CBasicProfiledata::SetRawKeyTable(std::span<const std::uint8_t, kRawKeyTableSize> table) {
  std::copy(table.begin(), table.end(), rawKeyTable_.begin());
}

CBasicProfiledata::KeySlotMap CBasicProfiledata::SetKeySlotMap(const KeySlotMap& map) {
  keySlotMap_ = map;
  return keySlotMap_;
}

}  // namespace nimbel
