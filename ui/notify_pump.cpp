#include "ui/notify_pump.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QChildEvent>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QTimer>

namespace nimbel {
namespace {

int blockerDepth = 0;

QList<CNotifyPump*>& AllPumps() {
  static QList<CNotifyPump*> pumps;
  return pumps;
}

// Qt's composite widgets are made of widgets too; those parts are not the program's controls.
bool IsInternalPart(const QWidget* widget) {
  for (const QWidget* ancestor = widget->parentWidget(); ancestor != nullptr;
       ancestor = ancestor->parentWidget()) {
    if (qobject_cast<const QComboBox*>(ancestor) || qobject_cast<const QAbstractSpinBox*>(ancestor))
      return true;
  }
  const QWidget* parent = widget->parentWidget();
  return qobject_cast<const QScrollBar*>(widget) != nullptr && parent != nullptr &&
         parent->objectName().startsWith(QLatin1String("qt_scrollarea_"));
}

struct TypeName {
  NotifyType type;
  const char* name;
};
constexpr TypeName kTypeNames[] = {
    {NotifyType::kWindowInit, "windowinit"},
    {NotifyType::kWindowSize, "windowsize"},
    {NotifyType::kClick, "click"},
    {NotifyType::kSelectChanged, "selectchanged"},
    {NotifyType::kValueChanged, "valuechanged"},
    {NotifyType::kMoveValueChanged, "movevaluechanged"},
    {NotifyType::kItemSelect, "itemselect"},
    {NotifyType::kItemClick, "itemclick"},
    {NotifyType::kItemActivate, "itemactivate"},
    {NotifyType::kTextChanged, "textchanged"},
    {NotifyType::kKillFocus, "killfocus"},
    {NotifyType::kSetFocus, "setfocus"},
    {NotifyType::kTimer, "timer"},
    {NotifyType::kColorChanged, "colorchanged"},
    {NotifyType::kMoveColorChanged, "movecolorchanged"},
};

}  // namespace

const char* NotifyTypeName(NotifyType type) {
  for (const TypeName& entry : kTypeNames) {
    if (entry.type == type) return entry.name;
  }
  return "";
}

CNotifyPump::CNotifyPump(INotifyUI* receiver, QObject* parent) : QObject(parent), receiver_(receiver) {
  AllPumps().append(this);
}

CNotifyPump::~CNotifyPump() {
  AllPumps().removeAll(this);
}

void CNotifyPump::Attach(QWidget* root) {
  if (root == nullptr) return;
  roots_.removeAll(nullptr);
  if (!roots_.contains(root)) roots_.append(root);
  AttachTree(root);
}

void CNotifyPump::AttachTree(QWidget* root) {
  AttachWidget(root);
  for (QWidget* child : root->findChildren<QWidget*>()) AttachWidget(child);
}

void CNotifyPump::AttachWidget(QWidget* widget) {
  if (attached_.contains(widget)) return;
  attached_.insert(widget);
  connect(widget, &QObject::destroyed, this, [this](QObject* gone) {
    attached_.remove(gone);
    committedOnReturn_.remove(gone);
  });
  widget->installEventFilter(this);
  if (!IsInternalPart(widget)) ConnectSignals(widget);
}

void CNotifyPump::ConnectSignals(QWidget* widget) {
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    connect(button, &QAbstractButton::clicked, this,
            [this, button] { Deliver(button, notify::kClick, 0, 0); });
    connect(button, &QAbstractButton::toggled, this,
            [this, button](bool checked) { Deliver(button, notify::kSelectChanged, checked ? 1 : 0, 0); });
  } else if (auto* slider = qobject_cast<QAbstractSlider*>(widget)) {
    connect(slider, &QAbstractSlider::valueChanged, this, [this, slider](int value) {
      Deliver(slider, slider->isSliderDown() ? notify::kMoveValueChanged : notify::kValueChanged, value, 0);
    });
    connect(slider, &QAbstractSlider::sliderReleased, this,
            [this, slider] { Deliver(slider, notify::kValueChanged, slider->value(), 0); });
  } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
    connect(combo, &QComboBox::activated, this,
            [this, combo](int index) { Deliver(combo, notify::kItemSelect, index, 0); });
    if (QLineEdit* edit = combo->lineEdit()) {
      connect(edit, &QLineEdit::textEdited, this,
              [this, combo] { Deliver(combo, notify::kTextChanged, 0, 0); });
    }
  } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
    connect(edit, &QLineEdit::textEdited, this, [this, edit] {
      committedOnReturn_.remove(edit);
      Deliver(edit, notify::kTextChanged, 0, 0);
    });
    connect(edit, &QLineEdit::returnPressed, this, [this, edit] {
      committedOnReturn_.insert(edit, edit->text());
      Deliver(edit, notify::kKillFocus, 0, 0);
    });
  } else if (auto* view = qobject_cast<QAbstractItemView*>(widget)) {
    connect(view, &QAbstractItemView::activated, this,
            [this, view](const QModelIndex& index) { Deliver(view, notify::kItemActivate, index.row(), 0); });
    connect(view, &QAbstractItemView::clicked, this,
            [this, view](const QModelIndex& index) { Deliver(view, notify::kItemClick, index.row(), 0); });
  }
}

bool CNotifyPump::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::ChildAdded: {
      // The child is not fully built yet when this arrives; attach it once the event loop gets there.
      QPointer<QObject> child = static_cast<QChildEvent*>(event)->child();
      QTimer::singleShot(0, this, [this, child] {
        auto* widget = qobject_cast<QWidget*>(child.data());
        if (widget != nullptr && HoldsWidget(widget)) AttachTree(widget);
      });
      break;
    }
    case QEvent::FocusIn:
      if (auto* edit = qobject_cast<QLineEdit*>(watched); edit != nullptr && !IsInternalPart(edit)) {
        committedOnReturn_.remove(edit);
        Deliver(edit, notify::kSetFocus, 0, 0);
      }
      break;
    case QEvent::FocusOut:
      if (auto* edit = qobject_cast<QLineEdit*>(watched); edit != nullptr && !IsInternalPart(edit)) {
        const auto committed = committedOnReturn_.constFind(edit);
        const bool repeat = committed != committedOnReturn_.constEnd() && *committed == edit->text();
        committedOnReturn_.remove(edit);
        if (!repeat) Deliver(edit, notify::kKillFocus, 0, 0);
      }
      break;
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}

bool CNotifyPump::HoldsWidget(const QWidget* widget) const {
  for (const QWidget* node = widget; node != nullptr; node = node->parentWidget()) {
    for (const QPointer<QWidget>& root : roots_) {
      if (root == node) return true;
    }
  }
  return false;
}

void CNotifyPump::Deliver(QWidget* sender, NotifyType type, std::intptr_t wParam, std::intptr_t lParam) {
  if (ScopedNotifyBlocker::Active() || receiver_ == nullptr) return;
  TNotifyUI msg{type, sender->objectName(), sender, wParam, lParam};
  receiver_->Notify(msg);
}

void CNotifyPump::SendNotify(QWidget* sender, NotifyType type, std::intptr_t wParam, std::intptr_t lParam) {
  if (sender == nullptr) return;
  QList<QPointer<CNotifyPump>> pumps;
  for (CNotifyPump* pump : AllPumps()) {
    if (pump->HoldsWidget(sender)) pumps.append(pump);
  }
  QPointer<QWidget> guard(sender);
  for (const QPointer<CNotifyPump>& pump : pumps) {
    if (pump == nullptr || guard == nullptr) continue;
    pump->Deliver(sender, type, wParam, lParam);
  }
}

bool CNotifyPump::IsPumped(const QWidget* widget) {
  for (const CNotifyPump* pump : AllPumps()) {
    if (pump->HoldsWidget(widget)) return true;
  }
  return false;
}

ScopedNotifyBlocker::ScopedNotifyBlocker() {
  ++blockerDepth;
}
ScopedNotifyBlocker::~ScopedNotifyBlocker() {
  --blockerDepth;
}
bool ScopedNotifyBlocker::Active() {
  return blockerDepth > 0;
}

}  // namespace nimbel
