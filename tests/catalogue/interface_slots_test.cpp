#include "catalogue/interface_slots.h"

#include <gtest/gtest.h>

namespace nimbel {
namespace {

InterfaceKey KeyOf(const InterfaceRow& row) {
  return {{row.vendorId, row.productId, row.interfaceNumber, row.collectionNumber}, row.usagePage, row.usage};
}

std::optional<std::size_t> AttachRow(InterfaceSlotList& slotList, std::size_t row, const std::string& path) {
  return slotList.Attach(KeyOf(DeviceCatalogue::InterfaceRows()[row]), path);
}

TEST(InterfaceSlotsTest, IdentityIsTheCableSideCommandSlotOfTheProduct) {
  // Notification slots lead to their command slot, receiver slots to their cable-side partner.
  constexpr std::size_t kIdentityOf[InterfaceSlotList::kSlotCount] = {0, 0, 0, 0, 4, 4, 4, 4, 8, 8, 8, 8};
  const InterfaceSlotList slotList;
  for (std::size_t i = 0; i < InterfaceSlotList::Count(); ++i) {
    EXPECT_EQ(slotList.IdentitySlot(i), kIdentityOf[i]) << "slot " << i;
  }
}

TEST(InterfaceSlotsTest, AttachTakesTheFirstFreeSlotWithAllSixValuesOnce) {
  InterfaceSlotList slotList;
  EXPECT_EQ(AttachRow(slotList, 6, "a"), 6u);
  EXPECT_EQ(AttachRow(slotList, 6, "b"), std::nullopt);
  EXPECT_EQ(slotList.Slot(6).path, "a");

  InterfaceKey wrongUsage = KeyOf(DeviceCatalogue::InterfaceRows()[4]);
  wrongUsage.usagePage = kNotificationUsagePage;
  EXPECT_EQ(slotList.Attach(wrongUsage, "c"), std::nullopt);

  slotList.Detach(6);
  EXPECT_EQ(slotList.Slot(6).present, 0);
  EXPECT_TRUE(slotList.Slot(6).path.empty());
  EXPECT_EQ(AttachRow(slotList, 6, "d"), 6u);
}

TEST(InterfaceSlotsTest, PathPrefilterNeedsARowAndAFreeSlot) {
  InterfaceSlotList slotList;
  const PathKey cableCommand{0x320F, 0x226E, 1, 2};
  EXPECT_TRUE(slotList.HasFreeSlotFor(cableCommand));
  EXPECT_FALSE(slotList.HasFreeSlotFor({0x320F, 0x226E, 1, 1}));
  EXPECT_FALSE(slotList.HasFreeSlotFor({0x320F, 0x226E, 0, 2}));
  ASSERT_TRUE(AttachRow(slotList, 4, "p"));
  EXPECT_FALSE(slotList.HasFreeSlotFor(cableCommand));
}

TEST(InterfaceSlotsTest, PartnerCountsAsAttachedOnlyWithPresenceAndPath) {
  InterfaceSlotList slotList;
  EXPECT_FALSE(slotList.PartnerAttached(6));
  ASSERT_TRUE(AttachRow(slotList, 4, "cable"));
  EXPECT_TRUE(slotList.PartnerAttached(6));
  EXPECT_FALSE(slotList.PartnerAttached(4));
  EXPECT_FALSE(slotList.PartnerAttached(5));
  slotList.Detach(4);
  EXPECT_FALSE(slotList.PartnerAttached(6));
}

TEST(InterfaceSlotsTest, IndexCheckRejectsWhatIsNotASlot) {
  EXPECT_TRUE(InterfaceSlotList::IsIndex(0));
  EXPECT_TRUE(InterfaceSlotList::IsIndex(11));
  EXPECT_FALSE(InterfaceSlotList::IsIndex(12));
  EXPECT_FALSE(InterfaceSlotList::IsIndex(-1));
}

}  // namespace
}  // namespace nimbel
