#include "app/startup_timing.h"

#include <unistd.h>

#include <QEvent>
#include <QFile>
#include <QWidget>
#include <cstdio>
#include <ctime>

namespace nimbel {
namespace {

constexpr const char* kTimingVariable = "NIMBEL_STARTUP_TIMING";
// The start time is field 22 of /proc/self/stat, the 20th after the command name (which may hold spaces
// and ends with the last ')'), so index 19 of the fields that follow it.
constexpr int kStartTimeFieldAfterName = 19;

}  // namespace

std::optional<double> MillisecondsSinceProcessStart() {
  QFile stat(QStringLiteral("/proc/self/stat"));
  if (!stat.open(QIODevice::ReadOnly)) return std::nullopt;
  const QByteArray text = stat.readAll();
  const qsizetype nameEnd = text.lastIndexOf(')');
  if (nameEnd < 0) return std::nullopt;
  const QList<QByteArray> fields = text.mid(nameEnd + 2).split(' ');
  if (fields.size() <= kStartTimeFieldAfterName) return std::nullopt;
  bool ok = false;
  const double startTicks = fields[kStartTimeFieldAfterName].toDouble(&ok);
  const long ticksPerSecond = ::sysconf(_SC_CLK_TCK);
  timespec now{};
  if (!ok || ticksPerSecond <= 0 || ::clock_gettime(CLOCK_BOOTTIME, &now) != 0) return std::nullopt;
  const double nowMs = static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
  return nowMs - startTicks * 1000.0 / static_cast<double>(ticksPerSecond);
}

bool StartupTimingReport::Requested() {
  return qEnvironmentVariable(kTimingVariable) == QLatin1String("1");
}

StartupTimingReport::StartupTimingReport(QWidget* window) : QObject(window) {
  window->installEventFilter(this);
}

bool StartupTimingReport::eventFilter(QObject* watched, QEvent* event) {
  if (!reported_ && event->type() == QEvent::Show) {
    reported_ = true;
    if (const auto elapsed = MillisecondsSinceProcessStart()) {
      std::fprintf(stderr, "nimbel: window shown %.0f ms after the process started\n", *elapsed);
    }
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace nimbel
