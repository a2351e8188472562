#pragma once

// A mouse object with its real page, a profile in a private data folder and an emulated mouse bound
// through one path: what the main window builds, without the main window.

#include <QByteArray>
#include <QTemporaryDir>
#include <memory>
#include <string>

#include "devices/mouse_device.h"
#include "emulator/emulator.h"
#include "mouse_binding.h"
#include "profiles/json_file.h"
#include "profiles/profile_paths.h"
#include "ui/find_control.h"

namespace nimbel::devices_test {

inline constexpr const char* kTestProfileId = "test_profile";

class SelectedProfile final : public IProfileList {
 public:
  std::string GetSelectedProfileId() override { return kTestProfileId; }
};

// Points the program's data, factory data and skin folders at test places while it lives.
class ScopedDataFolders {
 public:
  ScopedDataFolders()
      : savedData_(qgetenv("XDG_DATA_HOME")),
        savedDefaults_(qgetenv("NIMBEL_DEFAULT_DATA")),
        savedSkin_(qgetenv("NIMBEL_SKIN_DIR")) {
    qputenv("XDG_DATA_HOME", userData_.path().toUtf8());
    qputenv("NIMBEL_DEFAULT_DATA", NIMBEL_SOURCE_DIR "/DefaultData/");
    qputenv("NIMBEL_SKIN_DIR", NIMBEL_SOURCE_DIR "/skin");
  }
  ~ScopedDataFolders() {
    qputenv("XDG_DATA_HOME", savedData_);
    qputenv("NIMBEL_DEFAULT_DATA", savedDefaults_);
    qputenv("NIMBEL_SKIN_DIR", savedSkin_);
  }
  ScopedDataFolders(const ScopedDataFolders&) = delete;
  ScopedDataFolders& operator=(const ScopedDataFolders&) = delete;

 private:
  QTemporaryDir userData_;
  QByteArray savedData_;
  QByteArray savedDefaults_;
  QByteArray savedSkin_;
};

class PagedMouse {
 public:
  explicit PagedMouse(Link link = Link::Cable, const emulator::MouseOptions& options = {})
      : mouse_(PlugMouse(emulator_, link, options)) {
    InstallHidBackend(emulator_.Bus());
    device_ = MakeStartupMouse(window_, tabItem_);
    device_->BindProfileList(&profiles_);
    paged_ = device_->CreatePage(nullptr);
    bound_ = BindCommandPath(*device_, *emulator_.Bus(), link);
  }
  ~PagedMouse() { device_.reset(); }
  PagedMouse(const PagedMouse&) = delete;
  PagedMouse& operator=(const PagedMouse&) = delete;

  bool Ready() const { return paged_ && bound_; }
  CVelquorMouseDevice& Device() { return *device_; }
  QWidget* Page() { return device_->Page(); }
  emulator::EmulatedMouse& Mouse() { return mouse_; }
  emulator::DeviceEmulator& Emulator() { return emulator_; }
  std::vector<WindowMessage>& Messages() { return window_.messages; }

  std::string ProfilePath() const { return ProfileFile("mouse", kTestProfileId); }
  // The profile as its file holds it now.
  Json::Value StoredProfile() const { return ReadJsonFile(ProfilePath())["Device"][0]; }

  // Sends a page notification the way the main window's routing hands it on.
  bool Notify(NotifyType type, const QString& sender, std::intptr_t wParam = 0) {
    TNotifyUI msg;
    msg.sType = type;
    msg.senderName = sender;
    msg.pSender = FindControl(Page(), sender);
    msg.wParam = wParam;
    const bool handled = device_->HandlePageNotification(msg);
    // The user's edit is done once what it wrote is back.
    Settle(*device_);
    return handled;
  }

 private:
  ScopedDataFolders folders_;
  emulator::DeviceEmulator emulator_;
  emulator::EmulatedMouse& mouse_;
  RecordingWindow window_;
  RecordingTabItem tabItem_;
  SelectedProfile profiles_;
  std::unique_ptr<CVelquorMouseDevice> device_;
  bool paged_ = false;
  bool bound_ = false;
};

// The WriteMemory traffic the mouse received: the offset of the first chunk and the bytes in all.
struct MemoryWrites {
  std::size_t reports = 0;
  std::size_t firstOffset = 0;
  std::size_t bytes = 0;
};
inline MemoryWrites WriteMemoryTraffic(const emulator::EmulatedMouse& mouse) {
  constexpr std::uint8_t kWriteMemory = 0x06;
  MemoryWrites writes;
  for (const emulator::ReceivedRequest& request : mouse.Requests()) {
    if (request.bytes[3] != kWriteMemory) continue;
    if (writes.reports++ == 0) writes.firstOffset = request.bytes[5] | request.bytes[6] << 8;
    writes.bytes += request.bytes[4];
  }
  return writes;
}

}  // namespace nimbel::devices_test
