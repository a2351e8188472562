#include "dbus/api_device.h"

#include <QDBusMessage>
#include <QEvent>
#include <algorithm>

#include "binding/device_option_ui.h"
#include "dbus/device_values.h"
#include "devices/mouse_device.h"
#include "devices/mouse_page.h"
#include "editors/device_profile_ui.h"
#include "generated_adaptors.h"
#include "ui/resource_manager.h"

namespace nimbel {
namespace {

constexpr const char* kMouseKind = "mouse";
constexpr const char* kCableLink = "cable";
constexpr const char* kReceiverLink = "receiver";
constexpr std::uint8_t kCharging = 1;
constexpr int kUnknownBattery = -1;
constexpr int kHex = 16;
constexpr int kIdDigits = 4;
// A caller may send a name of any length; the refusal quotes enough of it to recognise.
constexpr qsizetype kMaxProfileNameInMessage = 80;
// The rates stand for the page's polling options by place.
static_assert(kPollingRates.size() == mouse_control::kPollingOptionCount);

QString HexId(std::uint16_t value) {
  return QStringLiteral("%1").arg(value, kIdDigits, kHex, QLatin1Char('0'));
}

// Stages are named in messages as the page numbers them, from 1: a refusal reads the same to a
// nimbelctl user and to someone calling with the 0-based index.
QString StageText(uint stage) {
  return QStringLiteral("stage %1").arg(static_cast<qulonglong>(stage) + 1);
}

template <typename T>
const std::string* RefusalOf(const Checked<T>& checked) {
  return std::get_if<std::string>(&checked);
}

}  // namespace

void AnnouncePropertyChanges(QDBusConnection& bus, const QString& path, const char* interface,
                             const QVariantMap& changed) {
  QDBusMessage signal = QDBusMessage::createSignal(path, QLatin1String(api::kPropertiesInterface),
                                                   QStringLiteral("PropertiesChanged"));
  signal << QString::fromLatin1(interface) << changed << QStringList();
  bus.send(signal);
}

ApiDevice::ApiDevice(CVelquorMouseDevice& mouse, QDBusConnection bus)
    : mouse_(mouse),
      bus_(std::move(bus)),
      id_(IdOf(mouse)),
      path_(QLatin1String(api::kDevicePathPrefix) + id_) {
  new DeviceAdaptor(this);
  mouse_.SetStateChanged([this] { ScheduleAnnouncement(); });
  // The profile bar adds, renames and deletes profiles without the mouse: the Profiles property.
  if (CDeviceProfileUI* bar = ProfileBar()) {
    watchedBar_ = bar;
    bar->SetListShown([this] { ScheduleAnnouncement(); });
  }
  // The tab comes and goes with the mouse's wireless link: that is the Linked property.
  if (auto* tab = Tab()) {
    watchedTab_ = tab;
    tab->installEventFilter(this);
  }
  announced_ = Properties();
}

ApiDevice::~ApiDevice() {
  mouse_.SetStateChanged({});
  if (watchedBar_ != nullptr) watchedBar_->SetListShown({});
  if (watchedTab_ != nullptr) watchedTab_->removeEventFilter(this);
  if (exported_) bus_.unregisterObject(path_);
}

QString ApiDevice::IdOf(const CVelquorUSBDevice& device) {
  return HexId(device.Identity().vendorId) + QLatin1Char('_') + HexId(device.Identity().productId);
}

bool ApiDevice::Export() {
  exported_ = bus_.registerObject(path_, this);
  return exported_;
}

bool ApiDevice::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent) ScheduleAnnouncement();
  return QObject::eventFilter(watched, event);
}

void ApiDevice::ScheduleAnnouncement() {
  if (announcementScheduled_) return;
  announcementScheduled_ = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        announcementScheduled_ = false;
        AnnounceChanges();
      },
      Qt::QueuedConnection);
}

void ApiDevice::AnnounceChanges() {
  const QVariantMap now = Properties();
  QVariantMap changed;
  for (auto property = now.cbegin(); property != now.cend(); ++property) {
    if (announced_.value(property.key()) != property.value())
      changed.insert(property.key(), property.value());
  }
  announced_ = now;
  if (exported_ && !changed.isEmpty()) AnnouncePropertyChanges(bus_, path_, api::kDeviceInterface, changed);
}

QVariantMap ApiDevice::Properties() const {
  return {
      {QStringLiteral("Id"), Id()},
      {QStringLiteral("Name"), Name()},
      {QStringLiteral("Kind"), Kind()},
      {QStringLiteral("VendorId"), QVariant::fromValue(VendorId())},
      {QStringLiteral("ProductId"), QVariant::fromValue(ProductId())},
      {QStringLiteral("Link"), Link()},
      {QStringLiteral("Linked"), Linked()},
      {QStringLiteral("BatteryPercentage"), BatteryPercentage()},
      {QStringLiteral("Charging"), Charging()},
      {QStringLiteral("FirmwareVersion"), FirmwareVersion()},
      {QStringLiteral("Profiles"), Profiles()},
      {QStringLiteral("SelectedProfile"), SelectedProfile()},
      {QStringLiteral("DpiStages"), QVariant::fromValue(DpiStages())},
      {QStringLiteral("ActiveStage"), ActiveStage()},
      {QStringLiteral("PollingRate"), PollingRate()},
  };
}

CDeviceOptionUI* ApiDevice::Tab() const {
  return dynamic_cast<CDeviceOptionUI*>(mouse_.TabItem());
}

CDeviceProfileUI* ApiDevice::ProfileBar() const {
  return dynamic_cast<CDeviceProfileUI*>(mouse_.ProfileList());
}

// Properties.

QString ApiDevice::Name() const {
  const CDeviceOptionUI* tab = Tab();
  return tab != nullptr ? CResourceManager::Instance().Text(tab->Name()) : QString();
}

QString ApiDevice::Kind() const {
  return QLatin1String(kMouseKind);
}

ushort ApiDevice::VendorId() const {
  return mouse_.Identity().vendorId;
}

ushort ApiDevice::ProductId() const {
  return mouse_.Identity().productId;
}

QString ApiDevice::Link() const {
  return QLatin1String(mouse_.Channel().UseReceiver() ? kReceiverLink : kCableLink);
}

bool ApiDevice::Linked() const {
  const CDeviceOptionUI* tab = Tab();
  return mouse_.Channel().IsOpen() && tab != nullptr && tab->IsShown();
}

int ApiDevice::BatteryPercentage() const {
  const auto& status = mouse_.LastPowerStatus();
  return status ? (*status)[power_status_byte::kBattery] : kUnknownBattery;
}

bool ApiDevice::Charging() const {
  const auto& status = mouse_.LastPowerStatus();
  return status && (*status)[power_status_byte::kChargeState] == kCharging;
}

QString ApiDevice::FirmwareVersion() const {
  return QString::fromStdString(FirmwareVersionText(mouse_.Channel().Handle().Attributes().versionNumber));
}

QStringList ApiDevice::Profiles() const {
  QStringList names;
  const CDeviceProfileUI* bar = ProfileBar();
  if (bar == nullptr || bar->List() == nullptr) return names;
  for (const ProfileEntry& entry : bar->List()->Entries()) names << QString::fromStdString(entry.name);
  return names;
}

QString ApiDevice::SelectedProfile() const {
  const CDeviceProfileUI* bar = ProfileBar();
  if (bar == nullptr || bar->List() == nullptr) return {};
  const std::string selected = bar->List()->SelectedId();
  for (const ProfileEntry& entry : bar->List()->Entries()) {
    if (entry.id == selected) return QString::fromStdString(entry.name);
  }
  return {};
}

DpiStageList ApiDevice::DpiStages() const {
  DpiStageList list;
  const std::optional<MouseVariant> variant = mouse_.Variant();
  if (!variant) return list;
  const std::size_t count = std::min(mouse_.Stages().size(), kMouseStageCount);
  for (std::size_t i = 0; i < count; ++i) {
    const DpiStage& stage = mouse_.Stages()[i];
    list.append({static_cast<unsigned>(ShownDpi(*variant, stage.dpiX)),
                 QString::fromStdString(ColourText({stage.red, stage.green, stage.blue})),
                 stage.enabled != 0});
  }
  return list;
}

uint ApiDevice::ActiveStage() const {
  return static_cast<uint>(std::max(0, mouse_.ActiveStage()));
}

uint ApiDevice::PollingRate() const {
  return PollingRateOfOption(mouse_.GetSystemSettings().reportRate);
}

// Methods.

bool ApiDevice::Refuse(const std::string& why) {
  if (calledFromDBus()) sendErrorReply(QLatin1String(api::kInvalidArgsError), QString::fromStdString(why));
  return false;
}

bool ApiDevice::CheckStage(uint stage) {
  if (!mouse_.Variant()) return Refuse("this mouse's sensor is unknown; its DPI stages cannot be changed");
  const auto count = static_cast<uint>(DpiStages().size());
  if (stage >= count) {
    return Refuse(StageText(stage).toStdString() + " does not exist (stages 1.." + std::to_string(count) +
                  ")");
  }
  return true;
}

void ApiDevice::SetStageDpi(uint stage, uint dpi) {
  if (!CheckStage(stage)) return;
  const Checked<int> value = StageValueForDpi(*mouse_.Variant(), *mouse_.StageRange(), dpi);
  if (const std::string* refusal = RefusalOf(value)) {
    Refuse(*refusal);
    return;
  }
  mouse_.SetStageSlider(static_cast<int>(stage), std::get<int>(value));
}

void ApiDevice::SetStageColour(uint stage, const QString& colour) {
  if (!CheckStage(stage)) return;
  const Checked<Rgb> rgb = ParseColour(colour.toStdString());
  if (const std::string* refusal = RefusalOf(rgb)) {
    Refuse(*refusal);
    return;
  }
  const Rgb& value = std::get<Rgb>(rgb);
  mouse_.SetStageColour(static_cast<int>(stage), QColor(value.red, value.green, value.blue));
}

void ApiDevice::SetStageEnabled(uint stage, bool enabled) {
  if (!CheckStage(stage)) return;
  const DpiStageList stages = DpiStages();
  const auto inCycle =
      std::count_if(stages.begin(), stages.end(), [](const DpiStageEntry& s) { return s.enabled; });
  // The device object refuses these silently (the page just shows the stage again); a script is told.
  if (!enabled && stage == ActiveStage()) {
    Refuse(StageText(stage).toStdString() + " is the active stage and cannot be disabled");
    return;
  }
  if (!enabled && stages[static_cast<qsizetype>(stage)].enabled && inCycle == 1) {
    Refuse(StageText(stage).toStdString() + " is the last enabled stage");
    return;
  }
  mouse_.SetStageEnabled(static_cast<int>(stage), enabled);
}

void ApiDevice::SetActiveStage(uint stage) {
  if (!CheckStage(stage)) return;
  if (!DpiStages()[static_cast<qsizetype>(stage)].enabled) {
    Refuse(StageText(stage).toStdString() + " is disabled; enable it first");
    return;
  }
  mouse_.SetActiveStage(static_cast<int>(stage));
}

void ApiDevice::SetPollingRate(uint hz) {
  const Checked<int> option = PollingOptionForRate(hz);
  if (const std::string* refusal = RefusalOf(option)) {
    Refuse(*refusal);
    return;
  }
  mouse_.SetPollingOption(std::get<int>(option));
}

void ApiDevice::SelectProfile(const QString& name) {
  CDeviceProfileUI* bar = ProfileBar();
  const int index = static_cast<int>(Profiles().indexOf(name));
  if (bar == nullptr || index < 0) {
    Refuse("no profile named \"" + name.left(kMaxProfileNameInMessage).toStdString() + "\"");
    return;
  }
  // As the drop-down's choice once it has rested: the selection is stored, then the device takes it.
  bar->SelectProfile(index, false);
  bar->ApplySelection();
  ScheduleAnnouncement();
}

}  // namespace nimbel
