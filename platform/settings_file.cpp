#include "platform/settings_file.h"

#include <QDir>
#include <QStandardPaths>

namespace nimbel {
namespace {

constexpr const char* kLanguageKey = "LANGUAGE";
constexpr const char* kFolderName = "Nimbel";
constexpr const char* kFileName = "Nimbel.conf";

QString ConfigHome() {
  const QString fromEnvironment = qEnvironmentVariable("XDG_CONFIG_HOME");
  if (!fromEnvironment.isEmpty() && QDir::isAbsolutePath(fromEnvironment)) return fromEnvironment;
  return QDir::homePath() + QStringLiteral("/.config");
}

}  // namespace

SettingsFile::SettingsFile() : SettingsFile(DefaultPath()) {}

SettingsFile::SettingsFile(const QString& path) : settings_(path, QSettings::IniFormat) {}

QString SettingsFile::DefaultPath() {
  return ConfigHome() + QLatin1Char('/') + QLatin1String(kFolderName) + QLatin1Char('/') +
         QLatin1String(kFileName);
}

std::optional<int> SettingsFile::GetLanguageId() const {
  const QVariant value = settings_.value(QLatin1String(kLanguageKey));
  if (!value.isValid()) return std::nullopt;
  bool ok = false;
  const int id = value.toString().toInt(&ok);
  if (!ok) return std::nullopt;
  return id;
}

bool SettingsFile::SetLanguageId(int id) {
  settings_.setValue(QLatin1String(kLanguageKey), id);
  settings_.sync();
  return settings_.status() == QSettings::NoError;
}

}  // namespace nimbel
