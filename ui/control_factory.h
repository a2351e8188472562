#pragma once

#include <QHash>
#include <QString>
#include <functional>

class QWidget;

namespace nimbel {

// The process-wide table of the program's control classes by full class name (`CDeviceOptionUI`, ...).
// A skin that declares such a class gets the program's object instead of the Qt base class. Filled once
// at start-up and used on the UI thread only, like every widget.
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

}  // namespace nimbel
