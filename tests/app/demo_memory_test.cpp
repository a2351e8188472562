// Demo mode's mice keep their memory in files between runs, as real mice keep theirs without power.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/demo_devices.h"

namespace nimbel {
namespace {

class DemoMemoryTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(stateHome_.isValid());
    savedStateHome_ = qgetenv("XDG_STATE_HOME");
    qputenv("XDG_STATE_HOME", stateHome_.path().toLocal8Bit());
  }
  void TearDown() override { qputenv("XDG_STATE_HOME", savedStateHome_); }

  // One run of demo mode: the cabled mouse plugged, its memory kept where demo mode keeps it.
  static std::unique_ptr<DemoDevices> Run() {
    auto devices = std::make_unique<DemoDevices>(std::make_shared<DemoMemoryFiles>(DemoMemoryFolder()));
    devices->Plug(DemoProduct::MouseCable);
    return devices;
  }

  static std::uint8_t SlotAfterRestart() { return Run()->MouseOf(DemoProduct::MouseCable)->CurrentSlot(); }

  std::filesystem::path ImageFile() const {
    return std::filesystem::path(stateHome_.path().toStdString()) / "Nimbel/demo/mouse-3395.mem";
  }

  QTemporaryDir stateHome_;
  QByteArray savedStateHome_;
};

TEST_F(DemoMemoryTest, TheMouseKeepsItsMemoryInTheStateFolderBetweenRuns) {
  Run()->PressSlotButton(DemoProduct::MouseCable);
  EXPECT_TRUE(std::filesystem::is_regular_file(ImageFile()));
  EXPECT_EQ(SlotAfterRestart(), 1);
}

TEST_F(DemoMemoryTest, ADamagedOrStrayImageFileLeavesTheFactoryMemory) {
  const struct {
    const char* name;
    std::uintmax_t cutTo;  // 0: replace the file's content instead
    std::string content;
  } cases[] = {
      {"cut short", 1000, {}},
      {"text", 0, "not a memory image"},
      {"two megabytes", 0, std::string(2 << 20, '\x5A')},
  };
  for (const auto& c : cases) {
    Run()->PressSlotButton(DemoProduct::MouseCable);
    if (c.cutTo != 0) {
      std::filesystem::resize_file(ImageFile(), c.cutTo);
    } else {
      std::ofstream(ImageFile(), std::ios::binary | std::ios::trunc) << c.content;
    }
    EXPECT_EQ(SlotAfterRestart(), 0) << c.name;
  }
  std::filesystem::remove(ImageFile());
  std::filesystem::create_directory(ImageFile());
  EXPECT_EQ(SlotAfterRestart(), 0) << "a folder in the file's place";
}

TEST_F(DemoMemoryTest, RestoringTheFactoryMemoryReplugsTheMouseAndIsKept) {
  const auto devices = Run();
  devices->PressSlotButton(DemoProduct::MouseCable);
  ASSERT_EQ(devices->MouseOf(DemoProduct::MouseCable)->CurrentSlot(), 1);
  devices->RestoreFactoryMemory(DemoProduct::MouseCable);
  EXPECT_TRUE(devices->IsPlugged(DemoProduct::MouseCable));
  EXPECT_EQ(devices->MouseOf(DemoProduct::MouseCable)->CurrentSlot(), 0);
  EXPECT_EQ(SlotAfterRestart(), 0);
}

}  // namespace
}  // namespace nimbel
