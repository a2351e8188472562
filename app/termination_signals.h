#pragma once

#include <QObject>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace nimbel {

// Turns SIGTERM and SIGINT into a call on the UI thread, so that a session logout or a Ctrl+C ends the
// program in the same order as the menu's exit. While the object lives it owns both signals; the
// previous handlers come back with its end.
class TerminationSignals final : public QObject {
 public:
  explicit TerminationSignals(std::function<void()> onTerminate);
  ~TerminationSignals() override;
  TerminationSignals(const TerminationSignals&) = delete;
  TerminationSignals& operator=(const TerminationSignals&) = delete;

  bool IsActive() const { return notifier_ != nullptr; }

 private:
  std::function<void()> onTerminate_;
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace nimbel
