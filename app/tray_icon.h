#pragma once

// The notification-area icon and its menu (skin XML/menu.ui). The program lives here while its window is
// hidden: a left click toggles the window, a right click opens the menu, and the tool tip lists the shown
// devices with their batteries.

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "app/battery_notices.h"

class QMenu;
class QSystemTrayIcon;

namespace nimbel {

// A shown device as the tool tip lists it.
struct TrayDevice {
  // As the device's tab shows it, in the current language.
  QString name;
  // None before the device's first power status.
  std::optional<PowerReading> power;
};

class TrayIcon final : public QObject {
 public:
  static constexpr const char* kMenuSkinFile = "XML/menu.ui";
  static constexpr const char* kIconFile = "common/logo.svg";
  static constexpr const char* kToolTip = "Nimbel";

  struct Hooks {
    std::function<void()> toggleWindow;
    // A right click; the window opens the menu a moment later, when the click has ended.
    std::function<void()> contextRequested;
    std::function<void(const QString& itemName)> menuCommand;
    // Whether an item has something to do yet; the others are not shown.
    std::function<bool(const QString& itemName)> hasCommand;
  };

  // `extraMenu`, when given, is offered as a submenu at the top (demo mode).
  TrayIcon(Hooks hooks, QMenu* extraMenu);
  ~TrayIcon() override;
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  // Whether the desktop shows notification-area icons at all.
  static bool IsAvailable();

  QMenu* Menu() const { return menu_.get(); }
  void PopupMenu();
  // The item texts and the tool tip in the current language.
  void Retranslate();

  // The tool tip: the program's name, then one line per device in the order given.
  void ShowDevices(std::vector<TrayDevice> devices);
  QString ToolTip() const;

 private:
  void ShowToolTip();

  Hooks hooks_;
  std::vector<TrayDevice> devices_;
  std::unique_ptr<QMenu> menu_;
  std::unique_ptr<QSystemTrayIcon> icon_;
};

}  // namespace nimbel
