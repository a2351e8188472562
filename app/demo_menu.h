#pragma once

#include <QMenu>

namespace nimbel {

class DemoDevices;

// The demo menu: plugs and unplugs each emulated product, switches the wireless link of the receiver
// products, and presses the mouse's own profile and DPI buttons, so hot-plug, the link watch and the
// mouse's slot and stage reports can be tried. Its checks follow the emulator each time it opens.
class DemoMenu final : public QMenu {
 public:
  // `devices` must outlive the menu.
  explicit DemoMenu(DemoDevices& devices, QWidget* parent = nullptr);

  // The texts in the current language.
  void Retranslate();

 private:
  void Refresh();

  DemoDevices& devices_;
};

}  // namespace nimbel
