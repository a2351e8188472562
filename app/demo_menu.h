#pragma once

#include <QMenu>

namespace nimbel {

class DemoDevices;
enum class DemoProduct;

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
  // "Press a button": each physical button of the product's mouse, which does what its key table says
  // and tells what it sent.
  void AddPressButtonMenu(DemoProduct product);
  // "Battery": a few levels to set, on battery or charging, so the tray and the low-battery notice can be
  // tried.
  void AddBatteryMenu(DemoProduct product);

  DemoDevices& devices_;
};

}  // namespace nimbel
