#pragma once

#include <cstdint>

namespace nimbel {

// Milliseconds on the monotonic clock, truncated to 32 bits like the system tick count the device loops
// were written against: it wraps after about 49.7 days, so compare ticks only by unsigned difference
// (`TickMs() - start >= period`), never by `<`.
std::uint32_t TickMs();

}  // namespace nimbel
