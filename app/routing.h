#pragma once

// Routing of a notification by its sender's name. A route names either a whole control name or the
// prefix of indexed controls ("DPI_slider_" for "DPI_slider_3", whose handler receives 3). Names and
// prefixes compare without regard to case; prefix routes are tried before name routes, and within each
// kind the first route in table order wins.

#include <QString>
#include <optional>
#include <span>
#include <string_view>

namespace nimbel {

enum class RouteMatch { kName, kPrefix };

template <typename Handler>
struct Route {
  std::string_view name;
  RouteMatch match;
  Handler handler;
  // What a name route hands its handler in place of an index.
  int value = 0;
};

template <typename Handler>
struct RouteHit {
  const Route<Handler>* route;
  // The number of an indexed control, or the value of a name route.
  int number;
};

// The prefix and number of an indexed control name ("DPI_slider_3" -> "DPI_slider_", 3); nullopt unless
// the name ends in '_' followed by decimal digits.
struct IndexedControlName {
  QString prefix;
  int number;
};
std::optional<IndexedControlName> SplitIndexedControlName(const QString& name);

bool SameControlName(std::string_view routeName, const QString& name);

template <typename Handler>
std::optional<RouteHit<Handler>> FindRoute(std::span<const Route<Handler>> routes, const QString& sender) {
  if (const auto indexed = SplitIndexedControlName(sender)) {
    for (const Route<Handler>& route : routes) {
      if (route.match == RouteMatch::kPrefix && SameControlName(route.name, indexed->prefix)) {
        return RouteHit<Handler>{&route, indexed->number};
      }
    }
  }
  for (const Route<Handler>& route : routes) {
    if (route.match == RouteMatch::kName && SameControlName(route.name, sender))
      return RouteHit<Handler>{&route, route.value};
  }
  return std::nullopt;
}

}  // namespace nimbel
