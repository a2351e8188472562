#include "devices/dpi_edit_ui.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

#include "ui/control_factory.h"
#include "ui/notify_pump.h"

namespace nimbel {

CDPIEditUI::CDPIEditUI(QWidget* parent) : QLineEdit(parent) {
  // Empty stays acceptable while typing, so that Enter still reaches the window, which gives the value
  // back; separators and signs never get in ("1,600" would otherwise read as 1).
  static const QRegularExpression digits(QStringLiteral("[0-9]*"));
  setValidator(new QRegularExpressionValidator(digits, this));
  // setText clears the modified flag and typing sets it: only the page's texts are kept.
  connect(this, &QLineEdit::textChanged, this, [this](const QString& text) {
    if (!isModified()) shownText_ = text;
  });
}

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
  CNotifyPump::SendNotify(this, notify::kClick);
}

void CDPIEditUI::keyPressEvent(QKeyEvent* event) {
  if (event->key() != Qt::Key_Escape) {
    QLineEdit::keyPressEvent(event);
    return;
  }
  setText(shownText_);
  selectAll();
  event->accept();
}

}  // namespace nimbel
