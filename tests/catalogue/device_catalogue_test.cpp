#include "catalogue/device_catalogue.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>

namespace nimbel {
namespace {

using enum KindCode;
using enum RoleCode;

constexpr std::uint16_t kVendor = 0x320F;

TEST(DeviceCatalogueTest, TablesHaveTheirRowCounts) {
  EXPECT_EQ(DeviceCatalogue::InterfaceRows().size(), 12u);
  EXPECT_EQ(DeviceCatalogue::KindRows().size(), 5u);
  EXPECT_EQ(DeviceCatalogue::PageRows().size(), DeviceCatalogue::KindRows().size());
  EXPECT_EQ(DeviceCatalogue::ModelRows().size(), 5u);
}

struct LookupCase {
  std::uint16_t vendor;
  std::uint16_t product;
  KindCode kind;
  RoleCode role;
  int expected;
};

TEST(DeviceCatalogueTest, FindInterfaceRowReturnsFirstRowWithAllFourValues) {
  const LookupCase cases[] = {
      {kVendor, 0x226E, MouseCable, Command, 4},
      // Row 0 also has vendor and product 0 but is a keyboard row.
      {0, 0, MouseCable, Command, 8},
      {0, 0, KeyboardCable, Command, 0},
      {0, 0, KeyboardReceiver, Notification, 3},
      {kVendor, 0x22B5, MouseReceiver, Notification, 7},
      {kVendor, 0x2260, MouseReceiver, Command, 10},
      {kVendor, 0x226E, MouseReceiver, Command, -1},
      {kVendor, 0x1004, MousePad, Command, -1},
  };
  for (const LookupCase& c : cases) {
    EXPECT_EQ(DeviceCatalogue::FindInterfaceRow(c.vendor, c.product, c.kind, c.role), c.expected)
        << std::hex << c.vendor << ":" << c.product << " kind " << static_cast<int>(c.kind);
  }
}

TEST(DeviceCatalogueTest, FindKindRowKnowsOnlyCableSideCommandIdentities) {
  const LookupCase cases[] = {
      {kVendor, 0x226E, MouseCable, Command, 0},
      {0, 0, MouseCable, Command, 1},
      {0, 0, KeyboardCable, Command, 2},
      {kVendor, 0x1004, MousePad, Command, 3},
      {0x0C76, 0x1630, Headset, Command, 4},
      {kVendor, 0x22B5, MouseReceiver, Command, -1},
      {kVendor, 0x226E, MouseCable, Notification, -1},
  };
  for (const LookupCase& c : cases) {
    EXPECT_EQ(DeviceCatalogue::FindKindRow(c.vendor, c.product, c.kind, c.role), c.expected)
        << std::hex << c.vendor << ":" << c.product << " kind " << static_cast<int>(c.kind);
  }
}

TEST(DeviceCatalogueTest, BindingLeadsReceiverRowsToTheirCableSideKindRow) {
  const struct {
    int interfaceRow;
    int kindRow;
  } cases[] = {
      {4, 0},
      {6, 0},
      {8, 1},
      {10, 1},
      // The keyboard receiver row reaches the keyboard kind row through its cable partner, like the mice.
      {0, 2},
      {2, 2},
      // Notification rows reach their device through the product's command row.
      {5, -1},
      {7, -1},
      {-1, -1},
      {12, -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DeviceCatalogue::KindRowForInterfaceRow(c.interfaceRow), c.kindRow) << "row " << c.interfaceRow;
  }
}

// The start-up pages take the identity that a kind row's key finds; binding an arrival on that identity
// must lead back to the same kind row, or the arrival would create a second device object.
TEST(DeviceCatalogueTest, KindRowKeyAndBindingAreInverse) {
  const auto kinds = DeviceCatalogue::KindRows();
  int reachable = 0;
  for (std::size_t k = 0; k < kinds.size(); ++k) {
    const DeviceKindRow& kind = kinds[k];
    const int row =
        DeviceCatalogue::FindInterfaceRow(static_cast<std::uint16_t>(kind.vendorId),
                                          static_cast<std::uint16_t>(kind.productId), kind.kind, kind.role);
    if (row < 0) continue;
    ++reachable;
    EXPECT_EQ(DeviceCatalogue::KindRowForInterfaceRow(row), static_cast<int>(k)) << "kind row " << k;
  }
  EXPECT_EQ(reachable, 3);  // both mice and the keyboard identity
}

TEST(DeviceCatalogueTest, MousePadAndHeadsetAreNotReachableThroughHidDetection) {
  for (const InterfaceRow& row : DeviceCatalogue::InterfaceRows()) {
    EXPECT_NE(row.kind, MousePad);
    EXPECT_NE(row.kind, Headset);
  }
}

TEST(DeviceCatalogueTest, PartnersAreSymmetricAndOnTheOtherPath) {
  const auto rows = DeviceCatalogue::InterfaceRows();
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const InterfaceRow& row = rows[r];
    ASSERT_EQ(row.hasPartner, 1) << "row " << r;
    ASSERT_LT(row.partner, rows.size()) << "row " << r;
    const InterfaceRow& partner = rows[row.partner];
    EXPECT_EQ(partner.partner, r) << "row " << r;
    EXPECT_NE(IsReceiverKind(partner.kind), IsReceiverKind(row.kind)) << "row " << r;
    EXPECT_EQ(CableKindOf(partner.kind), CableKindOf(row.kind)) << "row " << r;
    EXPECT_EQ(partner.role, row.role) << "row " << r;
  }
}

TEST(DeviceCatalogueTest, RowsCarryTheUsageOfTheirRoleAndStartDetached) {
  for (const InterfaceRow& row : DeviceCatalogue::InterfaceRows()) {
    const bool command = row.role == Command;
    EXPECT_EQ(row.usagePage, command ? kCommandUsagePage : kNotificationUsagePage);
    EXPECT_EQ(row.usage, command ? kCommandUsage : kNotificationUsage);
    EXPECT_EQ(row.present, 0);
    EXPECT_TRUE(row.path.empty());
  }
}

// Skin names are identifiers looked up verbatim; an escaping slip in a backslash path would go unnoticed.
TEST(DeviceCatalogueTest, SkinFileNamesKeepTheirBackslashes) {
  for (const DeviceKindRow& kind : DeviceCatalogue::KindRows()) {
    EXPECT_EQ(kind.tabSkinFile, "XML\\CustomControlXML\\DeviceOption.xml");
  }
  EXPECT_EQ(DeviceCatalogue::PageRows()[0].pageSkinFile, "XML\\DeviceXml\\mousedevice.xml");
  EXPECT_EQ(DeviceCatalogue::PageRows()[4].pageSkinFile, "XML\\DeviceXml\\aq4410device.xml");
}

}  // namespace
}  // namespace nimbel
