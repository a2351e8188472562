#include "editors/shoot_control_ui.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QStackedWidget>
#include <algorithm>

#include "devices/mouse_device.h"
#include "editors/shoot_path_view.h"
#include "profiles/text.h"
#include "ui/find_control.h"
#include "ui/resource_manager.h"

namespace nimbel {
namespace {

using namespace shoot_control;

constexpr const char* kFileFilter = "Shoot Files(*.shoot)";
constexpr const char* kFileExtension = ".shoot";
constexpr const char* kImportTitle = "shoot_import_title_text";
constexpr const char* kExportTitle = "shoot_export_title_text";
constexpr const char* kNotAPattern = "shoot_not_a_pattern_text";
constexpr const char* kUnreadable = "shoot_file_unreadable_text";
constexpr const char* kNotSaved = "shoot_file_not_written_text";
constexpr const char* kNotSent = "shoot_not_written_text";
constexpr std::array<const char*, kShootPatternCount> kPatternNames{"gun_1_txt", "gun_2_txt", "gun_3_txt",
                                                                    "gun_4_txt"};
constexpr int kDistanceDigits = 3;
constexpr int kDelayDigits = 5;

// The leading digits of a text, held to what the mouse stores; none read as 0.
int LeadingNumber(const QString& text, int limit) {
  qsizetype digits = 0;
  while (digits < text.size() && text[digits].isDigit()) ++digits;
  // More digits than the limit has are above it whatever they say.
  if (digits > QString::number(limit).size()) return limit;
  return std::min(text.left(digits).toInt(), limit);
}

void LimitDigits(QLineEdit* edit, int digits) {
  if (edit == nullptr) return;
  edit->setMaxLength(digits);
  edit->setValidator(
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,%1}").arg(digits)), edit));
}

}  // namespace

ShootDialogs DesktopShootDialogs() {
  return DesktopFileDialogs(kFileFilter, kImportTitle, kExportTitle);
}

QStringList ShootPatternNameIds() {
  QStringList names;
  for (const char* id : kPatternNames) names.append(QLatin1String(id));
  return names;
}

CShootControlUI::CShootControlUI(CVelquorMouseDevice& mouse, ShootDialogs dialogs)
    : mouse_(mouse), dialogs_(std::move(dialogs)) {}

QWidget* CShootControlUI::Panel() const {
  return FindControl<QWidget>(mouse_.Page(), QLatin1String(kPanel));
}

void CShootControlUI::BindControls() {
  QWidget* panel = Panel();
  bound_ = panel != nullptr;
  if (!bound_) return;
  LimitDigits(FindControl<QLineEdit>(panel, QLatin1String(kHorizontalEdit)), kDistanceDigits);
  LimitDigits(FindControl<QLineEdit>(panel, QLatin1String(kVerticalEdit)), kDistanceDigits);
  LimitDigits(FindControl<QLineEdit>(panel, QLatin1String(kDelayEdit)), kDelayDigits);
  mouse_.ShootPatterns().RestoreUnreadablePatterns();
  SelectPattern(0);
  SelectBullet(0);
}

void CShootControlUI::SelectPattern(int pattern) {
  if (!bound_) return;
  SavePendingEdit();
  pattern_ = std::clamp(pattern, 0, kShootPatternCount - 1);
  const ScopedNotifyBlocker quiet;
  for (int i = 0; i < kShootPatternCount; ++i) {
    if (auto* option = FindControl<QAbstractButton>(Panel(), MousePageView::Indexed(kPatternOption, i)))
      option->setChecked(i == pattern_);
  }
  if (auto* pictures = FindControl<QStackedWidget>(Panel(), QLatin1String(kPictureSwitch)))
    pictures->setCurrentIndex(std::min(pattern_, pictures->count() - 1));
}

void CShootControlUI::SelectBullet(int bullet) {
  if (!bound_) return;
  SavePendingEdit();
  bullet_ = std::clamp(bullet, 0, kShootBulletCount - 1);
  {
    const ScopedNotifyBlocker quiet;
    for (int i = 0; i < kShootBulletCount; ++i) {
      if (auto* option = FindControl<QAbstractButton>(Panel(), MousePageView::Indexed(kBulletOption, i)))
        option->setChecked(i == bullet_);
    }
  }
  if (auto* index = FindControl<QLabel>(Panel(), QLatin1String(kBulletIndex)))
    index->setText(QString::number(bullet_ + 1));
  ShowBullet();
}

void CShootControlUI::StepBullet(int step) {
  SelectBullet(bullet_ + step);
}

void CShootControlUI::ShowBullet() {
  if (!bound_) return;
  // One read of the file for the fields and the drawing.
  const std::array<ShootBullet, kShootBulletCount> bullets = mouse_.ShootPatterns().Bullets(pattern_);
  const ShootBullet& bullet = bullets[static_cast<std::size_t>(bullet_)];
  {
    const ScopedNotifyBlocker quiet;
    if (auto* horizontal = FindControl<QAbstractButton>(Panel(), QLatin1String(kHorizontalSwitch)))
      horizontal->setChecked(bullet.left);
    if (auto* vertical = FindControl<QAbstractButton>(Panel(), QLatin1String(kVerticalSwitch)))
      vertical->setChecked(bullet.up);
  }
  UpdateAxisText(Axis::kHorizontal);
  UpdateAxisText(Axis::kVertical);
  const struct {
    const char* name;
    int value;
  } kEdits[] = {
      {kHorizontalEdit, bullet.horizontal}, {kVerticalEdit, bullet.vertical}, {kDelayEdit, bullet.delay}};
  for (const auto& edit : kEdits) {
    if (auto* field = FindControl<QLineEdit>(Panel(), QLatin1String(edit.name)))
      field->setText(QString::number(edit.value));
  }
  editPending_ = false;
  if (auto* view = FindControl<ShootPathView>(Panel(), MousePageView::Indexed(kPathView, pattern_)))
    view->ShowPattern(bullets, bullet_);
}

void CShootControlUI::SaveBullet() {
  if (!bound_) return;
  const auto number = [this](const char* name, int limit) {
    const auto* edit = FindControl<QLineEdit>(Panel(), QLatin1String(name));
    return edit != nullptr ? LeadingNumber(edit->text(), limit) : 0;
  };
  const auto checked = [this](const char* name) {
    const auto* button = FindControl<QAbstractButton>(Panel(), QLatin1String(name));
    return button != nullptr && button->isChecked();
  };
  const ShootBullet bullet{.horizontal = number(kHorizontalEdit, kMaxShootDistance),
                           .left = checked(kHorizontalSwitch),
                           .vertical = number(kVerticalEdit, kMaxShootDistance),
                           .up = checked(kVerticalSwitch),
                           .delay = number(kDelayEdit, kMaxShootDelay)};
  editPending_ = false;
  if (!mouse_.ShootPatterns().SaveBullet(pattern_, bullet_, bullet)) ShowMessage(kNotSaved);
  // The edits show what was stored: a value beyond the mouse's limit as that limit.
  ShowBullet();
}

void CShootControlUI::SavePendingEdit() {
  if (editPending_) SaveBullet();
}

void CShootControlUI::UpdateAxisText(Axis axis) {
  const bool horizontal = axis == Axis::kHorizontal;
  auto* button =
      FindControl<QAbstractButton>(Panel(), QLatin1String(horizontal ? kHorizontalSwitch : kVerticalSwitch));
  if (button == nullptr) return;
  const char* id = nullptr;
  if (horizontal)
    id = button->isChecked() ? "mouse_move_to_left_text" : "mouse_move_to_right_text";
  else
    id = button->isChecked() ? "mouse_move_to_up_text" : "mouse_move_to_down_text";
  CResourceManager::Instance().SetTextId(button, QLatin1String(id));
}

void CShootControlUI::ResetPattern(int pattern) {
  if (!bound_) return;
  SavePendingEdit();
  Report(mouse_.ShootPatterns().Reset(pattern));
  SelectBullet(bullet_);
}

void CShootControlUI::ImportPattern(const QString& path) {
  if (!bound_ || path.isEmpty()) return;
  SavePendingEdit();
  Report(mouse_.ShootPatterns().Import(pattern_, path.toStdString()));
  SelectBullet(bullet_);
}

void CShootControlUI::ExportPattern(const QString& path) {
  if (!bound_ || path.isEmpty()) return;
  SavePendingEdit();
  QString target = path;
  if (!target.endsWith(QLatin1String(kFileExtension), Qt::CaseInsensitive))
    target += QLatin1String(kFileExtension);
  Report(mouse_.ShootPatterns().Export(pattern_, target.toStdString()));
}

void CShootControlUI::WritePatterns() {
  if (!bound_) return;
  SavePendingEdit();
  mouse_.WriteShootPatterns([this](bool written) {
    if (!written) ShowMessage(kNotSent);
  });
}

void CShootControlUI::Report(ShootFileResult result) {
  switch (result) {
    case ShootFileResult::kDone:
      return;
    case ShootFileResult::kSourceUnreadable:
      return ShowMessage(kUnreadable);
    case ShootFileResult::kNotAPattern:
      return ShowMessage(kNotAPattern);
    case ShootFileResult::kWriteFailed:
      return ShowMessage(kNotSaved);
  }
}

void CShootControlUI::ShowMessage(const char* textId) {
  if (dialogs_.showMessage)
    dialogs_.showMessage(mouse_.Page(), {QLatin1String(textId), {}, MessageBoxButtons::kConfirm});
}

bool CShootControlUI::HandleNotification(const TNotifyUI& msg) {
  QWidget* panel = bound_ ? Panel() : nullptr;
  if (panel == nullptr || msg.pSender == nullptr || !panel->isAncestorOf(msg.pSender)) return false;
  const QString& name = msg.senderName;
  const auto is = [&name](const char* wanted) {
    return name.compare(QLatin1String(wanted), Qt::CaseInsensitive) == 0;
  };
  const std::optional<IndexedName> indexed = SplitIndexedName(name.toStdString());
  const auto numberAfter = [&indexed](const char* prefix) {
    return indexed && indexed->prefix == prefix ? indexed->number : -1;
  };
  const bool edit = is(kHorizontalEdit) || is(kVerticalEdit) || is(kDelayEdit);
  if (edit && msg.sType == notify::kTextChanged) {
    editPending_ = true;
    return true;
  }
  if (edit && msg.sType == notify::kKillFocus) {
    SaveBullet();
    return true;
  }
  if (msg.sType == notify::kSelectChanged) {
    if (const int pattern = numberAfter(kPatternOption); pattern >= 0) {
      SelectPattern(pattern);
      ShowBullet();
      return true;
    }
    if (const int bullet = numberAfter(kBulletOption); bullet >= 0) {
      SelectBullet(bullet);
      return true;
    }
    // A direction is an edit of its own: it is kept at once, like a number that was typed.
    if (is(kHorizontalSwitch) || is(kVerticalSwitch)) {
      UpdateAxisText(is(kHorizontalSwitch) ? Axis::kHorizontal : Axis::kVertical);
      SaveBullet();
      return true;
    }
    return false;
  }
  if (msg.sType != notify::kClick) return false;
  if (is(kPreviousBullet) || is(kNextBullet)) {
    StepBullet(is(kPreviousBullet) ? -1 : 1);
  } else if (is(kResetButton)) {
    ResetPattern(pattern_);
  } else if (is(kImportButton)) {
    if (dialogs_.chooseImportFile) ImportPattern(dialogs_.chooseImportFile(mouse_.Page()));
  } else if (is(kExportButton)) {
    const QString suggested =
        QString::fromStdString(ShootPatternFileName(pattern_)).section(QLatin1Char('.'), 0, 0);
    if (dialogs_.chooseExportFile)
      ExportPattern(dialogs_.chooseExportFile(mouse_.Page(), suggested + QLatin1String(kFileExtension)));
  } else if (is(kSaveButton)) {
    WritePatterns();
  } else {
    return false;
  }
  return true;
}

}  // namespace nimbel
