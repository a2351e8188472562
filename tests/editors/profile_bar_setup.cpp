#include <gtest/gtest.h>

#include <QString>

#include "editors/device_profile_ui.h"
#include "ui/resource_manager.h"

namespace nimbel {
namespace {

// The page skins create the profile bar by class name, and the tests read its English texts.
class ProfileBarSetup : public testing::Environment {
 public:
  void SetUp() override {
    CDeviceProfileUI::Register();
    ASSERT_TRUE(CResourceManager::Instance().LoadLanguage(QStringLiteral("lan_en.json")));
  }
};

[[maybe_unused]] testing::Environment* const kProfileBarSetup =
    testing::AddGlobalTestEnvironment(new ProfileBarSetup);

}  // namespace
}  // namespace nimbel
