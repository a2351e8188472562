#pragma once

// The device factory: each device kind registers itself with its kind code, its page skin, the control
// classes its page declares and the creation of its device object (a DeviceKind in the kind's own file,
// listed in device_kinds.cpp). The factory builds a device of the kind a detected interface stands for,
// with its page, profile bar, power indicator and tab item, so the main window knows no kind by name.

#include <QPointer>
#include <cstddef>
#include <functional>
#include <memory>
#include <span>

#include "catalogue/device_catalogue.h"
#include "devices/device_interfaces.h"
#include "editors/device_profile_ui.h"
#include "ui/control_factory.h"
#include "ui/notify_pump.h"

class QStackedWidget;
class QWidget;

namespace nimbel {

class CDeviceOptionUI;
class CDeviceSelector;
class CMessageWindow;
class CMpDevicePowerUI;
class CVelquorUSBDevice;

// What the main window asks of a device object of any kind, besides binding. The kind's registration
// implements it around its device class. UI thread only.
class KindDevice : public IProfileApplyTarget {
 public:
  ~KindDevice() override = default;

  virtual CVelquorUSBDevice& Device() = 0;
  // The notifications of the page's own controls and of its profile bar; true when the page took it.
  virtual bool RouteNotification(const TNotifyUI& msg) = 0;
  // The window's function tabs: the page shows settings sub-page `tab`, for kinds that have them.
  virtual void ShowSettingsTab(int /*tab*/) {}
  // The device's page and profile bar exist: the kind binds what it adds to them.
  virtual void PageBuilt() {}
  // Texts the page composes itself (not by text id) are composed again in the new language.
  virtual void LanguageChanged() {}

  // The device takes the profile its bar selects: loads it, shows it, writes it to the device.
  virtual void TakeSelectedProfile() = 0;

  void ApplyProfile(CDeviceProfileUI& list) override;
  // After the user confirmed the reset: the palette's kept colours and the audio-lighting styles go
  // back to the factory's too.
  void ProfileReset(CDeviceProfileUI& list) override;
};

// What a kind's device tells the window.
struct KindDeviceHooks {
  // The user picked settings sub-page `tab` on the page itself: the window's function tabs follow.
  std::function<void(int tab)> settingsTabShown;
};

struct DeviceKind {
  // The cable kind code of the kind's rows; its receiver rows reach it through CableKindOf.
  KindCode kind;
  // The page skin, as the file is named under the skin folder.
  const char* pageSkin;
  // The control classes the page skin declares.
  std::span<const ControlClass> controls;
  std::unique_ptr<KindDevice> (*create)(const KindDeviceHooks& hooks);
};

// Every kind the program builds devices for (device_kinds.cpp).
std::span<const DeviceKind* const> DeviceKinds();

class DeviceFactory {
 public:
  // Every power status a device reads, on the UI thread as its indicator shows it, with the tab item that
  // stands for the device.
  using PowerStatusHook = std::function<void(const CDeviceOptionUI& tab,
                                             std::span<const std::uint8_t, kPowerStatusLength> status)>;

  // Where the devices go: the main window (their messages), its skin (the page and power containers)
  // and its selector (their tabs). All outlive the factory's devices.
  DeviceFactory(CMessageWindow* window, QWidget* root, CDeviceSelector& selector, KindDeviceHooks hooks,
                PowerStatusHook powerStatusRead);

  // Registers the control classes of every kind's page; once, before any skin is built.
  static void RegisterControls();

  // The device of interface row `identityRow` with its page, profile bar, power indicator and hidden tab
  // item; null for a row whose kind registered no device, or when a skin cannot be built.
  std::unique_ptr<KindDevice> Create(std::size_t identityRow);

 private:
  CMessageWindow* window_;
  QPointer<QWidget> root_;
  CDeviceSelector& selector_;
  KindDeviceHooks hooks_;
  PowerStatusHook powerStatusRead_;
};

}  // namespace nimbel
