#include "devices/notification_listener.h"

#include <vector>

#include "hid/data_list.h"
#include "platform/trace.h"

namespace nimbel {
namespace {

constexpr const char* kNotificationTrace = "接收到自动添加设备的同步信息要求  TEST";
constexpr const char* kListenerExitTrace = "MS 设备同步线程设定退出";
// The stop event is checked between reads, as the device loops always did.
constexpr int kStopPollMs = 1;

// The first usage of the first data entry: a button array carries the value as its pressed usage, a
// value control as its value.
std::uint16_t NotificationValue(const HidDataItem& item) {
  if (item.isButton) return item.usages.empty() ? 0 : item.usages.front();
  return static_cast<std::uint16_t>(item.rawValue);
}

}  // namespace

NotificationListener::~NotificationListener() {
  Close();
}

bool NotificationListener::Open(std::string_view path, Handler handler) {
  std::lock_guard guard(lock_);
  // A thread of an earlier open must be gone before its handle is replaced.
  CloseLocked();
  if (!handle_.Open(path, kHidReadWrite)) return false;
  // The capabilities are copied here, so the thread never touches what the handle frees when it closes.
  const HidCollectionCaps caps = *handle_.Capabilities();
  return thread_.Start([this, caps, handler = std::move(handler)](Event& stop) {
    std::vector<std::uint8_t> report(caps.reportByteLength[static_cast<std::size_t>(HidReportType::Input)]);
    std::vector<HidDataItem> dataList = BuildDataList(caps, HidReportType::Input);
    int waitMs = kStopPollMs;
    while (!stop.Wait(waitMs)) {
      waitMs = kStopPollMs;
      std::size_t bytesRead = 0;
      if (!handle_.ReadReport(report, bytesRead, kInfiniteTimeout)) {
        waitMs = kRetryAfterFailureMs;
        continue;
      }
      const std::span<const std::uint8_t> received(report.data(), bytesRead);
      if (dataList.empty() || !UnpackReport(caps, received, HidReportType::Input, dataList)) continue;
      Trace(kNotificationTrace);
      handler(NotificationValue(dataList.front()));
    }
    Trace(kListenerExitTrace);
  });
}

void NotificationListener::Close() {
  std::lock_guard guard(lock_);
  CloseLocked();
}

void NotificationListener::CloseLocked() {
  thread_.StopEvent().Set();
  handle_.Close();
  thread_.Stop(kStopBoundMs);
}

}  // namespace nimbel
