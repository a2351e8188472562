#pragma once

#include "catalogue/device_catalogue.h"

namespace nimbel {

// The interface row a device object stands for: always the cable-side command row of its product, so that
// the cable and the receiver path of one product reach the same object.
using DeviceIdentity = InterfaceRow;

// Whether two rows name the same interface of the same product. Attachment state (present flag, path) and
// the partner link are not part of the identity, so a detection slot compares equal to the table row it was
// copied from whether or not it is attached.
constexpr bool SameIdentity(const InterfaceRow& a, const InterfaceRow& b) {
  return a.vendorId == b.vendorId && a.productId == b.productId && a.interfaceNumber == b.interfaceNumber &&
         a.collectionNumber == b.collectionNumber && a.kind == b.kind && a.role == b.role &&
         a.usagePage == b.usagePage && a.usage == b.usage;
}

}  // namespace nimbel
