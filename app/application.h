#pragma once

// The program from its command line to its event loop and back: start-up in a fixed order, then an
// orderly end.

#include <QDBusConnection>
#include <memory>
#include <optional>
#include <vector>

#include "app/command_line.h"

namespace nimbel {

class ApiManager;
class CMainWnd;
class CVelquorUSBDevice;
class DemoDevices;
class DemoMenu;
class DesktopNotifier;
class LanguageSwitch;
class MessageBus;
class PrivateFonts;
class SettingsFile;
class SingleInstance;
class SleepWatch;
class StartupTimingReport;
class TerminationSignals;
class WindowScreenshot;

class Application {
 public:
  // Needs a QApplication. `bus` is the session bus to use and `systemBus` the bus that reports the
  // system's suspend and resume (tests give private ones).
  Application(CommandLine commandLine, QDBusConnection bus, QDBusConnection systemBus);
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // Runs the start-up up to the hidden main window with detection running. nullopt: go on to the event
  // loop; otherwise the process's exit code (0 for a second instance that handed over to the first).
  std::optional<int> Start();
  // Runs the event loop unless the program was asked to end during the start, then shuts down in
  // order; returns the exit code.
  int Run();

  CMainWnd* Window() const { return window_.get(); }
  DemoDevices* Demo() const { return demo_.get(); }
  bool HasMessageBus() const { return messageBus_ != nullptr; }
  // The scripting interface; null without a session bus.
  ApiManager* Api() const { return api_.get(); }

 private:
  void ApplyTheme();
  void ConnectMessageBus();
  void CreateApi();
  // The device objects of the window, for the scripting interface.
  std::vector<CVelquorUSBDevice*> WindowDevices() const;
  void WatchSleep();

  CommandLine commandLine_;
  QDBusConnection bus_;
  QDBusConnection systemBus_;
  // Declared first so that it goes last: the devices close their handles before the emulator goes.
  std::unique_ptr<DemoDevices> demo_;
  std::unique_ptr<PrivateFonts> fonts_;
  std::unique_ptr<MessageBus> messageBus_;
  std::unique_ptr<SingleInstance> instance_;
  std::unique_ptr<SettingsFile> settings_;
  std::unique_ptr<LanguageSwitch> language_;
  std::unique_ptr<DemoMenu> demoMenu_;
  std::unique_ptr<DesktopNotifier> notifier_;
  std::unique_ptr<CMainWnd> window_;
  // Reads the window's devices: it goes before them.
  std::unique_ptr<ApiManager> api_;
  std::unique_ptr<TerminationSignals> signals_;
  std::unique_ptr<SleepWatch> sleepWatch_;
  std::unique_ptr<WindowScreenshot> screenshot_;
};

// The whole program: parses the command line, runs the event loop and returns the exit code.
int RunNimbel(int argc, char** argv);

}  // namespace nimbel
