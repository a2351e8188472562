#include "editors/colour_option_ui.h"

#include <QPainter>
#include <QPainterPath>

namespace nimbel {
namespace {

constexpr int kSwatchSize = 26;
// The ring sits in this margin outside the colour.
constexpr qreal kRingInset = 1.5;
constexpr qreal kColourInset = 4.0;
constexpr qreal kRingRadius = 8.0;
constexpr qreal kColourRadius = 5.0;
const QColor kAccent(0x3F, 0xA9, 0xFF);
const QColor kFocus(0xE6, 0xE8, 0xEE);
const QColor kHover(0x9A, 0xA3, 0xB2);
const QColor kEmptyFill(0x16, 0x18, 0x1D);
const QColor kEmptyLine(0x4A, 0x52, 0x62);
// Separates a swatch from a background of nearly the same colour.
const QColor kSwatchEdge(255, 255, 255, 40);

QString HexName(QRgb colour) {
  return QColor::fromRgb(colour).name(QColor::HexRgb).toUpper();
}

}  // namespace

CColorOptionUI::CColorOptionUI(QWidget* parent) : QPushButton(parent) {
  setCheckable(true);
  setFocusPolicy(Qt::TabFocus);
  setCursor(Qt::PointingHandCursor);
  setAttribute(Qt::WA_Hover);
}

void CColorOptionUI::SetSwatch(std::optional<QRgb> colour) {
  colour_ = colour;
  const QString name = colour ? HexName(*colour) : QString();
  setToolTip(name);
  setAccessibleName(name);
  update();
}

QSize CColorOptionUI::sizeHint() const {
  return {kSwatchSize, kSwatchSize};
}

void CColorOptionUI::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF bounds(rect());

  const QColor ring = isChecked() ? kAccent : hasFocus() ? kFocus : underMouse() ? kHover : QColor();
  if (ring.isValid()) {
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(ring, 2.0));
    painter.drawRoundedRect(bounds.adjusted(kRingInset, kRingInset, -kRingInset, -kRingInset), kRingRadius,
                            kRingRadius);
  }
  if (isChecked() && hasFocus()) {
    // Checked and focused: the focus colour just inside the accent ring.
    const qreal inner = kRingInset + 1.5;
    painter.setPen(QPen(kFocus, 1.0));
    painter.drawRoundedRect(bounds.adjusted(inner, inner, -inner, -inner), kRingRadius - 1, kRingRadius - 1);
  }

  const QRectF swatch = bounds.adjusted(kColourInset, kColourInset, -kColourInset, -kColourInset);
  if (colour_) {
    painter.setPen(QPen(kSwatchEdge, 1.0));
    painter.setBrush(QColor::fromRgba(*colour_));
    painter.drawRoundedRect(swatch, kColourRadius, kColourRadius);
    return;
  }
  painter.setPen(QPen(kEmptyLine, 1.0, Qt::DashLine));
  painter.setBrush(kEmptyFill);
  painter.drawRoundedRect(swatch.adjusted(0.5, 0.5, -0.5, -0.5), kColourRadius, kColourRadius);
  const QPointF centre = swatch.center();
  const qreal arm = swatch.width() / 5;
  painter.setPen(QPen(kEmptyLine, 1.5, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(centre - QPointF(arm, 0), centre + QPointF(arm, 0));
  painter.drawLine(centre - QPointF(0, arm), centre + QPointF(0, arm));
}

}  // namespace nimbel
