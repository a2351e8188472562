#include "app/demo_menu.h"

#include <QAction>

#include "app/demo_devices.h"

namespace nimbel {
namespace {

// Properties that tie an action to what it switches.
constexpr const char* kProductProperty = "demoProduct";
constexpr const char* kLinkProperty = "demoLink";

}  // namespace

DemoMenu::DemoMenu(DemoDevices& devices, QWidget* parent)
    : QMenu(QString::fromLatin1(kTitle), parent), devices_(devices) {
  for (const DemoProductInfo& info : kDemoProducts) {
    const DemoProduct product = info.product;
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
    const auto product = static_cast<DemoProduct>(action->property(kProductProperty).toInt());
    const QSignalBlocker quiet(action);
    if (action->property(kLinkProperty).toBool()) {
      action->setChecked(devices_.IsLinked(product));
      // A receiver has a link to switch only while it is plugged.
      action->setEnabled(devices_.IsPlugged(product));
    } else {
      action->setChecked(devices_.IsPlugged(product));
    }
  }
}

}  // namespace nimbel
