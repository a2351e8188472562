#pragma once

// The function tabs of a device page: which number selects which tab, and which tabs a device kind shows.

#include <span>
#include <string_view>

#include "catalogue/device_catalogue.h"

namespace nimbel {

// The function tabs of the page, by their number.
struct FunctionTab {
  int number;
  std::string_view name;
};
inline constexpr FunctionTab kFunctionTabs[] = {
    {1, "deng_Op_tab"},   {2, "key_Op_tab"},    {3, "macro_Op_tab"},
    {4, "system_Op_tab"}, {5, "cursor_Op_tab"}, {6, "4410_voice_Op_tab"},
    {7, "magic_Op_tab"},  {9, "About_Op_tab"},  {10, "Virtual7.1_Op_tab"},
};
// Selecting a tab number outside the table unselects every tab but this one.
inline constexpr std::string_view kTabKeptOnUnknownNumber = "Virtual7.1_Op_tab";
// The tab a page opens on.
inline constexpr int kMouseFirstTab = 2;
inline constexpr int kOtherKindsFirstTab = 1;

struct TabVisibility {
  std::string_view name;
  bool visible;
};
// The tabs a device kind shows or hides; the page's own defaults stand for the others.
std::span<const TabVisibility> TabRowOfKind(KindCode kind);

}  // namespace nimbel
