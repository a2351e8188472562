#pragma once

// The notification-area icon and its menu (skin XML/menu.ui). The program lives here while its window is
// hidden: a left click toggles the window, a right click opens the menu.

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

class QMenu;
class QSystemTrayIcon;

namespace nimbel {

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
  // The item texts in the current language.
  void RetranslateMenu();

 private:
  Hooks hooks_;
  std::unique_ptr<QMenu> menu_;
  std::unique_ptr<QSystemTrayIcon> icon_;
};

}  // namespace nimbel
