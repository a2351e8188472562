#pragma once

// What binding needs of the device selector, without the window toolkit.

namespace nimbel {

class ITabItem;

class ITabSelector {
 public:
  virtual ~ITabSelector() = default;

  // The position of a device's tab item in the selector; -1 when it is not there.
  virtual int TabIndexOf(const ITabItem* item) const = 0;
  // Whether some shown tab item is selected: the current device.
  virtual bool HasCurrentTab() const = 0;
  virtual void ShowTab(int index, bool visible, bool select) = 0;
  // Hides a tab item and selects another shown one, if any.
  virtual void HideTab(int index) = 0;
};

}  // namespace nimbel
