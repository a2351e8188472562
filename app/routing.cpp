#include "app/routing.h"

#include "profiles/text.h"

namespace nimbel {

std::optional<IndexedControlName> SplitIndexedControlName(const QString& name) {
  const std::optional<IndexedName> split = SplitIndexedName(name.toStdString());
  if (!split) return std::nullopt;
  return IndexedControlName{QString::fromStdString(split->prefix), split->number};
}

bool SameControlName(std::string_view routeName, const QString& name) {
  return QString::compare(QLatin1String(routeName.data(), static_cast<qsizetype>(routeName.size())), name,
                          Qt::CaseInsensitive) == 0;
}

}  // namespace nimbel
