#pragma once

// The program's one main window: owner of the device objects, the device selector, the detection thread
// and the notification-area icon, and the single place where the controls' notifications, the window
// messages and the timers are routed to the current device or to the window itself.

#include <QPointer>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "app/device_factory.h"
#include "app/routing.h"
#include "app/worker_table.h"
#include "binding/message_window_sink.h"
#include "catalogue/interface_slots.h"
#include "ui/control_timer.h"
#include "ui/message_window.h"
#include "ui/notify_pump.h"

class QMenu;

namespace nimbel {

class BatteryWatch;
class CDeviceSelector;
class CVelquorUSBDevice;
class IBindableDevice;
class DemoMenu;
class DetectionThread;
class DesktopNotifier;
class DeviceBinder;
class LanguageSwitch;
class MessageBus;
class TrayIcon;

// Timers of the main window, by id; each is one-shot (its handler kills it first).
namespace main_timer {
inline constexpr int kFitWindow = 1011;
inline constexpr int kTrayMenu = 1032;
}  // namespace main_timer

// Settings sub-pages of the mouse pages that the window's function tabs stand for: the pages have no
// function views of their own.
namespace mouse_settings_tab {
inline constexpr int kDpi = 0;
inline constexpr int kKeys = 2;
inline constexpr int kMacros = 5;
inline constexpr int kShootPatterns = 6;
inline constexpr int kLighting = 7;
inline constexpr int kCursor = 4;
}  // namespace mouse_settings_tab

class CMainWnd final : public CMessageWindow,
                       public INotifyUI,
                       public ITimerTarget,
                       public IMainWindowEvents {
 public:
  static constexpr const char* kSkinFile = "XML/main.ui";
  static constexpr const char* kRootName = "root";
  static constexpr int kWidth = 800;
  static constexpr int kHeight = 572;
  // The scale of the window's skin. Qt scales every window for its screen itself, so this stays at the
  // base value the message boxes expect.
  static constexpr int kBaseDpi = 96;

  struct Options {
    LanguageSwitch* language = nullptr;
    // Null when the program runs without a session bus.
    MessageBus* bus = nullptr;
    // In demo mode: the menu that plugs and unplugs the emulated devices.
    DemoMenu* demoMenu = nullptr;
    // Where a low battery is told; null: the tray's tool tip alone shows it.
    DesktopNotifier* notifier = nullptr;
    // A device was bound or unbound, or its wireless link came or went.
    std::function<void()> devicesChanged;
  };

  explicit CMainWnd(Options options);
  ~CMainWnd() override;
  CMainWnd(const CMainWnd&) = delete;
  CMainWnd& operator=(const CMainWnd&) = delete;

  // False when the main skin could not be built.
  bool IsBuilt() const { return root_ != nullptr; }
  QWidget* Root() const { return root_; }

  // Lays the window out once without showing it and runs its initialisation, which leaves it hidden
  // and starts detection.
  void Initialise();

  void ActivateMainWindow();

  void DeviceArrived(std::size_t slot) override;
  void DeviceRemoved(std::size_t slot) override;
  void LinkChanged(int tab, bool up) override;
  void FirstDetectionPassDone() override;
  // Applies language `index` of the language list; the menus follow, the skins follow by themselves.
  void ApplyLanguage(int index);
  // Applies language `index` of the language list; the pages and menus follow.
  void FitWindowToMonitor();
  // The tray icon's left click: hide a shown window, show a hidden or minimised one.
  void ToggleFromTray();

  // Asks the program to end: closes open message boxes, menus and the window, and leaves every event
  // loop. The shutdown itself waits for the outermost loop (StopWorkerThreads after it), so that no
  // code still running under a modal box finds its devices gone.
  void Exit();
  bool ExitRequested() const { return exitRequested_; }
  // The shutdown: hide, stop the workers, close the devices.
  void StopWorkerThreads();

  // The system is about to sleep: from now on the window's timers and routed messages do nothing.
  void Suspend();
  // The system woke up: routing resumes and every bound device is read again as after its arrival, so
  // the page shows what the device holds after the sleep.
  void Resume();

  void Notify(TNotifyUI& msg) override;
  void OnTimer(int id) override;
  // A menu item by its name ("exit", "about_menu", ...), from the tray or another popup menu.
  void OnMenuCommand(const QString& name);
  // Whether a menu item has something to do yet.
  static bool HasMenuCommand(const QString& name);

  // Every device page shows settings sub-page `tab`, and the function tab row marks the tab it belongs
  // to.
  void ShowMouseSettings(int tab);

  // The first shown and selected device: the one routed operations act on; null when none.
  CVelquorUSBDevice* CurrentDevice() const;
  std::span<const std::unique_ptr<KindDevice>> Devices() const { return devices_; }
  CDeviceSelector* Selector() const { return selector_.get(); }
  const WorkerTable& Workers() const { return workers_; }
  TrayIcon* Tray() const { return tray_.get(); }
  bool IsNoDeviceShown() const;

  using Handler = void (CMainWnd::*)(int number, const TNotifyUI& msg);
  using MessageRoute = Route<Handler>;
  using MenuRoute = Route<void (CMainWnd::*)()>;

 protected:
  std::intptr_t HandleWindowMessage(std::uint32_t message, std::intptr_t wParam, std::intptr_t lParam,
                                    bool& handled) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  friend struct MainWndRoutes;

  void BuildSkin();
  void AddDemoButton(QMenu* menu);
  void CreateTray();
  // The shown devices changed, or how they are named: the tray lists them again and the scripting
  // interface hears of it.
  void FollowShownDevices();
  void Dispatch(std::span<const MessageRoute> routes, TNotifyUI& msg);
  // The notifications of a device page's own controls and of its profile bar go to that page's device;
  // true when it took one.
  bool RouteToDevicePage(const TNotifyUI& msg);
  // A settings sub-page shown on the device pages: the function tab row marks the tab it belongs to.
  void MarkFunctionTabOf(int settingsTab);

  // Window initialisation, on "windowinit".
  void OnWindowInit(int, const TNotifyUI&);
  void OnWindowSize(int, const TNotifyUI&);
  void StartDetection();
  IBindableDevice* CreateDevice(std::size_t identityRow);
  bool IsEnding() const;

  // Handlers of the routing tables.
  void OnCloseButton(int, const TNotifyUI&);
  void OnNoDeviceOk(int, const TNotifyUI&);
  void OnMinimise(int, const TNotifyUI&);
  void OnMaximise(int, const TNotifyUI&);
  void OnRestore(int, const TNotifyUI&);
  void OnPreviousDevice(int, const TNotifyUI&);
  void OnNextDevice(int, const TNotifyUI&);
  void OnDeviceSelect(int, const TNotifyUI&);
  void OnFunctionTab(int view, const TNotifyUI& msg);
  // A function tab that stands for a settings sub-page of the mouse pages.
  void OnMouseSettingsTab(int tab, const TNotifyUI& msg);
  // A control that leads to a settings sub-page whatever its state (the logo to the lighting).
  void OnShowMouseSettings(int tab, const TNotifyUI& msg);
  void OnZorvaDpiSliderMove(int stage, const TNotifyUI& msg);
  void OnZorvaDpiEdit(int stage, const TNotifyUI& msg);

  // The close button: to the notification area, or minimised when the desktop has none.
  void PutAway();
  void ShowNoDeviceLink(bool show);
  void ShowUpgradePrompt();
  void OnExitCommand();

  Options options_;
  QPointer<QWidget> root_;
  std::unique_ptr<CNotifyPump> pump_;

  InterfaceSlotList slots_;
  MessageWindowSink sink_;
  std::unique_ptr<CDeviceSelector> selector_;
  std::unique_ptr<DeviceBinder> binder_;
  std::unique_ptr<DetectionThread> detection_;
  std::unique_ptr<DeviceFactory> factory_;
  std::vector<std::unique_ptr<KindDevice>> devices_;
  WorkerTable workers_;
  std::unique_ptr<TrayIcon> tray_;
  std::unique_ptr<BatteryWatch> batteryWatch_;

  std::uint32_t instanceMessage_ = 0;
  bool initialised_ = false;
  bool displayChanged_ = false;
  bool exitRequested_ = false;
  bool stopped_ = false;
};

}  // namespace nimbel
