#pragma once

// The desktop's own keyboard and mouse settings, opened from the mouse's cursor page. Nimbel only keeps
// the pointer, scroll and double-click values in the profile; the desktop's tool is where they take
// effect.

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace nimbel {

// By the number of the page's "windowdeviceset_" button.
enum class DesktopSettingsPage { kKeyboard = 0, kMouse = 1 };

struct DesktopSettingsCommand {
  QString program;
  QStringList arguments;
};

// Finds a program by name on the PATH; empty when it is not installed.
using ExecutableFinder = std::function<QString(const QString& name)>;

// The first settings tool of the known desktops that is installed; nullopt when none is.
std::optional<DesktopSettingsCommand> FindDesktopSettings(DesktopSettingsPage page,
                                                          const ExecutableFinder& find);

// Starts the tool as a process of its own and returns at once; false when there is none or it could not
// be started.
bool OpenDesktopSettings(DesktopSettingsPage page);

}  // namespace nimbel
