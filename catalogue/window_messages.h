#pragma once

#include <cstdint>

namespace nimbel {

// Window messages between detection, the device selector and the main window. Their numbers are what
// other components and earlier versions already send, so they never change.
//
// wParam = slot index, lParam = 0; sent synchronously by the detection thread.
inline constexpr std::uint32_t kDeviceArrivedMessage = 3090;
// wParam = slot index, lParam = 0; sent after the slot has been marked free.
inline constexpr std::uint32_t kDeviceRemovedMessage = 3091;
// wParam = the device's kind-row index (its tab index), lParam = kLinkUp or kLinkDown; sent synchronously.
inline constexpr std::uint32_t kLinkStateMessage = 3331;

inline constexpr std::intptr_t kLinkDown = 0;
inline constexpr std::intptr_t kLinkUp = 1;

}  // namespace nimbel
