#pragma once

// Periods of the tab item timers (ids in devices/device_interfaces.h), shared by binding and the tab
// item.

namespace nimbel::tab_timing {

// The first read after binding, once the device has settled on its new handle.
inline constexpr int kBindDelayMs = 50;
// A receiver device without a link looks again after this; also the first look after a switch to the
// receiver, so the link has time to come up.
inline constexpr int kLinkRetryMs = 2000;
inline constexpr int kPowerFirstMs = 50;
inline constexpr int kPowerPeriodMs = 3000;
inline constexpr int kLinkWatchFirstMs = 2000;
inline constexpr int kLinkWatchPeriodMs = 3000;

}  // namespace nimbel::tab_timing
