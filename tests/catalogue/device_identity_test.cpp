#include "catalogue/device_identity.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <functional>
#include <iterator>

namespace nimbel {
namespace {

const InterfaceRow& Row(std::size_t index) {
  return DeviceCatalogue::InterfaceRows()[index];
}

TEST(DeviceIdentityTest, AttachedSlotKeepsTheIdentityOfItsRow) {
  DeviceIdentity slot = Row(4);
  slot.present = 1;
  slot.path = "/dev/hidraw3#vid_320f&pid_226e&mi_01&col02";
  slot.partner = 0;
  slot.hasPartner = 0;
  EXPECT_TRUE(SameIdentity(slot, Row(4)));
  EXPECT_TRUE(SameIdentity(Row(4), slot));
}

TEST(DeviceIdentityTest, EachIdentityFieldDistinguishes) {
  const std::function<void(InterfaceRow&)> changes[] = {
      [](InterfaceRow& r) { r.vendorId = 0x1234; },
      [](InterfaceRow& r) { r.productId = 0x1234; },
      [](InterfaceRow& r) { r.interfaceNumber = 2; },
      [](InterfaceRow& r) { r.collectionNumber = 9; },
      [](InterfaceRow& r) { r.kind = KindCode::MouseReceiver; },
      [](InterfaceRow& r) { r.role = RoleCode::Notification; },
      [](InterfaceRow& r) { r.usagePage = kNotificationUsagePage; },
      [](InterfaceRow& r) { r.usage = kNotificationUsage; },
  };
  for (std::size_t i = 0; i < std::size(changes); ++i) {
    InterfaceRow changed = Row(4);
    changes[i](changed);
    EXPECT_FALSE(SameIdentity(changed, Row(4))) << "change " << i;
  }
}

TEST(DeviceIdentityTest, RowsOfTheTableAreDistinctIdentities) {
  const auto rows = DeviceCatalogue::InterfaceRows();
  for (std::size_t a = 0; a < rows.size(); ++a) {
    for (std::size_t b = 0; b < rows.size(); ++b) {
      EXPECT_EQ(SameIdentity(rows[a], rows[b]), a == b) << a << " vs " << b;
    }
  }
}

}  // namespace
}  // namespace nimbel
