#include <gtest/gtest.h>

#include <filesystem>

#include "platform/folders.h"
#include "profiles/profile_paths.h"
#include "tests/profiles/profile_test_support.h"

namespace nimbel {
namespace {

class DataFolders : public testing::DataFoldersTest {};

TEST_F(DataFolders, UserFoldersLiveUnderXdgDataHomeAndAreCreated) {
  EXPECT_EQ(UserDataFolder(), DataHome() + "/Nimbel/");
  EXPECT_EQ(DeviceDataFolder("MousePad"), DataHome() + "/Nimbel/MousePad/");
  EXPECT_TRUE(std::filesystem::is_directory(DataHome() + "/Nimbel/MousePad"));
  EXPECT_EQ(ProfileFile("HD", "id"), DataHome() + "/Nimbel/HD/id.Json");
  EXPECT_EQ(LightListFile("mouse", "zorva_light"), DataHome() + "/Nimbel/mouse/zorva_light.config");
}

TEST_F(DataFolders, RelativeXdgDataHomeIsIgnored) {
  testing::ScopedEnv relative("XDG_DATA_HOME", "relative/path");
  testing::ScopedEnv home("HOME", Root() + "home");
  EXPECT_EQ(UserDataFolder(), Root() + "home/.local/share/Nimbel/");
  EXPECT_TRUE(std::filesystem::is_directory(Root() + "home/.local/share/Nimbel"));
}

TEST_F(DataFolders, FactoryDataFolderCanBeOverridden) {
  EXPECT_EQ(DefaultDataFolder(), FactoryFolder());
  testing::ScopedEnv noSlash("NIMBEL_DEFAULT_DATA", Root() + "elsewhere");
  EXPECT_EQ(DefaultDataFolder(), Root() + "elsewhere/");
  EXPECT_EQ(DefaultProfileFile("keyboard"), Root() + "elsewhere/keyboard.Json");
}

TEST_F(DataFolders, FactoryDataFolderDefaultsToTheExecutablesFolder) {
  testing::ScopedEnv unset("NIMBEL_DEFAULT_DATA", "");
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe");
  EXPECT_EQ(DefaultDataFolder(), exe.parent_path().string() + "/DefaultData/");
}

}  // namespace
}  // namespace nimbel
