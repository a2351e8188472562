#include "platform/registered_messages.h"

#include <array>
#include <cctype>
#include <map>
#include <mutex>
#include <vector>

namespace nimbel {
namespace {

// Known strings in a fixed order; their id is the first registered id plus the position here.
constexpr std::array<std::string_view, 25> kKnownMessages = {
    kInstanceMessageName,
    kUpdateProgressRelayMessageName,
    kUpdateProgressMessageName,
    kLightingStateMessageName,
    kLightingControlMessageName,
    kToolQueryMessageName,
    kAudioCaptureMessageName,
    "WM_HOOK_KEY_SINGLEKEY_MSG",
    "WM_HOOK_KEY_HITKEY_MSG",
    "WM_HOOK_KEY_KBMACRO_MSG",
    "WM_HOOK_KEY_KBMACROPREVIOUS_MSG",
    "WM_HOOK_KEY_KBMACROLATER_MSG",
    "WM_HOOK_KEY_KBMACROSINGLE_MSG",
    "WM_HOOK_MOU_SINGLEKEY_MSG",
    "WM_HOOK_MOU_HITKEY_MSG",
    "WM_HOOK_MOU_KBMACRO_MSG",
    "WM_HOOK_KEY_MSMACRO_MSG",
    "WM_HOOK_KEY_MSMACROPREVIOUS_MSG",
    "WM_HOOK_KEY_MSMACROLATER_MSG",
    "WM_HOOK_KEY_MSMACROSINGLE_MSG",
    "UWM_MOUSEMOVE_USER_MSG",
    "Game_Start",
    "Game_End",
    "Game_Kill",
    "Game_Death",
};

// The system compares registration strings without regard to case; peers rely on it.
std::string FoldCase(std::string_view name) {
  std::string folded(name);
  for (char& c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return folded;
}

class Registry {
 public:
  Registry() {
    for (std::string_view name : kKnownMessages) Add(std::string(name));
  }

  std::uint32_t Register(std::string_view name) {
    if (name.empty()) return 0;
    std::lock_guard lock(mutex_);
    if (auto found = ids_.find(FoldCase(name)); found != ids_.end()) return found->second;
    if (kFirstRegisteredMessage + names_.size() > kLastRegisteredMessage) return 0;
    return Add(std::string(name));
  }

  std::optional<std::uint32_t> Find(std::string_view name) {
    std::lock_guard lock(mutex_);
    if (auto found = ids_.find(FoldCase(name)); found != ids_.end()) return found->second;
    return std::nullopt;
  }

  std::optional<std::string> Name(std::uint32_t id) {
    std::lock_guard lock(mutex_);
    if (id < kFirstRegisteredMessage || id - kFirstRegisteredMessage >= names_.size()) return std::nullopt;
    return names_[id - kFirstRegisteredMessage];
  }

 private:
  std::uint32_t Add(std::string name) {
    const auto id = static_cast<std::uint32_t>(kFirstRegisteredMessage + names_.size());
    ids_.emplace(FoldCase(name), id);
    names_.push_back(std::move(name));
    return id;
  }

  std::mutex mutex_;
  std::vector<std::string> names_;
  std::map<std::string, std::uint32_t, std::less<>> ids_;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

}  // namespace

std::uint32_t RegisterWindowMessage(std::string_view name) {
  return TheRegistry().Register(name);
}

std::optional<std::uint32_t> FindWindowMessage(std::string_view name) {
  return TheRegistry().Find(name);
}

std::optional<std::string> RegisteredMessageName(std::uint32_t id) {
  return TheRegistry().Name(id);
}

}  // namespace nimbel
