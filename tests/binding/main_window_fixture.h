#pragma once

// The parts of the main window the selector and binding work in: the main skin inside a message window
// that hands link changes to the selector, as the application's window does.

#include <QStackedWidget>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <vector>

#include "binding/device_option_ui.h"
#include "binding/device_selector.h"
#include "catalogue/window_message_sink.h"
#include "catalogue/window_messages.h"
#include "platform/registered_messages.h"
#include "ui/find_control.h"
#include "ui/message_window.h"
#include "ui/skin_loader.h"

namespace nimbel {

struct WindowMessage {
  std::uint32_t message;
  std::intptr_t wParam;
  std::intptr_t lParam;
};

// Keeps every window message and every typed call it gets, the calls by the number that names them.
class TestMainWindow final : public CMessageWindow, public IMainWindowEvents {
 public:
  TestMainWindow() { skin = LoadSkin(QStringLiteral("XML/main.ui"), this); }

  template <typename T = QWidget>
  T* Control(const char* name) {
    return FindControl<T>(this, QString::fromLatin1(name));
  }

  std::vector<WindowMessage> Received(std::uint32_t message) const {
    std::vector<WindowMessage> found;
    for (const WindowMessage& m : received) {
      if (m.message == message) found.push_back(m);
    }
    return found;
  }

  void DeviceArrived(std::size_t slot) override { Receive({kDeviceArrivedMessage, Index(slot), 0}); }
  void DeviceRemoved(std::size_t slot) override { Receive({kDeviceRemovedMessage, Index(slot), 0}); }
  void LinkChanged(int tab, bool up) override {
    Receive({kLinkStateMessage, tab, up ? kLinkUp : kLinkDown});
    if (selector != nullptr) selector->OnLinkState(tab, up ? kLinkUp : kLinkDown);
  }
  void FirstDetectionPassDone() override { Receive({RegisterWindowMessage(kInstanceMessageName), 0, 0}); }

  QWidget* skin = nullptr;
  CDeviceSelector* selector = nullptr;
  // Further handling of a message, after it was recorded.
  std::function<void(const WindowMessage&)> handler;
  std::vector<WindowMessage> received;

 protected:
  std::intptr_t HandleWindowMessage(std::uint32_t message, std::intptr_t wParam, std::intptr_t lParam,
                                    bool& handled) override {
    Receive({message, wParam, lParam});
    handled = true;
    return 0;
  }

 private:
  static std::intptr_t Index(std::size_t slot) { return static_cast<std::intptr_t>(slot); }
  void Receive(const WindowMessage& m) {
    received.push_back(m);
    if (handler) handler(m);
  }
};

// A tab item built from the tab skin and added to the selector, as device creation does.
inline CDeviceOptionUI* AddSkinnedTab(CDeviceSelector& selector, QWidget* container) {
  auto* item =
      dynamic_cast<CDeviceOptionUI*>(LoadSkin(QString::fromLatin1(CDeviceOptionUI::kSkinFile), container));
  if (item != nullptr) selector.AddTab(item);
  return item;
}

}  // namespace nimbel
