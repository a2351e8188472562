#pragma once

#include <QDBusConnection>
#include <QString>

namespace nimbel {

// The one-instance rule. The first instance owns the bus name org.nimbel.Nimbel; a later one finds it
// taken, asks the running instance to show itself and exits. Without a session bus Nimbel still runs:
// a lock file decides instead, inter-program messages are off and one line on stderr says so.
class SingleInstance {
 public:
  enum class Result {
    kFirstInstance,            // owns the bus name
    kFirstInstanceWithoutBus,  // holds the lock file; no messages from other programs
    kAnotherInstanceRuns,
  };

  // Uses the session bus and $XDG_RUNTIME_DIR/nimbel.lock.
  SingleInstance();
  SingleInstance(QDBusConnection connection, QString lockPath);
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  static QString DefaultLockPath();

  // Decides once; later calls return the first answer. An instance that cannot open or lock the lock
  // file for any other reason than another holder starts as a first instance rather than not at all.
  Result Acquire();

  // For a second instance: the running one's "Nimbel" message (wParam 0, lParam 1) that brings its window
  // up. False when it could not be delivered (no bus, or the first instance runs without one).
  bool NotifyRunningInstance();

 private:
  Result AcquireBusName();
  Result AcquireLockFile();

  QDBusConnection connection_;
  QString lockPath_;
  int lockFd_ = -1;
  bool decided_ = false;
  Result result_ = Result::kFirstInstance;
};

}  // namespace nimbel
