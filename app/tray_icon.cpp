#include "app/tray_icon.h"

#include <QAction>
#include <QCursor>
#include <QIcon>
#include <QMenu>
#include <QSystemTrayIcon>

#include "ui/resource_manager.h"
#include "ui/skin_folder.h"
#include "ui/skin_loader.h"

namespace nimbel {

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
  RetranslateMenu();

  icon_ =
      std::make_unique<QSystemTrayIcon>(QIcon(SkinFolder() + QLatin1Char('/') + QLatin1String(kIconFile)));
  icon_->setToolTip(QString::fromLatin1(kToolTip));
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

void TrayIcon::RetranslateMenu() {
  const CResourceManager& resources = CResourceManager::Instance();
  for (QAction* action : menu_->actions()) {
    const QString id = action->property(CResourceManager::kTextIdProperty).toString();
    if (!id.isEmpty()) action->setText(resources.Text(id));
  }
}

}  // namespace nimbel
