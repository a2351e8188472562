#pragma once

#include <QObject>
#include <optional>

class QWidget;

namespace nimbel {

// Milliseconds since the kernel started this process; nullopt when /proc cannot tell.
std::optional<double> MillisecondsSinceProcessStart();

// With NIMBEL_STARTUP_TIMING=1: one line on stderr the first time the window is shown, saying how long
// after the process start that was.
class StartupTimingReport final : public QObject {
 public:
  static bool Requested();
  explicit StartupTimingReport(QWidget* window);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool reported_ = false;
};

}  // namespace nimbel
