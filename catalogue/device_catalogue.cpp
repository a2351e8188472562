#include "catalogue/device_catalogue.h"

namespace nimbel {
namespace {

constexpr std::uint16_t kZorvaVendor = 0x320F;
constexpr std::uint16_t kMouseCableProduct = 0x226E;
constexpr std::uint16_t kMouseReceiverProduct = 0x22B5;
constexpr std::uint16_t kSecondMouseReceiverProduct = 0x2260;
constexpr std::uint16_t kMousePadProduct = 0x1004;
constexpr std::uint16_t kHeadsetVendor = 0x0C76;
constexpr std::uint16_t kHeadsetProduct = 0x1630;
// No real interface path carries vendor 0: rows with it are identities that detection never attaches.
constexpr std::uint16_t kNoProduct = 0x0000;

InterfaceRow Row(std::uint16_t vendor, std::uint16_t product, std::uint16_t mi, std::uint16_t col,
                 KindCode kind, RoleCode role, std::uint16_t partner) {
  const bool command = role == RoleCode::Command;
  return InterfaceRow{.vendorId = vendor,
                      .productId = product,
                      .interfaceNumber = mi,
                      .collectionNumber = col,
                      .kind = kind,
                      .role = role,
                      .present = 0,
                      .usagePage = command ? kCommandUsagePage : kNotificationUsagePage,
                      .usage = command ? kCommandUsage : kNotificationUsage,
                      .hasPartner = 1,
                      .partner = partner,
                      .path = {}};
}

using enum KindCode;
using enum RoleCode;

std::array<InterfaceRow, DeviceCatalogue::kInterfaceRowCount> BuildInterfaceRows() {
  return {{
      Row(kNoProduct, kNoProduct, 1, 4, KeyboardCable, Command, 2),
      Row(kNoProduct, kNoProduct, 1, 3, KeyboardCable, Notification, 3),
      Row(kNoProduct, kNoProduct, 1, 4, KeyboardReceiver, Command, 0),
      Row(kNoProduct, kNoProduct, 1, 3, KeyboardReceiver, Notification, 1),
      Row(kZorvaVendor, kMouseCableProduct, 1, 2, MouseCable, Command, 6),
      Row(kZorvaVendor, kMouseCableProduct, 1, 3, MouseCable, Notification, 7),
      Row(kZorvaVendor, kMouseReceiverProduct, 1, 4, MouseReceiver, Command, 4),
      Row(kZorvaVendor, kMouseReceiverProduct, 1, 3, MouseReceiver, Notification, 5),
      // The cable-side identity of the mouse that is only ever attached through the receiver of rows 10, 11.
      Row(kNoProduct, kNoProduct, 1, 4, MouseCable, Command, 10),
      Row(kNoProduct, kNoProduct, 1, 3, MouseCable, Notification, 11),
      Row(kZorvaVendor, kSecondMouseReceiverProduct, 0, 5, MouseReceiver, Command, 8),
      Row(kZorvaVendor, kSecondMouseReceiverProduct, 0, 4, MouseReceiver, Notification, 9),
  }};
}

constexpr std::string_view kTabSkinFile = R"(XML\CustomControlXML\DeviceOption.xml)";
constexpr std::string_view kTabHeaderName = "tab_header_device";
constexpr std::string_view kPowerSwitchName = "device_power_switch";

constexpr DeviceKindRow KindRow(std::string_view kindName, std::int32_t lightNameIndex, std::uint32_t vendor,
                                std::uint32_t product, KindCode kind) {
  return {kTabSkinFile, kTabHeaderName, kPowerSwitchName, kindName, lightNameIndex, vendor,
          product,      kind,           Command};
}

constexpr std::array<DeviceKindRow, DeviceCatalogue::kKindRowCount> kKindRows{{
    KindRow("mouse", 0, kZorvaVendor, kMouseCableProduct, MouseCable),
    KindRow("mouse", 0, kNoProduct, kNoProduct, MouseCable),
    KindRow("keyboard", 0, kNoProduct, kNoProduct, KeyboardCable),
    KindRow("MousePad", 2, kZorvaVendor, kMousePadProduct, MousePad),
    KindRow("HD", 3, kHeadsetVendor, kHeadsetProduct, Headset),
}};

constexpr std::int32_t kNoBatteryState = 0;
constexpr std::int32_t kNoMouseOption = -1;
constexpr std::string_view kLightListName = "zorva_light";

constexpr std::array<DevicePageRow, DeviceCatalogue::kPageRowCount> kPageRows{{
    {15, 11, kReportsBatteryState, kNoMouseOption, R"(XML\DeviceXml\mousedevice.xml)", kLightListName},
    {15, 11, kReportsBatteryState, kNoMouseOption, R"(XML\DeviceXml\mousedevice1.xml)", kLightListName},
    {170, 170, kNoBatteryState, kNoMouseOption, R"(XML\DeviceXml\keyboarddevice.xml)", kLightListName},
    {15, 0, kNoBatteryState, kNoMouseOption, R"(XML\DeviceXml\mousepaddevice.xml)", kLightListName},
    {13, 0, kNoBatteryState, kNoMouseOption, R"(XML\DeviceXml\aq4410device.xml)", kLightListName},
}};

constexpr std::int32_t kApplicationClass = 0;
constexpr std::int32_t kMouseClass = 1;
constexpr std::int32_t kKeyboardClass = 2;
constexpr std::int32_t kCableLink = 1;
constexpr std::string_view kBrand = "ZORVA";

constexpr std::array<ModelRow, DeviceCatalogue::kModelRowCount> kModelRows{{
    {kMouseClass, kCableLink, 1, kBrand, "52840", "RX-20 Prime", "Nimbel", ""},
    {kMouseClass, kCableLink, 1, kBrand, "52840", "RX-20 Prime", "Nimbel", ""},
    {kMouseClass, kCableLink, 0, kBrand, "52820", "RX-20 Prime", "Nimbel", ""},
    {kKeyboardClass, kCableLink, 0, kBrand, "QP40R12C_1", "T40", "T40", ""},
    {kApplicationClass, kCableLink, 1, kBrand, "ALL", "AP", "Driver", "V0101"},
}};

template <typename Row, std::size_t N, typename Key>
int FindFirst(std::span<const Row, N> rows, const Key& matches) {
  for (std::size_t i = 0; i < N; ++i) {
    if (matches(rows[i])) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace

std::span<const InterfaceRow, DeviceCatalogue::kInterfaceRowCount> DeviceCatalogue::InterfaceRows() {
  // Built on first use so that other start-up code may read it whatever the order of static initialisation.
  static const std::array<InterfaceRow, kInterfaceRowCount> rows = BuildInterfaceRows();
  return rows;
}

std::span<const DeviceKindRow, DeviceCatalogue::kKindRowCount> DeviceCatalogue::KindRows() {
  return kKindRows;
}

std::span<const DevicePageRow, DeviceCatalogue::kPageRowCount> DeviceCatalogue::PageRows() {
  return kPageRows;
}

std::span<const ModelRow, DeviceCatalogue::kModelRowCount> DeviceCatalogue::ModelRows() {
  return kModelRows;
}

int DeviceCatalogue::FindInterfaceRow(std::uint16_t vendorId, std::uint16_t productId, KindCode kind,
                                      RoleCode role) {
  return FindFirst(InterfaceRows(), [&](const InterfaceRow& row) {
    return row.vendorId == vendorId && row.productId == productId && row.kind == kind && row.role == role;
  });
}

int DeviceCatalogue::FindKindRow(std::uint32_t vendorId, std::uint32_t productId, KindCode kind,
                                 RoleCode role) {
  return FindFirst(KindRows(), [&](const DeviceKindRow& row) {
    return row.vendorId == vendorId && row.productId == productId && row.kind == kind && row.role == role;
  });
}

int DeviceCatalogue::KindRowForInterfaceRow(int interfaceRow) {
  if (interfaceRow < 0 || static_cast<std::size_t>(interfaceRow) >= kInterfaceRowCount) return -1;
  const auto rows = InterfaceRows();
  const InterfaceRow& row = rows[static_cast<std::size_t>(interfaceRow)];
  const InterfaceRow* product = &row;
  if (IsReceiverKind(row.kind) && row.hasPartner != 0 && row.partner < kInterfaceRowCount) {
    product = &rows[row.partner];
  }
  return FindKindRow(product->vendorId, product->productId, CableKindOf(row.kind), row.role);
}

}  // namespace nimbel
