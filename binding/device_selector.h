#pragma once

// The main window's device selector: which device tabs are shown, which one is selected (the current
// device), and what the window shows around them — the device's page, its power indicator, and the
// "No_device_Link" placeholder while no device is shown.

#include <QPointer>
#include <QStackedWidget>
#include <QWidget>
#include <functional>
#include <utility>
#include <vector>

#include "binding/tab_selector.h"

namespace nimbel {

class CDeviceOptionUI;
class IBindableDevice;

class CDeviceSelector final : public ITabSelector {
 public:
  static constexpr const char* kSelectLayoutName = "device_select_layout";
  static constexpr const char* kPageSwitchName = "device_switch";
  static constexpr const char* kPowerSwitchName = "device_power_switch";
  static constexpr const char* kNoDeviceName = "No_device_Link";
  static constexpr const char* kPreviousName = "device_select_prev";
  static constexpr const char* kNextName = "device_select_next";

  struct Hooks {
    // The selected device's tab is about to be hidden: close the pop-up windows, end an input capture
    // and a macro recording, re-enable what a capture disabled.
    std::function<void()> leaveCurrentDevice;
    // Whether lighting can be synchronised: more than one device is shown.
    std::function<void(bool available)> setSyncAvailable;
  };

  // Finds its controls by name under `root` (the main window); the window outlives the selector.
  CDeviceSelector(QWidget* root, Hooks hooks);

  // Builds a device's tab item from the tab skin of its kind row and appends it, hidden: named after the
  // kind, with the kind's icons and option group, bound to page `pageIndex` of "device_switch" and to
  // entry `powerIndex` of the power container (-1: none). Binds device and tab item to each other.
  // Null when the skin cannot be built or the kind row does not exist.
  CDeviceOptionUI* CreateTab(IBindableDevice& device, int kindRow, int pageIndex, int powerIndex);
  // Appends a tab item to the selector container.
  void AddTab(CDeviceOptionUI* item);
  std::vector<CDeviceOptionUI*> Tabs() const;
  CDeviceOptionUI* Tab(int index) const;

  // On "selectchanged" of a tab's option: shows the selected device's power indicator. Returns the
  // index of the selected tab, or -1.
  int SelectedTabChanged();
  // The first shown and selected tab: the current device's; -1 when there is none.
  int CurrentTab() const;

  void ShowTab(int index, bool visible, bool select) override;
  void HideTab(int index) override;
  int TabIndexOf(const ITabItem* item) const override;
  bool HasCurrentTab() const override { return CurrentTab() >= 0; }

  // The link state a tab item or a path switch reports: 0 hides the tab, 1 shows a hidden one (selected
  // only when no tab at all is shown).
  void OnLinkState(int index, int state);

  void SelectPreviousTab();
  void SelectNextTab();
  // The index of the first shown tab (-1 when none) and the number of shown tabs.
  std::pair<int, int> FirstVisibleTab() const;

 private:
  int FirstSelectedTab() const;
  void ShowPowerIndicator(const CDeviceOptionUI& item) const;
  void ShowNoDevice(bool show) const;
  // What depends on how many tabs are shown: the arrows between them and the numbers that tell two
  // shown devices of one kind apart.
  void FollowShownTabs() const;

  QPointer<QWidget> root_;
  QPointer<QWidget> container_;
  QPointer<QStackedWidget> pages_;
  QPointer<QStackedWidget> power_;
  QPointer<QWidget> noDevice_;
  Hooks hooks_;
};

}  // namespace nimbel
