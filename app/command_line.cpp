#include "app/command_line.h"

#include <algorithm>
#include <span>
#include <string_view>

#include "emulator/demo_device.h"

namespace nimbel {
namespace {

constexpr const char* kHelpOption = "--help";
constexpr const char* kShortHelpOption = "-h";
constexpr const char* kVersionOption = "--version";
constexpr const char* kDemoOption = "--demo";
constexpr const char* kDemoListPrefix = "--demo=";
constexpr const char* kScreenshotPrefix = "--screenshot=";
constexpr const char* kScreenshotPagePrefix = "--screenshot-page=";
constexpr const char* kCloseAfterPrefix = "--close-after=";

bool ParseDemoList(const QString& list, std::vector<DemoPlug>& products, QString& error) {
  for (const QString& item : list.split(QLatin1Char(','))) {
    const std::optional<emulator::DemoDevice> device =
        emulator::ParseDemoDevice(item.trimmed().toStdString());
    if (!device) {
      error = QStringLiteral("demo device \"%1\" is not PRODUCT[:SENSOR][:old]").arg(item);
      return false;
    }
    const std::optional<DemoProduct> product = DemoProductByName(QString::fromStdString(device->product));
    if (!product) {
      error = QStringLiteral("unknown demo device \"%1\"; choose from %2")
                  .arg(QString::fromStdString(device->product), DemoProductNames());
      return false;
    }
    products.push_back({*product, device->mouse});
  }
  return true;
}

// The options the toolkit reads from the command line, without their leading dash; it accepts them with
// one dash or two, and those with a value as "-name value" or "-name=value".
constexpr std::string_view kToolkitOptionsWithValue[] = {
    "platform",    "platformpluginpath", "platformtheme", "plugin",  "qwindowgeometry",
    "qwindowicon", "qwindowtitle",       "session",       "display", "geometry",
    "style",       "stylesheet",         "qmljsdebugger",
};
constexpr std::string_view kToolkitFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

// The option name of a toolkit-style argument: "--style=x" and "-style" give "style".
QString ToolkitOptionName(const QString& argument) {
  QString name = argument.startsWith(QLatin1String("--")) ? argument.mid(2) : argument.mid(1);
  const qsizetype equals = name.indexOf(QLatin1Char('='));
  return equals < 0 ? name : name.left(equals);
}

bool IsOneOf(const QString& name, std::span<const std::string_view> names) {
  const std::string latin = name.toStdString();
  return std::find(names.begin(), names.end(), latin) != names.end();
}

// A whole number from `low` up, after `prefix`.
std::optional<int> NumberAfter(const QString& argument, const char* prefix, int low) {
  bool ok = false;
  const int value = argument.mid(static_cast<int>(qstrlen(prefix))).toInt(&ok);
  if (!ok || value < low) return std::nullopt;
  return value;
}

}  // namespace

QStringList WithoutToolkitOptions(const QStringList& arguments) {
  QStringList kept;
  for (qsizetype i = 0; i < arguments.size(); ++i) {
    const QString& argument = arguments[i];
    if (!argument.startsWith(QLatin1Char('-'))) {
      kept << argument;
      continue;
    }
    const QString name = ToolkitOptionName(argument);
    if (IsOneOf(name, kToolkitFlags)) continue;
    if (!IsOneOf(name, kToolkitOptionsWithValue)) {
      kept << argument;
      continue;
    }
    // "-name value": the value goes with it.
    if (!argument.contains(QLatin1Char('=')) && i + 1 < arguments.size()) ++i;
  }
  return kept;
}

std::optional<CommandLine> ParseCommandLine(const QStringList& arguments, QString& error) {
  CommandLine line;
  for (const QString& argument : arguments) {
    if (argument == QLatin1String(kHelpOption) || argument == QLatin1String(kShortHelpOption)) {
      line.help = true;
    } else if (argument == QLatin1String(kVersionOption)) {
      line.version = true;
    } else if (argument == QLatin1String(kDemoOption)) {
      line.demo = true;
      line.demoProducts = {{DemoProduct::MouseCable, {}}};
    } else if (argument.startsWith(QLatin1String(kDemoListPrefix))) {
      line.demo = true;
      line.demoProducts.clear();
      if (!ParseDemoList(argument.mid(static_cast<int>(qstrlen(kDemoListPrefix))), line.demoProducts,
                         error)) {
        return std::nullopt;
      }
    } else if (argument.startsWith(QLatin1String(kScreenshotPrefix))) {
      line.screenshotPath = argument.mid(static_cast<int>(qstrlen(kScreenshotPrefix)));
      if (line.screenshotPath.isEmpty()) {
        error = QStringLiteral("--screenshot needs a file name");
        return std::nullopt;
      }
    } else if (argument.startsWith(QLatin1String(kScreenshotPagePrefix))) {
      const std::optional<int> page = NumberAfter(argument, kScreenshotPagePrefix, 0);
      if (!page) {
        error = QStringLiteral("--screenshot-page needs a sub-page number from 0");
        return std::nullopt;
      }
      line.screenshotPage = *page;
    } else if (argument.startsWith(QLatin1String(kCloseAfterPrefix))) {
      const std::optional<int> seconds = NumberAfter(argument, kCloseAfterPrefix, 1);
      if (!seconds) {
        error = QStringLiteral("--close-after needs a number of seconds above 0");
        return std::nullopt;
      }
      line.closeAfterSeconds = *seconds;
    } else {
      error = QStringLiteral("unknown option \"%1\"").arg(argument);
      return std::nullopt;
    }
  }
  line.keepDemoMemory = line.demo;
  return line;
}

QString UsageText() {
  return QStringLiteral(
             "Usage: nimbel [--demo | --demo=LIST] [--help] [--version]\n"
             "\n"
             "Configures the gaming mice, keyboards, mouse pads and headsets of the Nimbel family.\n"
             "It lives in the notification area; a second start brings the running window up.\n"
             "\n"
             "  --demo        run on emulated devices instead of the real ones, with the mouse\n"
             "                plugged by cable\n"
             "  --demo=LIST   the emulated devices to plug at start, comma-separated: %1;\n"
             "                each may add the mouse's sensor code in hex and \"old\" for an old\n"
             "                firmware, e.g. --demo=mouse:3104 or --demo=mouse-receiver:3395:old\n"
             "  -h, --help    show this text\n"
             "  --version     show the version\n"
             "\n"
             "Environment: NIMBEL_TRACE=1 writes every exchange with a device to stderr.\n")
      .arg(DemoProductNames());
}

QString VersionText() {
  return QStringLiteral("nimbel " NIMBEL_VERSION "\n");
}

}  // namespace nimbel
