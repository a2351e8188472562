#include "platform/folders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/trace.h"

namespace nimbel {
namespace {

constexpr std::string_view kApplicationFolder = "Nimbel";
constexpr std::string_view kDefaultDataName = "DefaultData";
// Relative to the executable's folder when Nimbel is installed under a prefix (bin/ and share/ siblings).
constexpr std::string_view kInstalledDefaultData = "../share/nimbel/DefaultData";
constexpr const char* kDefaultDataOverride = "NIMBEL_DEFAULT_DATA";

std::string WithTrailingSlash(std::string path) {
  if (path.empty() || path.back() != '/') path.push_back('/');
  return path;
}

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') return home;
  if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr)
    return entry->pw_dir;
  return "/tmp";
}

// XDG says a relative XDG_DATA_HOME is invalid and must be ignored.
std::string DataHome() {
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && xdg[0] == '/') return xdg;
  return WithTrailingSlash(HomeFolder()) + ".local/share";
}

void EnsureFolder(const std::string& folder) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) Trace("cannot create folder " + folder + ": " + error.message());
}

std::string ExecutableFolder() {
  std::error_code error;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return "./";
  return WithTrailingSlash(exe.parent_path().string());
}

}  // namespace

std::string UserDataFolder() {
  std::string folder = WithTrailingSlash(DataHome()) + std::string(kApplicationFolder) + '/';
  EnsureFolder(folder);
  return folder;
}

std::string DeviceDataFolder(std::string_view kindFolder) {
  std::string folder = UserDataFolder() + std::string(kindFolder) + '/';
  EnsureFolder(folder);
  return folder;
}

std::string DefaultDataFolder() {
  if (const char* overridden = std::getenv(kDefaultDataOverride);
      overridden != nullptr && overridden[0] != '\0') {
    return WithTrailingSlash(overridden);
  }
  const std::string exeFolder = ExecutableFolder();
  const std::string beside = exeFolder + std::string(kDefaultDataName) + '/';
  const std::string installed = exeFolder + std::string(kInstalledDefaultData) + '/';
  std::error_code error;
  if (!std::filesystem::is_directory(beside, error) && std::filesystem::is_directory(installed, error)) {
    return installed;
  }
  return beside;
}

}  // namespace nimbel
