#include "binding/device_option_ui.h"

#include <QAbstractButton>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QStackedWidget>
#include <algorithm>
#include <string_view>

#include "catalogue/tab_timing.h"
#include "catalogue/window_message_sink.h"
#include "catalogue/window_messages.h"
#include "platform/trace.h"
#include "protocol/command_channel.h"
#include "ui/control_factory.h"
#include "ui/find_control.h"
#include "ui/notify_pump.h"
#include "ui/resource_manager.h"
#include "ui/skin_attributes.h"

namespace nimbel {
namespace {

constexpr const char* kSelectOptionName = "device_select";
constexpr const char* kSyncOptionName = "synchro_device_select";
constexpr const char* kNameLabelName = "device_select_name";

constexpr const char* kLinkBackTrace = "2.4gcesvdfherhue  12312423 123342341";
constexpr const char* kLinkLostTrace = "2.4gcesvdfherhue";
constexpr const char* kCableWatchTrace = "2.4gcesvdfherhue  12312423";

// Retries of the link check count 0..kMaxLinkRetries and then start over.
constexpr int kMaxLinkRetries = 4;

enum ImageIndex { kNormal, kSelected, kSyncNormal, kSyncSelected };

constexpr const char* kIconFolder = "common/device_ico/";
constexpr std::string_view kImageSuffixes[] = {"_device_normal.png", "_device_selected.png",
                                               "_device_synchro_normal.png", "_device_synchro_selected.png"};
constexpr const char* kNameTextSuffix = "_device_name_text";

constexpr int kAnyRole = -1;
struct IconRule {
  int kind;
  int role;
  // Empty: the set is left as it is.
  std::string_view stem;
};
constexpr IconRule kIconRules[] = {
    {1, kAnyRole, "kb"}, {2, kAnyRole, "ms"}, {3, 0, "hard_mp"},   {3, 1, "soft_mp"},
    {3, kAnyRole, ""},   {4, kAnyRole, "hd"}, {7, kAnyRole, "hd"}, {5, kAnyRole, "hub"},
};
constexpr std::string_view kUnknownStem = "unknow";

std::string_view IconStemFor(int kind, int role) {
  for (const IconRule& rule : kIconRules) {
    if (rule.kind == kind && (rule.role == kAnyRole || rule.role == role)) return rule.stem;
  }
  return kUnknownStem;
}

std::array<QString, 4> ImagesOf(std::string_view stem) {
  std::array<QString, 4> images;
  for (std::size_t i = 0; i < images.size(); ++i) {
    images[i] = QString::fromLatin1(kIconFolder) +
                QString::fromUtf8(stem.data(), static_cast<int>(stem.size())) +
                QString::fromUtf8(kImageSuffixes[i].data(), static_cast<int>(kImageSuffixes[i].size()));
  }
  return images;
}

bool IsToggleKey(const QEvent* event) {
  if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) return false;
  const int key = static_cast<const QKeyEvent*>(event)->key();
  return key == Qt::Key_Space || key == Qt::Key_Select;
}

bool IsPressOrRelease(const QEvent* event) {
  const QEvent::Type type = event->type();
  return type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
         type == QEvent::MouseButtonDblClick;
}

}  // namespace

void CDeviceOptionUI::Register() {
  CControlFactory::Instance().RegistControl(QString::fromLatin1(kClassName),
                                            [](QWidget* parent) { return new CDeviceOptionUI(parent); });
}

CDeviceOptionUI::CDeviceOptionUI(QWidget* parent) : QWidget(parent), images_(ImagesOf(kUnknownStem)) {}

CDeviceOptionUI::~CDeviceOptionUI() = default;

QAbstractButton* CDeviceOptionUI::SelectOption() const {
  if (selectOption_ == nullptr)
    selectOption_ = findChild<QAbstractButton*>(QString::fromLatin1(kSelectOptionName));
  return selectOption_;
}

QAbstractButton* CDeviceOptionUI::SyncOption() const {
  if (syncOption_ == nullptr) syncOption_ = findChild<QAbstractButton*>(QString::fromLatin1(kSyncOptionName));
  return syncOption_;
}

QLabel* CDeviceOptionUI::NameLabel() const {
  if (nameLabel_ == nullptr) nameLabel_ = findChild<QLabel*>(QString::fromLatin1(kNameLabelName));
  return nameLabel_;
}

void CDeviceOptionUI::WireSelectOption() {
  QAbstractButton* option = SelectOption();
  if (option == nullptr || wired_) return;
  wired_ = true;
  option->installEventFilter(this);
  connect(option, &QAbstractButton::toggled, this, [this](bool on) {
    if (!on) return;
    UnselectGroupPeers();
    ShowBoundPage();
  });
}

void CDeviceOptionUI::SetIcons(int kind, int role) {
  kind_ = kind;
  role_ = role;
  const std::string_view stem = IconStemFor(kind, role);
  if (stem.empty()) return;
  images_ = ImagesOf(stem);
  if (QAbstractButton* option = SelectOption()) {
    SetNormalImage(option, images_[kNormal]);
    SetDisabledImage(option, images_[kNormal]);
    SetSelectedImage(option, images_[kSelected]);
    const QString nameId = QString::fromUtf8(stem.data(), static_cast<int>(stem.size())) + kNameTextSuffix;
    option->setProperty(CResourceManager::kToolTipIdProperty, nameId);
    CResourceManager::Instance().ReloadText(option);
  }
}

void CDeviceOptionUI::SetName(const QString& text) {
  name_ = text;
  QLabel* label = NameLabel();
  if (label == nullptr) return;
  CResourceManager& resources = CResourceManager::Instance();
  if (resources.Text(text) != text) {
    resources.SetTextId(label, text);
    return;
  }
  // A literal name must not be replaced by the skin's text id at the next language change.
  label->setProperty(CResourceManager::kTextIdProperty, QVariant());
  label->setText(text);
}

QString CDeviceOptionUI::ShownName() const {
  const QLabel* label = NameLabel();
  return label != nullptr ? label->text() : name_;
}

void CDeviceOptionUI::SetNumber(int number) {
  QLabel* label = NameLabel();
  if (label == nullptr) return;
  label->setProperty(CResourceManager::kTextNumberProperty, number > 0 ? QVariant(number) : QVariant());
  if (label->property(CResourceManager::kTextIdProperty).isValid()) {
    CResourceManager::Instance().ReloadText(label);
  } else {
    label->setText(number > 0 ? name_ + QLatin1Char(' ') + QString::number(number) : name_);
  }
}

void CDeviceOptionUI::BindPage(const QString& layoutName, int index) {
  boundLayout_ = layoutName;
  boundIndex_ = index;
  WireSelectOption();
}

void CDeviceOptionUI::SetPowerSlot(const QString& containerName, int index) {
  powerContainer_ = containerName;
  if (index >= 0) powerIndex_ = index;
}

void CDeviceOptionUI::SetGroup(const QString& name) {
  group_ = name;
  WireSelectOption();
}

void CDeviceOptionUI::ShowSyncOption(bool show) {
  if (QAbstractButton* sync = SyncOption()) sync->setVisible(show);
  ApplyImagePair();
}

void CDeviceOptionUI::SetSynchronised(bool on) {
  if (QAbstractButton* sync = SyncOption()) sync->setChecked(on);
  ApplyImagePair();
}

void CDeviceOptionUI::ApplyImagePair() {
  QAbstractButton* option = SelectOption();
  if (option == nullptr) return;
  const bool synchronised = IsSynchronised();
  SetNormalImage(option, images_[synchronised ? kSyncNormal : kNormal]);
  SetSelectedImage(option, images_[synchronised ? kSyncSelected : kSelected]);
}

bool CDeviceOptionUI::IsSynchronised() const {
  const QAbstractButton* sync = SyncOption();
  return sync != nullptr && sync->isChecked();
}

bool CDeviceOptionUI::IsSelected() const {
  const QAbstractButton* option = SelectOption();
  return option != nullptr && option->isChecked();
}

void CDeviceOptionUI::Select(bool on) {
  WireSelectOption();
  if (QAbstractButton* option = SelectOption()) option->setChecked(on);
}

void CDeviceOptionUI::SetVisible(bool on) {
  shown_ = on;
  setVisible(on);
}

void CDeviceOptionUI::StartBindTimer() {
  StartTimer(tab_timer::kBind, tab_timing::kBindDelayMs);
}

void CDeviceOptionUI::Activate() {
  CNotifyPump::SendNotify(this, notify::kSelectChanged);
}

void CDeviceOptionUI::ShowBoundPage() {
  auto* pages = FindControl<QStackedWidget>(window(), boundLayout_);
  if (pages != nullptr && boundIndex_ >= 0) pages->setCurrentIndex(boundIndex_);
}

void CDeviceOptionUI::UnselectGroupPeers() {
  if (group_.isEmpty() || parentWidget() == nullptr) return;
  for (CDeviceOptionUI* peer : window()->findChildren<CDeviceOptionUI*>()) {
    if (peer != this && peer->group_ == group_ && peer->IsSelected()) peer->Select(false);
  }
}

bool CDeviceOptionUI::eventFilter(QObject* watched, QEvent* event) {
  // In a group the selected option stays selected until another one is chosen, as a radio button does.
  if (watched == selectOption_ && !group_.isEmpty() && selectOption_->isChecked() &&
      (IsPressOrRelease(event) || IsToggleKey(event))) {
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void CDeviceOptionUI::StartTimer(int id, int periodMs) {
  SetTimer(this, id, periodMs);
}

void CDeviceOptionUI::StopTimer(int id) {
  KillTimer(this, id);
}

void CDeviceOptionUI::OnTimer(int id) {
  StopTimer(id);
  if (device_ == nullptr) return;
  switch (id) {
    case tab_timer::kBind:
      OnBindTimer();
      break;
    case tab_timer::kResync:
      device_->SyncFromProfile();
      break;
    case tab_timer::kPowerPoll:
      OnPowerTimer();
      break;
    case tab_timer::kLinkWatch:
      OnLinkWatchTimer();
      break;
    default:
      break;
  }
}

bool CDeviceOptionUI::HasPowerIndicator() const {
  return device_->PowerIndicatorMode() == kReportsBatteryState;
}

void CDeviceOptionUI::CheckLink(void (CDeviceOptionUI::*onAnswer)(bool linked)) {
  // The answer may come after the item was destroyed or bound to another device: it is then dropped.
  device_->CheckLink([self = QPointer<CDeviceOptionUI>(this), device = device_, onAnswer](bool linked) {
    if (self != nullptr && self->device_ == device) (self.data()->*onAnswer)(linked);
  });
}

void CDeviceOptionUI::OnBindTimer() {
  CommandChannel& channel = device_->Channel();
  if (channel.UseReceiver() && channel.IsOpen()) {
    CheckLink(&CDeviceOptionUI::OnBindLinkAnswer);
    return;
  }
  FinishBind();
}

void CDeviceOptionUI::OnBindLinkAnswer(bool linked) {
  if (!linked) {
    linkRetries_ = linkRetries_ >= kMaxLinkRetries ? 0 : linkRetries_ + 1;
    if (IsShown()) {
      // The selector hides the tab and moves the selection to another shown device; it can only do
      // that while the tab still counts as shown.
      SendLinkState(kLinkDown);
      SetVisible(false);
    }
    StartTimer(tab_timer::kBind, tab_timing::kLinkRetryMs);
    return;
  }
  SendLinkState(kLinkUp);
  FinishBind();
}

void CDeviceOptionUI::FinishBind() {
  CommandChannel& channel = device_->Channel();
  device_->SyncFromDevice();
  linkRetries_ = 0;
  if (HasPowerIndicator() && channel.IsOpen()) StartTimer(tab_timer::kPowerPoll, tab_timing::kPowerFirstMs);
  if (channel.UseReceiver()) StartTimer(tab_timer::kLinkWatch, tab_timing::kLinkWatchFirstMs);
}

void CDeviceOptionUI::OnPowerTimer() {
  device_->PollPowerStatus();
  // A device whose channel closed has gone; binding starts the poll again when it comes back.
  if (HasPowerIndicator() && device_->Channel().IsOpen()) {
    StartTimer(tab_timer::kPowerPoll, tab_timing::kPowerPeriodMs);
  }
}

void CDeviceOptionUI::OnLinkWatchTimer() {
  CommandChannel& channel = device_->Channel();
  if (channel.UseReceiver()) {
    CheckLink(&CDeviceOptionUI::OnWatchedLinkAnswer);
  } else if (channel.IsOpen()) {
    // Watching ends on the cable; binding starts it again when the receiver path is taken.
    Trace(kCableWatchTrace);
  }
}

void CDeviceOptionUI::OnWatchedLinkAnswer(bool linked) {
  if (linked && !IsShown()) {
    SendLinkState(kLinkUp);
    if (HasPowerIndicator()) device_->PollPowerStatus();
    device_->SyncFromDevice();
    Trace(kLinkBackTrace);
  } else if (!linked && IsShown()) {
    SendLinkState(kLinkDown);
    Trace(kLinkLostTrace);
  }
  // Watching goes on while the receiver path is in use; a closed channel is restarted by binding.
  const CommandChannel& channel = device_->Channel();
  if (channel.UseReceiver() && channel.IsOpen()) {
    StartTimer(tab_timer::kLinkWatch, tab_timing::kLinkWatchPeriodMs);
  }
}

void CDeviceOptionUI::SendLinkState(std::intptr_t state) {
  const auto items = DeviceTabItems(parentWidget());
  const auto found = std::find(items.begin(), items.end(), this);
  if (found == items.end()) return;
  if (auto* mainWindow = dynamic_cast<IMainWindowEvents*>(window()))
    mainWindow->LinkChanged(static_cast<int>(found - items.begin()), state == kLinkUp);
}

std::vector<CDeviceOptionUI*> DeviceTabItems(const QWidget* container) {
  std::vector<CDeviceOptionUI*> items;
  if (container == nullptr || container->layout() == nullptr) return items;
  QLayout* layout = container->layout();
  for (int i = 0; i < layout->count(); ++i) {
    if (auto* item = dynamic_cast<CDeviceOptionUI*>(layout->itemAt(i)->widget())) items.push_back(item);
  }
  return items;
}

}  // namespace nimbel
