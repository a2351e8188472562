#include "binding/device_selector.h"

#include <QLayout>
#include <algorithm>
#include <string_view>

#include "binding/device_option_ui.h"
#include "devices/device_interfaces.h"
#include "platform/trace.h"
#include "ui/find_control.h"
#include "ui/skin_loader.h"

namespace nimbel {
namespace {

constexpr const char* kLinkLostTrace = "2.4gcesvdfherhue 1";

QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

CDeviceSelector::CDeviceSelector(QWidget* root, Hooks hooks)
    : root_(root),
      container_(FindControl(root, QString::fromLatin1(kSelectLayoutName))),
      pages_(FindControl<QStackedWidget>(root, QString::fromLatin1(kPageSwitchName))),
      power_(FindControl<QStackedWidget>(root, QString::fromLatin1(kPowerSwitchName))),
      noDevice_(FindControl(root, QString::fromLatin1(kNoDeviceName))),
      hooks_(std::move(hooks)) {
  FollowShownTabs();
}

CDeviceOptionUI* CDeviceSelector::CreateTab(IBindableDevice& device, int kindRow, int pageIndex,
                                            int powerIndex) {
  const auto kindRows = DeviceCatalogue::KindRows();
  if (kindRow < 0 || static_cast<std::size_t>(kindRow) >= kindRows.size() || container_ == nullptr)
    return nullptr;
  const DeviceKindRow& row = kindRows[static_cast<std::size_t>(kindRow)];
  QWidget* built = LoadSkin(ToQString(row.tabSkinFile), container_);
  auto* item = dynamic_cast<CDeviceOptionUI*>(built);
  if (item == nullptr) {
    delete built;
    return nullptr;
  }
  AddTab(item);
  item->SetVisible(false);
  item->SetName(ToQString(row.kindName));
  item->SetIcons(static_cast<int>(row.kind), static_cast<int>(row.role));
  item->BindPage(QString::fromLatin1(kPageSwitchName), pageIndex);
  item->SetGroup(ToQString(row.tabHeaderName));
  item->SetPowerSlot(ToQString(row.powerSwitchName), powerIndex);
  item->ShowSyncOption(false);
  item->BindDevice(&device);
  device.BindTabItem(item);
  return item;
}

void CDeviceSelector::AddTab(CDeviceOptionUI* item) {
  if (container_ == nullptr || item == nullptr) return;
  if (container_->layout() == nullptr) new QHBoxLayout(container_);
  container_->layout()->addWidget(item);
}

std::vector<CDeviceOptionUI*> CDeviceSelector::Tabs() const {
  return DeviceTabItems(container_);
}

CDeviceOptionUI* CDeviceSelector::Tab(int index) const {
  const auto tabs = Tabs();
  if (index < 0 || static_cast<std::size_t>(index) >= tabs.size()) return nullptr;
  return tabs[static_cast<std::size_t>(index)];
}

int CDeviceSelector::TabIndexOf(const ITabItem* item) const {
  const auto tabs = Tabs();
  const auto found =
      std::find_if(tabs.begin(), tabs.end(), [item](const CDeviceOptionUI* tab) { return tab == item; });
  return found == tabs.end() ? -1 : static_cast<int>(found - tabs.begin());
}

int CDeviceSelector::FirstSelectedTab() const {
  const auto tabs = Tabs();
  const auto found =
      std::find_if(tabs.begin(), tabs.end(), [](const CDeviceOptionUI* tab) { return tab->IsSelected(); });
  return found == tabs.end() ? -1 : static_cast<int>(found - tabs.begin());
}

int CDeviceSelector::CurrentTab() const {
  const auto tabs = Tabs();
  const auto found = std::find_if(tabs.begin(), tabs.end(), [](const CDeviceOptionUI* tab) {
    return tab->IsShown() && tab->IsSelected();
  });
  return found == tabs.end() ? -1 : static_cast<int>(found - tabs.begin());
}

int CDeviceSelector::SelectedTabChanged() {
  const int index = FirstSelectedTab();
  if (const CDeviceOptionUI* item = Tab(index)) ShowPowerIndicator(*item);
  return index;
}

void CDeviceSelector::ShowPowerIndicator(const CDeviceOptionUI& item) const {
  auto* container = FindControl<QStackedWidget>(root_, item.GetPowerContainer());
  if (container == nullptr) container = power_;
  if (container == nullptr) return;
  const int index = item.GetPowerIndex();
  container->setVisible(index >= 0);
  if (index >= 0) container->setCurrentIndex(index);
}

void CDeviceSelector::ShowNoDevice(bool show) const {
  if (noDevice_ != nullptr) noDevice_->setVisible(show);
  if (!show) return;
  if (power_ != nullptr) power_->setCurrentIndex(0);
  if (pages_ != nullptr) pages_->setCurrentIndex(0);
}

void CDeviceSelector::FollowShownTabs() const {
  std::vector<CDeviceOptionUI*> shown;
  for (CDeviceOptionUI* tab : Tabs()) {
    if (tab->IsShown()) {
      shown.push_back(tab);
    } else {
      tab->SetNumber(0);
    }
  }
  for (const char* arrow : {kPreviousName, kNextName}) {
    if (QWidget* button = FindControl(root_, QString::fromLatin1(arrow)))
      button->setVisible(shown.size() > 1);
  }
  for (CDeviceOptionUI* tab : shown) {
    const auto sameName = [tab](const CDeviceOptionUI* other) { return other->Name() == tab->Name(); };
    const auto first = std::find_if(shown.begin(), shown.end(), sameName);
    const auto position = std::find(shown.begin(), shown.end(), tab);
    const bool alone = std::count_if(shown.begin(), shown.end(), sameName) == 1;
    tab->SetNumber(alone ? 0 : 1 + static_cast<int>(std::count_if(first, position, sameName)));
  }
}

void CDeviceSelector::ShowTab(int index, bool visible, bool select) {
  CDeviceOptionUI* item = Tab(index);
  if (item == nullptr) return;
  item->SetVisible(visible);
  if (select) {
    auto* pages = FindControl<QStackedWidget>(root_, item->GetPageLayout());
    if (pages != nullptr && item->GetPageIndex() >= 0) pages->setCurrentIndex(item->GetPageIndex());
    ShowPowerIndicator(*item);
    item->Select(true);
  }

  const auto tabs = Tabs();
  const auto shown =
      std::count_if(tabs.begin(), tabs.end(), [](const CDeviceOptionUI* tab) { return tab->IsShown(); });
  const auto synchronised = std::count_if(tabs.begin(), tabs.end(), [](const CDeviceOptionUI* tab) {
    return tab->IsShown() && tab->IsSynchronised();
  });
  ShowNoDevice(shown == 0);
  FollowShownTabs();
  if (hooks_.setSyncAvailable) hooks_.setSyncAvailable(shown > 1);
  // Synchronisation needs two shown devices; one left alone drops out of it.
  if (synchronised <= 1) {
    for (CDeviceOptionUI* tab : tabs) tab->SetSynchronised(false);
  }
}

void CDeviceSelector::HideTab(int index) {
  const CDeviceOptionUI* item = Tab(index);
  if (item == nullptr) return;
  int other = -1;
  if (item->IsShown() && item->IsSelected()) {
    if (hooks_.leaveCurrentDevice) hooks_.leaveCurrentDevice();
    const auto tabs = Tabs();
    for (std::size_t i = 0; i < tabs.size(); ++i) {
      if (static_cast<int>(i) != index && tabs[i]->IsShown()) {
        other = static_cast<int>(i);
        break;
      }
    }
  }
  ShowTab(index, false, false);
  if (other >= 0) ShowTab(other, true, true);
}

void CDeviceSelector::OnLinkState(int index, int state) {
  if (state == 0) {
    Trace(kLinkLostTrace);
    HideTab(index);
    return;
  }
  const CDeviceOptionUI* item = Tab(index);
  if (item == nullptr || item->IsShown()) return;
  ShowTab(index, true, FirstVisibleTab().second == 0);
}

void CDeviceSelector::SelectPreviousTab() {
  const int selected = FirstSelectedTab();
  const auto tabs = Tabs();
  for (int i = selected - 1; i >= 0; --i) {
    if (tabs[static_cast<std::size_t>(i)]->IsShown()) {
      ShowTab(i, true, true);
      return;
    }
  }
}

void CDeviceSelector::SelectNextTab() {
  const int selected = FirstSelectedTab();
  if (selected < 0) return;
  const auto tabs = Tabs();
  for (std::size_t i = static_cast<std::size_t>(selected) + 1; i < tabs.size(); ++i) {
    if (tabs[i]->IsShown()) {
      ShowTab(static_cast<int>(i), true, true);
      return;
    }
  }
}

std::pair<int, int> CDeviceSelector::FirstVisibleTab() const {
  int first = -1;
  int count = 0;
  const auto tabs = Tabs();
  for (std::size_t i = 0; i < tabs.size(); ++i) {
    if (!tabs[i]->IsShown()) continue;
    if (first < 0) first = static_cast<int>(i);
    ++count;
  }
  return {first, count};
}

}  // namespace nimbel
