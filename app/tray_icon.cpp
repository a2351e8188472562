#include "app/tray_icon.h"

#include <QAction>
#include <QCursor>
#include <QIcon>
#include <QMenu>
#include <QStringList>
#include <QSystemTrayIcon>
#include <algorithm>
#include <iterator>

#include "ui/resource_manager.h"
#include "ui/skin_folder.h"
#include "ui/skin_loader.h"

namespace nimbel {
namespace {

constexpr const char* kWiredTextId = "tray_wired_text";

// "%1: %2 %" and its kin: the device's name, then its battery percent.
const char* BatteryTextId(ChargeState charge) {
  switch (charge) {
    case ChargeState::kCharging:
      return "tray_charging_text";
    case ChargeState::kCharged:
      return "tray_charged_text";
    case ChargeState::kOnBattery:
      break;
  }
  return "tray_battery_text";
}

QString DeviceLine(const TrayDevice& device) {
  if (!device.power) return device.name;
  const CResourceManager& resources = CResourceManager::Instance();
  // On its cable the device runs on the computer's power, so its battery says little.
  if (!device.power->wireless) return resources.Text(QString::fromLatin1(kWiredTextId)).arg(device.name);
  return resources.Text(QString::fromLatin1(BatteryTextId(device.power->charge)))
      .arg(device.name, QString::number(device.power->percent));
}

}  // namespace

TrayIcon::TrayIcon(Hooks hooks, QMenu* extraMenu) : hooks_(std::move(hooks)) {
  QWidget* skin = LoadSkin(QString::fromLatin1(kMenuSkinFile), nullptr);
  menu_.reset(qobject_cast<QMenu*>(skin));
  if (menu_ == nullptr) {
    delete skin;
    menu_ = std::make_unique<QMenu>();
  }
  for (QAction* action : menu_->actions()) {
    const QString name = action->objectName();
    if (name.isEmpty() || action->isSeparator()) continue;
    // An item comes with its feature; until then it is not offered at all.
    action->setVisible(hooks_.hasCommand && hooks_.hasCommand(name));
    connect(action, &QAction::triggered, this, [this, name] {
      if (hooks_.menuCommand) hooks_.menuCommand(name);
    });
  }
  if (extraMenu != nullptr) {
    QAction* first = menu_->actions().value(0);
    menu_->insertMenu(first, extraMenu);
    menu_->insertSeparator(first);
  }
  icon_ =
      std::make_unique<QSystemTrayIcon>(QIcon(SkinFolder() + QLatin1Char('/') + QLatin1String(kIconFile)));
  Retranslate();
  connect(icon_.get(), &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::Trigger && hooks_.toggleWindow) hooks_.toggleWindow();
    if (reason == QSystemTrayIcon::Context && hooks_.contextRequested) hooks_.contextRequested();
  });
  icon_->show();
}

TrayIcon::~TrayIcon() = default;

bool TrayIcon::IsAvailable() {
  return QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayIcon::PopupMenu() {
  menu_->popup(QCursor::pos());
}

void TrayIcon::Retranslate() {
  const CResourceManager& resources = CResourceManager::Instance();
  for (QAction* action : menu_->actions()) {
    const QString id = action->property(CResourceManager::kTextIdProperty).toString();
    if (!id.isEmpty()) action->setText(resources.Text(id));
  }
  ShowToolTip();
}

void TrayIcon::ShowDevices(std::vector<TrayDevice> devices) {
  devices_ = std::move(devices);
  ShowToolTip();
}

QString TrayIcon::ToolTip() const {
  return icon_->toolTip();
}

void TrayIcon::ShowToolTip() {
  QStringList lines{QString::fromLatin1(kToolTip)};
  std::transform(devices_.begin(), devices_.end(), std::back_inserter(lines), DeviceLine);
  icon_->setToolTip(lines.join(QLatin1Char('\n')));
}

}  // namespace nimbel
