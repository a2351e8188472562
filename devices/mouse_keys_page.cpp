#include "devices/mouse_keys_page.h"

#include <QAbstractButton>
#include <QLabel>
#include <QStyle>

#include "ui/find_control.h"
#include "ui/resource_manager.h"

namespace nimbel {
namespace {

constexpr const char* kUnknownMacroText = "unknown_macro_text";
constexpr const char* kLogoTitle = "Logo";
constexpr const char* kLightSetText = "Light_Set";
constexpr const char* kOverallLightText = "Overall_Light_Set";
constexpr const char* kJoiner = "+";

QString Indexed(const char* prefix, int index) {
  return QLatin1String(prefix) + QString::number(index);
}

void Restyle(QWidget* widget) {
  widget->style()->unpolish(widget);
  widget->style()->polish(widget);
}

}  // namespace

QString DescribeKeyCode(const AssignmentCode& code, std::span<const QString> macroNames) {
  const CodeDescription description = DescribeCode(code);
  const CResourceManager& texts = CResourceManager::Instance();
  switch (description.kind) {
    case CodeDescription::Kind::kNone:
      return {};
    case CodeDescription::Kind::kMacro:
      return code.p1 < macroNames.size() ? macroNames[code.p1] : texts.Text(QLatin1String(kUnknownMacroText));
    case CodeDescription::Kind::kTextIds:
      break;
  }
  QStringList words;
  for (std::string_view id : description.textIds)
    words.append(texts.Text(QString::fromLatin1(id.data(), static_cast<qsizetype>(id.size()))));
  return words.join(QLatin1String(kJoiner));
}

void MouseKeysView::ShowSlot(int slot, bool hasButton, const QString& description, KeyButtonLook look) {
  using namespace mouse_keys_control;
  if (auto* row = FindControl(page_, Indexed(kKeyInfoRow, slot))) row->setVisible(hasButton);
  if (auto* info = FindControl<QLabel>(page_, Indexed(kKeyInfo, slot))) {
    // The skin gives the label its widest; the whole text stays in the tool tip.
    info->setToolTip(description);
    info->setText(info->fontMetrics().elidedText(description, Qt::ElideRight, info->maximumWidth()));
  }
  auto* button = FindControl<QAbstractButton>(page_, Indexed(kKeyButton, slot));
  if (button == nullptr) return;
  button->setVisible(hasButton);
  button->setToolTip(description);
  button->setChecked(look == KeyButtonLook::kSelected);
  const bool changed = look == KeyButtonLook::kChanged;
  if (button->property(kChangedProperty).toBool() != changed) {
    button->setProperty(kChangedProperty, changed);
    Restyle(button);
  }
}

void MouseKeysView::ShowLightTip(const QString& modeName) {
  auto* logo = FindControl(page_, QLatin1String(mouse_keys_control::kLogo));
  if (logo == nullptr) return;
  const CResourceManager& texts = CResourceManager::Instance();
  logo->setToolTip(
      QStringLiteral("<b>%1</b><br>%2<br>%3%4")
          .arg(QLatin1String(kLogoTitle), texts.Text(QLatin1String(kLightSetText)).toHtmlEscaped(),
               texts.Text(QLatin1String(kOverallLightText)).toHtmlEscaped(), modeName.toHtmlEscaped()));
}

}  // namespace nimbel
