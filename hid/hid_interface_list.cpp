#include <algorithm>
#include <cctype>
#include <utility>

#include "hid/hid_device.h"

namespace nimbel {

namespace {

bool EqualIgnoringCase(char a, char b) {
  return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
}

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  const int lower = std::tolower(static_cast<unsigned char>(c));
  if (lower >= 'a' && lower <= 'f') return lower - 'a' + 10;
  return -1;
}

}  // namespace

std::uint16_t ParsePathNumber(std::string_view path, std::string_view marker) {
  const auto found = std::search(path.begin(), path.end(), marker.begin(), marker.end(), EqualIgnoringCase);
  if (marker.empty() || found == path.end()) return 0;
  // Like "%x" read into an unsigned int and then narrowed: the low 32 bits are kept while reading, so
  // the low 16 bits of a long number survive.
  std::uint32_t value = 0;
  for (auto it = found + static_cast<std::ptrdiff_t>(marker.size()); it != path.end(); ++it) {
    const int digit = HexDigitValue(*it);
    if (digit < 0) break;
    value = value << 4 | static_cast<std::uint32_t>(digit);
  }
  return static_cast<std::uint16_t>(value);
}

HidInterfaceList::HidInterfaceList(std::shared_ptr<HidBackend> backend) : backend_(std::move(backend)) {}

bool HidInterfaceList::Enumerate() {
  cursor_ = 0;
  paths_.clear();
  const auto backend = backend_ ? backend_ : CurrentHidBackend();
  if (backend->EnumeratePaths(paths_)) return true;
  paths_.clear();
  return false;
}

std::optional<std::string> HidInterfaceList::NextPath() {
  if (cursor_ >= paths_.size()) return std::nullopt;
  return paths_[cursor_++];
}

void HidInterfaceList::Release() {
  paths_.clear();
  paths_.shrink_to_fit();
  cursor_ = 0;
}

}  // namespace nimbel
