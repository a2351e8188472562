#pragma once

#include <string>
#include <string_view>

namespace nimbel {

// Where Nimbel keeps its files. Every folder is returned with a trailing '/', so a file name can be
// appended directly.

// $XDG_DATA_HOME/Nimbel/ (~/.local/share/Nimbel/ when XDG_DATA_HOME is unset or not absolute). Created
// when missing; a failure to create it is traced, and the path is returned all the same.
std::string UserDataFolder();

// UserDataFolder() + kind folder ("mouse", "keyboard", "MousePad", "HD") + '/'; created when missing.
std::string DeviceDataFolder(std::string_view kindFolder);

// The read-only factory data: NIMBEL_DEFAULT_DATA when that variable is set (tests and runs from the
// build tree point it at a folder of their own); otherwise DefaultData/ beside the executable, or
// ../share/nimbel/DefaultData/ next to the executable's folder when Nimbel is installed and only that
// one exists. Never created.
std::string DefaultDataFolder();

}  // namespace nimbel
