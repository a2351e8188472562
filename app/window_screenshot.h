#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

namespace nimbel {

class CMainWnd;

// Grabs the main window into a PNG once it is shown (and, when a device is expected, that device has
// arrived) and its page has settled, then ends the program: the README's picture is made by the program
// itself, on any display or none.
class WindowScreenshot final : public QObject {
 public:
  static constexpr int kPollMs = 100;
  // The device reads its settings and power state right after binding; the page shows them by then.
  static constexpr int kSettleMs = 1500;
  // Without a device in this time there is nothing to show: the program ends with an error.
  static constexpr int kGiveUpMs = 20000;

  // `settingsPage`: the mouse settings sub-page shown in the picture.
  WindowScreenshot(CMainWnd& window, QString path, bool waitForDevice, int settingsPage);

 private:
  void Poll();
  void Take();

  CMainWnd& window_;
  QString path_;
  bool waitForDevice_;
  int settingsPage_;
  QTimer poll_;
  int waitedMs_ = 0;
};

}  // namespace nimbel
