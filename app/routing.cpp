#include "app/routing.h"

#include <limits>

namespace nimbel {

std::optional<IndexedControlName> SplitIndexedControlName(const QString& name) {
  const qsizetype underscore = name.lastIndexOf(QLatin1Char('_'));
  if (underscore < 0 || underscore + 1 >= name.size()) return std::nullopt;
  const QString digits = name.mid(underscore + 1);
  long long value = 0;
  for (const QChar c : digits) {
    if (c < QLatin1Char('0') || c > QLatin1Char('9')) return std::nullopt;
    // Past the int range a control name is garbage, not an index.
    value = value * 10 + (c.unicode() - u'0');
    if (value > std::numeric_limits<int>::max()) return std::nullopt;
  }
  return IndexedControlName{name.left(underscore + 1), static_cast<int>(value)};
}

bool SameControlName(std::string_view routeName, const QString& name) {
  return QString::compare(QLatin1String(routeName.data(), static_cast<qsizetype>(routeName.size())), name,
                          Qt::CaseInsensitive) == 0;
}

}  // namespace nimbel
