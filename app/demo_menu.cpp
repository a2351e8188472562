#include "app/demo_menu.h"

#include <QAction>

#include "app/demo_devices.h"
#include "ui/resource_manager.h"

namespace nimbel {
namespace {

// Properties that tie an action to what it switches.
constexpr const char* kProductProperty = "demoProduct";
constexpr const char* kLinkProperty = "demoLink";
// Actions that reach the mouse are enabled only while it can be reached.
constexpr const char* kButtonProperty = "demoButton";
constexpr const char* kFactoryMemoryProperty = "demoFactoryMemory";
constexpr const char* kFactoryMemoryTextId = "demo_factory_memory_text";

struct MouseButton {
  const char* label;
  void (*press)(DemoDevices& devices, DemoProduct product);
};
constexpr MouseButton kMouseButtons[] = {
    {"%1: press the profile button (next onboard slot)",
     [](DemoDevices& devices, DemoProduct product) { devices.PressSlotButton(product); }},
    {"%1: press the DPI button (next stage)",
     [](DemoDevices& devices, DemoProduct product) { devices.PressDpiButton(product); }},
};

}  // namespace

DemoMenu::DemoMenu(DemoDevices& devices, QWidget* parent)
    : QMenu(QString::fromLatin1(kTitle), parent), devices_(devices) {
  for (const DemoProductInfo& info : kDemoProducts) {
    const DemoProduct product = info.product;
    if (!actions().isEmpty()) addSeparator();
    QAction* plug = addAction(QStringLiteral("%1 plugged in").arg(QLatin1String(info.label)));
    plug->setCheckable(true);
    plug->setProperty(kProductProperty, static_cast<int>(product));
    connect(plug, &QAction::toggled, this, [this, product](bool on) {
      if (on) {
        devices_.Plug(product);
      } else {
        devices_.Unplug(product);
      }
      Refresh();
    });
    for (const MouseButton& button : kMouseButtons) {
      QAction* action = addAction(QString::fromLatin1(button.label).arg(QLatin1String(info.label)));
      action->setProperty(kProductProperty, static_cast<int>(product));
      action->setProperty(kButtonProperty, true);
      connect(action, &QAction::triggered, this,
              [this, product, press = button.press] { press(devices_, product); });
    }
    QAction* factory = addAction(QString());
    factory->setProperty(kProductProperty, static_cast<int>(product));
    factory->setProperty(kButtonProperty, true);
    factory->setProperty(kFactoryMemoryProperty, true);
    connect(factory, &QAction::triggered, this, [this, product] {
      devices_.RestoreFactoryMemory(product);
      Refresh();
    });
    if (!info.wireless) continue;
    QAction* link = addAction(QStringLiteral("%1: wireless link on").arg(QLatin1String(info.label)));
    link->setCheckable(true);
    link->setProperty(kProductProperty, static_cast<int>(product));
    link->setProperty(kLinkProperty, true);
    connect(link, &QAction::toggled, this, [this, product](bool on) { devices_.SetLinked(product, on); });
  }
  connect(this, &QMenu::aboutToShow, this, &DemoMenu::Refresh);
  Refresh();
}

void DemoMenu::Refresh() {
  for (QAction* action : actions()) {
    if (action->isSeparator()) continue;
    const auto product = static_cast<DemoProduct>(action->property(kProductProperty).toInt());
    const QSignalBlocker quiet(action);
    // Texted at each opening, so it follows the language.
    if (action->property(kFactoryMemoryProperty).toBool()) {
      action->setText(CResourceManager::Instance()
                          .Text(QString::fromLatin1(kFactoryMemoryTextId))
                          .arg(QLatin1String(DemoProductInfoOf(product).label)));
    }
    if (action->property(kButtonProperty).toBool()) {
      action->setEnabled(devices_.IsReachable(product));
    } else if (action->property(kLinkProperty).toBool()) {
      action->setChecked(devices_.IsLinked(product));
      // A receiver has a link to switch only while it is plugged.
      action->setEnabled(devices_.IsPlugged(product));
    } else {
      action->setChecked(devices_.IsPlugged(product));
    }
  }
}

}  // namespace nimbel
