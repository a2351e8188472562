#include "devices/dpi_edit_ui.h"

#include <QMouseEvent>

#include "ui/control_factory.h"
#include "ui/notify_pump.h"

namespace nimbel {

void CDPIEditUI::Register() {
  CControlFactory& factory = CControlFactory::Instance();
  const QString name = QLatin1String(kClassName);
  if (!factory.IsRegistered(name)) {
    factory.RegistControl(name, [](QWidget* parent) { return new CDPIEditUI(parent); });
  }
}

void CDPIEditUI::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QLineEdit::mousePressEvent(event);
    return;
  }
  setFocus(Qt::MouseFocusReason);
  selectAll();
  event->accept();
  CNotifyPump::SendNotify(this, QLatin1String(notify::kClick));
}

}  // namespace nimbel
