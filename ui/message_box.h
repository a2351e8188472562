#pragma once

#include <QString>
#include <memory>

class QDialog;
class QWidget;

namespace nimbel {

class IDialogBuilderCallback;

// The buttons of a message box. kCancelByDefault: confirm and cancel, with cancel taking Return, for a
// question whose yes cannot be undone.
enum class MessageBoxButtons { kConfirm = 0, kConfirmCancel = 1, kCancelByDefault = 2 };

// A skin file as a modal dialog owned by `parent`: a skin whose root is a QDialog is used as it is,
// any other root is placed in a plain dialog. nullptr when the skin cannot be built.
std::unique_ptr<QDialog> LoadSkinDialog(const QString& skinName, QWidget* parent,
                                        IDialogBuilderCallback* callback = nullptr);

// The skin's own message box (XML/msg.ui): `title` in "MessageTitle" (left as the skin has it when
// empty), the text of language id `textId` in "MessageText" (word-wrapped when `multiline`), sized for
// `dpi` (48, 72, 96, 120, 144, 168 or 192; anything else counts as 96). Returns 1 when "confirm_btn" closed
// it, 0 for "cancel_btn", "closebtn", Escape, or a skin that cannot be built.
int ShowMessageBox(QWidget* parent, const QString& title, const QString& textId, int dpi, bool multiline,
                   MessageBoxButtons buttons);

}  // namespace nimbel
