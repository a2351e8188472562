#include "binding/device_selector.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QStackedWidget>
#include <algorithm>
#include <string>
#include <vector>

#include "binding/device_option_ui.h"
#include "main_window_fixture.h"
#include "platform/trace.h"
#include "ui/resource_manager.h"

namespace nimbel {
namespace {

constexpr int kTabCount = 3;

class DeviceSelectorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window.selector = &selector;
    pages = window.Control<QStackedWidget>(CDeviceSelector::kPageSwitchName);
    power = window.Control<QStackedWidget>(CDeviceSelector::kPowerSwitchName);
    noDevice = window.Control(CDeviceSelector::kNoDeviceName);
    ASSERT_NE(pages, nullptr);
    ASSERT_NE(power, nullptr);
    ASSERT_NE(noDevice, nullptr);
    QWidget* container = window.Control(CDeviceSelector::kSelectLayoutName);
    for (int i = 0; i < kTabCount; ++i) {
      CDeviceOptionUI* tab = AddSkinnedTab(selector, container);
      ASSERT_NE(tab, nullptr);
      tab->SetVisible(false);
      tab->BindPage(QString::fromLatin1(CDeviceSelector::kPageSwitchName), pages->addWidget(new QWidget));
      tab->SetPowerSlot(QString::fromLatin1(CDeviceSelector::kPowerSwitchName),
                        power->addWidget(new QWidget));
      tab->SetGroup(QStringLiteral("tab_header_device"));
      tabs.push_back(tab);
    }
  }

  std::vector<int> ShownTabs() const {
    std::vector<int> shown;
    for (int i = 0; i < kTabCount; ++i) {
      if (tabs[static_cast<std::size_t>(i)]->IsShown()) shown.push_back(i);
    }
    return shown;
  }
  CDeviceOptionUI& TabAt(int index) { return *tabs[static_cast<std::size_t>(index)]; }

  int leaveCalls = 0;
  std::vector<bool> syncAvailable;
  TestMainWindow window;
  CDeviceSelector selector{
      &window, {[this] { ++leaveCalls; }, [this](bool available) { syncAvailable.push_back(available); }}};
  QStackedWidget* pages = nullptr;
  QStackedWidget* power = nullptr;
  QWidget* noDevice = nullptr;
  std::vector<CDeviceOptionUI*> tabs;
};

TEST_F(DeviceSelectorTest, ShowingASelectedTabShowsItsPageAndPowerIndicator) {
  selector.ShowTab(1, true, true);
  EXPECT_EQ(ShownTabs(), (std::vector<int>{1}));
  EXPECT_TRUE(TabAt(1).IsSelected());
  EXPECT_EQ(pages->currentIndex(), TabAt(1).GetPageIndex());
  EXPECT_EQ(power->currentIndex(), TabAt(1).GetPowerIndex());
  EXPECT_TRUE(noDevice->isHidden());
  EXPECT_EQ(selector.CurrentTab(), 1);
  EXPECT_EQ(selector.TabIndexOf(&TabAt(1)), 1);
}

TEST_F(DeviceSelectorTest, TwoShownDevicesOfOneKindAreNumberedAndTheArrowsComeWithThem) {
  const QString mouse = QStringLiteral("ms_device_name_text");
  const QString mouseText = CResourceManager::Instance().Text(mouse);
  TabAt(0).SetName(mouse);
  TabAt(1).SetName(mouse);
  TabAt(2).SetName(QStringLiteral("Keyboard"));
  const auto label = [this](int index) {
    return TabAt(index).findChild<QLabel*>(QStringLiteral("device_select_name"))->text();
  };
  const auto arrowsShown = [this] {
    return !window.Control(CDeviceSelector::kPreviousName)->isHidden() &&
           !window.Control(CDeviceSelector::kNextName)->isHidden();
  };
  EXPECT_FALSE(arrowsShown()) << "no device";

  selector.ShowTab(0, true, true);
  EXPECT_EQ(label(0), mouseText);
  EXPECT_FALSE(arrowsShown()) << "one device";

  selector.ShowTab(2, true, false);
  EXPECT_EQ(label(0), mouseText) << "the only mouse";
  EXPECT_EQ(label(2), QStringLiteral("Keyboard"));
  EXPECT_TRUE(arrowsShown());

  selector.ShowTab(1, true, false);
  EXPECT_EQ(label(0), mouseText + QStringLiteral(" 1"));
  EXPECT_EQ(label(1), mouseText + QStringLiteral(" 2"));
  EXPECT_EQ(label(2), QStringLiteral("Keyboard"));

  selector.HideTab(0);
  EXPECT_EQ(label(1), mouseText);
  selector.HideTab(2);
  EXPECT_FALSE(arrowsShown());
}

TEST_F(DeviceSelectorTest, UsersChoiceShowsThatDevicesPageAndPowerIndicator) {
  selector.ShowTab(0, true, true);
  selector.ShowTab(1, true, false);
  TabAt(1).Select(true);
  EXPECT_EQ(selector.SelectedTabChanged(), 1);
  EXPECT_FALSE(TabAt(0).IsSelected());
  EXPECT_EQ(pages->currentIndex(), TabAt(1).GetPageIndex());
  EXPECT_EQ(power->currentIndex(), TabAt(1).GetPowerIndex());
}

TEST_F(DeviceSelectorTest, HidingTheLastShownTabShowsThePlaceholderOnFirstPages) {
  selector.ShowTab(2, true, true);
  selector.HideTab(2);
  EXPECT_TRUE(ShownTabs().empty());
  EXPECT_FALSE(noDevice->isHidden());
  EXPECT_EQ(pages->currentIndex(), 0);
  EXPECT_EQ(power->currentIndex(), 0);
  EXPECT_EQ(leaveCalls, 1);
  EXPECT_EQ(selector.CurrentTab(), -1);
}

TEST_F(DeviceSelectorTest, HidingTheSelectedTabSelectsTheFirstOtherShownOne) {
  selector.ShowTab(0, true, false);
  selector.ShowTab(1, true, true);
  selector.ShowTab(2, true, false);
  selector.HideTab(1);
  EXPECT_EQ(ShownTabs(), (std::vector<int>{0, 2}));
  EXPECT_EQ(selector.CurrentTab(), 0);
  EXPECT_EQ(pages->currentIndex(), TabAt(0).GetPageIndex());
  EXPECT_EQ(leaveCalls, 1);

  // An unselected tab goes without touching the current device.
  selector.HideTab(2);
  EXPECT_EQ(selector.CurrentTab(), 0);
  EXPECT_EQ(leaveCalls, 1);
}

TEST_F(DeviceSelectorTest, HidingOneOfTwoSynchronisedTabsClearsBoth) {
  selector.ShowTab(0, true, true);
  selector.ShowTab(1, true, false);
  for (int i : {0, 1}) {
    TabAt(i).ShowSyncOption(true);
    TabAt(i).SetSynchronised(true);
  }
  ASSERT_FALSE(syncAvailable.empty());
  EXPECT_TRUE(syncAvailable.back());

  selector.HideTab(1);
  EXPECT_FALSE(TabAt(0).IsSynchronised());
  EXPECT_FALSE(TabAt(1).IsSynchronised());
  EXPECT_FALSE(syncAvailable.back());
}

TEST_F(DeviceSelectorTest, LinkUpShowsAHiddenTabAndKeepsTheSelection) {
  selector.ShowTab(0, true, true);
  const std::size_t showCalls = syncAvailable.size();

  selector.OnLinkState(0, 1);
  EXPECT_EQ(syncAvailable.size(), showCalls) << "a shown tab is left alone";

  selector.OnLinkState(2, 1);
  EXPECT_EQ(ShownTabs(), (std::vector<int>{0, 2}));
  EXPECT_EQ(selector.CurrentTab(), 0);
  EXPECT_FALSE(TabAt(2).IsSelected());
}

TEST_F(DeviceSelectorTest, LinkUpSelectsWhenNothingIsShownAndLinkDownHides) {
  std::vector<std::string> lines;
  ScopedTraceCapture capture([&](std::string_view line) { lines.emplace_back(line); });
  selector.OnLinkState(1, 1);
  EXPECT_EQ(selector.CurrentTab(), 1);

  selector.OnLinkState(1, 0);
  EXPECT_TRUE(ShownTabs().empty());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "2.4gcesvdfherhue 1\n"), lines.end());
}

TEST_F(DeviceSelectorTest, PreviousAndNextWalkTheShownTabs) {
  for (int i = 0; i < kTabCount; ++i) selector.ShowTab(i, true, i == 2);
  selector.SelectNextTab();
  EXPECT_EQ(selector.CurrentTab(), 2) << "no tab after the last";
  selector.SelectPreviousTab();
  EXPECT_EQ(selector.CurrentTab(), 1);

  selector.ShowTab(1, false, false);
  selector.ShowTab(2, true, true);
  selector.SelectPreviousTab();
  EXPECT_EQ(selector.CurrentTab(), 0) << "hidden tabs are skipped";
  selector.SelectPreviousTab();
  EXPECT_EQ(selector.CurrentTab(), 0);
  selector.SelectNextTab();
  EXPECT_EQ(selector.CurrentTab(), 2);
  EXPECT_EQ(selector.FirstVisibleTab(), (std::pair<int, int>{0, 2}));
}

TEST_F(DeviceSelectorTest, IndicesOutsideTheSelectorAreIgnored) {
  selector.ShowTab(0, true, true);
  for (int index : {-1, kTabCount, kTabCount + 5}) {
    selector.HideTab(index);
    selector.ShowTab(index, false, true);
    selector.OnLinkState(index, 0);
  }
  EXPECT_EQ(ShownTabs(), (std::vector<int>{0}));
  EXPECT_EQ(selector.CurrentTab(), 0);
}

}  // namespace
}  // namespace nimbel
