#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QWidget>
#include <cstdint>

namespace nimbel {

// What a notification says happened. Inside the program a type travels as this value; its name
// ("click", "selectchanged", ...) is what the trace prints.
enum class NotifyType {
  kWindowInit,
  kWindowSize,
  kClick,
  kSelectChanged,
  kValueChanged,
  kMoveValueChanged,
  kItemSelect,
  kItemClick,
  kItemActivate,
  kTextChanged,
  kKillFocus,
  kSetFocus,
  kTimer,
  // The colour palette's colour as the user settles on it (button released, key let go).
  kColorChanged,
  // The colour palette's colour while the user is still dragging or holding a key.
  kMoveColorChanged,
};

// The short names the routing tables and controls use: notify::kClick, ...
namespace notify {
using enum NotifyType;
}  // namespace notify

// The type's name as the trace prints it.
const char* NotifyTypeName(NotifyType type);

// One notification: what happened, to which control. The sender may be gone by the time a later
// receiver looks at it, hence the guarded pointer; its name is kept by value.
struct TNotifyUI {
  NotifyType sType = NotifyType::kClick;
  QString senderName;
  QPointer<QWidget> pSender;
  std::intptr_t wParam = 0;
  std::intptr_t lParam = 0;
};

class INotifyUI {
 public:
  virtual ~INotifyUI() = default;
  virtual void Notify(TNotifyUI& msg) = 0;
};

// Turns the Qt signals of the controls in a widget tree into notifications for one receiver:
//   buttons            clicked -> "click"; checkable ones also toggled -> "selectchanged" (wParam = checked)
//   sliders            dragged -> "movevaluechanged"; released, or moved by keyboard, wheel or program ->
//                      "valuechanged" (wParam = value)
//   combo boxes        an item chosen by the user (activated) -> "itemselect" (wParam = index); a program
//                      that sets the index sends nothing; an editable combo's typing -> "textchanged"
//   line edits         typing -> "textchanged"; focus in -> "setfocus"; focus out or Return ->
//                      "killfocus" (once: a focus-out right after Return with the same text is not repeated)
//   item views         activated -> "itemactivate", clicked -> "itemclick" (wParam = row)
// Controls added to the tree later are attached as the event loop reaches them (or at once by Attach).
// Parts inside composite Qt widgets (a combo's popup list, a spin box's edit) are not controls of their own.
class CNotifyPump : public QObject {
 public:
  explicit CNotifyPump(INotifyUI* receiver, QObject* parent = nullptr);
  ~CNotifyPump() override;
  CNotifyPump(const CNotifyPump&) = delete;
  CNotifyPump& operator=(const CNotifyPump&) = delete;

  // Attaches the tree under `root` (root included) and watches it for new children.
  void Attach(QWidget* root);

  // Sends a notification of `sender` to every pump whose tree holds it (custom controls use this for
  // their own types, control timers for "timer"). Nothing is sent under a ScopedNotifyBlocker.
  static void SendNotify(QWidget* sender, NotifyType type, std::intptr_t wParam = 0,
                         std::intptr_t lParam = 0);

  // Whether a pump's tree holds the widget.
  static bool IsPumped(const QWidget* widget);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void AttachTree(QWidget* root);
  void AttachWidget(QWidget* widget);
  void ConnectSignals(QWidget* widget);
  bool HoldsWidget(const QWidget* widget) const;
  void Deliver(QWidget* sender, NotifyType type, std::intptr_t wParam, std::intptr_t lParam);

  INotifyUI* receiver_;
  QList<QPointer<QWidget>> roots_;
  QSet<QObject*> attached_;
  QHash<QObject*, QString> committedOnReturn_;
};

// Silences every notification for as long as it lives, so a page refresh that sets slider values and
// check states does not come back as user edits. UI thread only; nestable. Do not run a modal window
// under it: the user's actions in it would be silenced too.
class ScopedNotifyBlocker {
 public:
  ScopedNotifyBlocker();
  ~ScopedNotifyBlocker();
  ScopedNotifyBlocker(const ScopedNotifyBlocker&) = delete;
  ScopedNotifyBlocker& operator=(const ScopedNotifyBlocker&) = delete;

  static bool Active();
};

}  // namespace nimbel
