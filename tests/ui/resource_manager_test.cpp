#include "ui/resource_manager.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <memory>

#include "ui/find_control.h"
#include "ui/skin_loader.h"

namespace nimbel {
namespace {

struct Shown {
  QString title;
  QString toolTip;
  QString button;
  QString firstItem;
  QString placeholder;
  QString literal;
  bool operator==(const Shown&) const = default;
};

void PrintTo(const Shown& shown, std::ostream* out) {
  *out << QStringList{shown.title,     shown.toolTip,     shown.button,
                      shown.firstItem, shown.placeholder, shown.literal}
              .join(QStringLiteral(" | "))
              .toStdString();
}

const Shown kEnglish{QStringLiteral("Confirm"), QStringLiteral("Asks before acting"), QStringLiteral("OK"),
                     QStringLiteral("English"), QStringLiteral("Profile name"),       QStringLiteral("dpi")};
const Shown kChinese{QStringLiteral("确认"), QStringLiteral("操作前询问"), QStringLiteral("确定"),
                     QStringLiteral("英文"), QStringLiteral("配置名称"),   QStringLiteral("dpi")};

Shown TextsOf(QWidget* root) {
  return {FindControl<QLabel>(root, QStringLiteral("title_label"))->text(),
          FindControl<QLabel>(root, QStringLiteral("title_label"))->toolTip(),
          FindControl<QPushButton>(root, QStringLiteral("ok_btn"))->text(),
          FindControl<QComboBox>(root, QStringLiteral("lang_combo"))->itemText(0),
          FindControl<QLineEdit>(root, QStringLiteral("name_edit"))->placeholderText(),
          FindControl<QLabel>(root, QStringLiteral("unit_label"))->text()};
}

TEST(ResourceManager, ALanguageSwitchRetextsEveryLoadedWindow) {
  CResourceManager& resources = CResourceManager::Instance();
  ASSERT_TRUE(resources.LoadLanguage(QStringLiteral("lan_en.json")));
  std::unique_ptr<QWidget> first(LoadSkin(QStringLiteral("XML/custom.ui"), nullptr));
  std::unique_ptr<QWidget> second(LoadSkin(QStringLiteral("XML/custom.ui"), nullptr));
  ASSERT_TRUE(first && second);
  EXPECT_EQ(TextsOf(first.get()), kEnglish);

  // The program's language list names the files in their historical .xml form.
  ASSERT_TRUE(resources.LoadLanguage(QStringLiteral("lan_cn.xml")));
  EXPECT_EQ(TextsOf(first.get()), kChinese);
  EXPECT_EQ(TextsOf(second.get()), kChinese);
}

TEST(ResourceManager, UnknownIdsShowTheIdAndBadFilesKeepTheTexts) {
  CResourceManager& resources = CResourceManager::Instance();
  ASSERT_TRUE(resources.LoadLanguage(QStringLiteral("lan_en.json")));
  EXPECT_EQ(resources.Text(QStringLiteral("message_text_404")), QStringLiteral("message_text_404"));

  EXPECT_FALSE(resources.LoadLanguage(QStringLiteral("lan_bad.json")));
  EXPECT_FALSE(resources.LoadLanguage(QStringLiteral("lan_absent.json")));
  EXPECT_FALSE(resources.LoadLanguage(QStringLiteral("../../outside.json")));
  EXPECT_EQ(resources.Text(QStringLiteral("msg_ok")), QStringLiteral("OK"));

  QLabel label;
  resources.SetTextId(&label, QStringLiteral("msg_title"));
  EXPECT_EQ(label.text(), QStringLiteral("Confirm"));
}

}  // namespace
}  // namespace nimbel
