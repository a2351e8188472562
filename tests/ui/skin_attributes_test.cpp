#include "ui/skin_attributes.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QPushButton>
#include <memory>

#include "ui/find_control.h"
#include "ui/skin_folder.h"
#include "ui/skin_loader.h"

namespace nimbel {
namespace {

TEST(SkinAttributes, ImageValuesBecomeSkinUrlsPreferringSvg) {
  const struct {
    const char* value;
    std::optional<QString> file;
  } cases[] = {
      {"file='power/WIFI_down.png'", QStringLiteral("power/WIFI_down.svg")},
      {"file='common/plain.png' source='0,0,16,16' corner='2,2,2,2'", QStringLiteral("common/plain.png")},
      {"common\\plain.png", QStringLiteral("common/plain.png")},
      {"file='../../etc/passwd'", std::nullopt},
      {"file='a.png\") } * { color: red'", std::nullopt},
      {"corner='2,2,2,2'", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(SkinImageFile(QString::fromUtf8(c.value)), c.file) << c.value;
  // The search path the style sheets rely on reaches the skin folder from any working directory.
  SkinFolder();
  EXPECT_TRUE(QFile::exists(QStringLiteral("skin:power/WIFI_down.svg")));
}

TEST(SkinAttributes, ArgbColoursBecomeRgba) {
  const struct {
    const char* value;
    std::optional<QString> css;
  } cases[] = {
      {"0xFF06FF00", QStringLiteral("rgba(6, 255, 0, 255)")},
      {"#8016181d", QStringLiteral("rgba(22, 24, 29, 128)")},
      {"0x3fa9ff", QStringLiteral("rgba(63, 169, 255, 255)")},
      {"0xFF06FF0", std::nullopt},
      {"red", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(SkinColourToCss(QString::fromUtf8(c.value)), c.css) << c.value;
}

TEST(SkinAttributes, SettersStoreTheTextAndRedrawKeepingTheSkinStyle) {
  QPushButton button;
  button.setStyleSheet(QStringLiteral("QPushButton { padding: 2px; }"));
  SetBkImage(&button, QStringLiteral("file='power/WIFI_down.png'"));
  SetHotImage(&button, QStringLiteral("file='common/plain.png'"));
  SetTextColor(&button, QStringLiteral("0xFFE6E8EE"));
  EXPECT_EQ(GetBkImage(&button), QStringLiteral("file='power/WIFI_down.png'"));

  const QString sheet = button.styleSheet();
  EXPECT_TRUE(sheet.startsWith(QStringLiteral("QPushButton { padding: 2px; }"))) << sheet.toStdString();
  EXPECT_TRUE(sheet.contains(QStringLiteral("{ border-image: url(\"skin:power/WIFI_down.svg\"); }")));
  EXPECT_TRUE(sheet.contains(QStringLiteral(":hover { border-image: url(\"skin:common/plain.png\"); }")));
  EXPECT_TRUE(sheet.contains(QStringLiteral("color: rgba(230, 232, 238, 255)")));

  SetBkImage(&button, QStringLiteral("file='power/WIFI_normal.png'"));
  SetHotImage(&button, QString());
  EXPECT_EQ(GetBkImage(&button), QStringLiteral("file='power/WIFI_normal.png'"));
  EXPECT_TRUE(button.styleSheet().contains(QStringLiteral("skin:power/WIFI_normal.png")));
  EXPECT_FALSE(button.styleSheet().contains(QStringLiteral("WIFI_down")));
  EXPECT_FALSE(button.styleSheet().contains(QStringLiteral(":hover")));
  EXPECT_TRUE(button.styleSheet().startsWith(QStringLiteral("QPushButton { padding: 2px; }")));
}

TEST(SkinAttributes, TheLoaderDrawsTheSkinFilesAttributes) {
  std::unique_ptr<QWidget> root(LoadSkin(QStringLiteral("XML/custom.ui"), nullptr));
  ASSERT_NE(root, nullptr);
  EXPECT_TRUE(root->styleSheet().startsWith(QStringLiteral("QLabel { color: white; }")));
  EXPECT_TRUE(root->styleSheet().contains(QStringLiteral("background-color: rgba(31, 35, 43, 255)")));
  QWidget* ok = FindControl(root.get(), QStringLiteral("ok_btn"));
  ASSERT_NE(ok, nullptr);
  EXPECT_TRUE(ok->styleSheet().contains(QStringLiteral("url(\"skin:power/WIFI_down.svg\")")));
  // Rules are per widget: the root's background does not reach the button's own sheet.
  EXPECT_FALSE(ok->styleSheet().contains(QStringLiteral("background-color")));
}

}  // namespace
}  // namespace nimbel
