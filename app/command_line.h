#pragma once

// What `nimbel` is asked to do on its command line.

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "app/demo_devices.h"

namespace nimbel {

struct CommandLine {
  bool help = false;
  // Run on emulated devices instead of the system's HID devices, plugging these at start.
  bool demo = false;
  std::vector<DemoProduct> demoProducts;
  // Hidden: grab the main window into this PNG once the first device has arrived, then exit.
  QString screenshotPath;
  // Hidden: press the close button this many seconds after start (0: never), so measurements can see
  // the program hidden in the notification area without a person to click.
  int closeAfterSeconds = 0;
};

// Exit codes of a command line that cannot be run.
inline constexpr int kUsageExitCode = 2;

// The arguments after the program name, with Qt's own options already taken out. On a mistake, nullopt
// and `error` says what is wrong in words the user can act on.
std::optional<CommandLine> ParseCommandLine(const QStringList& arguments, QString& error);

QString UsageText();

}  // namespace nimbel
