#pragma once

// When the lighting preview reaches the page: a timer that runs only while the page is on screen. A
// hidden page (another device selected, the window closed to the tray or minimised) has no timer at all,
// so the preview costs nothing while nobody can see it.

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace nimbel {

class FramePush final : public QObject {
 public:
  // About 30 frames a second: smooth to the eye, and no more often than the lighting thread computes.
  static constexpr int kPeriodMs = 33;

  // Calls `push` every kPeriodMs while `page` is visible. The watch ends with this object or the page.
  FramePush(QWidget* page, std::function<void()> push);
  ~FramePush() override;
  FramePush(const FramePush&) = delete;
  FramePush& operator=(const FramePush&) = delete;

  bool IsRunning() const { return timer_.isActive(); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Follow(bool visible);

  QPointer<QWidget> page_;
  std::function<void()> push_;
  QTimer timer_;
};

}  // namespace nimbel
