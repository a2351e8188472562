#include "ui/message_box.h"

#include <QAbstractButton>
#include <QDialog>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <array>

#include "ui/find_control.h"
#include "ui/resource_manager.h"
#include "ui/skin_loader.h"

namespace nimbel {
namespace {

constexpr const char* kMessageSkin = "XML/msg.ui";
constexpr const char* kTitleLabel = "MessageTitle";
constexpr const char* kTextLabel = "MessageText";
constexpr const char* kConfirmButton = "confirm_btn";
constexpr const char* kCancelButton = "cancel_btn";
constexpr const char* kCloseButton = "closebtn";
constexpr int kConfirmed = 1;
constexpr int kNotConfirmed = 0;
constexpr int kBaseDpi = 96;
constexpr std::array<int, 7> kSupportedDpi = {48, 72, 96, 120, 144, 168, 192};

int SupportedDpi(int dpi) {
  return std::find(kSupportedDpi.begin(), kSupportedDpi.end(), dpi) != kSupportedDpi.end() ? dpi : kBaseDpi;
}

void ScaleForDpi(QDialog& dialog, int dpi) {
  if (dpi == kBaseDpi) return;
  const double factor = static_cast<double>(dpi) / kBaseDpi;
  QFont font = dialog.font();
  if (font.pixelSize() > 0) {
    font.setPixelSize(static_cast<int>(font.pixelSize() * factor));
  } else {
    font.setPointSizeF(font.pointSizeF() * factor);
  }
  dialog.setFont(font);
  dialog.resize(dialog.size() * factor);
}

void CloseWith(QDialog& dialog, const char* buttonName, int result) {
  if (auto* button = FindControl<QAbstractButton>(&dialog, QLatin1String(buttonName))) {
    QObject::connect(button, &QAbstractButton::clicked, &dialog, [&dialog, result] { dialog.done(result); });
  }
}

// The button that Return presses and that has the focus when the box opens.
void MakeDefault(QDialog& dialog, const char* defaultName, const char* otherName) {
  if (auto* other = FindControl<QPushButton>(&dialog, QLatin1String(otherName))) {
    other->setAutoDefault(false);
    other->setDefault(false);
  }
  if (auto* button = FindControl<QPushButton>(&dialog, QLatin1String(defaultName))) {
    button->setDefault(true);
    button->setFocus();
  }
}

// The skin's height leaves room for a few lines; a text naming a file path can need more, and a top-level
// window does not grow for a word-wrapped label by itself.
void FitHeightToText(QDialog& dialog) {
  if (QLayout* layout = dialog.layout()) layout->activate();
  if (const int needed = dialog.heightForWidth(dialog.width()); needed > dialog.height())
    dialog.resize(dialog.width(), needed);
}

}  // namespace

std::unique_ptr<QDialog> LoadSkinDialog(const QString& skinName, QWidget* parent,
                                        IDialogBuilderCallback* callback) {
  QWidget* root = LoadSkin(skinName, parent, callback);
  if (root == nullptr) return nullptr;
  if (auto* skinned = qobject_cast<QDialog*>(root)) return std::unique_ptr<QDialog>(skinned);
  auto dialog = std::make_unique<QDialog>(parent);
  auto* layout = new QVBoxLayout(dialog.get());
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(root);
  dialog->setWindowTitle(root->windowTitle());
  return dialog;
}

int ShowMessageBox(QWidget* parent, const QString& title, const QString& textId, int dpi, bool multiline,
                   MessageBoxButtons buttons) {
  std::unique_ptr<QDialog> dialog = LoadSkinDialog(QLatin1String(kMessageSkin), parent);
  if (dialog == nullptr) return kNotConfirmed;
  // The skin draws its own title bar and close button.
  dialog->setWindowFlags(dialog->windowFlags() | Qt::FramelessWindowHint);
  dialog->setWindowModality(Qt::ApplicationModal);

  if (auto* titleLabel = FindControl<QLabel>(dialog.get(), QLatin1String(kTitleLabel));
      titleLabel && !title.isEmpty()) {
    titleLabel->setText(title);
  }
  if (auto* textLabel = FindControl<QLabel>(dialog.get(), QLatin1String(kTextLabel))) {
    CResourceManager::Instance().SetTextId(textLabel, textId);
    textLabel->setWordWrap(multiline);
  }
  if (auto* cancel = FindControl<QWidget>(dialog.get(), QLatin1String(kCancelButton))) {
    cancel->setVisible(buttons != MessageBoxButtons::kConfirm);
  }
  if (buttons == MessageBoxButtons::kCancelByDefault) MakeDefault(*dialog, kCancelButton, kConfirmButton);
  CloseWith(*dialog, kConfirmButton, kConfirmed);
  CloseWith(*dialog, kCancelButton, kNotConfirmed);
  CloseWith(*dialog, kCloseButton, kNotConfirmed);
  ScaleForDpi(*dialog, SupportedDpi(dpi));
  FitHeightToText(*dialog);
  return dialog->exec() == kConfirmed ? kConfirmed : kNotConfirmed;
}

}  // namespace nimbel
