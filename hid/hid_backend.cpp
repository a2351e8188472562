#include "hid/hid_backend.h"

#include <mutex>
#include <utility>

#include "hid/linux_hid_backend.h"

namespace nimbel {

namespace {

std::mutex& BackendLock() {
  static std::mutex lock;
  return lock;
}

std::shared_ptr<HidBackend>& InstalledBackend() {
  static std::shared_ptr<HidBackend> backend;
  return backend;
}

}  // namespace

std::shared_ptr<HidBackend> CurrentHidBackend() {
  std::lock_guard lock(BackendLock());
  auto& backend = InstalledBackend();
  if (!backend) backend = std::make_shared<LinuxHidBackend>();
  return backend;
}

void InstallHidBackend(std::shared_ptr<HidBackend> backend) {
  std::lock_guard lock(BackendLock());
  InstalledBackend() = std::move(backend);
}

}  // namespace nimbel
