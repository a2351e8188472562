#include "app/device_factory.h"

#include <QStackedWidget>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string>
#include <string_view>

#include "app/audio_styles.h"
#include "app/mp_device_power_ui.h"
#include "binding/device_option_ui.h"
#include "binding/device_selector.h"
#include "devices/usb_device.h"
#include "editors/colour_option_file.h"
#include "platform/folders.h"
#include "platform/trace.h"
#include "ui/find_control.h"
#include "ui/skin_loader.h"

namespace nimbel {
namespace {

// The name a device's tab shows, by the kind name of its kind row.
struct KindNameText {
  std::string_view kindName;
  const char* textId;
};
constexpr KindNameText kKindNameTexts[] = {
    {"mouse", "ms_device_name_text"},
    {"keyboard", "kb_device_name_text"},
    {"MousePad", "hard_mp_device_name_text"},
    {"HD", "hd_device_name_text"},
};

QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString TabNameOf(std::string_view kindName) {
  for (const KindNameText& entry : kKindNameTexts) {
    if (entry.kindName == kindName) return QString::fromLatin1(entry.textId);
  }
  return ToQString(kindName);
}

const DeviceKind* FindKind(KindCode kind) {
  const auto kinds = DeviceKinds();
  const auto found = std::find_if(kinds.begin(), kinds.end(),
                                  [kind](const DeviceKind* entry) { return entry->kind == kind; });
  return found != kinds.end() ? *found : nullptr;
}

}  // namespace

void KindDevice::ApplyProfile(CDeviceProfileUI&) {
  TakeSelectedProfile();
}

void KindDevice::ProfileReset(CDeviceProfileUI&) {
  if (std::remove(ColourOptionFile().c_str()) != 0 && errno != ENOENT) {
    Trace("profile reset: the palette's colour file cannot be removed: " + ColourOptionFile());
  }
  if (!ResetAudioStylesFile(UserDataFolder(), DefaultDataFolder())) {
    Trace(std::string("profile reset: no usable ") + kAudioStylesFile);
  }
  TakeSelectedProfile();
}

DeviceFactory::DeviceFactory(CMessageWindow* window, QWidget* root, CDeviceSelector& selector,
                             KindDeviceHooks hooks, PowerStatusHook powerStatusRead)
    : window_(window),
      root_(root),
      selector_(selector),
      hooks_(std::move(hooks)),
      powerStatusRead_(std::move(powerStatusRead)) {}

void DeviceFactory::RegisterControls() {
  for (const DeviceKind* kind : DeviceKinds()) RegistControls(kind->controls);
}

std::unique_ptr<KindDevice> DeviceFactory::Create(std::size_t identityRow) {
  const int kindRowIndex = DeviceCatalogue::KindRowForInterfaceRow(static_cast<int>(identityRow));
  if (kindRowIndex < 0 || identityRow >= DeviceCatalogue::kInterfaceRowCount || root_ == nullptr)
    return nullptr;
  const DeviceKindRow& kindRow = DeviceCatalogue::KindRows()[static_cast<std::size_t>(kindRowIndex)];
  const DeviceKind* kind = FindKind(CableKindOf(kindRow.kind));
  if (kind == nullptr) return nullptr;

  const QString powerSwitchName = ToQString(kindRow.powerSwitchName);
  auto* powerSwitch = FindControl<QStackedWidget>(root_, powerSwitchName);
  auto* pages = FindControl<QStackedWidget>(root_, QString::fromLatin1(CDeviceSelector::kPageSwitchName));
  if (powerSwitch == nullptr || pages == nullptr) return nullptr;

  std::unique_ptr<KindDevice> entry = kind->create(hooks_);
  CVelquorUSBDevice& device = entry->Device();
  device.ApplyCatalogueRows(kindRowIndex);
  device.SetPageSkinName(kind->pageSkin);
  std::unique_ptr<CMpDevicePowerUI> indicator(CMpDevicePowerUI::Create(nullptr));
  std::unique_ptr<QWidget> tabSkin(LoadSkin(QString::fromLatin1(CDeviceOptionUI::kSkinFile), nullptr));
  auto* tab = dynamic_cast<CDeviceOptionUI*>(tabSkin.get());
  if (indicator == nullptr || tab == nullptr || !device.CreatePage(pages)) return nullptr;

  const int powerIndex = powerSwitch->addWidget(indicator.get());
  indicator->SetKindRole(static_cast<int>(kindRow.kind), static_cast<int>(kindRow.role));
  if (powerStatusRead_) {
    // Both live under the main window's skin; the tab item may still go first when the window does.
    indicator->SetStatusListener(
        [hook = powerStatusRead_, item = QPointer<CDeviceOptionUI>(tab)](auto status) {
          if (item != nullptr) hook(*item, status);
        });
  }
  device.SetMainWindow(window_);
  device.BindProfileList(SetUpProfileBar(device.Page(), device.KindName(), kindRow.kind, entry.get()));
  device.BindPowerDisplay(indicator.release());
  device.SetIdentity(DeviceCatalogue::InterfaceRows()[identityRow]);
  entry->PageBuilt();

  const int pageIndex = pages->addWidget(device.Page());
  tab->SetName(TabNameOf(kindRow.kindName));
  tab->SetIcons(static_cast<int>(kindRow.kind), static_cast<int>(kindRow.role));
  tab->BindPage(QString::fromLatin1(CDeviceSelector::kPageSwitchName), pageIndex);
  tab->SetPowerSlot(powerSwitchName, powerIndex);
  tab->SetGroup(ToQString(kindRow.tabHeaderName));
  tab->ShowSyncOption(false);
  tab->BindDevice(&device);
  device.BindTabItem(tab);
  selector_.AddTab(tab);
  tabSkin.release();
  tab->SetVisible(false);
  return entry;
}

}  // namespace nimbel
