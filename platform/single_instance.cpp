#include "platform/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDBusConnectionInterface>
#include <QDir>
#include <cerrno>
#include <cstdio>

#include "platform/message_bus.h"
#include "platform/registered_messages.h"

namespace nimbel {
namespace {

constexpr const char* kLockFileName = "nimbel.lock";
// What a second instance says to the first: "show your window".
constexpr qint64 kShowWParam = 0;
constexpr qint64 kShowLParam = 1;

}  // namespace

SingleInstance::SingleInstance() : SingleInstance(QDBusConnection::sessionBus(), DefaultLockPath()) {}

SingleInstance::SingleInstance(QDBusConnection connection, QString lockPath)
    : connection_(std::move(connection)), lockPath_(std::move(lockPath)) {}

SingleInstance::~SingleInstance() {
  if (result_ == Result::kFirstInstance && decided_ && connection_.isConnected()) {
    connection_.interface()->unregisterService(QLatin1String(MessageBus::kServiceName));
  }
  if (lockFd_ >= 0) ::close(lockFd_);
}

QString SingleInstance::DefaultLockPath() {
  QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
  // Without a runtime folder the lock goes to the temporary folder, made per user by its name.
  if (folder.isEmpty() || !QDir::isAbsolutePath(folder)) {
    return QDir::tempPath() + QStringLiteral("/nimbel-%1.lock").arg(::getuid());
  }
  return folder + QLatin1Char('/') + QLatin1String(kLockFileName);
}

SingleInstance::Result SingleInstance::Acquire() {
  if (!decided_) {
    result_ = connection_.isConnected() ? AcquireBusName() : AcquireLockFile();
    decided_ = true;
  }
  return result_;
}

SingleInstance::Result SingleInstance::AcquireBusName() {
  const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
      connection_.interface()->registerService(QLatin1String(MessageBus::kServiceName),
                                               QDBusConnectionInterface::DontQueueService,
                                               QDBusConnectionInterface::DontAllowReplacement);
  if (!reply.isValid()) return AcquireLockFile();
  return reply.value() == QDBusConnectionInterface::ServiceRegistered ? Result::kFirstInstance
                                                                      : Result::kAnotherInstanceRuns;
}

SingleInstance::Result SingleInstance::AcquireLockFile() {
  std::fprintf(stderr,
               "Nimbel: no session bus; messages from other programs are off, single instance by %s\n",
               lockPath_.toLocal8Bit().constData());
  const QByteArray path = QFile::encodeName(lockPath_);
  lockFd_ = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (lockFd_ < 0) return Result::kFirstInstanceWithoutBus;
  if (::flock(lockFd_, LOCK_EX | LOCK_NB) == 0) return Result::kFirstInstanceWithoutBus;
  const bool heldElsewhere = errno == EWOULDBLOCK;
  ::close(lockFd_);
  lockFd_ = -1;
  return heldElsewhere ? Result::kAnotherInstanceRuns : Result::kFirstInstanceWithoutBus;
}

bool SingleInstance::NotifyRunningInstance() {
  if (!connection_.isConnected()) return false;
  return MessageBus::PostTo(connection_, QLatin1String(MessageBus::kServiceName),
                            QString::fromUtf8(kInstanceMessageName.data(), kInstanceMessageName.size()),
                            kShowWParam, kShowLParam);
}

}  // namespace nimbel
