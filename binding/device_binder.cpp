#include "binding/device_binder.h"

#include <algorithm>
#include <string_view>

#include "catalogue/tab_timing.h"
#include "catalogue/window_messages.h"
#include "devices/device_interfaces.h"
#include "platform/trace.h"
#include "protocol/command_channel.h"

namespace nimbel {
namespace {

constexpr std::size_t kStartupKindRows = 2;

constexpr const char* kMouseLostTrace = "鼠标设备丢失";

struct KindTraces {
  KindCode kinds[2];
  std::string_view added;
  std::string_view removed;
};

constexpr KindTraces kKindTraces[] = {
    {{KindCode::KeyboardCable, KindCode::KeyboardReceiver}, "添加一个键盘设备", "删除一个键盘设备"},
    {{KindCode::MouseCable, KindCode::MouseReceiver}, "添加一个鼠标设备", "删除一个鼠标设备"},
    {{KindCode::MousePad, KindCode::Headset}, "添加一个鼠标垫设备", "删除一个鼠标垫设备"},
};

const KindTraces* TracesOf(KindCode kind) {
  const auto found =
      std::find_if(std::begin(kKindTraces), std::end(kKindTraces),
                   [kind](const KindTraces& t) { return t.kinds[0] == kind || t.kinds[1] == kind; });
  return found == std::end(kKindTraces) ? nullptr : found;
}

bool IsMouseKind(KindCode kind) {
  return kind == KindCode::MouseCable || kind == KindCode::MouseReceiver;
}

bool ReportsBattery(const IBindableDevice& device) {
  return device.PowerIndicatorMode() == kReportsBatteryState;
}

}  // namespace

DeviceBinder::DeviceBinder(const InterfaceSlotList& slotList, ITabSelector& selector, Hooks hooks)
    : slots_(slotList), selector_(selector), hooks_(std::move(hooks)) {}

void DeviceBinder::CreateStartupDevices() {
  const auto kindRows = DeviceCatalogue::KindRows();
  for (std::size_t k = 0; k < kStartupKindRows && k < kindRows.size(); ++k) {
    const DeviceKindRow& kindRow = kindRows[k];
    const int row = DeviceCatalogue::FindInterfaceRow(static_cast<std::uint16_t>(kindRow.vendorId),
                                                      static_cast<std::uint16_t>(kindRow.productId),
                                                      kindRow.kind, kindRow.role);
    if (row < 0) continue;
    if (IBindableDevice* device = hooks_.createDevice(static_cast<std::size_t>(row)))
      devices_.push_back(device);
  }
}

void DeviceBinder::CreateDevice(std::size_t identityRow, KindCode kind) {
  if (const KindTraces* traces = TracesOf(kind)) Trace(traces->added);
  if (IBindableDevice* device = hooks_.createDevice(identityRow)) devices_.push_back(device);
}

IBindableDevice* DeviceBinder::FindDevice(std::size_t identityRow, bool withTab) const {
  const InterfaceSlot identity = slots_.Slot(identityRow);
  const auto found = std::find_if(devices_.begin(), devices_.end(), [&](const IBindableDevice* device) {
    return (!withTab || device->TabItem() != nullptr) && SameIdentity(device->Identity(), identity);
  });
  return found == devices_.end() ? nullptr : *found;
}

IBindableDevice* DeviceBinder::DeviceOfSlot(std::size_t slotIndex) const {
  const auto identity = slots_.IdentitySlot(slotIndex);
  return identity ? FindDevice(*identity) : nullptr;
}

void DeviceBinder::OnDeviceArrived(std::intptr_t slotIndex) {
  if (!InterfaceSlotList::IsIndex(slotIndex)) return;
  const auto index = static_cast<std::size_t>(slotIndex);
  const InterfaceSlot slot = slots_.Slot(index);
  const auto identity = slots_.IdentitySlot(index);
  if (!identity) return;
  if (FindDevice(*identity, true) == nullptr) CreateDevice(*identity, slot.kind);

  if (slot.role == RoleCode::Command) {
    BindCommandSlot(index);
  } else if (IBindableDevice* device = FindDevice(*identity)) {
    device->OpenNotification(slot.path, slot.kind);
  }
}

void DeviceBinder::OnDeviceRemoved(std::intptr_t slotIndex) {
  if (!InterfaceSlotList::IsIndex(slotIndex)) return;
  const auto index = static_cast<std::size_t>(slotIndex);
  const InterfaceSlot slot = slots_.Slot(index);
  if (const KindTraces* traces = TracesOf(slot.kind)) Trace(traces->removed);

  if (slot.role == RoleCode::Command) {
    UnbindCommandSlot(index);
  } else if (IBindableDevice* device = DeviceOfSlot(index)) {
    device->CloseNotification(slot.kind);
  }
}

void DeviceBinder::BindCommandSlot(std::size_t slotIndex) {
  const InterfaceSlot slot = slots_.Slot(slotIndex);
  const bool receiver = IsReceiverKind(slot.kind);
  if (slots_.PartnerAttached(slotIndex)) {
    // The product is already connected the other way: the cable wins, the receiver waits for it to go.
    if (!receiver) SwitchPaths(slotIndex);
    return;
  }
  const auto identity = slots_.IdentitySlot(slotIndex);
  IBindableDevice* device = identity ? FindDevice(*identity) : nullptr;
  if (device == nullptr) return;
  CommandChannel& channel = device->Channel();
  if (channel.IsOpen()) return;
  if (!channel.Attach(slot.path, receiver ? LinkPath::Receiver : LinkPath::Wired)) return;
  device->SetIdentity(slots_.Slot(*identity));
  if (!receiver) selector_.ShowTab(TabIndexOf(*device), true, !selector_.HasCurrentTab());
  StartTabTimer(*device, tab_timer::kBind, tab_timing::kBindDelayMs);
}

void DeviceBinder::UnbindCommandSlot(std::size_t slotIndex) {
  const InterfaceSlot slot = slots_.Slot(slotIndex);
  if (IsMouseKind(slot.kind)) Trace(kMouseLostTrace);
  if (slots_.PartnerAttached(slotIndex)) {
    // The cable went while the receiver stays: fall back to it. A receiver that goes while the cable is
    // in use changes nothing.
    if (!IsReceiverKind(slot.kind)) SwitchPaths(slotIndex);
    return;
  }
  IBindableDevice* device = DeviceOfSlot(slotIndex);
  if (device == nullptr) return;
  device->CancelDeviceWork();
  device->Channel().Detach();
  device->CloseChildWindows();
  selector_.HideTab(TabIndexOf(*device));
}

void DeviceBinder::SwitchPaths(std::size_t slotIndex) {
  IBindableDevice* device = DeviceOfSlot(slotIndex);
  const auto partner = slots_.MutualPartner(slotIndex);
  if (device == nullptr || !partner) return;
  CommandChannel& channel = device->Channel();
  const bool toCable = channel.UseReceiver();
  if (!channel.SwitchPath(slots_.Slot(toCable ? slotIndex : *partner).path)) return;
  // What the device's windows show belonged to the other path.
  device->CloseChildWindows();
  if (toCable) {
    SettleOnCable(*device);
  } else {
    SettleOnReceiver(*device);
  }
}

void DeviceBinder::SettleOnReceiver(IBindableDevice& device) {
  // What was queued for the cable belongs to a path that is gone.
  device.CancelDeviceWork();
  if (!ReportsBattery(device)) {
    ReadOnReceiver(device);
    return;
  }
  // The device's first reads must not start before the link is up; the wait runs on the device's
  // worker, and the reads follow it there in this order.
  device.AwaitLink(kLinkWait, [this, &device, alive = std::weak_ptr<const bool>(alive_)] {
    if (alive.expired()) return;
    device.PollPowerStatus();
    ReadOnReceiver(device);
  });
}

void DeviceBinder::ReadOnReceiver(IBindableDevice& device) {
  StartTabTimer(device, tab_timer::kBind, tab_timing::kLinkRetryMs);
  device.SyncFromDevice();
  if (hooks_.closePopup) hooks_.closePopup();
}

void DeviceBinder::SettleOnCable(IBindableDevice& device) {
  // A link wait on the receiver path has nothing left to wait for.
  device.CancelDeviceWork();
  StartTabTimer(device, tab_timer::kBind, tab_timing::kBindDelayMs);
  if (hooks_.linkChanged) hooks_.linkChanged(TabIndexOf(device), true);
  if (hooks_.closePopup) hooks_.closePopup();
  if (ReportsBattery(device)) device.PollPowerStatus();
}

void DeviceBinder::StartTabTimer(IBindableDevice& device, int id, int periodMs) const {
  if (ITabItem* tab = device.TabItem()) tab->StartTimer(id, periodMs);
}

int DeviceBinder::TabIndexOf(const IBindableDevice& device) const {
  return selector_.TabIndexOf(device.TabItem());
}

}  // namespace nimbel
