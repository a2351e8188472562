#include "devices/page_controls.h"

#include <QPainter>

namespace nimbel {
namespace {

// The light sits inside the cell's border so that the skin's frame and focus ring stay visible.
constexpr int kLightInset = 3;

}  // namespace

void CDeviceKeyButtonUI::SetLed(const LedEntry& entry) {
  if (entry == led_) return;
  led_ = entry;
  update();
}

void CDeviceKeyButtonUI::paintEvent(QPaintEvent* event) {
  QPushButton::paintEvent(event);
  if (led_.intensity == 0) return;
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(led_.red, led_.green, led_.blue, led_.intensity));
  const int side = std::min(width(), height()) - 2 * kLightInset;
  if (side <= 0) return;
  QRect cell(0, 0, side, side);
  cell.moveCenter(rect().center());
  painter.drawEllipse(cell);
}

QWidget* DevicePageBuilder::CreateControl(const QString& tagName, QWidget* parent) {
  if (tagName.compare(QLatin1String(CDeviceKeyButtonUI::kClassName), Qt::CaseInsensitive) == 0) {
    return new CDeviceKeyButtonUI(parent);
  }
  if (tagName.compare(QLatin1String(CSelectPanelUI::kClassName), Qt::CaseInsensitive) == 0) {
    return new CSelectPanelUI(parent);
  }
  return nullptr;
}

}  // namespace nimbel
