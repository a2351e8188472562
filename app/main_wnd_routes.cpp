#include "app/main_wnd_routes.h"

namespace nimbel {
namespace {

using R = CMainWnd::MessageRoute;
constexpr RouteMatch kName = RouteMatch::kName;
constexpr RouteMatch kPrefix = RouteMatch::kPrefix;

// Function views of the device pages' function tabs.
constexpr int kViewSystem = 4;
constexpr int kViewHeadsetVoice = 6;
constexpr int kViewMagic = 7;
constexpr int kViewAbout = 9;
constexpr int kViewVirtualSurround = 10;

}  // namespace

// The tables live in a friend of the window so that they can name its private handlers.
MainWndRoutes::Table MainWndRoutes::WindowInit() {
  static constexpr R kRoutes[] = {
      {CMainWnd::kRootName, kName, &CMainWnd::OnWindowInit},
  };
  return kRoutes;
}

MainWndRoutes::Table MainWndRoutes::WindowSize() {
  static constexpr R kRoutes[] = {
      {CMainWnd::kRootName, kName, &CMainWnd::OnWindowSize},
  };
  return kRoutes;
}

MainWndRoutes::Table MainWndRoutes::Click() {
  static constexpr R kRoutes[] = {
      {"closebtn", kName, &CMainWnd::OnCloseButton},
      {"nodevice_ok_btn", kName, &CMainWnd::OnNoDeviceOk},
      {"minbtn", kName, &CMainWnd::OnMinimise},
      {"maxbtn", kName, &CMainWnd::OnMaximise},
      {"restorebtn", kName, &CMainWnd::OnRestore},
      {"device_select_prev", kName, &CMainWnd::OnPreviousDevice},
      {"device_select_next", kName, &CMainWnd::OnNextDevice},
      {"logo", kName, &CMainWnd::OnShowMouseSettings, mouse_settings_tab::kLighting},
  };
  return kRoutes;
}

MainWndRoutes::Table MainWndRoutes::Option() {
  static constexpr R kRoutes[] = {
      {"device_select", kName, &CMainWnd::OnDeviceSelect},
      {"deng_Op_tab", kName, &CMainWnd::OnMouseSettingsTab, mouse_settings_tab::kLighting},
      {"key_Op_tab", kName, &CMainWnd::OnMouseSettingsTab, mouse_settings_tab::kKeys},
      {"macro_Op_tab", kName, &CMainWnd::OnMouseSettingsTab, mouse_settings_tab::kMacros},
      {"shoot_Op_tab", kName, &CMainWnd::OnMouseSettingsTab, mouse_settings_tab::kShootPatterns},
      {"performance_Op_tab", kName, &CMainWnd::OnMouseSettingsTab, mouse_settings_tab::kDpi},
      {"system_Op_tab", kName, &CMainWnd::OnFunctionTab, kViewSystem},
      {"About_Op_tab", kName, &CMainWnd::OnFunctionTab, kViewAbout},
      {"cursor_Op_tab", kName, &CMainWnd::OnMouseSettingsTab, mouse_settings_tab::kCursor},
      {"4410_voice_Op_tab", kName, &CMainWnd::OnFunctionTab, kViewHeadsetVoice},
      {"magic_Op_tab", kName, &CMainWnd::OnFunctionTab, kViewMagic},
      {"Virtual7.1_Op_tab", kName, &CMainWnd::OnFunctionTab, kViewVirtualSurround},
  };
  return kRoutes;
}

MainWndRoutes::Table MainWndRoutes::MoveSlider() {
  static constexpr R kRoutes[] = {
      {"zorva_DPI_slider_", kPrefix, &CMainWnd::OnZorvaDpiSliderMove},
  };
  return kRoutes;
}

MainWndRoutes::Table MainWndRoutes::Edit() {
  static constexpr R kRoutes[] = {
      {"zorva_DPI_edit_", kPrefix, &CMainWnd::OnZorvaDpiEdit},
  };
  return kRoutes;
}

std::span<const CMainWnd::MenuRoute> MainWndRoutes::Menu() {
  static constexpr CMainWnd::MenuRoute kRoutes[] = {
      {"exit", kName, &CMainWnd::OnExitCommand},
  };
  return kRoutes;
}

MainWndRoutes::Table MainWndRoutes::ForType(NotifyType type) {
  switch (type) {
    case NotifyType::kWindowInit:
      return WindowInit();
    case NotifyType::kWindowSize:
      return WindowSize();
    case NotifyType::kClick:
      return Click();
    case NotifyType::kSelectChanged:
      return Option();
    case NotifyType::kMoveValueChanged:
      return MoveSlider();
    case NotifyType::kKillFocus:
      return Edit();
    default:
      return {};
  }
}

}  // namespace nimbel
