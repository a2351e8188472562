#include "app/routing.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "app/main_wnd_routes.h"

namespace nimbel {
namespace {

// Handlers stand for themselves by number here.
using TestRoute = Route<int>;
constexpr TestRoute kRoutes[] = {
    {"key_", RouteMatch::kPrefix, 1},        {"key_butt_keysave", RouteMatch::kName, 2},
    {"DPI_slider_", RouteMatch::kPrefix, 3}, {"closebtn", RouteMatch::kName, 4, 77},
    {"closebtn", RouteMatch::kName, 5},      {"zorva_DPI_slider_", RouteMatch::kPrefix, 6},
};

struct Case {
  const char* sender;
  int handler;  // 0: no route
  int number;
};

TEST(RoutingTest, PrefixesBeforeNamesFirstMatchWins) {
  constexpr Case kCases[] = {
      {"key_7", 1, 7},
      {"KEY_12", 1, 12},
      {"key_butt_keysave", 2, 0},
      {"DPI_slider_3", 3, 3},
      {"dpi_SLIDER_0", 3, 0},
      {"zorva_DPI_slider_2", 6, 2},
      {"CloseBtn", 4, 77},
      // An index needs digits, and only digits, after the last '_'.
      {"key_", 0, 0},
      {"key_x", 0, 0},
      {"key_1a", 0, 0},
      {"key_99999999999", 0, 0},
      {"DPI_slider", 0, 0},
      {"", 0, 0},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.sender);
    const auto hit = FindRoute<int>(kRoutes, QString::fromLatin1(c.sender));
    if (c.handler == 0) {
      EXPECT_FALSE(hit.has_value());
      continue;
    }
    ASSERT_TRUE(hit.has_value());
    EXPECT_EQ(hit->route->handler, c.handler);
    EXPECT_EQ(hit->number, c.number);
  }
}

// A name listed twice in one table would leave its second row unreachable.
template <typename Handler>
void ExpectEachControlOnce(std::span<const Route<Handler>> table) {
  std::set<std::pair<std::string, RouteMatch>> seen;
  for (const Route<Handler>& route : table) {
    std::string name(route.name);
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_TRUE(seen.insert({name, route.match}).second) << name;
  }
}

TEST(RoutingTest, MainWindowTablesNameEachControlOnce) {
  const MainWndRoutes::Table tables[] = {
      MainWndRoutes::Click(),
      MainWndRoutes::Option(),
      MainWndRoutes::MoveSlider(),
      MainWndRoutes::Edit(),
  };
  for (const MainWndRoutes::Table& table : tables) ExpectEachControlOnce(table);
  ExpectEachControlOnce(MainWndRoutes::Menu());
}

// A row is there for what it does: a handler that the window runs.
TEST(RoutingTest, EveryRowHasItsHandler) {
  for (const NotifyType type :
       {NotifyType::kWindowInit, NotifyType::kWindowSize, NotifyType::kClick, NotifyType::kSelectChanged,
        NotifyType::kMoveValueChanged, NotifyType::kKillFocus}) {
    for (const CMainWnd::MessageRoute& route : MainWndRoutes::ForType(type))
      EXPECT_NE(route.handler, nullptr);
  }
  for (const CMainWnd::MenuRoute& route : MainWndRoutes::Menu()) EXPECT_NE(route.handler, nullptr);
}

TEST(RoutingTest, NotificationTypesReachTheirTables) {
  EXPECT_EQ(MainWndRoutes::ForType(NotifyType::kClick).data(), MainWndRoutes::Click().data());
  EXPECT_EQ(MainWndRoutes::ForType(NotifyType::kSelectChanged).data(), MainWndRoutes::Option().data());
  EXPECT_EQ(MainWndRoutes::ForType(NotifyType::kKillFocus).data(), MainWndRoutes::Edit().data());
  EXPECT_TRUE(MainWndRoutes::ForType(NotifyType::kTimer).empty());
  EXPECT_TRUE(MainWndRoutes::ForType(NotifyType::kItemClick).empty());
}

TEST(RoutingTest, OnlyMenuItemsThatDoSomethingAreOffered) {
  EXPECT_TRUE(CMainWnd::HasMenuCommand(QStringLiteral("exit")));
  EXPECT_FALSE(CMainWnd::HasMenuCommand(QStringLiteral("about_menu")));
  EXPECT_FALSE(CMainWnd::HasMenuCommand(QStringLiteral("no_such_item")));
}

}  // namespace
}  // namespace nimbel
