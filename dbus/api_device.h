#pragma once

// One bound mouse on the session bus: org.nimbel.Nimbel1.Device (adaptor generated from
// org.nimbel.Nimbel1.xml). Its properties are read from the device object as the page shows it; its
// methods check their arguments and then call the operations the page's controls call, so the page,
// the profile and the mouse agree whoever changed what. After every possible change the properties are
// compared with those last announced, and what differs goes out in one PropertiesChanged.
//
// UI thread only, like the device object it reads.

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QVariantMap>
#include <string>

#include "dbus/api_types.h"

namespace nimbel {

class CDeviceOptionUI;
class CDeviceProfileUI;
class CVelquorMouseDevice;
class CVelquorUSBDevice;

// Sends org.freedesktop.DBus.Properties.PropertiesChanged for `changed` of `interface` at `path`.
void AnnouncePropertyChanges(QDBusConnection& bus, const QString& path, const char* interface,
                             const QVariantMap& changed);

class ApiDevice : public QObject, protected QDBusContext {
  Q_OBJECT
  Q_PROPERTY(QString Id READ Id)
  Q_PROPERTY(QString Name READ Name)
  Q_PROPERTY(QString Kind READ Kind)
  Q_PROPERTY(ushort VendorId READ VendorId)
  Q_PROPERTY(ushort ProductId READ ProductId)
  Q_PROPERTY(QString Link READ Link)
  Q_PROPERTY(bool Linked READ Linked)
  Q_PROPERTY(int BatteryPercentage READ BatteryPercentage)
  Q_PROPERTY(bool Charging READ Charging)
  Q_PROPERTY(QString FirmwareVersion READ FirmwareVersion)
  Q_PROPERTY(QStringList Profiles READ Profiles)
  Q_PROPERTY(QString SelectedProfile READ SelectedProfile)
  Q_PROPERTY(nimbel::DpiStageList DpiStages READ DpiStages)
  Q_PROPERTY(uint ActiveStage READ ActiveStage)
  Q_PROPERTY(uint PollingRate READ PollingRate)

 public:
  ApiDevice(CVelquorMouseDevice& mouse, QDBusConnection bus);
  ~ApiDevice() override;
  ApiDevice(const ApiDevice&) = delete;
  ApiDevice& operator=(const ApiDevice&) = delete;

  // The id of a device: its vendor and product id as "vvvv_pppp".
  static QString IdOf(const CVelquorUSBDevice& device);
  QString Path() const { return path_; }
  CVelquorMouseDevice& Mouse() const { return mouse_; }

  // Registers the object at Path(); false when the path is taken.
  bool Export();
  // Announces the properties that differ from those last announced, once the current event is done
  // (one change often passes several places that call this).
  void ScheduleAnnouncement();

  QString Id() const { return id_; }
  QString Name() const;
  QString Kind() const;
  ushort VendorId() const;
  ushort ProductId() const;
  QString Link() const;
  bool Linked() const;
  int BatteryPercentage() const;
  bool Charging() const;
  QString FirmwareVersion() const;
  QStringList Profiles() const;
  QString SelectedProfile() const;
  DpiStageList DpiStages() const;
  uint ActiveStage() const;
  uint PollingRate() const;

 public Q_SLOTS:
  void SetStageDpi(uint stage, uint dpi);
  void SetStageColour(uint stage, const QString& colour);
  void SetStageEnabled(uint stage, bool enabled);
  void SetActiveStage(uint stage);
  void SetPollingRate(uint hz);
  void SelectProfile(const QString& name);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QVariantMap Properties() const;
  void AnnounceChanges();
  // Sends InvalidArgs with `why` to the caller; false, so that a check reads `return Refuse(...)`.
  bool Refuse(const std::string& why);
  // The stage exists on this mouse, whose variant is known; refused otherwise.
  bool CheckStage(uint stage);
  CDeviceOptionUI* Tab() const;
  CDeviceProfileUI* ProfileBar() const;

  CVelquorMouseDevice& mouse_;
  QDBusConnection bus_;
  QString id_;
  QString path_;
  bool exported_ = false;
  bool announcementScheduled_ = false;
  QVariantMap announced_;
  QPointer<QObject> watchedTab_;
  QPointer<CDeviceProfileUI> watchedBar_;
};

}  // namespace nimbel
