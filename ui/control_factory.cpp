#include "ui/control_factory.h"

namespace nimbel {

CControlFactory& CControlFactory::Instance() {
  static CControlFactory factory;
  return factory;
}

void CControlFactory::RegistControl(const QString& className, Creator creator) {
  creators_.insert(className, std::move(creator));
}

QWidget* CControlFactory::CreateControl(const QString& className, QWidget* parent) const {
  const auto found = creators_.constFind(className);
  if (found == creators_.constEnd() || !*found) return nullptr;
  return (*found)(parent);
}

}  // namespace nimbel
