#include "app/language.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <optional>

#include "platform/settings_file.h"
#include "ui/resource_manager.h"

namespace nimbel {
namespace {

constexpr const char* kTwoLanguages = R"({"Language": [
  {"Language_ID": 1033, "Language_file": "lan_en.xml", "Language_name": "en_US", "Language_text": "language_english"},
  {"Language_ID": 2052, "Language_file": "lan_cn.xml", "Language_name": "zh_CN",
   "Language_text": "language_simplified_chinese"}]})";

class LanguageTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(folder_.isValid()); }

  std::string WriteList(const char* text) {
    const QString path = folder_.filePath(QStringLiteral("Language.config"));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
    return path.toStdString();
  }

  QTemporaryDir folder_;
  SettingsFile settings_{folder_.filePath(QStringLiteral("Nimbel.conf"))};
};

struct IndexCase {
  std::optional<int> stored;
  int index;
};

TEST_F(LanguageTest, StoredIdSelectsTheLanguage) {
  LanguageSwitch language(WriteList(kTwoLanguages), settings_);
  constexpr IndexCase kCases[] = {{std::nullopt, 0}, {2052, 1}, {1033, 0}, {999, 0}};
  for (const IndexCase& c : kCases) {
    if (c.stored) settings_.SetLanguageId(*c.stored);
    EXPECT_EQ(language.GetLanguageIndex(), c.index);
  }
}

TEST_F(LanguageTest, SettingALanguageStoresItsIdAndTexts) {
  LanguageSwitch language(WriteList(kTwoLanguages), settings_);
  ASSERT_TRUE(language.SetLanguage(1));
  EXPECT_EQ(settings_.GetLanguageId(), 2052);
  EXPECT_EQ(CResourceManager::Instance().Language(), QStringLiteral("zh_CN"));
  EXPECT_EQ(CResourceManager::Instance().Text(QStringLiteral("nodevice_ok_text")), QStringLiteral("确定"));

  // The same language again changes nothing, not even a stored id edited meanwhile.
  settings_.SetLanguageId(1033);
  EXPECT_FALSE(language.SetLanguage(1));
  EXPECT_EQ(settings_.GetLanguageId(), 1033);

  ASSERT_TRUE(language.SetLanguage(0));
  EXPECT_EQ(CResourceManager::Instance().Text(QStringLiteral("nodevice_ok_text")), QStringLiteral("OK"));
}

TEST_F(LanguageTest, QtsOwnDialogsFollowTheLanguage) {
  LanguageSwitch language(WriteList(kTwoLanguages), settings_);
  const auto cancel = [] { return QCoreApplication::translate("QPlatformTheme", "Cancel"); };
  ASSERT_TRUE(language.SetLanguage(1));
  EXPECT_EQ(cancel(), QStringLiteral("取消"));
  ASSERT_TRUE(language.SetLanguage(0));
  EXPECT_EQ(cancel(), QStringLiteral("Cancel"));
}

TEST_F(LanguageTest, EmptyOrMissingListKeepsTheTexts) {
  for (const char* text : {R"({"Language": []})", "not json"}) {
    LanguageSwitch language(WriteList(text), settings_);
    EXPECT_EQ(language.GetLanguageIndex(), 0);
    const QString before = CResourceManager::Instance().Text(QStringLiteral("nodevice_ok_text"));
    EXPECT_TRUE(language.SetLanguage(0));
    EXPECT_EQ(language.Current(), 0);
    EXPECT_EQ(CResourceManager::Instance().Text(QStringLiteral("nodevice_ok_text")), before);
    EXPECT_FALSE(settings_.GetLanguageId().has_value());
  }
}

}  // namespace
}  // namespace nimbel
