#pragma once

#include <QByteArray>
#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>

namespace nimbel {

// Nimbel's face on the session bus. Other programs (a second instance, installers, games, the
// audio-capture program, the production tool) name a message by its registration string and the bus
// turns it into the registered id the main window handles; data blocks arrive as CopyData.
//
// Export the object before the single-instance check takes the bus name, so a second instance that sees
// the name can always reach the object. Incoming calls run on the thread the object lives in (the UI
// thread), like window messages did.
class MessageBus : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.nimbel.Nimbel")

 public:
  static constexpr const char* kServiceName = "org.nimbel.Nimbel";
  static constexpr const char* kObjectPath = "/org/nimbel/Nimbel";
  static constexpr const char* kInterfaceName = "org.nimbel.Nimbel";
  // A peer that does not answer within this bound is treated as gone; it must not hang the caller.
  static constexpr int kCallTimeoutMs = 3000;

  using MessageHandler =
      std::function<void(std::uint32_t id, const QString& name, qint64 wParam, qint64 lParam)>;
  using CopyDataHandler = std::function<void(quint64 dwData, const QByteArray& data)>;

  explicit MessageBus(QDBusConnection connection, QObject* parent = nullptr);
  ~MessageBus() override;

  // Registers the object at kObjectPath; false when there is no bus or the path is taken.
  bool Export();

  void SetMessageHandler(MessageHandler handler) { messageHandler_ = std::move(handler); }
  void SetCopyDataHandler(CopyDataHandler handler) { copyDataHandler_ = std::move(handler); }

  // Announces a registered message to every listener on the bus (the replacement of a system-wide
  // broadcast); false when the bus is unavailable.
  bool BroadcastMessage(const QString& name, qint64 wParam, qint64 lParam);

  // Calls PostMessage / CopyData on the program that owns `service`, waiting for it to take the call (at
  // most kCallTimeoutMs). False when the service is absent or did not answer.
  static bool PostTo(QDBusConnection connection, const QString& service, const QString& name, qint64 wParam,
                     qint64 lParam);
  static bool CopyDataTo(QDBusConnection connection, const QString& service, quint64 dwData,
                         const QByteArray& data);

 public Q_SLOTS:
  Q_SCRIPTABLE void PostMessage(const QString& name, qlonglong wParam, qlonglong lParam);
  Q_SCRIPTABLE void CopyData(qulonglong dwData, const QByteArray& data);

 Q_SIGNALS:
  Q_SCRIPTABLE void Broadcast(const QString& name, qlonglong wParam, qlonglong lParam);

 private:
  QDBusConnection connection_;
  bool exported_ = false;
  MessageHandler messageHandler_;
  CopyDataHandler copyDataHandler_;
};

}  // namespace nimbel
