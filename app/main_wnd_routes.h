#pragma once

// The main window's routing tables: for each kind of notification, which control leads to which
// operation. The controls of a mouse page (its DPI stages, polling, sleep, sensor and pointer settings,
// its sub-page options) and of its profile bar never reach these tables: the window hands them to that
// page's mouse and bar first. Their rows stay so that each table names every control of its kind.
// Other rows without a handler name controls whose operation comes with the feature that owns it (key
// assignment, macros, lighting, shooting patterns, headset, settings, skins, lighting synchronisation);
// until then those controls do nothing.

#include <span>

#include "app/main_wnd.h"

namespace nimbel {

struct MainWndRoutes {
  using Table = std::span<const CMainWnd::MessageRoute>;

  static Table WindowInit();  // "windowinit"
  static Table WindowSize();  // "windowsize"
  static Table Click();
  static Table Option();      // "selectchanged"
  static Table Slider();      // "valuechanged"
  static Table MoveSlider();  // "movevaluechanged"
  static Table Combo();       // "itemselect"
  static Table Edit();        // "killfocus"
  static Table Colour();      // "colorchanged"
  static Table Rename();      // "textchanged"
  static Table SelectEnd();   // "click_select_end"
  static Table Activate();    // "itemactivate"
  static Table Focus();       // "setfocus"
  static Table Menu();        // menu items by name

  // The table for a notification type; empty for the types that do nothing ("dbclick", "itemclick",
  // "timer", ...).
  static Table ForType(const QString& type);
};

}  // namespace nimbel
