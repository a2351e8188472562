#pragma once

// A drawing of a shooting pattern: where each bullet's moves take the aim, from the first shot on, with
// the bullet being edited marked, so a pattern is seen as a path and not only as numbers.

#include <QWidget>
#include <array>

#include "profiles/shoot_pattern.h"

namespace nimbel {

class ShootPathView : public QWidget {
  Q_OBJECT

 public:
  static constexpr const char* kClassName = "ShootPathView";

  explicit ShootPathView(QWidget* parent = nullptr);

  void ShowPattern(const std::array<ShootBullet, kShootBulletCount>& bullets, int currentBullet);

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::array<ShootBullet, kShootBulletCount> bullets_{};
  int currentBullet_ = 0;
};

// Where the aim is after each bullet, in the pattern's own units (x to the right, y downwards), starting
// at the origin before the first shot.
std::array<QPoint, kShootBulletCount + 1> AimPath(const std::array<ShootBullet, kShootBulletCount>& bullets);

}  // namespace nimbel
