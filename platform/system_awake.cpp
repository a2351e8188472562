#include "platform/system_awake.h"

#include <atomic>

namespace nimbel {
namespace {

std::atomic<bool> gSystemAwake{true};

}  // namespace

bool IsSystemAwake() {
  return gSystemAwake.load();
}

void SetSystemAwake(bool awake) {
  gSystemAwake.store(awake);
}

}  // namespace nimbel
