#include "editors/function_tabs.h"

namespace nimbel {
namespace {

constexpr TabVisibility kKeyboardTabs[] = {{"cursor_Op_tab", false}, {"shoot_Op_tab", false}};
constexpr TabVisibility kMousePadTabs[] = {{"cursor_Op_tab", false},
                                           {"macro_Op_tab", false},
                                           {"system_Op_tab", false},
                                           {"key_Op_tab", false},
                                           {"shoot_Op_tab", false}};
constexpr TabVisibility kHeadsetTabs[] = {
    {"cursor_Op_tab", false}, {"macro_Op_tab", false},     {"system_Op_tab", false},
    {"key_Op_tab", false},    {"shoot_Op_tab", false},     {"4410_voice_Op_tab", true},
    {"magic_Op_tab", true},   {"Virtual7.1_Op_tab", true},
};

}  // namespace

std::span<const TabVisibility> TabRowOfKind(KindCode kind) {
  switch (CableKindOf(kind)) {
    case KindCode::KeyboardCable:
      return kKeyboardTabs;
    case KindCode::MousePad:
      return kMousePadTabs;
    case KindCode::Headset:
      return kHeadsetTabs;
    default:
      return {};
  }
}

}  // namespace nimbel
