#pragma once

#include <QString>
#include <QWidget>

namespace nimbel {

// The control named `name` in the tree under `root` (the root included) if it is a T, else nullptr.
// Names are matched exactly; the program's names carry their own capitalisation ("DPI_slider_3").
template <typename T = QWidget>
T* FindControl(QWidget* root, const QString& name) {
  if (root == nullptr || name.isEmpty()) return nullptr;
  if (root->objectName() == name) {
    if (auto* self = qobject_cast<T*>(root)) return self;
  }
  return root->findChild<T*>(name);
}

}  // namespace nimbel
