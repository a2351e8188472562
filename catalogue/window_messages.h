#pragma once

#include <cstdint>

namespace nimbel {

// The window-message numbers of what detection and the device tabs tell the main window. Inside the
// program these travel as typed calls (IMainWindowEvents); the numbers name them where a record of the
// calls is kept by number, and never change.
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
