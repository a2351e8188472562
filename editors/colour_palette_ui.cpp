#include "editors/colour_palette_ui.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <array>

#include "ui/notify_pump.h"

namespace nimbel {
namespace {

constexpr float kFineStep = 0.01F;
constexpr float kCoarseStep = 0.1F;
// Room around a part's drawing for the cursor, which may stand on the edge, and the focus ring.
constexpr qreal kDrawingMargin = 8.0;
constexpr qreal kRingOutset = 4.0;
constexpr qreal kCornerRadius = 8.0;
constexpr qreal kCursorRadius = 7.0;
constexpr int kValueBarWidth = 38;
constexpr int kPartSpacing = 4;
constexpr QSize kFieldMinimum{200, 160};
const QColor kFocusRing(0x66, 0xBB, 0xFF);
const QColor kCursorShade(0, 0, 0, 150);
// The six pure hues at the field's stops; a linear blend between neighbours is exact for HSV hue.
constexpr std::array<float, 7> kHueStops = {0.0F, 1.0F / 6, 2.0F / 6, 3.0F / 6, 4.0F / 6, 5.0F / 6, 1.0F};

float Clamp01(float value) {
  return std::clamp(value, 0.0F, 1.0F);
}

float StepSize(Qt::KeyboardModifiers modifiers) {
  return modifiers.testFlag(Qt::ShiftModifier) ? kCoarseStep : kFineStep;
}

// A cursor ring readable on light and dark colours alike: a dark halo under a white ring.
void DrawCursor(QPainter& painter, const QRectF& shape, const QColor& fill, bool round) {
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(kCursorShade, 4.0));
  if (round) {
    painter.drawEllipse(shape);
  } else {
    painter.drawRoundedRect(shape, shape.height() / 2, shape.height() / 2);
  }
  painter.setBrush(fill);
  painter.setPen(QPen(Qt::white, 2.0));
  if (round) {
    painter.drawEllipse(shape);
  } else {
    painter.drawRoundedRect(shape, shape.height() / 2, shape.height() / 2);
  }
}

}  // namespace

// A part of the palette: mouse and keyboard handling and the focus ring, shared by the field and the bar.
class CColorPaletteUI::Surface : public QWidget {
 public:
  explicit Surface(CColorPaletteUI& palette) : QWidget(&palette), palette_(palette) {
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::CrossCursor);
  }

 protected:
  // Picks the colour under a point of the surface.
  virtual void PickAt(QPointF point, bool settled) = 0;
  // Moves the colour one step for a key; false for keys the surface does not use.
  virtual bool Step(int key, Qt::KeyboardModifiers modifiers) = 0;

  CColorPaletteUI& Palette() const { return palette_; }
  QRectF Area() const {
    return QRectF(rect()).adjusted(kDrawingMargin, kDrawingMargin, -kDrawingMargin, -kDrawingMargin);
  }

  void PaintFocusRing(QPainter& painter) const {
    if (!hasFocus() || !keyboardFocus_) return;
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(kFocusRing, 2.0));
    const QRectF ring = Area().adjusted(-kRingOutset, -kRingOutset, kRingOutset, kRingOutset);
    painter.drawRoundedRect(ring, kCornerRadius + kRingOutset, kCornerRadius + kRingOutset);
  }

  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    dragging_ = true;
    keyboardFocus_ = false;
    PickAt(event->position(), false);
  }

  void mouseMoveEvent(QMouseEvent* event) override {
    if (dragging_) PickAt(event->position(), false);
  }

  void mouseReleaseEvent(QMouseEvent* event) override {
    if (event->button() != Qt::LeftButton || !dragging_) return QWidget::mouseReleaseEvent(event);
    dragging_ = false;
    PickAt(event->position(), true);
  }

  void keyPressEvent(QKeyEvent* event) override {
    if (!Step(event->key(), event->modifiers())) return QWidget::keyPressEvent(event);
    keyHeld_ = true;
  }

  // Auto-repeat sends releases too; only the real one ends the step.
  void keyReleaseEvent(QKeyEvent* event) override {
    if (event->isAutoRepeat() || !keyHeld_) return QWidget::keyReleaseEvent(event);
    Settle();
  }

  void focusInEvent(QFocusEvent* event) override {
    keyboardFocus_ = event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason;
    QWidget::focusInEvent(event);
    update();
  }

  // A step or a drag cut short by a focus change still ends with the colour it reached.
  void focusOutEvent(QFocusEvent* event) override {
    if (keyHeld_ || dragging_) Settle();
    QWidget::focusOutEvent(event);
    update();
  }

 private:
  void Settle() {
    keyHeld_ = false;
    dragging_ = false;
    palette_.Pick(palette_.hue_, palette_.saturation_, palette_.value_, true);
  }

  CColorPaletteUI& palette_;
  bool dragging_ = false;
  bool keyHeld_ = false;
  bool keyboardFocus_ = false;
};

// Hue from left to right, saturation from full at the top to none at the bottom, at the palette's value.
class CColorPaletteUI::Field : public Surface {
 public:
  explicit Field(CColorPaletteUI& palette) : Surface(palette) {
    setObjectName(QStringLiteral("Pallet_field"));
    setMinimumSize(kFieldMinimum);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  }

 protected:
  void PickAt(QPointF point, bool settled) override {
    const QRectF area = Area();
    const auto hue = static_cast<float>((point.x() - area.left()) / area.width());
    const auto saturation = static_cast<float>(1.0 - (point.y() - area.top()) / area.height());
    Palette().Pick(Clamp01(hue), Clamp01(saturation), Palette().value_, settled);
  }

  bool Step(int key, Qt::KeyboardModifiers modifiers) override {
    const float step = StepSize(modifiers);
    float hue = Palette().hue_;
    float saturation = Palette().saturation_;
    switch (key) {
      case Qt::Key_Left:
        hue -= step;
        break;
      case Qt::Key_Right:
        hue += step;
        break;
      case Qt::Key_Up:
        saturation += step;
        break;
      case Qt::Key_Down:
        saturation -= step;
        break;
      default:
        return false;
    }
    Palette().Pick(Clamp01(hue), Clamp01(saturation), Palette().value_, false);
    return true;
  }

  void paintEvent(QPaintEvent* /*event*/) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = Area();
    QPainterPath shape;
    shape.addRoundedRect(area, kCornerRadius, kCornerRadius);
    painter.save();
    painter.setClipPath(shape);
    QLinearGradient hues(area.topLeft(), area.topRight());
    for (const float stop : kHueStops)
      hues.setColorAt(static_cast<qreal>(stop), QColor::fromHsvF(stop < 1.0F ? stop : 0.0F, 1, 1));
    painter.fillRect(area, hues);
    // Saturation falls towards white, then the value darkens everything: v * (s * hue + (1 - s) * white).
    QLinearGradient whites(area.topLeft(), area.bottomLeft());
    whites.setColorAt(0.0, QColor(255, 255, 255, 0));
    whites.setColorAt(1.0, QColor(255, 255, 255, 255));
    painter.fillRect(area, whites);
    painter.fillRect(area, QColor::fromRgbF(0, 0, 0, 1.0F - Palette().value_));
    painter.restore();

    const QPointF centre(area.left() + static_cast<qreal>(Palette().hue_) * area.width(),
                         area.top() + static_cast<qreal>(1.0F - Palette().saturation_) * area.height());
    DrawCursor(painter, QRectF(centre - QPointF(kCursorRadius, kCursorRadius), QSizeF(2, 2) * kCursorRadius),
               Palette().Colour(), true);
    PaintFocusRing(painter);
  }
};

// Value from full at the top to black at the bottom, in the palette's hue and saturation.
class CColorPaletteUI::ValueBar : public Surface {
 public:
  explicit ValueBar(CColorPaletteUI& palette) : Surface(palette) {
    setObjectName(QStringLiteral("Pallet_value"));
    setFixedWidth(kValueBarWidth);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
  }

 protected:
  void PickAt(QPointF point, bool settled) override {
    const QRectF area = Area();
    const auto value = static_cast<float>(1.0 - (point.y() - area.top()) / area.height());
    Palette().Pick(Palette().hue_, Palette().saturation_, Clamp01(value), settled);
  }

  bool Step(int key, Qt::KeyboardModifiers modifiers) override {
    float value = Palette().value_;
    switch (key) {
      case Qt::Key_Up:
      case Qt::Key_Right:
        value += StepSize(modifiers);
        break;
      case Qt::Key_Down:
      case Qt::Key_Left:
        value -= StepSize(modifiers);
        break;
      case Qt::Key_PageUp:
        value += kCoarseStep;
        break;
      case Qt::Key_PageDown:
        value -= kCoarseStep;
        break;
      case Qt::Key_Home:
        value = 1.0F;
        break;
      case Qt::Key_End:
        value = 0.0F;
        break;
      default:
        return false;
    }
    Palette().Pick(Palette().hue_, Palette().saturation_, Clamp01(value), false);
    return true;
  }

  void paintEvent(QPaintEvent* /*event*/) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = Area();
    QLinearGradient values(area.topLeft(), area.bottomLeft());
    values.setColorAt(0.0, QColor::fromHsvF(Palette().hue_, Palette().saturation_, 1.0F));
    values.setColorAt(1.0, Qt::black);
    painter.setPen(Qt::NoPen);
    painter.setBrush(values);
    painter.drawRoundedRect(area, kCornerRadius, kCornerRadius);

    const qreal y = area.top() + static_cast<qreal>(1.0F - Palette().value_) * area.height();
    const QRectF handle(area.left() - 1, y - 5, area.width() + 2, 10);
    DrawCursor(painter, handle, Palette().Colour(), false);
    PaintFocusRing(painter);
  }
};

CColorPaletteUI::CColorPaletteUI(QWidget* parent) : QWidget(parent) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(kPartSpacing);
  field_ = new Field(*this);
  valueBar_ = new ValueBar(*this);
  layout->addWidget(field_, 1);
  layout->addWidget(valueBar_);
  setFocusProxy(field_);
}

void CColorPaletteUI::SelectColour(QColor colour) {
  float hue = 0;
  float saturation = 0;
  float value = 0;
  colour.getHsvF(&hue, &saturation, &value);
  value_ = Clamp01(value);
  if (value_ > 0.0F) {
    if (saturation > 0.0F && hue >= 0.0F) hue_ = Clamp01(hue);
    saturation_ = Clamp01(saturation);
  }
  field_->update();
  valueBar_->update();
}

QColor CColorPaletteUI::Colour() const {
  return QColor::fromHsvF(hue_ < 1.0F ? hue_ : 0.0F, saturation_, value_);
}

void CColorPaletteUI::Pick(float hue, float saturation, float value, bool settled) {
  hue_ = hue;
  saturation_ = saturation;
  value_ = value;
  field_->update();
  valueBar_->update();
  CNotifyPump::SendNotify(this, settled ? notify::kColorChanged : notify::kMoveColorChanged);
}

}  // namespace nimbel
