#include "binding/device_option_ui.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QStackedWidget>
#include <QTest>
#include <memory>

#include "binding/device_selector.h"
#include "main_window_fixture.h"
#include "ui/resource_manager.h"
#include "ui/skin_attributes.h"

namespace nimbel {
namespace {

std::unique_ptr<CDeviceOptionUI> LoadTab() {
  return std::unique_ptr<CDeviceOptionUI>(
      dynamic_cast<CDeviceOptionUI*>(LoadSkin(QString::fromLatin1(CDeviceOptionUI::kSkinFile), nullptr)));
}

QAbstractButton* OptionOf(CDeviceOptionUI& tab) {
  return tab.findChild<QAbstractButton*>("device_select");
}

QString Icon(const char* stem, const char* suffix) {
  return QStringLiteral("common/device_ico/") + stem + suffix;
}

TEST(DeviceOptionUITest, SkinBuildsTheProgramsClass) {
  auto tab = LoadTab();
  ASSERT_NE(tab, nullptr);
  EXPECT_EQ(tab->GetClass(), "DeviceOption");
  EXPECT_TRUE(tab->IsShown());
  EXPECT_EQ(tab->GetPowerIndex(), -1);
}

TEST(DeviceOptionUITest, IconSetFollowsKindAndRole) {
  struct Case {
    int kind;
    int role;
    const char* stem;
  };
  const Case cases[] = {
      {1, 0, "kb"}, {1, 255, "kb"}, {2, 0, "ms"},  {3, 0, "hard_mp"}, {3, 1, "soft_mp"}, {3, 2, "unknow"},
      {4, 0, "hd"}, {7, 9, "hd"},   {5, 0, "hub"}, {6, 0, "unknow"},  {9, 0, "unknow"},  {0, 0, "unknow"},
  };
  for (const Case& c : cases) {
    auto tab = LoadTab();
    ASSERT_NE(tab, nullptr);
    tab->SetIcons(c.kind, c.role);
    QAbstractButton* option = OptionOf(*tab);
    ASSERT_NE(option, nullptr);
    const QString normal = Icon(c.stem, "_device_normal.png");
    SCOPED_TRACE(normal.toStdString());
    EXPECT_EQ(tab->Images()[0], normal);
    EXPECT_EQ(tab->Images()[1], Icon(c.stem, "_device_selected.png"));
    EXPECT_EQ(tab->Images()[2], Icon(c.stem, "_device_synchro_normal.png"));
    EXPECT_EQ(tab->Images()[3], Icon(c.stem, "_device_synchro_selected.png"));
    EXPECT_EQ(GetSkinAttribute(option, SkinAttribute::kSelectedImage)
                  .contains(Icon(c.stem, "_device_selected.png")),
              true);
    EXPECT_TRUE(GetNormalImage(option).contains(normal));
    EXPECT_EQ(option->property(CResourceManager::kToolTipIdProperty).toString(),
              QString::fromLatin1(c.stem) + "_device_name_text");
    EXPECT_EQ(tab->GetKind(), c.kind);
    EXPECT_EQ(tab->GetRole(), c.role);
  }
}

TEST(DeviceOptionUITest, AMousePadOfAnotherRoleKeepsItsIcons) {
  auto tab = LoadTab();
  ASSERT_NE(tab, nullptr);
  tab->SetIcons(2, 0);
  tab->SetIcons(3, 2);
  EXPECT_EQ(tab->Images()[0], Icon("ms", "_device_normal.png"));
}

TEST(DeviceOptionUITest, SynchronisationChoosesTheImagePair) {
  auto tab = LoadTab();
  ASSERT_NE(tab, nullptr);
  tab->SetIcons(2, 0);
  tab->ShowSyncOption(true);
  QAbstractButton* option = OptionOf(*tab);

  tab->SetSynchronised(true);
  EXPECT_TRUE(tab->IsSynchronised());
  EXPECT_TRUE(GetNormalImage(option).contains(tab->Images()[2]));
  EXPECT_TRUE(GetSelectedImage(option).contains(tab->Images()[3]));

  tab->SetSynchronised(false);
  EXPECT_FALSE(tab->IsSynchronised());
  EXPECT_TRUE(GetNormalImage(option).contains(tab->Images()[0]));
  EXPECT_TRUE(GetSelectedImage(option).contains(tab->Images()[1]));
}

TEST(DeviceOptionUITest, NameIsATextIdOrALiteral) {
  auto tab = LoadTab();
  ASSERT_NE(tab, nullptr);
  auto* label = tab->findChild<QLabel*>("device_select_name");
  ASSERT_NE(label, nullptr);
  tab->SetName(QStringLiteral("ms_device_name_text"));
  EXPECT_EQ(label->text(), CResourceManager::Instance().Text("ms_device_name_text"));
  tab->SetName(QStringLiteral("mouse"));
  EXPECT_EQ(label->text(), "mouse");
  CResourceManager::Instance().ReloadText(tab.get());
  EXPECT_EQ(label->text(), "mouse") << "a language change keeps a literal name";
}

// One selected option per group; selecting shows the bound page; the user cannot unselect it.
TEST(DeviceOptionUITest, GroupAndPageBinding) {
  TestMainWindow window;
  CDeviceSelector selector(&window, {});
  auto* pages = window.Control<QStackedWidget>(CDeviceSelector::kPageSwitchName);
  QWidget* container = window.Control(CDeviceSelector::kSelectLayoutName);
  ASSERT_NE(pages, nullptr);
  CDeviceOptionUI* tabs[2] = {AddSkinnedTab(selector, container), AddSkinnedTab(selector, container)};
  for (CDeviceOptionUI* tab : tabs) {
    ASSERT_NE(tab, nullptr);
    tab->BindPage(QString::fromLatin1(CDeviceSelector::kPageSwitchName), pages->addWidget(new QWidget));
    tab->SetGroup(QStringLiteral("tab_header_device"));
  }
  window.show();

  tabs[0]->Select(true);
  EXPECT_EQ(pages->currentIndex(), tabs[0]->GetPageIndex());
  QTest::mouseClick(OptionOf(*tabs[1]), Qt::LeftButton);
  EXPECT_TRUE(tabs[1]->IsSelected());
  EXPECT_FALSE(tabs[0]->IsSelected());
  EXPECT_EQ(pages->currentIndex(), tabs[1]->GetPageIndex());

  QTest::mouseClick(OptionOf(*tabs[1]), Qt::LeftButton);
  EXPECT_TRUE(tabs[1]->IsSelected());
}

}  // namespace
}  // namespace nimbel
