#pragma once

#include <QHash>
#include <QString>
#include <functional>
#include <span>

class QWidget;

namespace nimbel {

// The process-wide table of the program's control classes by the class name a skin gives them
// (`CDeviceOptionUI`, ...). A skin that declares such a class gets the program's object instead of the
// Qt base class. Filled once at start-up and used on the UI thread only, like every widget.
class CControlFactory {
 public:
  using Creator = std::function<QWidget*(QWidget* parent)>;

  static CControlFactory& Instance();

  // A later registration of the same name replaces the earlier one.
  void RegistControl(const QString& className, Creator creator);

  // A new control of the class, or nullptr when the name is not registered (or the creator declined).
  QWidget* CreateControl(const QString& className, QWidget* parent) const;

  bool IsRegistered(const QString& className) const { return creators_.contains(className); }

 private:
  CControlFactory() = default;
  QHash<QString, Creator> creators_;
};

// One control class as its owner lists it: a class of the program's, or a name that stands for a
// sub-skin (the control is a plain container holding that skin's tree).
struct ControlClass {
  const char* name;
  QWidget* (*create)(QWidget* parent) = nullptr;
  // For a sub-skin name: the skin file, as it is named under the skin folder.
  const char* subSkin = nullptr;
};

template <typename T>
QWidget* MakeControl(QWidget* parent) {
  return new T(parent);
}

// Registers each class with the control factory.
void RegistControls(std::span<const ControlClass> classes);

}  // namespace nimbel
