#include "app/application.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QTimer>
#include <cstdio>
#include <string>

#include "app/demo_devices.h"
#include "app/demo_menu.h"
#include "app/desktop_notifier.h"
#include "app/device_factory.h"
#include "app/language.h"
#include "app/main_wnd.h"
#include "app/mp_device_power_ui.h"
#include "app/startup_timing.h"
#include "app/termination_signals.h"
#include "app/tray_icon.h"
#include "app/window_screenshot.h"
#include "binding/device_option_ui.h"
#include "dbus/api_manager.h"
#include "editors/device_profile_ui.h"
#include "platform/folders.h"
#include "platform/message_bus.h"
#include "platform/registered_messages.h"
#include "platform/settings_file.h"
#include "platform/single_instance.h"
#include "platform/sleep_watch.h"
#include "platform/trace.h"
#include "ui/control_factory.h"
#include "ui/find_control.h"
#include "ui/fonts.h"
#include "ui/resource_manager.h"
#include "ui/skin_folder.h"

namespace nimbel {
namespace {

constexpr const char* kApplicationName = "Nimbel";
constexpr const char* kStyleName = "Fusion";
constexpr const char* kThemeFile = "theme.qss";
// The texts in place before the saved language is applied.
constexpr const char* kBuiltInLanguageFile = "lan_cn.xml";
constexpr const char* kInstanceTrace = "软件标示：";
constexpr int kSkinMissingExitCode = 1;
constexpr const char* kCloseButtonName = "closebtn";
constexpr int kMsPerSecond = 1000;

// The control classes of the window's own skins; each device kind registers those of its page.
constexpr ControlClass kControlClasses[] = {
    {CDeviceOptionUI::kClassName, &MakeControl<CDeviceOptionUI>},
    {CMpDevicePowerUI::kClassName, &MakeControl<CMpDevicePowerUI>},
    {CDeviceProfileUI::kClassName, &MakeControl<CDeviceProfileUI>},
};

constexpr std::string_view kOtherRegisteredMessages[] = {
    kUpdateProgressRelayMessageName, kUpdateProgressMessageName, kLightingStateMessageName,
    kLightingControlMessageName,     kToolQueryMessageName,      kAudioCaptureMessageName,
};

// The arguments after the program name as the user typed them.
QStringList ArgumentsOf(int argc, char** argv) {
  QStringList arguments;
  for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  return arguments;
}

}  // namespace

Application::Application(CommandLine commandLine, QDBusConnection bus, QDBusConnection systemBus)
    : commandLine_(std::move(commandLine)), bus_(std::move(bus)), systemBus_(std::move(systemBus)) {}

Application::~Application() {
  // The scripting interface first: it reads the window's devices. Then the window: its devices end their
  // threads and close their handles while the emulator, the bus and the fonts are still there.
  api_.reset();
  screenshot_.reset();
  sleepWatch_.reset();
  signals_.reset();
  window_.reset();
}

std::optional<int> Application::Start() {
  if (commandLine_.demo) {
    // Before anything can open a device, every device is the emulator's.
    demo_ = std::make_unique<DemoDevices>(
        commandLine_.keepDemoMemory ? std::make_shared<DemoMemoryFiles>(DemoMemoryFolder()) : nullptr);
    demo_->InstallBackend();
  }
  fonts_ = std::make_unique<PrivateFonts>();

  const std::uint32_t instanceMessage = RegisterWindowMessage(kInstanceMessageName);
  Trace(kInstanceTrace + std::to_string(instanceMessage));
  if (bus_.isConnected()) {
    // Exported before the name is taken, so a second instance that sees the name can always reach it.
    messageBus_ = std::make_unique<MessageBus>(bus_);
    messageBus_->Export();
  }
  instance_ = std::make_unique<SingleInstance>(bus_, SingleInstance::DefaultLockPath());
  const SingleInstance::Result instance = instance_->Acquire();
  if (instance == SingleInstance::Result::kAnotherInstanceRuns) {
    instance_->NotifyRunningInstance();
    return 0;
  }
  if (instance == SingleInstance::Result::kFirstInstanceWithoutBus) messageBus_.reset();

  ApplyTheme();
  RegistControls(kControlClasses);
  DeviceFactory::RegisterControls();
  for (const std::string_view name : kOtherRegisteredMessages) RegisterWindowMessage(name);

  settings_ = std::make_unique<SettingsFile>();
  language_ = std::make_unique<LanguageSwitch>(DefaultDataFolder() + kLanguageListFile, *settings_);
  CResourceManager::Instance().LoadLanguage(QString::fromLatin1(kBuiltInLanguageFile));
  if (demo_ != nullptr) demoMenu_ = std::make_unique<DemoMenu>(*demo_);

  notifier_ = std::make_unique<DesktopNotifier>(bus_);
  window_ = std::make_unique<CMainWnd>(
      CMainWnd::Options{language_.get(), messageBus_.get(), demoMenu_.get(), notifier_.get(), [this] {
                          if (api_ != nullptr) api_->DevicesChanged();
                        }});
  if (!window_->IsBuilt()) {
    std::fprintf(stderr, "nimbel: the main window's skin cannot be read from %s\n", qPrintable(SkinFolder()));
    return kSkinMissingExitCode;
  }
  if (!TrayIcon::IsAvailable()) {
    std::fprintf(stderr,
                 "nimbel: this desktop shows no notification-area icons; the close button minimises "
                 "the window instead of hiding it\n");
  }
  ConnectMessageBus();
  CreateApi();
  signals_ = std::make_unique<TerminationSignals>([this] { window_->Exit(); });
  WatchSleep();
  if (StartupTimingReport::Requested()) new StartupTimingReport(window_.get());
  if (!commandLine_.screenshotPath.isEmpty()) {
    const bool waitForDevice = commandLine_.demo && !commandLine_.demoProducts.empty();
    screenshot_ = std::make_unique<WindowScreenshot>(*window_, commandLine_.screenshotPath, waitForDevice,
                                                     commandLine_.screenshotPage);
  }

  if (commandLine_.closeAfterSeconds > 0) {
    QTimer::singleShot(commandLine_.closeAfterSeconds * kMsPerSecond, window_.get(), [this] {
      if (auto* close =
              FindControl<QAbstractButton>(window_->Root(), QString::fromLatin1(kCloseButtonName))) {
        close->click();
      }
    });
  }
  window_->Initialise();
  window_->FitWindowToMonitor();
  if (demo_ != nullptr) {
    for (const DemoPlug& plug : commandLine_.demoProducts) demo_->Plug(plug.product, plug.mouse);
  }
  return std::nullopt;
}

int Application::Run() {
  // An exit asked for under a box during the start has already ended every loop there was; a new one
  // would wait for another.
  if (!window_->ExitRequested()) QApplication::exec();
  api_.reset();
  window_->StopWorkerThreads();
  return 0;
}

void Application::WatchSleep() {
  CMainWnd* window = window_.get();
  sleepWatch_ = std::make_unique<SleepWatch>(systemBus_, [window](bool sleeping) {
    if (sleeping) {
      window->Suspend();
    } else {
      window->Resume();
    }
  });
  if (!sleepWatch_->IsWatching()) {
    std::fprintf(stderr, "nimbel: no system bus; the devices are not read again after the system sleeps\n");
  }
}

void Application::ApplyTheme() {
  QFile theme(SkinFolder() + QLatin1Char('/') + QLatin1String(kThemeFile));
  if (theme.open(QIODevice::ReadOnly)) qApp->setStyleSheet(QString::fromUtf8(theme.readAll()));
  QApplication::setWindowIcon(QIcon(SkinFolder() + QLatin1Char('/') + QLatin1String(TrayIcon::kIconFile)));
}

void Application::ConnectMessageBus() {
  if (messageBus_ == nullptr) return;
  CMainWnd* window = window_.get();
  messageBus_->SetMessageHandler([window](std::uint32_t id, const QString&, qint64 wParam, qint64 lParam) {
    PostMessage(window, id, static_cast<std::intptr_t>(wParam), static_cast<std::intptr_t>(lParam));
  });
}

void Application::CreateApi() {
  if (messageBus_ == nullptr) return;
  api_ = std::make_unique<ApiManager>(bus_, [this] { return WindowDevices(); });
  if (!api_->Export()) {
    std::fprintf(stderr, "nimbel: the scripting interface could not be put on the session bus\n");
    api_.reset();
  }
}

std::vector<CVelquorUSBDevice*> Application::WindowDevices() const {
  std::vector<CVelquorUSBDevice*> devices;
  for (const auto& device : window_->Devices()) devices.push_back(&device->Device());
  return devices;
}

int RunNimbel(int argc, char** argv) {
  // Read before the toolkit starts, which needs a display: help, version and mistakes must work on any
  // terminal.
  QString error;
  const std::optional<CommandLine> commandLine =
      ParseCommandLine(WithoutToolkitOptions(ArgumentsOf(argc, argv)), error);
  if (!commandLine) {
    std::fprintf(stderr, "nimbel: %s (see nimbel --help)\n", qPrintable(error));
    return kUsageExitCode;
  }
  if (commandLine->help || commandLine->version) {
    std::fputs(qPrintable(commandLine->help ? UsageText() : VersionText()), stdout);
    return 0;
  }

  QApplication application(argc, argv);
  QApplication::setStyle(QString::fromLatin1(kStyleName));
  QApplication::setApplicationName(QString::fromLatin1(kApplicationName));
  // Closing the window hides it in the notification area; the program ends by the menu or a signal.
  QApplication::setQuitOnLastWindowClosed(false);

  Application nimbel(*commandLine, QDBusConnection::sessionBus(), QDBusConnection::systemBus());
  if (const std::optional<int> exitCode = nimbel.Start()) return *exitCode;
  return nimbel.Run();
}

}  // namespace nimbel
