#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "hid/abort_event.h"
#include "hid/data_list.h"
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

// The hexadecimal number after `marker` ("vid_", "pid_", "&mi_", "&col") anywhere in `path`, letter case
// ignored, read up to the first non-hex character; 0 when the marker is absent.
std::uint16_t ParsePathNumber(std::string_view path, std::string_view marker);

// One HID interface: opened by path, with its capabilities and transfers that another thread can end.
//
// Open, Reopen and Close come from the owner's thread (owners that share a device between threads hold
// their own lock around them); a transfer may run on another thread at the same time and is ended by
// Close or Reopen. Everything a transfer touches belongs to the open handle and lives until the
// transfer has left, and every open has its own abort event, so an abort cannot reach a later transfer.
class HidDevice {
 public:
  HidDevice();
  ~HidDevice();
  HidDevice(const HidDevice&) = delete;
  HidDevice& operator=(const HidDevice&) = delete;

  HidInterfaceList& Interfaces() { return interfaces_; }

  // Opens `path` with `mode` (kHidReadWrite, kHidReadOnly, kHidPresence), closing what was open.
  bool Open(std::string_view path, const HidOpenMode& mode);
  bool Reopen();
  void Close();
  bool IsOpen() const;

  // One transfer with a time limit in milliseconds (kInfiniteTimeout waits without limit). False with a
  // byte count of 0 on time-out, abort or failure; the device stays open.
  bool ReadReport(std::span<std::uint8_t> buffer, std::size_t& bytesRead, int timeoutMs);
  bool WriteReport(std::span<const std::uint8_t> buffer, std::size_t& bytesWritten, int timeoutMs);

  // Decodes one received report into a data list (byte 0 = report id); false when a value cannot be
  // extracted, with the entries decoded before it keeping their results.
  bool UnpackReport(std::span<const std::uint8_t> report, HidReportType type,
                    std::span<HidDataItem> dataList) const;

  const std::string& Path() const { return path_; }
  HidAttributes Attributes() const;
  std::uint16_t UsagePage() const;
  std::uint16_t Usage() const;
  // The capabilities of the open collection; null while closed. Valid until the next Open, Reopen or
  // Close.
  const HidCollectionCaps* Capabilities() const;
  std::uint32_t InterfaceNumber() const { return interfaceNumber_; }
  std::uint32_t CollectionNumber() const { return collectionNumber_; }
  // The zeroed report buffer of the report byte length and the data list of a report type; empty while
  // closed. Valid until the next Open, Reopen or Close (a transfer still using them keeps them alive).
  std::span<std::uint8_t> ReportBuffer(HidReportType type);
  std::span<HidDataItem> DataList(HidReportType type);

 private:
  struct OpenHandle;

  std::shared_ptr<OpenHandle> CurrentHandle() const;
  std::shared_ptr<OpenHandle> TakeHandle();
  std::shared_ptr<OpenHandle> OpenStoredPath() const;

  HidInterfaceList interfaces_;
  HidOpenMode mode_;
  std::string path_;
  std::uint32_t interfaceNumber_ = 0;
  std::uint32_t collectionNumber_ = 0;
  // Guards only the pointer: transfers on other threads copy it, Close and Reopen swap it.
  mutable std::mutex handleLock_;
  std::shared_ptr<OpenHandle> handle_;
};

}  // namespace nimbel
