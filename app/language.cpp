#include "app/language.h"

#include <json/value.h>

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <algorithm>

#include "platform/settings_file.h"
#include "profiles/json_file.h"
#include "ui/fonts.h"
#include "ui/resource_manager.h"

namespace nimbel {
namespace {

constexpr const char* kLanguageArray = "Language";
constexpr const char* kIdKey = "Language_ID";
constexpr const char* kNameKey = "Language_name";
constexpr const char* kFileKey = "Language_file";
constexpr const char* kTextKey = "Language_text";
// Qt's catalogue of its own texts: qtbase_zh_CN.qm and so on.
constexpr const char* kToolkitTextsFile = "qtbase";

QString StringMember(const Json::Value& entry, const char* key) {
  const Json::Value& value = entry[key];
  return value.isString() ? QString::fromStdString(value.asString()) : QString();
}

}  // namespace

std::vector<LanguageEntry> ReadLanguageList(const std::string& path) {
  const Json::Value document = ReadJsonFile(path);
  std::vector<LanguageEntry> languages;
  if (!document.isObject() || !document[kLanguageArray].isArray()) return languages;
  for (const Json::Value& entry : document[kLanguageArray]) {
    if (!entry.isObject()) continue;
    const Json::Value& id = entry[kIdKey];
    languages.push_back({id.isInt() ? id.asInt() : 0, StringMember(entry, kNameKey),
                         StringMember(entry, kFileKey), StringMember(entry, kTextKey)});
  }
  return languages;
}

int LanguageIndexForId(std::span<const LanguageEntry> languages, std::optional<int> storedId) {
  if (!storedId) return 0;
  const auto found = std::find_if(languages.begin(), languages.end(),
                                  [&storedId](const LanguageEntry& entry) { return entry.id == *storedId; });
  return found == languages.end() ? 0 : static_cast<int>(found - languages.begin());
}

LanguageSwitch::LanguageSwitch(std::string listPath, SettingsFile& settings)
    : listPath_(std::move(listPath)), settings_(settings) {}

int LanguageSwitch::GetLanguageIndex() const {
  return LanguageIndexForId(ReadLanguageList(listPath_), settings_.GetLanguageId());
}

bool LanguageSwitch::SetLanguage(int index) {
  if (index == current_) return false;
  ApplyFontTable(QString::fromLatin1(kSkinFontFace));
  current_ = index;
  const std::vector<LanguageEntry> languages = ReadLanguageList(listPath_);
  if (index < 0 || static_cast<std::size_t>(index) >= languages.size()) return true;
  const LanguageEntry& entry = languages[static_cast<std::size_t>(index)];
  CResourceManager& resources = CResourceManager::Instance();
  resources.SetLanguage(entry.name);
  resources.LoadLanguage(entry.file);
  LoadToolkitTexts(entry.name);
  settings_.SetLanguageId(entry.id);
  return true;
}

void LanguageSwitch::LoadToolkitTexts(const QString& locale) {
  if (toolkitTexts_ != nullptr) QCoreApplication::removeTranslator(toolkitTexts_.get());
  toolkitTexts_ = std::make_unique<QTranslator>();
  if (toolkitTexts_->load(QLocale(locale), QString::fromLatin1(kToolkitTextsFile), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(toolkitTexts_.get());
  }
}

}  // namespace nimbel
