#pragma once

namespace nimbel {

// Whether the system is running, as opposed to preparing for sleep or asleep. While it is clear the
// window's timers and routed messages do nothing, so no device is written while the system suspends.
// Set at start; any thread may read it.
bool IsSystemAwake();
void SetSystemAwake(bool awake);

}  // namespace nimbel
