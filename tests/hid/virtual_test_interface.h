#pragma once

// A two-collection USB HID interface for the virtual bus: collection 1 is a vendor collection with
// report id 1 (7 data bytes in and out), collection 2 a consumer-control collection with report id 2
// (one 16-bit usage in). Output reports are recorded and, while echoing, sent back as input reports
// from the writing thread, as the firmware emulator does.

#include <algorithm>
#include <array>
#include <cstdint>
#include <mutex>
#include <span>
#include <vector>

#include "hid/data_list.h"
#include "hid/virtual_hid.h"

namespace nimbel::test {

inline constexpr std::uint16_t kTestVendor = 0x320F;
inline constexpr std::uint16_t kTestProduct = 0x226E;
inline constexpr std::uint16_t kTestVersion = 0x0109;
inline constexpr std::uint8_t kVendorReportId = 1;
inline constexpr std::uint8_t kConsumerReportId = 2;

// clang-format off
inline constexpr std::array<std::uint8_t, 52> kTwoCollectionDescriptor = {
    0x06, 0x1C, 0xFF,        // Usage Page (vendor 0xFF1C)
    0x09, 0x92,              // Usage (0x92)
    0xA1, 0x01,              // Collection (Application)
    0x85, kVendorReportId,   //   Report ID
    0x09, 0x01,              //   Usage (1)
    0x15, 0x00,              //   Logical Minimum (0)
    0x26, 0xFF, 0x00,        //   Logical Maximum (255)
    0x75, 0x08,              //   Report Size (8)
    0x95, 0x07,              //   Report Count (7)
    0x81, 0x02,              //   Input (Data, Variable, Absolute)
    0x09, 0x02,              //   Usage (2)
    0x91, 0x02,              //   Output (Data, Variable, Absolute)
    0xC0,                    // End Collection
    0x05, 0x0C,              // Usage Page (Consumer)
    0x09, 0x01,              // Usage (Consumer Control)
    0xA1, 0x01,              // Collection (Application)
    0x85, kConsumerReportId, //   Report ID
    0x19, 0x00,              //   Usage Minimum (0)
    0x2A, 0x3C, 0x02,        //   Usage Maximum (0x23C)
    0x15, 0x00,              //   Logical Minimum (0)
    0x26, 0x3C, 0x02,        //   Logical Maximum (0x23C)
    0x75, 0x10,              //   Report Size (16)
    0x95, 0x01,              //   Report Count (1)
    0x81, 0x00,              //   Input (Data, Array, Absolute)
    0xC0,                    // End Collection
};
// One vendor collection whose two input reports differ in length: report 1 carries 7 bytes (usage 1),
// report 2 a single byte (usage 2), so the collection's input report length is 8.
inline constexpr std::array<std::uint8_t, 31> kTwoLengthsDescriptor = {
    0x06, 0x1C, 0xFF,        // Usage Page (vendor 0xFF1C)
    0x09, 0x91,              // Usage (0x91)
    0xA1, 0x01,              // Collection (Application)
    0x85, 0x01,              //   Report ID (1)
    0x09, 0x01,              //   Usage (1)
    0x15, 0x00,              //   Logical Minimum (0)
    0x26, 0xFF, 0x00,        //   Logical Maximum (255)
    0x75, 0x08,              //   Report Size (8)
    0x95, 0x07,              //   Report Count (7)
    0x81, 0x02,              //   Input (Data, Variable, Absolute)
    0x85, 0x02,              //   Report ID (2)
    0x09, 0x02,              //   Usage (2)
    0x95, 0x01,              //   Report Count (1)
    0x81, 0x02,              //   Input (Data, Variable, Absolute)
    0xC0,                    // End Collection
};
// clang-format on

class TestInterface : public VirtualHidInterface {
 public:
  explicit TestInterface(bool echo = false,
                         std::span<const std::uint8_t> descriptor = kTwoCollectionDescriptor)
      : echo_(echo), descriptor_(descriptor) {}

  std::span<const std::uint8_t> ReportDescriptor() const override { return descriptor_; }

  void Attach(InputSink sink) override {
    std::lock_guard lock(lock_);
    sink_ = std::move(sink);
  }

  bool OnOutputReport(std::span<const std::uint8_t> report) override {
    {
      std::lock_guard lock(lock_);
      written_.emplace_back(report.begin(), report.end());
      if (!acceptWrites_) return false;
    }
    if (echo_) Send(report);
    return true;
  }

  // Sends an input report to the host; false while unplugged.
  bool Send(std::span<const std::uint8_t> report) {
    InputSink sink;
    {
      std::lock_guard lock(lock_);
      sink = sink_;
    }
    if (!sink) return false;
    sink(report);
    return true;
  }

  void SetAcceptWrites(bool accept) {
    std::lock_guard lock(lock_);
    acceptWrites_ = accept;
  }

  std::vector<std::vector<std::uint8_t>> Written() const {
    std::lock_guard lock(lock_);
    return written_;
  }

 private:
  const bool echo_;
  const std::span<const std::uint8_t> descriptor_;
  mutable std::mutex lock_;
  InputSink sink_;
  bool acceptWrites_ = true;
  std::vector<std::vector<std::uint8_t>> written_;
};

// The value entry of a data list for a usage in a report; null when the list has none.
inline const HidDataItem* FindValue(std::span<const HidDataItem> dataList, std::uint32_t reportId,
                                    std::uint16_t usage) {
  const auto found = std::find_if(dataList.begin(), dataList.end(), [&](const HidDataItem& item) {
    return !item.isButton && item.reportId == reportId && item.usage == usage;
  });
  return found == dataList.end() ? nullptr : &*found;
}

inline VirtualHidDeviceInfo TestDevice(std::vector<VirtualHidInterfaceSlot> interfaces) {
  return VirtualHidDeviceInfo{{kTestVendor, kTestProduct, kTestVersion}, std::move(interfaces)};
}

}  // namespace nimbel::test
