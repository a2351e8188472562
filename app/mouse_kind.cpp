#include "app/mouse_kind.h"

#include <array>
#include <optional>

#include "app/routing.h"
#include "devices/dpi_edit_ui.h"
#include "devices/mouse_device.h"
#include "devices/mouse_page.h"
#include "devices/page_controls.h"
#include "editors/colour_option_ui.h"
#include "editors/colour_palette.h"
#include "editors/colour_palette_ui.h"
#include "editors/light_control_ui.h"
#include "editors/macro_control_ui.h"
#include "editors/mouse_keys_editor.h"
#include "editors/shoot_control_ui.h"
#include "editors/shoot_path_view.h"

namespace nimbel {
namespace {

constexpr std::array<ControlClass, 10> kMousePageControls{{
    {CSelectPanelUI::kClassName, &MakeControl<CSelectPanelUI>},
    {CDeviceKeyButtonUI::kClassName, &MakeControl<CDeviceKeyButtonUI>},
    {CDPIEditUI::kClassName, &MakeControl<CDPIEditUI>},
    {"DeviceProfileUI", nullptr, CDeviceProfileUI::kSkinFile},
    {CKeySetControlUI::kContainerClass, nullptr, CKeySetControlUI::kSkinFile},
    {CShootControlUI::kContainerClass, nullptr, CShootControlUI::kSkinFile},
    {ShootPathView::kClassName, &MakeControl<ShootPathView>},
    {CLightControlUI::kContainerClass, nullptr, CLightControlUI::kSkinFile},
    {CColorPaletteUI::kClassName, &MakeControl<CColorPaletteUI>},
    {CColorOptionUI::kClassName, &MakeControl<CColorOptionUI>},
}};

class MouseKindDevice final : public KindDevice {
 public:
  explicit MouseKindDevice(KindDeviceHooks hooks)
      : hooks_(std::move(hooks)),
        keys_(mouse_, DesktopProfileDialogs().showMessage),
        macros_(mouse_, DesktopMacroDialogs()),
        shootPatterns_(mouse_, DesktopShootDialogs()),
        lighting_([this] { return mouse_.Page(); },
                  {.kind = KindCode::MouseCable,
                   .lightInfo = [this] { return mouse_.GetLightInfo(); },
                   .storeAndWrite = [this](const LightInfo& info) { mouse_.EditLight(info); },
                   .audioLightInfo = [this] { return audioLight_; },
                   .storeAudio = [this](const AudioLightInfo& info) { audioLight_ = info; }}) {
    // A profile switch or a read of the mouse changes the light record the panel shows.
    mouse_.SetPageRefreshed([this] { lighting_.ShowLightInfo(mouse_.GetLightInfo()); });
    mouse_.SetColourChooser(ChooseColour);
    mouse_.SetMessageShower([this](const QString& textId, const QStringList& arguments) {
      if (const auto& show = DesktopProfileDialogs().showMessage)
        show(mouse_.Page(), {textId, arguments, MessageBoxButtons::kConfirm});
    });
    // The key panel offers the library's macros, and the keys' descriptions name them.
    QObject::connect(&macros_, &CMacroControlUI::LibraryChanged, &macros_, [this] {
      keys_.Panel().FillMacroList(macros_.MacroNames());
      mouse_.MacrosChanged();
    });
  }

  CVelquorUSBDevice& Device() override { return mouse_; }

  void PageBuilt() override {
    keys_.Bind();
    macros_.Bind();
    keys_.Panel().FillMacroList(macros_.MacroNames());
    shootPatterns_.BindControls();
    keys_.Panel().FillPatternList(ShootPatternNameIds());
    lighting_.Bind(mouse_.LightPresetLists());
  }

  bool RouteNotification(const TNotifyUI& msg) override {
    if (keys_.HandleNotification(msg) || macros_.HandleNotification(msg) ||
        shootPatterns_.HandleNotification(msg) || lighting_.HandleNotification(msg))
      return true;
    if (mouse_.HandlePageNotification(msg)) {
      FollowSettingsOption(msg);
      return true;
    }
    auto* bar = dynamic_cast<CDeviceProfileUI*>(mouse_.ProfileList());
    return bar != nullptr && bar->HandleNotification(msg);
  }

  void ShowSettingsTab(int tab) override { mouse_.SelectSettingsTab(tab); }
  void TakeSelectedProfile() override {
    mouse_.ApplySelectedProfile();
    keys_.ProfileApplied();
  }
  void LanguageChanged() override { keys_.LanguageChanged(); }

 private:
  // A sub-page the user picked on the page: the window's function tabs follow.
  void FollowSettingsOption(const TNotifyUI& msg) const {
    if (msg.sType != notify::kSelectChanged || msg.wParam == 0 || !hooks_.settingsTabShown) return;
    const std::optional<IndexedControlName> option = SplitIndexedControlName(msg.senderName);
    if (option && option->prefix == QLatin1String(mouse_control::kSettingsOption))
      hooks_.settingsTabShown(option->number);
  }

  KindDeviceHooks hooks_;
  CVelquorMouseDevice mouse_;
  MouseKeysEditor keys_;
  CMacroControlUI macros_;
  CShootControlUI shootPatterns_;
  // Only the keyboard keeps the sound-reactive record in its profile: the mouse keeps it while it runs.
  AudioLightInfo audioLight_;
  CLightControlUI lighting_;
};

std::unique_ptr<KindDevice> CreateMouse(const KindDeviceHooks& hooks) {
  return std::make_unique<MouseKindDevice>(hooks);
}

}  // namespace

const DeviceKind kMouseKind{
    .kind = KindCode::MouseCable,
    .pageSkin = "XML/DeviceXml/mousedevice.ui",
    .controls = kMousePageControls,
    .create = &CreateMouse,
};

}  // namespace nimbel
