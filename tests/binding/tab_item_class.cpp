#include <gtest/gtest.h>

#include "binding/device_option_ui.h"

namespace nimbel {
namespace {

// The selector's skin creates its tab items by class name.
class TabItemClass : public testing::Environment {
 public:
  void SetUp() override { CDeviceOptionUI::Register(); }
};

[[maybe_unused]] testing::Environment* const kTabItemClass =
    testing::AddGlobalTestEnvironment(new TabItemClass);

}  // namespace
}  // namespace nimbel
