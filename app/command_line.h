#pragma once

// What `nimbel` is asked to do on its command line.

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "app/demo_devices.h"
#include "emulator/mouse_firmware.h"

namespace nimbel {

// One product to plug at start in demo mode, with the variant and firmware of the mouse it reaches.
struct DemoPlug {
  DemoProduct product;
  emulator::MouseOptions mouse;
};

struct CommandLine {
  bool help = false;
  bool version = false;
  // Run on emulated devices instead of the system's HID devices, plugging these at start.
  bool demo = false;
  std::vector<DemoPlug> demoProducts;
  // Demo mode started from the command line keeps each emulated mouse's memory between runs, as a real
  // mouse does; a CommandLine built in code (tests) starts from factory-fresh mice.
  bool keepDemoMemory = false;
  // Hidden: grab the main window into this PNG once the first device has arrived, then exit.
  QString screenshotPath;
  // Hidden: the settings sub-page of the mouse page the screenshot shows (0 DPI, 4 pointer, ...).
  int screenshotPage = 0;
  // Hidden: press the close button this many seconds after start (0: never), so measurements can see
  // the program hidden in the notification area without a person to click.
  int closeAfterSeconds = 0;
};

// Exit codes of a command line that cannot be run.
inline constexpr int kUsageExitCode = 2;

// The arguments after the program name without the toolkit's own options ("-platform offscreen",
// "-style=Fusion", "-session ID", ...), which the toolkit takes for itself once it starts.
QStringList WithoutToolkitOptions(const QStringList& arguments);

// The arguments after the program name, with the toolkit's own options already taken out. On a mistake,
// nullopt and `error` says what is wrong in words the user can act on.
std::optional<CommandLine> ParseCommandLine(const QStringList& arguments, QString& error);

QString UsageText();
// "nimbel" and the program's version.
QString VersionText();

}  // namespace nimbel
