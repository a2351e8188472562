#pragma once

// The main window's routing tables: for each kind of notification, which control leads to which
// operation of the window. A row exists only with its handler: the controls whose operations come with
// later features (key assignment, macros, lighting, shooting patterns, headset, settings, skins) get
// their rows with them. The controls of a device page and of its profile bar never reach these tables:
// the window hands them to that page's device first.

#include <span>

#include "app/main_wnd.h"

namespace nimbel {

struct MainWndRoutes {
  using Table = std::span<const CMainWnd::MessageRoute>;

  static Table WindowInit();  // "windowinit"
  static Table WindowSize();  // "windowsize"
  static Table Click();
  static Table Option();      // "selectchanged"
  static Table MoveSlider();  // "movevaluechanged"
  static Table Edit();        // "killfocus"
  // Menu items by name.
  static std::span<const CMainWnd::MenuRoute> Menu();

  // The table for a notification type; empty for the types the window has nothing to do for.
  static Table ForType(NotifyType type);
};

}  // namespace nimbel
