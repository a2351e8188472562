#pragma once

// Nimbel's scripting interface on the session bus: org.nimbel.Nimbel1.Manager at /org/nimbel/Nimbel1
// (adaptor generated from org.nimbel.Nimbel1.xml) and one ApiDevice per bound mouse. A device counts as
// bound while its command channel is open; the manager follows as it is told that devices changed, and
// announces each object that comes or goes.
//
// UI thread only. Destroy it before the device objects it was given.

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QList>
#include <QObject>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace nimbel {

class ApiDevice;
class CVelquorUSBDevice;

class ApiManager : public QObject {
  Q_OBJECT
  Q_PROPERTY(uint Version READ Version)
  Q_PROPERTY(QList<QDBusObjectPath> Devices READ ListDevices)

 public:
  // Every device object there is, bound or not; the manager never owns them.
  using DeviceSource = std::function<std::vector<CVelquorUSBDevice*>()>;

  ApiManager(QDBusConnection bus, DeviceSource devices);
  ~ApiManager() override;
  ApiManager(const ApiManager&) = delete;
  ApiManager& operator=(const ApiManager&) = delete;

  // Registers the manager's object; false when there is no bus or the path is taken.
  bool Export();
  // A device was bound, unbound, or its link changed: the objects follow once the current event is done.
  void DevicesChanged();

  uint Version() const;

 public Q_SLOTS:
  QList<QDBusObjectPath> ListDevices() const;

 Q_SIGNALS:
  void DeviceAdded(const QDBusObjectPath& device);
  void DeviceRemoved(const QDBusObjectPath& device);

 private:
  void Reconcile();

  QDBusConnection bus_;
  DeviceSource source_;
  bool exported_ = false;
  bool reconcileScheduled_ = false;
  std::map<CVelquorUSBDevice*, std::unique_ptr<ApiDevice>> devices_;
};

}  // namespace nimbel
