#include "platform/tick.h"

#include <chrono>

namespace nimbel {

std::uint32_t TickMs() {
  const auto sinceEpoch = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count());
}

}  // namespace nimbel
