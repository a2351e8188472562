#include "ui/control_factory.h"

#include "ui/skin_loader.h"

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

void RegistControls(std::span<const ControlClass> classes) {
  for (const ControlClass& entry : classes) {
    const QString name = QString::fromLatin1(entry.name);
    if (entry.subSkin != nullptr) {
      const QString file = QString::fromLatin1(entry.subSkin);
      CControlFactory::Instance().RegistControl(
          name, [file](QWidget* parent) { return CreateSubSkinContainer(file, parent, nullptr); });
    } else {
      CControlFactory::Instance().RegistControl(name, entry.create);
    }
  }
}

}  // namespace nimbel
