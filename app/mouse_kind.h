#pragma once

#include "app/device_factory.h"

namespace nimbel {

// The mouse, by cable and through its receiver: CVelquorMouseDevice on the mouse page.
extern const DeviceKind kMouseKind;

}  // namespace nimbel
