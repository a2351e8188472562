#pragma once

// The constant tables that say which HID interfaces belong to a supported device, which device object and
// tab such an interface leads to, how that device's page is laid out, and which models the update check
// reports. Built once, never changed; the detection thread works on its own copy of the interface rows.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace nimbel {

enum class KindCode : std::uint16_t {
  KeyboardCable = 1,
  MouseCable = 2,
  MousePad = 3,
  MouseReceiver = 6,
  Headset = 7,
  KeyboardReceiver = 9,
};

enum class RoleCode : std::uint16_t {
  // Vendor-defined collection that carries the command protocol.
  Command = 0,
  // Consumer collection on which the device sends input reports of its own accord.
  Notification = 255,
};

inline constexpr std::uint16_t kCommandUsagePage = 0xFF1C;
inline constexpr std::uint16_t kCommandUsage = 0x0092;
inline constexpr std::uint16_t kNotificationUsagePage = 0x000C;
inline constexpr std::uint16_t kNotificationUsage = 0x0001;

constexpr bool IsReceiverKind(KindCode kind) {
  return kind == KindCode::MouseReceiver || kind == KindCode::KeyboardReceiver;
}

// The device-kind table knows products by their cable-side kind only.
constexpr KindCode CableKindOf(KindCode kind) {
  switch (kind) {
    case KindCode::MouseReceiver:
      return KindCode::MouseCable;
    case KindCode::KeyboardReceiver:
      return KindCode::KeyboardCable;
    default:
      return kind;
  }
}

struct InterfaceRow {
  std::uint16_t vendorId;
  std::uint16_t productId;
  // The numbers after "&mi_" and "&col" in the interface path.
  std::uint16_t interfaceNumber;
  std::uint16_t collectionNumber;
  KindCode kind;
  RoleCode role;
  // 0 in the table; 1 in the detection thread's copy while the interface is attached.
  std::uint16_t present;
  // Of the interface's top-level collection.
  std::uint16_t usagePage;
  std::uint16_t usage;
  std::uint16_t hasPartner;
  // The row of the same interface of the same product on the other path (cable <-> receiver).
  std::uint16_t partner;
  // Empty in the table; the attached interface's path in the detection thread's copy.
  std::string path;
};

struct DeviceKindRow {
  std::string_view tabSkinFile;
  std::string_view tabHeaderName;
  // The container that receives the device's power indicator.
  std::string_view powerSwitchName;
  // Also the name of the kind's data folder.
  std::string_view kindName;
  // Entry of the default lighting names the device uses.
  std::int32_t lightNameIndex;
  // The key by which a device object is found for an interface row.
  std::uint32_t vendorId;
  std::uint32_t productId;
  KindCode kind;
  RoleCode role;
};

inline constexpr std::int32_t kReportsBatteryState = 1;

struct DevicePageRow {
  // Entries of the device's light frame.
  std::int32_t ledCount;
  std::int32_t keyButtonCount;
  std::int32_t powerIndicatorMode;
  std::int32_t mouseOption;
  std::string_view pageSkinFile;
  // Stem of the device's lighting-preset list file.
  std::string_view lightListName;
};

struct ModelRow {
  // 1 mouse, 2 keyboard, 0 the application itself.
  std::int32_t deviceClass;
  std::int32_t link;
  // Meaningful for the application row only.
  std::int32_t value;
  std::string_view brand;
  std::string_view chip;
  std::string_view model;
  std::string_view productLine;
  std::string_view versionText;
};

class DeviceCatalogue {
 public:
  static constexpr std::size_t kInterfaceRowCount = 12;
  static constexpr std::size_t kKindRowCount = 5;
  // One page row per kind row, selected by the same index.
  static constexpr std::size_t kPageRowCount = kKindRowCount;
  static constexpr std::size_t kModelRowCount = 5;

  static std::span<const InterfaceRow, kInterfaceRowCount> InterfaceRows();
  static std::span<const DeviceKindRow, kKindRowCount> KindRows();
  static std::span<const DevicePageRow, kPageRowCount> PageRows();
  static std::span<const ModelRow, kModelRowCount> ModelRows();

  // First row, in table order, with all four values equal; -1 when there is none.
  static int FindInterfaceRow(std::uint16_t vendorId, std::uint16_t productId, KindCode kind, RoleCode role);
  static int FindKindRow(std::uint32_t vendorId, std::uint32_t productId, KindCode kind, RoleCode role);

  // The kind row (and, by the same index, the page row) of the device an interface row belongs to; -1 for
  // an index outside the table or a row without a kind row. A receiver row is looked up as its
  // cable-side partner, since the kind table holds only cable-side identities. Notification rows have no
  // kind row of their own: the device is found through the product's command row.
  static int KindRowForInterfaceRow(int interfaceRow);
};

}  // namespace nimbel
