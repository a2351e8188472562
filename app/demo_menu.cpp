#include "app/demo_menu.h"

#include <QAction>
#include <algorithm>

#include "app/demo_devices.h"
#include "devices/mouse_keys_page.h"
#include "ui/resource_manager.h"

namespace nimbel {
namespace {

// Properties that tie an action to what it switches.
constexpr const char* kProductProperty = "demoProduct";
constexpr const char* kLinkProperty = "demoLink";
// Actions that reach the mouse are enabled only while it can be reached.
constexpr const char* kButtonProperty = "demoButton";
// The language text of an action, with %1 for its product's name.
constexpr const char* kTextIdProperty = "demoTextId";

constexpr const char* kTitleTextId = "demo_menu_text";
constexpr const char* kPluggedTextId = "demo_plugged_text";
constexpr const char* kLinkTextId = "demo_link_text";
constexpr const char* kFactoryMemoryTextId = "demo_factory_memory_text";
constexpr const char* kPressButtonTextId = "demo_press_button_text";
// "%1 sends %2": a button by its factory function, then what its key table makes it send now.
constexpr const char* kButtonSendsTextId = "demo_button_sends_text";
// "%1 plays %2 actions": a button bound to a macro the mouse holds.
constexpr const char* kButtonPlaysTextId = "demo_button_plays_text";
constexpr const char* kBatteryTextId = "demo_battery_text";
// "%1%, charging": a level while the mouse charges.
constexpr const char* kBatteryChargingTextId = "demo_battery_charging_text";
// Full, half, just below the low mark, nearly empty.
constexpr std::uint8_t kBatteryLevels[] = {100, 50, 14, 5};

struct MouseButton {
  const char* textId;
  void (*press)(DemoDevices& devices, DemoProduct product);
};
constexpr MouseButton kMouseButtons[] = {
    {"demo_profile_button_text",
     [](DemoDevices& devices, DemoProduct product) { devices.PressSlotButton(product); }},
    {"demo_dpi_button_text",
     [](DemoDevices& devices, DemoProduct product) { devices.PressDpiButton(product); }},
};

// "mouse2-receiver" is named by "demo_mouse2_receiver_text".
QString ProductTextId(const DemoProductInfo& info) {
  return QStringLiteral("demo_%1_text")
      .arg(QString::fromLatin1(info.name).replace(QLatin1Char('-'), QLatin1Char('_')));
}

QAction* AddProductAction(QMenu& menu, const char* textId, DemoProduct product) {
  QAction* action = menu.addAction(QString());
  action->setProperty(kTextIdProperty, QString::fromLatin1(textId));
  action->setProperty(kProductProperty, static_cast<int>(product));
  return action;
}

// A submenu of actions that reach the mouse, so it is enabled only while the mouse can be reached.
QMenu* AddMouseSubmenu(QMenu& menu, const char* textId, DemoProduct product) {
  auto* submenu = new QMenu(&menu);
  QAction* entry = submenu->menuAction();
  entry->setProperty(kTextIdProperty, QString::fromLatin1(textId));
  entry->setProperty(kProductProperty, static_cast<int>(product));
  entry->setProperty(kButtonProperty, true);
  menu.addAction(entry);
  return submenu;
}

}  // namespace

DemoMenu::DemoMenu(DemoDevices& devices, QWidget* parent) : QMenu(parent), devices_(devices) {
  for (const DemoProductInfo& info : kDemoProducts) {
    const DemoProduct product = info.product;
    if (!actions().isEmpty()) addSeparator();
    QAction* plug = AddProductAction(*this, kPluggedTextId, product);
    plug->setCheckable(true);
    connect(plug, &QAction::toggled, this, [this, product](bool on) {
      if (on) {
        devices_.Plug(product);
      } else {
        devices_.Unplug(product);
      }
      Refresh();
    });
    for (const MouseButton& button : kMouseButtons) {
      QAction* action = AddProductAction(*this, button.textId, product);
      action->setProperty(kButtonProperty, true);
      connect(action, &QAction::triggered, this,
              [this, product, press = button.press] { press(devices_, product); });
    }
    AddPressButtonMenu(product);
    if (info.wireless) AddBatteryMenu(product);
    QAction* factory = AddProductAction(*this, kFactoryMemoryTextId, product);
    factory->setProperty(kButtonProperty, true);
    connect(factory, &QAction::triggered, this, [this, product] {
      devices_.RestoreFactoryMemory(product);
      Refresh();
    });
    if (!info.wireless) continue;
    QAction* link = AddProductAction(*this, kLinkTextId, product);
    link->setCheckable(true);
    link->setProperty(kLinkProperty, true);
    connect(link, &QAction::toggled, this, [this, product](bool on) { devices_.SetLinked(product, on); });
  }
  connect(this, &QMenu::aboutToShow, this, &DemoMenu::Refresh);
  Refresh();
  Retranslate();
}

void DemoMenu::AddPressButtonMenu(DemoProduct product) {
  QMenu* buttons = AddMouseSubmenu(*this, kPressButtonTextId, product);
  // The buttons are the mouse's own: their number, names and functions come from it when the menu opens.
  connect(buttons, &QMenu::aboutToShow, this, [this, buttons, product] {
    buttons->clear();
    const std::vector<AssignmentCode> factory = devices_.FactoryButtons(product);
    const std::vector<AssignmentCode> current = devices_.CurrentButtons(product);
    const CResourceManager& texts = CResourceManager::Instance();
    for (std::size_t button = 0; button < factory.size() && button < current.size(); ++button) {
      const QString name = DescribeKeyCode(factory[button], {});
      const std::optional<MacroRecord> macro = devices_.MacroOfButton(product, button);
      QAction* press = buttons->addAction(
          macro ? texts.Text(QString::fromLatin1(kButtonPlaysTextId)).arg(name).arg(macro->size())
                : texts.Text(QString::fromLatin1(kButtonSendsTextId))
                      .arg(name, DescribeKeyCode(current[button], {})));
      connect(press, &QAction::triggered, this,
              [this, product, button] { devices_.PressMouseButton(product, button); });
    }
  });
}

void DemoMenu::AddBatteryMenu(DemoProduct product) {
  QMenu* levels = AddMouseSubmenu(*this, kBatteryTextId, product);
  // The texts are composed as the menu opens, in the language then in use.
  connect(levels, &QMenu::aboutToShow, this, [this, levels, product] {
    levels->clear();
    const QString chargingText =
        CResourceManager::Instance().Text(QString::fromLatin1(kBatteryChargingTextId));
    for (const bool charging : {false, true}) {
      for (const std::uint8_t percent : kBatteryLevels) {
        const QString level = QString::number(percent);
        QAction* set = levels->addAction(charging ? chargingText.arg(level) : level + QLatin1Char('%'));
        connect(set, &QAction::triggered, this,
                [this, product, percent, charging] { devices_.SetBattery(product, percent, charging); });
      }
    }
  });
}

void DemoMenu::Retranslate() {
  const CResourceManager& resources = CResourceManager::Instance();
  setTitle(resources.Text(QString::fromLatin1(kTitleTextId)));
  for (QAction* action : actions()) {
    const QString textId = action->property(kTextIdProperty).toString();
    if (textId.isEmpty()) continue;
    const auto product = static_cast<DemoProduct>(action->property(kProductProperty).toInt());
    const auto info =
        std::find_if(kDemoProducts.begin(), kDemoProducts.end(),
                     [product](const DemoProductInfo& entry) { return entry.product == product; });
    if (info != kDemoProducts.end())
      action->setText(resources.Text(textId).arg(resources.Text(ProductTextId(*info))));
  }
}

void DemoMenu::Refresh() {
  for (QAction* action : actions()) {
    if (action->isSeparator()) continue;
    const auto product = static_cast<DemoProduct>(action->property(kProductProperty).toInt());
    const QSignalBlocker quiet(action);
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
