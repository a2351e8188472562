#include "app/window_screenshot.h"

#include <QCoreApplication>
#include <QPixmap>
#include <cstdio>

#include "app/main_wnd.h"
#include "binding/device_selector.h"

namespace nimbel {

WindowScreenshot::WindowScreenshot(CMainWnd& window, QString path, bool waitForDevice, int settingsPage)
    : window_(window), path_(std::move(path)), waitForDevice_(waitForDevice), settingsPage_(settingsPage) {
  connect(&poll_, &QTimer::timeout, this, &WindowScreenshot::Poll);
  poll_.start(kPollMs);
}

void WindowScreenshot::Poll() {
  waitedMs_ += kPollMs;
  const bool deviceShown = window_.Selector() != nullptr && window_.Selector()->FirstVisibleTab().second > 0;
  if (window_.isVisible() && (deviceShown || !waitForDevice_)) {
    poll_.stop();
    window_.ShowMouseSettings(settingsPage_);
    QTimer::singleShot(kSettleMs, this, &WindowScreenshot::Take);
    return;
  }
  if (waitedMs_ < kGiveUpMs) return;
  poll_.stop();
  std::fprintf(stderr, "nimbel: the window did not come up within %d s; no screenshot taken\n",
               kGiveUpMs / 1000);
  window_.StopWorkerThreads();
  QCoreApplication::exit(1);
}

void WindowScreenshot::Take() {
  const bool saved = window_.grab().save(path_, "PNG");
  if (!saved) std::fprintf(stderr, "nimbel: cannot write %s\n", qPrintable(path_));
  window_.StopWorkerThreads();
  QCoreApplication::exit(saved ? 0 : 1);
}

}  // namespace nimbel
