#include "editors/shoot_path_view.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace nimbel {
namespace {

constexpr int kMargin = 14;
// A pattern smaller than this still fills only part of the drawing, so tiny pulls look tiny.
constexpr int kMinimumSpan = 60;
constexpr qreal kDotRadius = 3.0;
constexpr qreal kCurrentRadius = 6.0;
const QColor kGrid(0x33, 0x39, 0x46);
const QColor kPath(0x66, 0xbb, 0xff);
const QColor kDot(0x9a, 0xa3, 0xb2);
const QColor kCurrent(0x3f, 0xa9, 0xff);
const QColor kStart(0xe6, 0xe8, 0xee);

}  // namespace

std::array<QPoint, kShootBulletCount + 1> AimPath(const std::array<ShootBullet, kShootBulletCount>& bullets) {
  std::array<QPoint, kShootBulletCount + 1> points{};
  for (std::size_t i = 0; i < bullets.size(); ++i) {
    const ShootBullet& bullet = bullets[i];
    points[i + 1] = points[i] + QPoint(bullet.left ? -bullet.horizontal : bullet.horizontal,
                                       bullet.up ? -bullet.vertical : bullet.vertical);
  }
  return points;
}

ShootPathView::ShootPathView(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void ShootPathView::ShowPattern(const std::array<ShootBullet, kShootBulletCount>& bullets,
                                int currentBullet) {
  bullets_ = bullets;
  currentBullet_ = std::clamp(currentBullet, 0, kShootBulletCount - 1);
  update();
}

QSize ShootPathView::sizeHint() const {
  return {220, 220};
}

void ShootPathView::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF area = QRectF(rect()).adjusted(kMargin, kMargin, -kMargin, -kMargin);
  if (area.width() <= 0 || area.height() <= 0) return;

  const std::array<QPoint, kShootBulletCount + 1> points = AimPath(bullets_);
  QRect bounds(points[0], QSize(1, 1));
  for (const QPoint& point : points) bounds = bounds.united(QRect(point, QSize(1, 1)));
  const int span = std::max({bounds.width(), bounds.height(), kMinimumSpan});
  const qreal scale = std::min(area.width(), area.height()) / span;
  // The whole path, centred; the larger of its width and height fills the drawing.
  const QPointF centre = QRectF(bounds).center();
  const QPointF origin = area.center() - centre * scale;
  const auto place = [&](const QPoint& point) { return origin + QPointF(point) * scale; };

  painter.setPen(QPen(kGrid, 1, Qt::DashLine));
  const QPointF start = place(points[0]);
  painter.drawLine(QPointF(area.left(), start.y()), QPointF(area.right(), start.y()));
  painter.drawLine(QPointF(start.x(), area.top()), QPointF(start.x(), area.bottom()));

  QPainterPath path(start);
  for (std::size_t i = 1; i < points.size(); ++i) path.lineTo(place(points[i]));
  painter.setPen(QPen(kPath, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(path);

  painter.setPen(Qt::NoPen);
  for (std::size_t i = 1; i < points.size(); ++i) {
    painter.setBrush(kDot);
    painter.drawEllipse(place(points[i]), kDotRadius, kDotRadius);
  }
  painter.setBrush(kStart);
  painter.drawEllipse(start, kDotRadius + 1, kDotRadius + 1);
  // The bullet being edited: where its moves take the aim.
  const QPointF current = place(points[static_cast<std::size_t>(currentBullet_) + 1]);
  painter.setPen(QPen(kCurrent, 2));
  painter.setBrush(Qt::NoBrush);
  painter.drawEllipse(current, kCurrentRadius, kCurrentRadius);
  painter.setBrush(kCurrent);
  painter.setPen(Qt::NoPen);
  painter.drawEllipse(current, kDotRadius, kDotRadius);
}

}  // namespace nimbel
