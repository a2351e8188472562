#include "app/main_wnd_routes.h"

#include <QString>
#include <array>
#include <string_view>

namespace nimbel {
namespace {

using R = CMainWnd::MessageRoute;
constexpr RouteMatch kName = RouteMatch::kName;
constexpr RouteMatch kPrefix = RouteMatch::kPrefix;

// Function views of the device pages' function tabs.
constexpr int kViewKeys = 2;
constexpr int kViewMacros = 3;
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
      {"key_", kPrefix, nullptr},
      {"color_option_", kPrefix, nullptr},
      {"audiocolor_option_", kPrefix, nullptr},
      // Opened the system's keyboard and mouse control panels; a Linux desktop has no common one.
      {"windowdeviceset_", kPrefix, nullptr},
      {"DPI_color_option_", kPrefix, nullptr},
      // The active-stage radio button: a click selects the stage (option routing) and opens nothing;
      // the stage colour has its own swatch, "DPI_color_option_".
      {"DPI_select_check_", kPrefix, nullptr},
      {"DPI_edit_", kPrefix, nullptr},
      {"closebtn", kName, &CMainWnd::OnCloseButton},
      {"nodevice_ok_btn", kName, &CMainWnd::OnNoDeviceOk},
      {"control_light_status", kName, nullptr},
      {"minbtn", kName, &CMainWnd::OnMinimise},
      {"maxbtn", kName, &CMainWnd::OnMaximise},
      {"restorebtn", kName, &CMainWnd::OnRestore},
      {"skinbtn", kName, nullptr},
      {"setbtn", kName, nullptr},
      {"default_btn", kName, nullptr},
      {"reset_repeat_btn", kName, nullptr},
      {"device_add_btn", kName, nullptr},
      {"device_sub_btn", kName, nullptr},
      {"device_copy_btn", kName, nullptr},
      {"device_export_btn", kName, nullptr},
      {"device_import_btn", kName, nullptr},
      {"device_reset_btn", kName, nullptr},
      {"device_profile_edit_save_btn", kName, nullptr},
      {"key_butt_keysave", kName, nullptr},
      {"key_butt_keydefalut", kName, nullptr},
      {"key_butt_keycancel", kName, nullptr},
      {"key_butt_prosave", kName, nullptr},
      {"macro_btn_starredio", kName, nullptr},
      {"macro_btn_stopredio", kName, nullptr},
      {"macro_btn_name_add", kName, nullptr},
      {"macro_btn_name_sub", kName, nullptr},
      {"macro_btn_name_edit", kName, nullptr},
      {"macro_btn_save", kName, nullptr},
      {"macro_btn_cancel", kName, nullptr},
      {"macro_btn_export", kName, nullptr},
      {"macro_btn_import", kName, nullptr},
      {"macro_btn_up", kName, nullptr},
      {"macro_btn_down", kName, nullptr},
      {"macro_btn_uptop", kName, nullptr},
      {"macro_btn_downbottom", kName, nullptr},
      {"macro_btn_delete", kName, nullptr},
      {"macro_btn_deleteall", kName, nullptr},
      {"macro_inset_moveleftkey_btn", kName, nullptr},
      {"macro_inset_moverightkey_btn", kName, nullptr},
      {"macro_inset_moveupkey_btn", kName, nullptr},
      {"macro_inset_movedownkey_btn", kName, nullptr},
      {"shootdate_save_btn", kName, nullptr},
      {"shootdate_reset_btn", kName, nullptr},
      {"shootdate_import_btn", kName, nullptr},
      {"shootdate_export_btn", kName, nullptr},
      {"bullet_selected_prev", kName, nullptr},
      {"bullet_selected_next", kName, nullptr},
      {"custom_bright_color_btn", kName, nullptr},
      {"custom_off_color_btn", kName, nullptr},
      {"deng_same_mode", kName, nullptr},
      {"hs_EQ_btn_save", kName, nullptr},
      {"hs_EQ_btn_delete", kName, nullptr},
      {"profile_fun_spread_btn", kName, nullptr},
      {"device_select_prev", kName, &CMainWnd::OnPreviousDevice},
      {"device_select_next", kName, &CMainWnd::OnNextDevice},
      {"Close_bkColor_btn", kName, nullptr},
      {"music_setting_btn", kName, nullptr},
      {"network_btn", kName, nullptr},
  };
  return kRoutes;
}

MainWndRoutes::Table MainWndRoutes::Option() {
  static constexpr R kRoutes[] = {
      {"DPI_enable_check_", kPrefix, nullptr},
      {"DPI_select_check_", kPrefix, nullptr},
      {"polling_rate_option_", kPrefix, nullptr},
      {"Silent_Altitude_option_", kPrefix, nullptr},
      {"deep_sleep_option_", kPrefix, nullptr},
      {"Linear_Calibration_option_", kPrefix, nullptr},
      {"motion_sync_option_", kPrefix, nullptr},
      {"sensor_lif_option_", kPrefix, nullptr},
      {"repeat_delay_check_", kPrefix, nullptr},
      {"mouse_device_seting_option_", kPrefix, nullptr},
      {"shoot_gun_op_", kPrefix, nullptr},
      {"bullet_op_", kPrefix, nullptr},
      {"magic_option_", kPrefix, nullptr},
      {"4410_eq_option_", kPrefix, nullptr},
      {"key_ComBox_check_", kPrefix, nullptr},
      {"pointer_precision_check", kName, nullptr},
      {"scrolls_page_check", kName, nullptr},
      {"winlockflag_option", kName, nullptr},
      {"wflag_option", kName, nullptr},
      {"6flag_option", kName, nullptr},
      {"device_select", kName, &CMainWnd::OnDeviceSelect},
      // The tab item keeps its own check state.
      {"synchro_device_select", kName, nullptr},
      {"deng_Op_tab", kName, &CMainWnd::OnFunctionTab, kViewKeys},
      {"key_Op_tab", kName, &CMainWnd::OnFunctionTab, kViewKeys},
      {"macro_Op_tab", kName, &CMainWnd::OnFunctionTab, kViewMacros},
      {"performance_Op_tab", kName, &CMainWnd::OnMouseSettingsTab, mouse_settings_tab::kDpi},
      {"system_Op_tab", kName, &CMainWnd::OnFunctionTab, kViewSystem},
      {"About_Op_tab", kName, &CMainWnd::OnFunctionTab, kViewAbout},
      {"cursor_Op_tab", kName, &CMainWnd::OnMouseSettingsTab, mouse_settings_tab::kCursor},
      {"4410_voice_Op_tab", kName, &CMainWnd::OnFunctionTab, kViewHeadsetVoice},
      {"magic_Op_tab", kName, &CMainWnd::OnFunctionTab, kViewMagic},
      {"Virtual7.1_Op_tab", kName, &CMainWnd::OnFunctionTab, kViewVirtualSurround},
      {"deng_FXL_check", kName, nullptr},
      {"deng_FXR_check", kName, nullptr},
      {"deng_7color_check", kName, nullptr},
      {"bullet_x_check", kName, nullptr},
      {"bullet_y_check", kName, nullptr},
      {"magic_enable_option", kName, nullptr},
      {"4410_MicIn_option", kName, nullptr},
      {"4410_MicMoniter_option", kName, nullptr},
      {"deng_7audiocolor_check", kName, nullptr},
      {"audio_BkColor_check", kName, nullptr},
      {"audio_FgColor_check", kName, nullptr},
  };
  return kRoutes;
}

MainWndRoutes::Table MainWndRoutes::Slider() {
  static constexpr R kRoutes[] = {
      {"DPI_slider_", kPrefix, nullptr},        {"4410_eq_hz_slider_", kPrefix, nullptr},
      {"pointer_speed_slider", kName, nullptr}, {"scroll_speed_slider", kName, nullptr},
      {"double_click_slider", kName, nullptr},  {"repeat_rate_slider", kName, nullptr},
      {"deng_light_slider", kName, nullptr},    {"deng_speed_slider", kName, nullptr},
      {"4410_MicIn_slider", kName, nullptr},    {"4410_MicMoniter_slider", kName, nullptr},
      {"R_light_slider", kName, nullptr},       {"G_light_slider", kName, nullptr},
      {"B_light_slider", kName, nullptr},       {"Dormancy_slider", kName, nullptr},
      {"DeepSleep_slider", kName, nullptr},     {"Key_Delay_slider", kName, nullptr},
      {"polling_rate_slider", kName, nullptr},
  };
  return kRoutes;
}

MainWndRoutes::Table MainWndRoutes::MoveSlider() {
  static constexpr R kRoutes[] = {
      {"zorva_DPI_slider_", kPrefix, &CMainWnd::OnZorvaDpiSliderMove},
      {"DPI_slider_", kPrefix, nullptr},
  };
  return kRoutes;
}

MainWndRoutes::Table MainWndRoutes::Combo() {
  static constexpr R kRoutes[] = {
      // The profile bar asks the window for the switch after a pause (timer 1055).
      {"device_profile_combo", kName, nullptr},
      {"light_combo_modeSelect", kName, nullptr},
      {"light_combo_custommodeSelect", kName, nullptr},
      {"light_combo_ZZCCmodeSelect", kName, nullptr},
      {"light_combo_audiomodeSelect", kName, nullptr},
      {"Dormancy_combo_timeSelect", kName, nullptr},
      {"DeepSleep_combo_timeSelect", kName, nullptr},
      {"Key_Delay_combo_timeSelect", kName, nullptr},
      {"Anti_Shake_combo_timeSelect", kName, nullptr},
      {"keyset_function_combo", kName, nullptr},
      {"keyset_mousekey_combo", kName, nullptr},
      {"keyset_mouseswing_combo", kName, nullptr},
      {"keyset_mousewheel_combo", kName, nullptr},
      {"keyset_mousedpi_combo", kName, nullptr},
      {"keyset_media_combo", kName, nullptr},
      {"keyset_system_combo", kName, nullptr},
      {"keyset_macro_combo", kName, nullptr},
      {"keyset_macro_over_combo", kName, nullptr},
      {"keyset_gunkey_combo", kName, nullptr},
      {"keyset_combokey_combo", kName, nullptr},
      {"macro_name_list", kName, nullptr},
      {"custom_eq_name_combo", kName, nullptr},
  };
  return kRoutes;
}

MainWndRoutes::Table MainWndRoutes::Edit() {
  static constexpr R kRoutes[] = {
      {"zorva_DPI_edit_", kPrefix, &CMainWnd::OnZorvaDpiEdit},
      {"DPI_edit_", kPrefix, nullptr},
      {"deng_edit_R", kName, nullptr},
      {"deng_edit_G", kName, nullptr},
      {"deng_edit_B", kName, nullptr},
      {"deng_audioedit_R", kName, nullptr},
      {"deng_audioedit_G", kName, nullptr},
      {"deng_audioedit_B", kName, nullptr},
      {"keyset_keyboard_text_edit", kName, nullptr},
      {"bullet_x_eidt", kName, nullptr},
      {"bullet_y_eidt", kName, nullptr},
      {"bullet_delay_eidt", kName, nullptr},
      {"macro_delay", kName, nullptr},
      {"keyset_mouseswing_num_edit", kName, nullptr},
      {"keyset_mouseswing_delay_edit", kName, nullptr},
      {"keyset_mouseswing_speed_edit", kName, nullptr},
      {"keyset_mousewheel_num_edit", kName, nullptr},
      {"keyset_mousewheel_delay_edit", kName, nullptr},
      {"keyset_mousewheel_speed_edit", kName, nullptr},
      {"keyset_mousefire_interval_edit", kName, nullptr},
      {"keyset_mousefire_num_edit", kName, nullptr},
      {"keyset_macro_cycle_edit", kName, nullptr},
  };
  return kRoutes;
}

MainWndRoutes::Table MainWndRoutes::Colour() {
  static constexpr R kRoutes[] = {
      {"deng_Color_Pallet", kName, nullptr},
      {"deng_audioColor_Pallet", kName, nullptr},
  };
  return kRoutes;
}

MainWndRoutes::Table MainWndRoutes::Rename() {
  static constexpr R kRoutes[] = {
      {"device_profile_combo", kName, nullptr},
  };
  return kRoutes;
}

MainWndRoutes::Table MainWndRoutes::SelectEnd() {
  static constexpr R kRoutes[] = {
      {"device_key_light", kName, nullptr},
      {"mouse_device_key_light", kName, nullptr},
  };
  return kRoutes;
}

MainWndRoutes::Table MainWndRoutes::Activate() {
  static constexpr R kRoutes[] = {
      // Opens the macro action menu.
      {"macro_action", kName, nullptr},
  };
  return kRoutes;
}

MainWndRoutes::Table MainWndRoutes::Focus() {
  static constexpr R kRoutes[] = {
      // Starts the key capture of the key text edit.
      {"keyset_keyboard_text_edit", kName, nullptr},
  };
  return kRoutes;
}

MainWndRoutes::Table MainWndRoutes::Menu() {
  static constexpr R kRoutes[] = {
      {"exit", kName, &CMainWnd::OnExitCommand},
      {"about_menu", kName, nullptr},
      {"setwnd_menu", kName, nullptr},
      {"redio_previous_record_time", kName, nullptr},
      {"redio_previous_constant_time", kName, nullptr},
      {"redio_previous_ignore_time", kName, nullptr},
      {"redio_later_record_time", kName, nullptr},
      {"redio_later_constant_time", kName, nullptr},
      {"redio_later_ignore_time", kName, nullptr},
      {"macro_action_edit", kName, nullptr},
      {"left_down", kName, nullptr},
      {"left_up", kName, nullptr},
      {"left_click", kName, nullptr},
      {"middle_down", kName, nullptr},
      {"middle_up", kName, nullptr},
      {"middle_click", kName, nullptr},
      {"right_down", kName, nullptr},
      {"right_up", kName, nullptr},
      {"right_click", kName, nullptr},
      {"forward_down", kName, nullptr},
      {"forward_up", kName, nullptr},
      {"forward_click", kName, nullptr},
      {"back_down", kName, nullptr},
      {"back_up", kName, nullptr},
      {"back_click", kName, nullptr},
  };
  return kRoutes;
}

MainWndRoutes::Table MainWndRoutes::ForType(const QString& type) {
  struct TypeTable {
    std::string_view type;
    Table (*table)();
  };
  static constexpr TypeTable kTypes[] = {
      {"windowinit", &MainWndRoutes::WindowInit},
      {"windowsize", &MainWndRoutes::WindowSize},
      {"click", &MainWndRoutes::Click},
      {"selectchanged", &MainWndRoutes::Option},
      {"valuechanged", &MainWndRoutes::Slider},
      {"movevaluechanged", &MainWndRoutes::MoveSlider},
      {"itemselect", &MainWndRoutes::Combo},
      {"killfocus", &MainWndRoutes::Edit},
      {"colorchanged", &MainWndRoutes::Colour},
      {"textchanged", &MainWndRoutes::Rename},
      {"click_select_end", &MainWndRoutes::SelectEnd},
      {"itemactivate", &MainWndRoutes::Activate},
      {"setfocus", &MainWndRoutes::Focus},
  };
  for (const TypeTable& entry : kTypes) {
    if (type == QLatin1String(entry.type.data(), static_cast<qsizetype>(entry.type.size())))
      return entry.table();
  }
  return {};
}

}  // namespace nimbel
