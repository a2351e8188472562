#include "devices/mouse_desktop_settings.h"

#include <QProcess>
#include <QStandardPaths>
#include <array>

namespace nimbel {
namespace {

struct SettingsTool {
  const char* program;
  const char* keyboardArgument;  // nullptr: the tool opens on its own start page
  const char* mouseArgument;
  bool opensBoth;  // false: the tool has no page for the other device
};

// In order of preference; a desktop's own tool comes before the generic ones.
constexpr std::array<SettingsTool, 8> kTools{{
    {"gnome-control-center", "keyboard", "mouse", true},
    {"systemsettings", "kcm_keyboard", "kcm_mouse", true},
    {"systemsettings5", "kcm_keyboard", "kcm_mouse", true},
    {"cinnamon-settings", "keyboard", "mouse", true},
    {"xfce4-keyboard-settings", nullptr, nullptr, false},
    {"xfce4-mouse-settings", nullptr, nullptr, false},
    {"mate-keyboard-properties", nullptr, nullptr, false},
    {"mate-mouse-properties", nullptr, nullptr, false},
}};

bool Serves(const SettingsTool& tool, DesktopSettingsPage page) {
  if (tool.opensBoth) return true;
  const QString program = QLatin1String(tool.program);
  return page == DesktopSettingsPage::kKeyboard ? program.contains(QLatin1String("keyboard"))
                                                : program.contains(QLatin1String("mouse"));
}

}  // namespace

std::optional<DesktopSettingsCommand> FindDesktopSettings(DesktopSettingsPage page,
                                                          const ExecutableFinder& find) {
  for (const SettingsTool& tool : kTools) {
    if (!Serves(tool, page)) continue;
    const QString path = find(QLatin1String(tool.program));
    if (path.isEmpty()) continue;
    const char* argument =
        page == DesktopSettingsPage::kKeyboard ? tool.keyboardArgument : tool.mouseArgument;
    DesktopSettingsCommand command{path, {}};
    if (argument != nullptr) command.arguments << QLatin1String(argument);
    return command;
  }
  return std::nullopt;
}

bool OpenDesktopSettings(DesktopSettingsPage page) {
  const std::optional<DesktopSettingsCommand> command =
      FindDesktopSettings(page, [](const QString& name) { return QStandardPaths::findExecutable(name); });
  return command && QProcess::startDetached(command->program, command->arguments);
}

}  // namespace nimbel
