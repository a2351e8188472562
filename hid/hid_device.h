#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "hid/abort_event.h"
#include "hid/hid_backend.h"
#include "hid/report_descriptor.h"

namespace nimbel {

inline constexpr int kInfiniteTimeout = -1;

// The list of present HID interface paths, filled by Enumerate and walked with NextPath.
class HidInterfaceList {
 public:
  explicit HidInterfaceList(std::shared_ptr<HidBackend> backend = nullptr);

  // Resets the cursor and collects every present path; on failure the list is emptied and false returned.
  bool Enumerate();
  // The path at the cursor, advancing it; none at the end or before a successful Enumerate.
  std::optional<std::string> NextPath();
  void Release();
  std::size_t Count() const { return paths_.size(); }

 private:
  std::shared_ptr<HidBackend> backend_;
  std::vector<std::string> paths_;
  std::size_t cursor_ = 0;
};

// One control of one report type, and what the last decode found in it.
struct HidDataItem {
  bool isButton = false;
  std::uint16_t usagePage = 0;
  HidStatus status = HidStatus::Success;
  std::uint32_t reportId = 0;
  bool isSet = false;
  // Button group: the pressed usages of the group after a decode, followed by a 0 when there is room.
  std::uint32_t usageMin = 0;
  std::uint32_t usageMax = 0;
  std::uint32_t maxUsageListLength = 0;
  std::vector<std::uint16_t> usages;
  // Value.
  std::uint16_t usage = 0;
  std::uint32_t rawValue = 0;
  std::int32_t scaledValue = 0;
};

// Everything HidDevice learns from the parser about the open interface.
struct HidReportTables {
  std::vector<std::uint8_t> reportBuffer;
  std::vector<HidDataItem> dataList;
};

// The hexadecimal number after `marker` ("vid_", "pid_", "&mi_", "&col") anywhere in `path`, letter case
// ignored, read up to the first non-hex character; 0 when the marker is absent.
std::uint16_t ParsePathNumber(std::string_view path, std::string_view marker);

// One HID interface: opened by path, with its capabilities and transfers that another thread can end.
class HidDevice {
 public:
  HidDevice();
  ~HidDevice();
  HidDevice(const HidDevice&) = delete;
  HidDevice& operator=(const HidDevice&) = delete;

  HidInterfaceList& Interfaces() { return interfaces_; }

  bool Open(std::string_view path, bool read, bool write, bool overlapped, bool exclusive);
  bool Reopen();
  void Close();
  bool IsOpen() const;

  bool ReadReport(std::span<std::uint8_t> buffer, std::size_t& bytesRead, int timeoutMs);
  bool WriteReport(std::span<const std::uint8_t> buffer, std::size_t& bytesWritten, int timeoutMs);

  // Decodes one received report into a data list (byte 0 = report id); false when a value cannot be
  // extracted, with the entries decoded before it keeping their results.
  bool UnpackReport(std::span<const std::uint8_t> report, HidReportType type,
                    std::span<HidDataItem> dataList) const;

  const std::string& Path() const { return path_; }
  const HidAttributes& Attributes() const { return attributes_; }
  std::uint16_t UsagePage() const { return caps_ ? caps_->usagePage : 0; }
  std::uint16_t Usage() const { return caps_ ? caps_->usage : 0; }
  const HidCollectionCaps* Capabilities() const { return caps_.get(); }
  std::uint32_t InterfaceNumber() const { return interfaceNumber_; }
  std::uint32_t CollectionNumber() const { return collectionNumber_; }
  std::span<std::uint8_t> ReportBuffer(HidReportType type) { return tables_[Index(type)].reportBuffer; }
  std::span<HidDataItem> DataList(HidReportType type) { return tables_[Index(type)].dataList; }

 private:
  static std::size_t Index(HidReportType type) { return static_cast<std::size_t>(type); }
  bool ReadCapabilities();
  void FreeCapabilities();
  void AbortTransfers();

  HidInterfaceList interfaces_;
  HidOpenMode mode_;
  std::unique_ptr<HidConnection> connection_;
  std::string path_;
  std::unique_ptr<HidCollectionCaps> caps_;
  HidAttributes attributes_;
  std::array<HidReportTables, kHidReportTypeCount> tables_;
  std::uint32_t interfaceNumber_ = 0;
  std::uint32_t collectionNumber_ = 0;
  AbortEvent abort_;
  std::atomic<bool> readInProgress_{false};
  std::atomic<bool> writeInProgress_{false};
};

}  // namespace nimbel
