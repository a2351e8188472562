#include "app/battery_watch.h"

#include <vector>

#include "app/desktop_notifier.h"
#include "app/tray_icon.h"
#include "binding/device_option_ui.h"
#include "binding/device_selector.h"
#include "ui/resource_manager.h"

namespace nimbel {

BatteryWatch::BatteryWatch(const CDeviceSelector& selector, TrayIcon& tray, DesktopNotifier* notifier)
    : selector_(selector), tray_(tray), notifier_(notifier) {}

void BatteryWatch::StatusRead(const CDeviceOptionUI& tab,
                              std::span<const std::uint8_t, kPowerStatusLength> status) {
  // Tab items are never removed, so a tab's index names its device for the whole run.
  const int index = selector_.TabIndexOf(&tab);
  if (index < 0) return;
  const PowerReading reading = ReadPowerStatus(status);
  readings_[index] = reading;
  if (notices_.Take(index, reading)) NotifyLow(tab, reading);
  ShowDevices();
}

void BatteryWatch::ShowDevices() {
  std::vector<TrayDevice> devices;
  const std::vector<CDeviceOptionUI*> tabs = selector_.Tabs();
  for (int index = 0; index < static_cast<int>(tabs.size()); ++index) {
    const CDeviceOptionUI& tab = *tabs[static_cast<std::size_t>(index)];
    const auto reading = readings_.find(index);
    if (!tab.IsShown()) {
      if (reading != readings_.end()) readings_.erase(reading);
      continue;
    }
    devices.push_back({tab.ShownName(), reading != readings_.end()
                                            ? std::optional<PowerReading>(reading->second)
                                            : std::nullopt});
  }
  tray_.ShowDevices(std::move(devices));
}

void BatteryWatch::NotifyLow(const CDeviceOptionUI& tab, const PowerReading& reading) const {
  if (notifier_ == nullptr) return;
  const CResourceManager& resources = CResourceManager::Instance();
  notifier_->Notify(
      resources.Text(QString::fromLatin1(kLowTitleTextId)),
      resources.Text(QString::fromLatin1(kLowTextId)).arg(tab.ShownName(), QString::number(reading.percent)));
}

}  // namespace nimbel
