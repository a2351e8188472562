#pragma once

// The interface language: the list of languages in the factory file "Language.config" and the choice
// kept in the settings file.

#include <QString>
#include <QTranslator>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace nimbel {

class SettingsFile;

struct LanguageEntry {
  // Kept in the settings file when the language is chosen.
  int id = 0;
  // Handed to the resource manager.
  QString name;
  // The language file ("lan_en.xml"; the skin holds its JSON twin lang/lan_en.json).
  QString file;
  // The text id under which the settings window lists the language.
  QString textId;
};

inline constexpr const char* kLanguageListFile = "Language.config";

// The "Language" array of the file; empty when the file is missing or not a language list.
std::vector<LanguageEntry> ReadLanguageList(const std::string& path);

// The index of the first entry carrying `storedId`; 0 when nothing is stored or no entry carries it.
int LanguageIndexForId(std::span<const LanguageEntry> languages, std::optional<int> storedId);

// Applies a language to the whole interface and remembers the choice.
class LanguageSwitch {
 public:
  static constexpr int kNone = -1;

  // The list is read afresh at every use, so an edited file counts without a restart.
  LanguageSwitch(std::string listPath, SettingsFile& settings);

  int GetLanguageIndex() const;

  // Nothing happens for the language already applied; false then. Otherwise rebuilds the font table,
  // loads the entry's texts and Qt's own (file dialogs, standard buttons) for its locale (an index beyond
  // the list leaves the texts as they are), stores its id and returns true: the caller refreshes what
  // the resource manager does not track.
  bool SetLanguage(int index);

  int Current() const { return current_; }

 private:
  void LoadToolkitTexts(const QString& locale);

  std::string listPath_;
  SettingsFile& settings_;
  int current_ = kNone;
  // Qt's translations of its own dialogs; none installed for a locale Qt has no texts for.
  std::unique_ptr<QTranslator> toolkitTexts_;
};

}  // namespace nimbel
