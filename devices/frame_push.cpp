#include "devices/frame_push.h"

#include <QEvent>

namespace nimbel {

FramePush::FramePush(QWidget* page, std::function<void()> push) : page_(page), push_(std::move(push)) {
  timer_.setInterval(kPeriodMs);
  QObject::connect(&timer_, &QTimer::timeout, this, [this] { push_(); });
  if (page_ == nullptr) return;
  page_->installEventFilter(this);
  Follow(page_->isVisible());
}

FramePush::~FramePush() {
  if (page_ != nullptr) page_->removeEventFilter(this);
}

bool FramePush::eventFilter(QObject* watched, QEvent* event) {
  // Qt sends the page Show and Hide whenever it comes on or leaves the screen for any reason: its stack
  // switches page, the window is shown, hidden or minimised. The event type is what counts: a minimised
  // window's widgets still say they are visible.
  if (watched == page_ && (event->type() == QEvent::Show || event->type() == QEvent::Hide)) {
    Follow(event->type() == QEvent::Show);
  }
  return false;
}

void FramePush::Follow(bool visible) {
  if (visible == timer_.isActive()) return;
  if (visible) {
    timer_.start();
    // The first frame at once, so a page that comes back does not show a stale frame for a period.
    push_();
  } else {
    timer_.stop();
  }
}

}  // namespace nimbel
