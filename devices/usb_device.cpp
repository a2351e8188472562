#include "devices/usb_device.h"

#include <QDialog>
#include <QMetaObject>
#include <QStackedWidget>
#include <QTabWidget>
#include <algorithm>
#include <optional>

#include "devices/light_cadence.h"
#include "platform/tick.h"
#include "platform/trace.h"
#include "profiles/text.h"
#include "ui/find_control.h"
#include "ui/skin_loader.h"

namespace nimbel {
namespace {

constexpr const char* kLightingExitTrace = "MS灯光线程设定退出";
constexpr const char* kLinkQueryFailedTrace = "获取2.4G模式失败";
constexpr const char* kLinkQueryDoneTrace = "获取2";
constexpr const char* kFunctionSwitchName = "device_function_switch";
constexpr const char* kKeyFunctionSwitchName = "device_key_function_switch";
constexpr const char* kKeyButtonPrefix = "key_";
constexpr const char* kLedControlPrefix = "light_";

// The tabs of the two function switches a connection view shows; a view outside the table shows tab 0
// of both. kKeep leaves a switch as it is.
constexpr int kKeep = -1;
struct ConnectionViewTabs {
  int view;
  int functionTab;
  int keyFunctionTab;
};
constexpr std::array<ConnectionViewTabs, 9> kConnectionViews{{
    {2, 0, 1},
    {6, 0, 1},
    {3, 1, kKeep},
    {10, 1, kKeep},
    {7, 0, 2},
    {5, 2, kKeep},
    {8, 3, kKeep},
    {9, 5, kKeep},
    // View 4 for a keyboard or mouse by cable; any other device shows view 4 as view 7.
    {4, 4, kKeep},
}};
constexpr int kProductView = 4;
constexpr int kProductViewFallback = 7;

void SelectTab(QWidget* tabs, int index) {
  if (tabs == nullptr || index == kKeep) return;
  if (auto* stack = qobject_cast<QStackedWidget*>(tabs)) {
    stack->setCurrentIndex(index);
  } else if (auto* tabWidget = qobject_cast<QTabWidget*>(tabs)) {
    tabWidget->setCurrentIndex(index);
  }
}

// The index after `prefix` in a cell's name, when it is a plain decimal number below `count`.
std::optional<std::size_t> CellIndex(const QString& name, const char* prefix, std::size_t count) {
  const std::optional<IndexedName> split = SplitIndexedName(name.toStdString());
  if (!split || split->prefix != prefix || static_cast<std::size_t>(split->number) >= count)
    return std::nullopt;
  return static_cast<std::size_t>(split->number);
}

// Receiver kinds listen on the receiver's notification interface, cable kinds on the cable's.
LinkPath NotificationPathOf(KindCode kind) {
  return IsReceiverKind(kind) ? LinkPath::Receiver : LinkPath::Wired;
}

}  // namespace

CVelquorUSBDevice::CVelquorUSBDevice()
    : notifications_([this](std::uint16_t value, LinkPath link) {
        HandleNotification(value, link == LinkPath::Receiver);
      }) {}

CVelquorUSBDevice::~CVelquorUSBDevice() {
  StopThreads();
  framePush_.reset();
  delete page_.data();
}

void CVelquorUSBDevice::StopThreads() {
  worker_.Stop();
  StopLighting();
  notifications_.DetachAll();
}

void CVelquorUSBDevice::BuildPage() {
  std::fill(keyButtons_.begin(), keyButtons_.end(), nullptr);
  std::fill(ledControls_.begin(), ledControls_.end(), nullptr);
  if (page_ == nullptr) return;
  // The LED cells show the lighting wherever the skin draws the device; they are a picture, not
  // controls, so they take no clicks and no focus.
  for (CDeviceKeyButtonUI* cell : page_->findChildren<CDeviceKeyButtonUI*>()) {
    if (auto led = CellIndex(cell->objectName(), kLedControlPrefix, ledControls_.size())) {
      ledControls_[*led] = cell;
      cell->setAttribute(Qt::WA_TransparentForMouseEvents);
      cell->setFocusPolicy(Qt::NoFocus);
    }
  }
  selectPanel_ = page_->findChild<CSelectPanelUI*>();
  if (selectPanel_ == nullptr) return;
  for (CDeviceKeyButtonUI* cell : selectPanel_->findChildren<CDeviceKeyButtonUI*>()) {
    if (auto key = CellIndex(cell->objectName(), kKeyButtonPrefix, keyButtons_.size()))
      keyButtons_[*key] = cell;
  }
}

bool CVelquorUSBDevice::CreatePage(QWidget* parent) {
  DevicePageBuilder builder;
  QWidget* page = LoadSkin(QString::fromStdString(pageSkinName_), parent, &builder);
  if (page == nullptr) return false;
  framePush_.reset();
  delete page_.data();
  page_ = page;
  functionSwitch_ = nullptr;
  keyFunctionSwitch_ = nullptr;
  BuildPage();
  framePush_ = std::make_unique<FramePush>(page, [this] { SendLightFrame(); });
  return true;
}

void CVelquorUSBDevice::CloseChildWindows() {
  if (page_ == nullptr) return;
  // Rejected, not deleted: a modal run of the window returns to its caller, which owns it.
  for (QDialog* window : page_->findChildren<QDialog*>()) {
    if (window->isVisible()) window->reject();
  }
}

CDeviceKeyButtonUI* CVelquorUSBDevice::KeyButton(std::size_t index) const {
  return index < keyButtons_.size() ? keyButtons_[index].data() : nullptr;
}

CDeviceKeyButtonUI* CVelquorUSBDevice::LedControl(std::size_t index) const {
  return index < ledControls_.size() ? ledControls_[index].data() : nullptr;
}

void CVelquorUSBDevice::SendLightFrame() {
  if (!hostLighting_.load()) return;
  const std::vector<LedEntry> frame = GetLightFrame();
  for (std::size_t led = 0; led < frame.size() && led < ledControls_.size(); ++led) {
    CDeviceKeyButtonUI* cell = ledControls_[led].data();
    // Each cell repaints only itself, and only when its entry changed.
    if (cell != nullptr && cell->isVisible()) cell->SetLed(frame[led]);
  }
  scaledFrame_ = ScaleLightFrame(frame);
}

void CVelquorUSBDevice::SetLedValue(int index, std::uint32_t value) {
  lightRequests_.SetLedValue(index, value);
  ApplyLightRequestsIfIdle();
}

std::uint32_t CVelquorUSBDevice::GetLedValue(int index) const {
  std::lock_guard lock(frameLock_);
  if (index < 0 || static_cast<std::size_t>(index) >= published_.frame.size()) return 0;
  return published_.frame[static_cast<std::size_t>(index)].Value();
}

QWidget* CVelquorUSBDevice::FindSwitch(QPointer<QWidget>& cached, const char* name) {
  if (cached == nullptr) cached = FindControl(page_, QLatin1String(name));
  return cached;
}

void CVelquorUSBDevice::SetConnectionView(int view) {
  connectionView_ = view;
  const bool productView = kind_ == KindCode::KeyboardCable || kind_ == KindCode::MouseCable;
  const int effective = view == kProductView && !productView ? kProductViewFallback : view;
  const auto row =
      std::find_if(kConnectionViews.begin(), kConnectionViews.end(),
                   [effective](const ConnectionViewTabs& tabs) { return tabs.view == effective; });
  const ConnectionViewTabs tabs = row != kConnectionViews.end() ? *row : ConnectionViewTabs{effective, 0, 0};
  SelectTab(FindSwitch(functionSwitch_, kFunctionSwitchName), tabs.functionTab);
  SelectTab(FindSwitch(keyFunctionSwitch_, kKeyFunctionSwitchName), tabs.keyFunctionTab);
}

void CVelquorUSBDevice::SetIdentity(const InterfaceRow& row) {
  identity_ = row;
  kind_ = row.kind;
  role_ = row.role;
}

bool CVelquorUSBDevice::OpenNotification(std::string_view path, KindCode kind) {
  return notifications_.Attach(path, NotificationPathOf(kind));
}

void CVelquorUSBDevice::CloseNotification(KindCode kind) {
  notifications_.Detach(NotificationPathOf(kind));
}

void CVelquorUSBDevice::SetHostLighting(bool on) {
  hostLighting_ = on;
  if (on && kind_ == KindCode::KeyboardCable) command_.EnableHostLighting();
}

bool CVelquorUSBDevice::ApplyCatalogueRows(int kindRow) {
  if (kindRow < 0 || static_cast<std::size_t>(kindRow) >= DeviceCatalogue::kKindRowCount) return false;
  const auto index = static_cast<std::size_t>(kindRow);
  const DeviceKindRow& kindRowValues = DeviceCatalogue::KindRows()[index];
  const DevicePageRow& page = DeviceCatalogue::PageRows()[index];
  SetPageSkinName(std::string(page.pageSkinFile));
  SetKeyButtonCount(static_cast<std::size_t>(std::max(page.keyButtonCount, 0)));
  SetLedCount(static_cast<std::size_t>(std::max(page.ledCount, 0)));
  SetKindRowIndex(kindRow);
  SetPowerIndicatorMode(page.powerIndicatorMode);
  SetMouseOption(page.mouseOption);
  SetKindName(std::string(kindRowValues.kindName));
  SetLightTableIndex(kindRowValues.lightNameIndex);
  SetLightListName(std::string(page.lightListName));
  return true;
}

void CVelquorUSBDevice::SetKeyButtonCount(std::size_t count) {
  keyButtons_.assign(count, nullptr);
  BuildPage();
}

void CVelquorUSBDevice::SetLedCount(std::size_t count) {
  ledControls_.assign(count, nullptr);
  lightRequests_.SetLedCount(count);
  ApplyLightRequestsIfIdle();
  BuildPage();
}

void CVelquorUSBDevice::StartLighting() {
  if (lighting_.IsRunning()) return;
  lighting_.Start([this](Event& stop) { LightingLoop(stop); });
}

bool CVelquorUSBDevice::StopLighting() {
  return lighting_.Stop(kLightingStopBoundMs);
}

void CVelquorUSBDevice::LightingLoop(Event& stop) {
  lightPass_.Restart(TickMs());
  const std::array<Event*, 2> wakers{&stop, &lightRequests_.Arrived()};
  constexpr int kStopped = 0;
  bool wasOpen = false;
  int waitMs = 0;
  while (WaitForAnyEvent(wakers, waitMs) != kStopped) {
    const bool open = command_.IsOpen();
    // Time spent with the channel closed or on a still picture is not caught up on: the next mode starts
    // from its first step.
    if (open && (!wasOpen || waitMs == Event::kInfinite)) lightPass_.Restart(TickMs());
    wasOpen = open;
    RunLightingPass(TickMs(), open);
    waitMs = !open                  ? kClosedChannelSleepMs
             : lightPass_.IsStill() ? Event::kInfinite
                                    : static_cast<int>(LightCadence::kOutputPeriodMs);
  }
  Trace(kLightingExitTrace);
}

void CVelquorUSBDevice::RunLightingPass(std::uint32_t nowMs, bool step) {
  lightPass_.Apply(lightRequests_.Take(), nowMs);
  if (step) lightPass_.Advance(nowMs);
  std::lock_guard lock(frameLock_);
  lightPass_.Publish(published_);
}

void CVelquorUSBDevice::ApplyLightRequestsIfIdle() {
  if (!lighting_.IsRunning()) RunLightingPass(TickMs(), false);
}

LightParameters CVelquorUSBDevice::GetLightParameters() const {
  return lightRequests_.Parameters();
}

EffectState CVelquorUSBDevice::GetEffectState() const {
  std::lock_guard lock(frameLock_);
  return published_.state;
}

std::vector<LedEntry> CVelquorUSBDevice::GetLightFrame() const {
  std::lock_guard lock(frameLock_);
  return published_.frame;
}

void CVelquorUSBDevice::SetLightParameters(const LightParameters& parameters) {
  lightRequests_.SetParameters(parameters);
  ApplyLightRequestsIfIdle();
}

void CVelquorUSBDevice::SetCustomEffectSteps(std::vector<LightEffectStep> steps) {
  lightRequests_.SetCustomSteps(std::move(steps));
  ApplyLightRequestsIfIdle();
}

void CVelquorUSBDevice::AwaitLink(const LinkWait& wait, std::function<void()> then) {
  RunOnWorker([this, wait](const DeviceWorker::CancelCheck& cancel) { return WaitForLink(wait, cancel); },
              [then = std::move(then)](bool waited) {
                if (waited) then();
              });
}

bool CVelquorUSBDevice::WaitForLink(const LinkWait& wait, const DeviceWorker::CancelCheck& cancel) {
  const std::uint32_t start = TickMs();
  const auto outOfTime = [&] { return TickMs() - start >= static_cast<std::uint32_t>(wait.total.count()); };
  for (int attempt = 1; attempt <= wait.tries; ++attempt) {
    if (cancel.IsCancelled()) return false;
    if (command_.QueryLink()) break;
    if (attempt == wait.tries || outOfTime()) break;
    Trace(kLinkQueryFailedTrace);
    if (!cancel.Pause(static_cast<int>(wait.pause.count()))) return false;
  }
  Trace(kLinkQueryDoneTrace);
  return true;
}

void CVelquorUSBDevice::CheckLink(std::function<void(bool linked)> then) {
  RunOnWorker(
      [this](const DeviceWorker::CancelCheck& cancel) -> std::optional<bool> {
        if (cancel.IsCancelled()) return std::nullopt;
        return IsLinked() != 0;
      },
      [then = std::move(then)](const std::optional<bool>& linked) {
        if (linked) then(*linked);
      });
}

void CVelquorUSBDevice::CancelDeviceWork() {
  worker_.CancelAll();
}

void CVelquorUSBDevice::PostToUi(std::function<void()> task) {
  QMetaObject::invokeMethod(&uiContext_, std::move(task), Qt::QueuedConnection);
}

void CVelquorUSBDevice::SendToMainWindow(std::uint32_t message, std::intptr_t wParam, std::intptr_t lParam) {
  if (mainWindow_ != nullptr) SendMessage(mainWindow_.data(), message, wParam, lParam);
}

}  // namespace nimbel
