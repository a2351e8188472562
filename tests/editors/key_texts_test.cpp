#include <gtest/gtest.h>

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <set>
#include <string>

#include "protocol/key_codes.h"

namespace nimbel {
namespace {

QJsonObject LanguageFile(const char* name) {
  QFile file(QStringLiteral(NIMBEL_SOURCE_DIR "/skin/lang/") + QLatin1String(name));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QJsonDocument::fromJson(file.readAll()).object();
}

// Every text id the key vocabulary can put on the page: the tables' rows and whatever a code of any
// type and parameters is described with.
std::set<std::string> VocabularyTextIds() {
  std::set<std::string> ids;
  for (const KeyCodeRow& row : KeyCodeTable()) ids.emplace(row.nameId);
  for (const auto table :
       {MouseButtonTable(), SensitivityTable(), MediaTable(), SystemTable(), CombinationKeyTable()}) {
    for (const NamedCode& row : table) ids.emplace(row.nameId);
  }
  for (int type = 0; type < 256; ++type) {
    for (int p1 = 0; p1 < 256; ++p1) {
      for (const int p2 : {0, 1, 2, 0x04, 0x12, 0x81, 0xFF}) {
        const AssignmentCode code{static_cast<std::uint8_t>(type), static_cast<std::uint8_t>(p1),
                                  static_cast<std::uint8_t>(p2)};
        for (std::string_view id : DescribeCode(code).textIds) ids.emplace(id);
      }
    }
  }
  return ids;
}

TEST(KeyTexts, EveryNameOfTheKeyVocabularyHasAnEnglishAndAChineseText) {
  const QJsonObject english = LanguageFile("lan_en.json");
  const QJsonObject chinese = LanguageFile("lan_cn.json");
  ASSERT_FALSE(english.isEmpty());
  ASSERT_FALSE(chinese.isEmpty());
  for (const std::string& id : VocabularyTextIds()) {
    const QString key = QString::fromStdString(id);
    EXPECT_TRUE(english.value(key).isString()) << id;
    EXPECT_TRUE(chinese.value(key).isString()) << id;
  }
}

}  // namespace
}  // namespace nimbel
