#include "app/main_wnd.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QGuiApplication>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QWindow>
#include <algorithm>

#include "app/audio_styles.h"
#include "app/battery_watch.h"
#include "app/demo_menu.h"
#include "app/language.h"
#include "app/main_wnd_routes.h"
#include "app/tray_icon.h"
#include "binding/device_binder.h"
#include "binding/device_option_ui.h"
#include "binding/device_selector.h"
#include "catalogue/detection_thread.h"
#include "catalogue/window_messages.h"
#include "devices/device_messages.h"
#include "devices/usb_device.h"
#include "platform/folders.h"
#include "platform/message_bus.h"
#include "platform/registered_messages.h"
#include "platform/system_awake.h"
#include "platform/trace.h"
#include "ui/find_control.h"
#include "ui/message_box.h"
#include "ui/resource_manager.h"
#include "ui/skin_attributes.h"

namespace nimbel {
namespace {

// Window messages the main window handles besides those of detection and the device objects.
namespace window_message {
inline constexpr std::uint32_t kClearUpdateBadge = 3094;
inline constexpr std::uint32_t kShowSettingProgress = 3072;
}  // namespace window_message

constexpr const char* kTitleBarName = "title_bar";
constexpr const char* kTitleLayoutName = "title_bar_layout";
constexpr const char* kSkinButtonName = "skinbtn";
constexpr const char* kSetButtonName = "setbtn";
constexpr const char* kNoDeviceName = "No_device_Link";
constexpr const char* kSettingProgressName = "setting_progress";
constexpr const char* kPerformanceTabName = "performance_Op_tab";
constexpr const char* kCursorTabName = "cursor_Op_tab";
constexpr const char* kKeysTabName = "key_Op_tab";
constexpr const char* kMacrosTabName = "macro_Op_tab";
constexpr const char* kShootTabName = "shoot_Op_tab";
constexpr const char* kLightingTabName = "deng_Op_tab";
constexpr const char* kZorvaDpiSliderPrefix = "zorva_DPI_slider_";
constexpr const char* kZorvaDpiEditPrefix = "zorva_DPI_edit_";
constexpr const char* kDemoButtonName = "demo_btn";
constexpr const char* kDemoButtonTextId = "demo_menu_text";
constexpr const char* kStyleClassProperty = "styleClass";
constexpr const char* kDemoButtonStyle = "small";

constexpr int kZorvaDpiMin = 200;
constexpr int kZorvaDpiMax = 6500;

constexpr int kFitWindowDelayMs = 100;
constexpr int kTrayMenuDelayMs = 10;

// Message boxes and dialogs answer "cancel" to whoever opened them; open menus close.
void CloseModalWindows() {
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (!window->isVisible()) continue;
    if (auto* dialog = qobject_cast<QDialog*>(window)) {
      dialog->reject();
    } else if (window->windowType() == Qt::Popup) {
      window->close();
    }
  }
}

}  // namespace

CMainWnd::CMainWnd(Options options)
    : options_(options), sink_(this, *this), instanceMessage_(RegisterWindowMessage(kInstanceMessageName)) {
  setObjectName(QStringLiteral("MainWnd"));
  setWindowTitle(QStringLiteral("Nimbel"));
  setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
  BuildSkin();
  if (root_ == nullptr) return;
  // The current device's tab goes: the windows its page opened go with it.
  CDeviceSelector::Hooks selectorHooks;
  selectorHooks.leaveCurrentDevice = [this] {
    for (const auto& device : devices_) device->Device().CloseChildWindows();
  };
  selector_ = std::make_unique<CDeviceSelector>(root_, std::move(selectorHooks));
  factory_ = std::make_unique<DeviceFactory>(
      this, root_, *selector_, KindDeviceHooks{[this](int tab) { MarkFunctionTabOf(tab); }},
      [this](const CDeviceOptionUI& tab, std::span<const std::uint8_t, kPowerStatusLength> status) {
        if (batteryWatch_ != nullptr) batteryWatch_->StatusRead(tab, status);
      });
  binder_ = std::make_unique<DeviceBinder>(slots_, *selector_,
                                           DeviceBinder::Hooks{
                                               [this](std::size_t row) { return CreateDevice(row); },
                                               [this](int tab, bool up) { LinkChanged(tab, up); },
                                               // The window opens no pop-up windows yet.
                                               [] {},
                                           });
  if (options_.demoMenu != nullptr) AddDemoButton(options_.demoMenu);
  CreateTray();
}

CMainWnd::~CMainWnd() {
  StopWorkerThreads();
}

void CMainWnd::BuildSkin() {
  QWidget* root = LoadSkin(QString::fromLatin1(kSkinFile), this);
  if (root == nullptr) return;
  root_ = root;
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(root_);
  setFixedSize(kWidth, kHeight);
  pump_ = std::make_unique<CNotifyPump>(this, this);
  pump_->Attach(root_);
  if (QWidget* titleBar = FindControl(root_, QString::fromLatin1(kTitleBarName)))
    titleBar->installEventFilter(this);
}

void CMainWnd::AddDemoButton(QMenu* menu) {
  auto* titleLayout = root_->findChild<QBoxLayout*>(QString::fromLatin1(kTitleLayoutName));
  QWidget* skinButton = FindControl(root_, QString::fromLatin1(kSkinButtonName));
  if (titleLayout == nullptr) return;
  auto* button = new QPushButton(root_);
  button->setObjectName(QString::fromLatin1(kDemoButtonName));
  CResourceManager::Instance().SetTextId(button, QString::fromLatin1(kDemoButtonTextId));
  button->setProperty(kStyleClassProperty, QString::fromLatin1(kDemoButtonStyle));
  button->setFocusPolicy(Qt::TabFocus);
  button->setMenu(menu);
  // The button's text says what it is; the theme's menu arrow would crowd the title bar.
  button->setStyleSheet(QStringLiteral("QPushButton::menu-indicator { image: none; width: 0px; }"));
  const int at = skinButton != nullptr ? titleLayout->indexOf(skinButton) : titleLayout->count();
  titleLayout->insertWidget(at, button);
}

void CMainWnd::CreateTray() {
  tray_ = std::make_unique<TrayIcon>(TrayIcon::Hooks{
                                         [this] { ToggleFromTray(); },
                                         [this] { SetTimer(this, main_timer::kTrayMenu, kTrayMenuDelayMs); },
                                         [this](const QString& name) { OnMenuCommand(name); },
                                         [](const QString& name) { return HasMenuCommand(name); },
                                     },
                                     options_.demoMenu);
  batteryWatch_ = std::make_unique<BatteryWatch>(*selector_, *tray_, options_.notifier);
}

void CMainWnd::FollowShownDevices() {
  if (batteryWatch_ != nullptr) batteryWatch_->ShowDevices();
  if (options_.devicesChanged) options_.devicesChanged();
}

void CMainWnd::Initialise() {
  if (initialised_ || root_ == nullptr) return;
  initialised_ = true;
  ensurePolished();
  if (layout() != nullptr) layout()->activate();
  TNotifyUI msg{NotifyType::kWindowInit, QString::fromLatin1(kRootName), root_.data()};
  Notify(msg);
}

void CMainWnd::Notify(TNotifyUI& msg) {
  if (msg.sType != notify::kTimer) {
    Trace(std::string("notify ") + NotifyTypeName(msg.sType) + " " + msg.senderName.toStdString());
  }
  if (RouteToDevicePage(msg)) return;
  Dispatch(MainWndRoutes::ForType(msg.sType), msg);
}

bool CMainWnd::RouteToDevicePage(const TNotifyUI& msg) {
  if (msg.pSender == nullptr || msg.sType == notify::kTimer) return false;
  for (const auto& device : devices_) {
    QWidget* page = device->Device().Page();
    if (page != nullptr && page->isAncestorOf(msg.pSender)) return device->RouteNotification(msg);
  }
  return false;
}

void CMainWnd::Dispatch(std::span<const MessageRoute> routes, TNotifyUI& msg) {
  const auto hit = FindRoute(routes, msg.senderName);
  if (!hit) return;
  (this->*(hit->route->handler))(hit->number, msg);
}

bool CMainWnd::HasMenuCommand(const QString& name) {
  return FindRoute(MainWndRoutes::Menu(), name).has_value();
}

void CMainWnd::OnMenuCommand(const QString& name) {
  if (const auto hit = FindRoute(MainWndRoutes::Menu(), name)) (this->*(hit->route->handler))();
}

// Window initialisation.

void CMainWnd::OnWindowInit(int, const TNotifyUI&) {
  if (options_.bus != nullptr) {
    // Tells other programs that Nimbel drives the devices' lighting from now on.
    options_.bus->BroadcastMessage(
        QString::fromLatin1(kLightingStateMessageName.data(),
                            static_cast<qsizetype>(kLightingStateMessageName.size())),
        1, 1);
  }
  if (options_.language != nullptr) ApplyLanguage(options_.language->GetLanguageIndex());
  binder_->CreateStartupDevices();
  // The mouse pages open on their first settings sub-page, the performance view; checked after the
  // profile bars have set up their tab rows.
  if (auto* tab = FindControl<QAbstractButton>(root_, QString::fromLatin1(kPerformanceTabName)))
    tab->setChecked(true);
  hide();
  StartDetection();
  SetTimer(this, main_timer::kFitWindow, kFitWindowDelayMs);
  if (!EnsureAudioStylesFile(UserDataFolder(), DefaultDataFolder())) {
    Trace(std::string("audio-lighting styles: no usable ") + kAudioStylesFile);
  }
}

void CMainWnd::OnWindowSize(int, const TNotifyUI&) {
  if (!displayChanged_) return;
  displayChanged_ = false;
  FitWindowToMonitor();
}

void CMainWnd::StartDetection() {
  detection_ = std::make_unique<DetectionThread>(slots_, sink_);
  if (!detection_->Start()) return;
  workers_.Occupy(WorkerTable::kDetectionSlot, [this](int boundMs) { return detection_->Stop(boundMs); });
  // Slot kLightingSyncSlot stays free until lighting synchronisation exists.
}

IBindableDevice* CMainWnd::CreateDevice(std::size_t identityRow) {
  std::unique_ptr<KindDevice> device = factory_->Create(identityRow);
  if (device == nullptr) return nullptr;
  devices_.push_back(std::move(device));
  return &devices_.back()->Device();
}

void CMainWnd::ApplyLanguage(int index) {
  if (options_.language == nullptr || IsEnding() || !IsSystemAwake()) return;
  if (!options_.language->SetLanguage(index)) return;
  // The skins follow the resource manager by themselves; the menus' actions are no widgets.
  if (tray_ != nullptr) tray_->Retranslate();
  if (options_.demoMenu != nullptr) options_.demoMenu->Retranslate();
  for (const auto& device : devices_) device->LanguageChanged();
  FollowShownDevices();
  update();
}

// Visibility.

bool CMainWnd::IsNoDeviceShown() const {
  const QWidget* noDevice = FindControl(root_, QString::fromLatin1(kNoDeviceName));
  return noDevice != nullptr && !noDevice->isHidden();
}

void CMainWnd::ShowNoDeviceLink(bool show) {
  if (QWidget* noDevice = FindControl(root_, QString::fromLatin1(kNoDeviceName))) noDevice->setVisible(show);
}

void CMainWnd::ActivateMainWindow() {
  if (selector_ != nullptr) ShowNoDeviceLink(selector_->FirstVisibleTab().second == 0);
  // A page starts its preview as it becomes visible; nothing to tell the devices.
  showNormal();
  raise();
  activateWindow();
}

void CMainWnd::ToggleFromTray() {
  if (selector_ != nullptr) ShowNoDeviceLink(selector_->FirstVisibleTab().second == 0);
  const bool shown = isVisible() && !isMinimized();
  if (shown) {
    hide();
    return;
  }
  FitWindowToMonitor();
  showNormal();
  raise();
  activateWindow();
}

void CMainWnd::FitWindowToMonitor() {
  // Qt already scales the window for the screen it is on, so fitting only keeps the whole window on
  // that screen and centres it there; visibility stays as it was.
  const QScreen* screen = this->screen() != nullptr ? this->screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect available = screen->availableGeometry();
  QRect frame(QPoint(0, 0), size());
  frame.moveCenter(available.center());
  frame.moveTopLeft(QPoint(std::max(available.left(), frame.left()), std::max(available.top(), frame.top())));
  move(frame.topLeft());
}

void CMainWnd::closeEvent(QCloseEvent* event) {
  // The window manager's close puts the window away like the close button; only the menu's exit or a
  // termination signal ends the program.
  event->ignore();
  if (!exitRequested_ && !stopped_) PutAway();
}

bool CMainWnd::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
      watched->objectName() == QLatin1String(kTitleBarName)) {
    // The title bar is ours, so the window manager moves the window on our request.
    if (QWindow* handle = windowHandle()) handle->startSystemMove();
    return true;
  }
  return CMessageWindow::eventFilter(watched, event);
}

// Shutdown.

void CMainWnd::Exit() {
  exitRequested_ = true;
  CloseModalWindows();
  hide();
  // Leaves the modal loops too; any box opened on the way back out returns at once.
  QCoreApplication::exit(0);
}

void CMainWnd::StopWorkerThreads() {
  if (stopped_) return;
  stopped_ = true;
  hide();
  workers_.StopAll();
  // Nothing binds any more; the tab items let go of their devices before these end their threads and
  // close their handles.
  binder_.reset();
  for (const auto& device : devices_) {
    if (auto* tab = dynamic_cast<CDeviceOptionUI*>(device->Device().TabItem())) tab->BindDevice(nullptr);
  }
  devices_.clear();
}

// Suspend and resume.

void CMainWnd::Suspend() {
  SetSystemAwake(false);
}

void CMainWnd::Resume() {
  SetSystemAwake(true);
  for (const auto& device : devices_) {
    auto* tab = dynamic_cast<CDeviceOptionUI*>(device->Device().TabItem());
    if (tab != nullptr && device->Device().Channel().IsOpen()) tab->StartBindTimer();
  }
}

// Timers.

void CMainWnd::OnTimer(int id) {
  KillTimer(this, id);
  switch (id) {
    case main_timer::kFitWindow:
      FitWindowToMonitor();
      update();
      return;
    case main_timer::kTrayMenu:
      if (tray_ != nullptr) tray_->PopupMenu();
      return;
    default:
      return;
  }
}

// What detection, binding and the device tabs tell the window.

bool CMainWnd::IsEnding() const {
  // Once the program is ending, nothing brings the window back or binds a device.
  return exitRequested_ || stopped_;
}

void CMainWnd::DeviceArrived(std::size_t slot) {
  // Arrivals and removals count while the system sleeps too: dropping one would leave a device
  // unbound, or a gone one shown, after the wake-up.
  if (IsEnding()) return;
  binder_->OnDeviceArrived(slot);
  FollowShownDevices();
  ActivateMainWindow();
}

void CMainWnd::DeviceRemoved(std::size_t slot) {
  if (IsEnding()) return;
  binder_->OnDeviceRemoved(slot);
  FollowShownDevices();
}

void CMainWnd::LinkChanged(int tab, bool up) {
  if (IsEnding() || !IsSystemAwake()) return;
  selector_->OnLinkState(tab, up ? kLinkUp : kLinkDown);
  FollowShownDevices();
}

void CMainWnd::FirstDetectionPassDone() {
  if (!IsEnding()) ActivateMainWindow();
}

// Window messages from other programs and the devices.

std::intptr_t CMainWnd::HandleWindowMessage(std::uint32_t message, std::intptr_t, std::intptr_t,
                                            bool& handled) {
  handled = true;
  if (IsEnding()) return 0;
  if (message == instanceMessage_) {
    ActivateMainWindow();
    return 0;
  }
  if (!IsSystemAwake()) return 0;
  switch (message) {
    case device_message::kUpgradePrompt:
      ShowUpgradePrompt();
      return 0;
    case device_message::kShowNoDeviceLink:
      ShowNoDeviceLink(true);
      return 0;
    case device_message::kHideNoDeviceLink:
      ShowNoDeviceLink(false);
      return 0;
    case window_message::kClearUpdateBadge:
      if (QWidget* setButton = FindControl(root_, QString::fromLatin1(kSetButtonName)))
        SetForeImage(setButton, {});
      return 0;
    case window_message::kShowSettingProgress:
      if (QWidget* progress = FindControl(root_, QString::fromLatin1(kSettingProgressName))) progress->show();
      return 0;
    default:
      // 3093 opens the settings window, which does not exist yet; the devices' 3328, 3329 and 3335
      // are for no one here.
      handled = false;
      return 0;
  }
}

void CMainWnd::ShowUpgradePrompt() {
  // The update client that would fetch and start the upgrade is not there yet: the box tells the user
  // that one is available, and confirming it changes nothing.
  QMetaObject::invokeMethod(
      this,
      [this] {
        ShowMessageBox(this, {}, QStringLiteral("message_text_30"), kBaseDpi, true,
                       MessageBoxButtons::kConfirmCancel);
      },
      Qt::QueuedConnection);
}

// Routed operations.

CVelquorUSBDevice* CMainWnd::CurrentDevice() const {
  if (selector_ == nullptr) return nullptr;
  const CDeviceOptionUI* tab = selector_->Tab(selector_->CurrentTab());
  return tab != nullptr ? dynamic_cast<CVelquorUSBDevice*>(tab->Device()) : nullptr;
}

void CMainWnd::OnCloseButton(int, const TNotifyUI&) {
  PutAway();
}

void CMainWnd::OnNoDeviceOk(int, const TNotifyUI&) {
  PutAway();
}

void CMainWnd::PutAway() {
  // Without a notification area nothing could bring a hidden window back; the task bar can bring back
  // a minimised one. The pages stop their previews as they are hidden with the window.
  if (TrayIcon::IsAvailable()) {
    hide();
  } else {
    showMinimized();
  }
}

void CMainWnd::OnMinimise(int, const TNotifyUI&) {
  showMinimized();
}

void CMainWnd::OnMaximise(int, const TNotifyUI&) {
  showMaximized();
}

void CMainWnd::OnRestore(int, const TNotifyUI&) {
  showNormal();
}

void CMainWnd::OnPreviousDevice(int, const TNotifyUI&) {
  selector_->SelectPreviousTab();
}

void CMainWnd::OnNextDevice(int, const TNotifyUI&) {
  selector_->SelectNextTab();
}

void CMainWnd::OnDeviceSelect(int, const TNotifyUI& msg) {
  // A group's other options report their unselection too; only the selection counts.
  if (msg.wParam == 0) return;
  selector_->SelectedTabChanged();
}

void CMainWnd::OnFunctionTab(int view, const TNotifyUI& msg) {
  if (msg.wParam == 0) return;
  for (const auto& device : devices_) device->Device().SetConnectionView(view);
  if (auto* tab = qobject_cast<QAbstractButton*>(msg.pSender.data())) tab->setChecked(true);
}

void CMainWnd::OnMouseSettingsTab(int tab, const TNotifyUI& msg) {
  if (msg.wParam != 0) ShowMouseSettings(tab);
}

void CMainWnd::OnShowMouseSettings(int tab, const TNotifyUI& /*msg*/) {
  ShowMouseSettings(tab);
}

void CMainWnd::ShowMouseSettings(int tab) {
  for (const auto& device : devices_) device->ShowSettingsTab(tab);
  MarkFunctionTabOf(tab);
}

void CMainWnd::MarkFunctionTabOf(int settingsTab) {
  // The buttons, the macros, the shooting patterns, the lighting and the pointer settings have function
  // tabs of their own; every other sub-page is performance.
  const char* name = kPerformanceTabName;
  if (settingsTab == mouse_settings_tab::kCursor) name = kCursorTabName;
  if (settingsTab == mouse_settings_tab::kKeys) name = kKeysTabName;
  if (settingsTab == mouse_settings_tab::kMacros) name = kMacrosTabName;
  if (settingsTab == mouse_settings_tab::kShootPatterns) name = kShootTabName;
  if (settingsTab == mouse_settings_tab::kLighting) name = kLightingTabName;
  auto* tab = FindControl<QAbstractButton>(root_, QString::fromLatin1(name));
  if (tab == nullptr) return;
  // Marking it is no choice of the user's: it must not switch the pages again.
  const ScopedNotifyBlocker quiet;
  tab->setChecked(true);
}

void CMainWnd::OnZorvaDpiSliderMove(int stage, const TNotifyUI& msg) {
  auto* edit =
      FindControl<QLineEdit>(root_, QString::fromLatin1(kZorvaDpiEditPrefix) + QString::number(stage));
  if (edit != nullptr) edit->setText(QString::number(msg.wParam));
}

void CMainWnd::OnZorvaDpiEdit(int stage, const TNotifyUI& msg) {
  auto* edit = qobject_cast<QLineEdit*>(msg.pSender.data());
  if (edit == nullptr) return;
  const int value = std::clamp(edit->text().toInt(), kZorvaDpiMin, kZorvaDpiMax);
  edit->setText(QString::number(value));
  if (auto* slider =
          FindControl<QSlider>(root_, QString::fromLatin1(kZorvaDpiSliderPrefix) + QString::number(stage))) {
    slider->setValue(value);
  }
}

void CMainWnd::OnExitCommand() {
  Exit();
}

}  // namespace nimbel
