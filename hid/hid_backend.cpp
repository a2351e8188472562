#include "hid/hid_backend.h"

#include <algorithm>
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

std::size_t CopyInputReport(std::span<const std::uint8_t> report, std::size_t inputLength,
                            std::span<std::uint8_t> buffer) {
  const std::size_t delivered = std::min(buffer.size(), std::max(report.size(), inputLength));
  const std::size_t copied = std::min(delivered, report.size());
  std::copy_n(report.begin(), copied, buffer.begin());
  std::fill(buffer.begin() + static_cast<std::ptrdiff_t>(copied),
            buffer.begin() + static_cast<std::ptrdiff_t>(delivered), std::uint8_t{0});
  return delivered;
}

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
