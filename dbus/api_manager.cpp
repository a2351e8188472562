#include "dbus/api_manager.h"

#include "dbus/api_device.h"
#include "dbus/api_types.h"
#include "devices/mouse_device.h"
#include "generated_adaptors.h"

namespace nimbel {

ApiManager::ApiManager(QDBusConnection bus, DeviceSource devices)
    : bus_(std::move(bus)), source_(std::move(devices)) {
  RegisterApiTypes();
  new ManagerAdaptor(this);
}

ApiManager::~ApiManager() {
  devices_.clear();
  if (exported_) bus_.unregisterObject(QLatin1String(api::kManagerPath));
}

bool ApiManager::Export() {
  if (!bus_.isConnected()) return false;
  exported_ = bus_.registerObject(QLatin1String(api::kManagerPath), this);
  if (exported_) Reconcile();
  return exported_;
}

uint ApiManager::Version() const {
  return api::kVersion;
}

QList<QDBusObjectPath> ApiManager::ListDevices() const {
  QList<QDBusObjectPath> paths;
  for (const auto& [device, object] : devices_) paths.append(QDBusObjectPath(object->Path()));
  return paths;
}

void ApiManager::DevicesChanged() {
  if (reconcileScheduled_) return;
  reconcileScheduled_ = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        reconcileScheduled_ = false;
        Reconcile();
      },
      Qt::QueuedConnection);
}

void ApiManager::Reconcile() {
  if (!exported_) return;
  bool listChanged = false;
  for (CVelquorUSBDevice* device : source_()) {
    auto* mouse = dynamic_cast<CVelquorMouseDevice*>(device);
    if (mouse == nullptr) continue;
    const auto known = devices_.find(device);
    const bool bound = mouse->Channel().IsOpen();
    if (bound && known == devices_.end()) {
      auto object = std::make_unique<ApiDevice>(*mouse, bus_);
      if (!object->Export()) continue;
      const QDBusObjectPath path(object->Path());
      devices_.emplace(device, std::move(object));
      emit DeviceAdded(path);
      listChanged = true;
    } else if (!bound && known != devices_.end()) {
      const QDBusObjectPath path(known->second->Path());
      devices_.erase(known);
      emit DeviceRemoved(path);
      listChanged = true;
    } else if (known != devices_.end()) {
      known->second->ScheduleAnnouncement();
    }
  }
  if (listChanged) {
    AnnouncePropertyChanges(bus_, QLatin1String(api::kManagerPath), api::kManagerInterface,
                            {{QStringLiteral("Devices"), QVariant::fromValue(ListDevices())}});
  }
}

}  // namespace nimbel
