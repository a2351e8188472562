#include "hid/hid_device.h"

#include <utility>

namespace nimbel {

namespace {

constexpr std::string_view kInterfaceMarker = "&mi_";
constexpr std::string_view kCollectionMarker = "&col";

std::size_t TypeIndex(HidReportType type) {
  return static_cast<std::size_t>(type);
}

}  // namespace

struct HidDevice::OpenHandle {
  std::unique_ptr<HidConnection> connection;
  AbortEvent abort;
  HidAttributes attributes;
  HidCollectionCaps caps;
  std::array<std::vector<std::uint8_t>, kHidReportTypeCount> reportBuffers;
  std::array<std::vector<HidDataItem>, kHidReportTypeCount> dataLists;
};

HidDevice::HidDevice() = default;

HidDevice::~HidDevice() {
  Close();
}

bool HidDevice::Open(std::string_view path, const HidOpenMode& mode) {
  mode_ = mode;
  path_ = path;
  return Reopen();
}

bool HidDevice::Reopen() {
  Close();
  interfaceNumber_ = ParsePathNumber(path_, kInterfaceMarker);
  collectionNumber_ = ParsePathNumber(path_, kCollectionMarker);
  auto handle = OpenStoredPath();
  if (!handle) return false;
  std::lock_guard lock(handleLock_);
  handle_ = std::move(handle);
  return true;
}

void HidDevice::Close() {
  // Signalled unconditionally: a transfer that is just starting on this handle must see it too. The
  // handle itself goes when the last transfer using it has left.
  if (auto handle = TakeHandle()) handle->abort.Signal();
}

bool HidDevice::IsOpen() const {
  return CurrentHandle() != nullptr;
}

std::shared_ptr<HidDevice::OpenHandle> HidDevice::CurrentHandle() const {
  std::lock_guard lock(handleLock_);
  return handle_;
}

std::shared_ptr<HidDevice::OpenHandle> HidDevice::TakeHandle() {
  std::lock_guard lock(handleLock_);
  return std::exchange(handle_, nullptr);
}

std::shared_ptr<HidDevice::OpenHandle> HidDevice::OpenStoredPath() const {
  auto handle = std::make_shared<OpenHandle>();
  handle->connection = CurrentHidBackend()->Open(path_, mode_);
  if (!handle->connection) return nullptr;

  // A path without a collection number names the only (first) collection of its interface.
  const auto descriptor = ParseReportDescriptor(handle->connection->ReportDescriptor());
  const std::size_t collection = collectionNumber_ == 0 ? 1 : collectionNumber_;
  if (!descriptor || collection > descriptor->collections.size()) return nullptr;

  handle->attributes = handle->connection->Attributes();
  handle->caps = descriptor->collections[collection - 1];
  for (std::size_t i = 0; i < kHidReportTypeCount; ++i) {
    const auto type = static_cast<HidReportType>(i);
    handle->reportBuffers[i].assign(handle->caps.reportByteLength[i], 0);
    handle->dataLists[i] = BuildDataList(handle->caps, type);
  }
  return handle;
}

bool HidDevice::ReadReport(std::span<std::uint8_t> buffer, std::size_t& bytesRead, int timeoutMs) {
  bytesRead = 0;
  const auto handle = CurrentHandle();
  if (!handle) return false;
  std::size_t count = 0;
  if (handle->connection->Read(buffer, timeoutMs, handle->abort, count) != TransferResult::Done) return false;
  bytesRead = count;
  return true;
}

bool HidDevice::WriteReport(std::span<const std::uint8_t> buffer, std::size_t& bytesWritten, int timeoutMs) {
  bytesWritten = 0;
  const auto handle = CurrentHandle();
  if (!handle) return false;
  std::size_t count = 0;
  if (handle->connection->Write(buffer, timeoutMs, handle->abort, count) != TransferResult::Done)
    return false;
  bytesWritten = count;
  return true;
}

bool HidDevice::UnpackReport(std::span<const std::uint8_t> report, HidReportType type,
                             std::span<HidDataItem> dataList) const {
  const auto handle = CurrentHandle();
  return handle && nimbel::UnpackReport(handle->caps, report, type, dataList);
}

HidAttributes HidDevice::Attributes() const {
  const auto handle = CurrentHandle();
  return handle ? handle->attributes : HidAttributes{};
}

std::uint16_t HidDevice::UsagePage() const {
  const auto handle = CurrentHandle();
  return handle ? handle->caps.usagePage : 0;
}

std::uint16_t HidDevice::Usage() const {
  const auto handle = CurrentHandle();
  return handle ? handle->caps.usage : 0;
}

const HidCollectionCaps* HidDevice::Capabilities() const {
  const auto handle = CurrentHandle();
  return handle ? &handle->caps : nullptr;
}

std::span<std::uint8_t> HidDevice::ReportBuffer(HidReportType type) {
  const auto handle = CurrentHandle();
  return handle ? std::span<std::uint8_t>(handle->reportBuffers[TypeIndex(type)]) : std::span<std::uint8_t>();
}

std::span<HidDataItem> HidDevice::DataList(HidReportType type) {
  const auto handle = CurrentHandle();
  return handle ? std::span<HidDataItem>(handle->dataLists[TypeIndex(type)]) : std::span<HidDataItem>();
}

}  // namespace nimbel
