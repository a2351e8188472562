#pragma once

#include <QSettings>
#include <QString>
#include <optional>

namespace nimbel {

// The per-user settings that are not per device: an INI file at $XDG_CONFIG_HOME/Nimbel/Nimbel.conf
// (~/.config when the variable is unset). Today it holds the chosen interface language.
class SettingsFile {
 public:
  SettingsFile();
  explicit SettingsFile(const QString& path);

  static QString DefaultPath();

  // The stored language id; nullopt when the file or the key is missing or does not hold an integer, so
  // the caller falls back to the first language.
  std::optional<int> GetLanguageId() const;

  // Writes the id and flushes the file at once; false when it could not be written. Unlike the registry
  // key it replaces, the file is created when missing: there is no installer to create it first.
  bool SetLanguageId(int id);

  QString Path() const { return settings_.fileName(); }

 private:
  mutable QSettings settings_;
};

}  // namespace nimbel
