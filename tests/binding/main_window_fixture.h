#pragma once

// The parts of the main window the selector and binding work in: the main skin inside a message window
// that routes the link-state message to the selector, as the application's window does.

#include <QStackedWidget>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <vector>

#include "binding/device_option_ui.h"
#include "binding/device_selector.h"
#include "catalogue/window_messages.h"
#include "ui/find_control.h"
#include "ui/message_window.h"
#include "ui/skin_loader.h"

namespace nimbel {

struct WindowMessage {
  std::uint32_t message;
  std::intptr_t wParam;
  std::intptr_t lParam;
};

class TestMainWindow final : public CMessageWindow {
 public:
  TestMainWindow() { skin = LoadSkin(QStringLiteral("XML\\main.xml"), this); }

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

  QWidget* skin = nullptr;
  CDeviceSelector* selector = nullptr;
  // Further handling of a message, after it was recorded.
  std::function<void(const WindowMessage&)> handler;
  std::vector<WindowMessage> received;

 protected:
  std::intptr_t HandleWindowMessage(std::uint32_t message, std::intptr_t wParam, std::intptr_t lParam,
                                    bool& handled) override {
    received.push_back({message, wParam, lParam});
    if (message == kLinkStateMessage && selector != nullptr) {
      selector->OnLinkState(static_cast<int>(wParam), static_cast<int>(lParam));
    }
    if (handler) handler({message, wParam, lParam});
    handled = true;
    return 0;
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
