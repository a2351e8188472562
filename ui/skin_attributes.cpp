#include "ui/skin_attributes.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>
#include <QWidget>
#include <array>

#include "ui/skin_folder.h"

namespace nimbel {
namespace {

enum class Draw { kImage, kColour };

struct AttributeRule {
  SkinAttribute attribute;
  const char* property;
  const char* pseudoState;  // appended to the widget's selector
  const char* cssProperty;
  Draw draw;
};

// In rule order: a later rule wins where two states apply (checked over hover, disabled over all).
constexpr std::array<AttributeRule, 9> kRules = {{
    {SkinAttribute::kBkColor, "bkcolor", "", "background-color", Draw::kColour},
    {SkinAttribute::kTextColor, "textcolor", "", "color", Draw::kColour},
    {SkinAttribute::kBkImage, "bkimage", "", "border-image", Draw::kImage},
    {SkinAttribute::kNormalImage, "normalimage", "", "border-image", Draw::kImage},
    {SkinAttribute::kHotImage, "hotimage", ":hover", "border-image", Draw::kImage},
    {SkinAttribute::kPushedImage, "pushedimage", ":pressed", "border-image", Draw::kImage},
    {SkinAttribute::kSelectedImage, "selectedimage", ":checked", "border-image", Draw::kImage},
    {SkinAttribute::kDisabledImage, "disabledimage", ":disabled", "border-image", Draw::kImage},
    {SkinAttribute::kForeImage, "foreimage", "", "image", Draw::kImage},
}};

// The widget's selector in its own style sheet: a per-widget id, so rules reach neither children nor
// namesakes elsewhere.
constexpr const char* kSelectorProperty = "skinRuleId";
// The style sheet the skin file gave the widget, kept so redrawing never loses it.
constexpr const char* kBaseStyleProperty = "skinBaseStyleSheet";

const AttributeRule& RuleOf(SkinAttribute attribute) {
  for (const AttributeRule& rule : kRules) {
    if (rule.attribute == attribute) return rule;
  }
  return kRules.front();
}

QString FileOfAttribute(const QString& value) {
  static const QRegularExpression fileKey(QStringLiteral("file\\s*=\\s*'([^']*)'"));
  const QRegularExpressionMatch match = fileKey.match(value);
  if (match.hasMatch()) return match.captured(1).trimmed();
  if (value.contains(QLatin1Char('='))) return {};
  return value.trimmed();
}

QString SelectorOf(QWidget* widget) {
  static qulonglong nextId = 0;
  QVariant id = widget->property(kSelectorProperty);
  if (!id.isValid()) {
    id = ++nextId;
    widget->setProperty(kSelectorProperty, id);
  }
  return QStringLiteral("*[%1=\"%2\"]").arg(QLatin1String(kSelectorProperty), id.toString());
}

std::optional<QString> Declaration(const AttributeRule& rule, const QString& value) {
  if (rule.draw == Draw::kColour) return SkinColourToCss(value);
  const std::optional<QString> file = SkinImageFile(value);
  if (!file) return std::nullopt;
  return QStringLiteral("url(\"skin:%1\")").arg(*file);
}

}  // namespace

const char* SkinAttributeName(SkinAttribute attribute) {
  return RuleOf(attribute).property;
}

std::optional<QString> SkinImageFile(const QString& attributeValue) {
  QString file = FileOfAttribute(attributeValue);
  // A quote or a parenthesis would end the url() early and let the rest be read as style sheet text.
  if (file.contains(QLatin1Char('"')) || file.contains(QLatin1Char(')'))) return std::nullopt;
  file = NormalizeSkinName(file);
  if (file.isEmpty()) return std::nullopt;
  if (file.endsWith(QLatin1String(".png"), Qt::CaseInsensitive)) {
    const QString svg = file.chopped(4) + QLatin1String(".svg");
    if (QFileInfo::exists(SkinFolder() + QLatin1Char('/') + svg)) return svg;
  }
  return file;
}

std::optional<QString> SkinColourToCss(const QString& attributeValue) {
  static const QRegularExpression form(QStringLiteral("^(?:0[xX]|#)([0-9A-Fa-f]{6}|[0-9A-Fa-f]{8})$"));
  const QRegularExpressionMatch match = form.match(attributeValue.trimmed());
  if (!match.hasMatch()) return std::nullopt;
  QString digits = match.captured(1);
  if (digits.size() == 6) digits.prepend(QLatin1String("FF"));
  const uint argb = digits.toUInt(nullptr, 16);
  return QStringLiteral("rgba(%1, %2, %3, %4)")
      .arg((argb >> 16) & 0xFF)
      .arg((argb >> 8) & 0xFF)
      .arg(argb & 0xFF)
      .arg((argb >> 24) & 0xFF);
}

void SetSkinAttribute(QWidget* widget, SkinAttribute attribute, const QString& value) {
  if (widget == nullptr) return;
  widget->setProperty(RuleOf(attribute).property, value.isEmpty() ? QVariant() : QVariant(value));
  ApplySkinAttributes(widget);
}

QString GetSkinAttribute(const QWidget* widget, SkinAttribute attribute) {
  if (widget == nullptr) return {};
  return widget->property(RuleOf(attribute).property).toString();
}

void ApplySkinAttributes(QWidget* widget) {
  if (widget == nullptr) return;
  QStringList rules;
  for (const AttributeRule& rule : kRules) {
    const QString value = widget->property(rule.property).toString();
    if (value.isEmpty()) continue;
    if (const std::optional<QString> declaration = Declaration(rule, value)) {
      rules << QStringLiteral("%1%2 { %3: %4; }")
                   .arg(SelectorOf(widget), QLatin1String(rule.pseudoState), QLatin1String(rule.cssProperty),
                        *declaration);
    }
  }
  const bool drawnBefore = widget->property(kBaseStyleProperty).isValid();
  if (rules.isEmpty() && !drawnBefore) return;
  if (!drawnBefore) widget->setProperty(kBaseStyleProperty, widget->styleSheet());
  rules.prepend(widget->property(kBaseStyleProperty).toString());
  widget->setStyleSheet(rules.join(QLatin1Char('\n')).trimmed());
}

void ApplySkinAttributesTree(QWidget* root) {
  if (root == nullptr) return;
  ApplySkinAttributes(root);
  for (QWidget* child : root->findChildren<QWidget*>()) ApplySkinAttributes(child);
}

}  // namespace nimbel
