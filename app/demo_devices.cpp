#include "app/demo_devices.h"

#include <QStringList>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "hid/hid_backend.h"
#include "profiles/file_io.h"

namespace nimbel {
namespace {

std::size_t IndexOf(DemoProduct product) {
  return static_cast<std::size_t>(product);
}

constexpr const char* kImageSuffix = ".mem";
// Far above any image (a mouse keeps about 42 KB), so a stray large file is never read whole.
constexpr std::uintmax_t kMaxImageBytes = 1 << 20;

}  // namespace

std::optional<DemoProduct> DemoProductByName(const QString& name) {
  const auto found =
      std::find_if(kDemoProducts.begin(), kDemoProducts.end(),
                   [&name](const DemoProductInfo& info) { return name == QLatin1String(info.name); });
  if (found == kDemoProducts.end()) return std::nullopt;
  return found->product;
}

const DemoProductInfo& DemoProductInfoOf(DemoProduct product) {
  return kDemoProducts[IndexOf(product)];
}

QString DemoProductNames() {
  QStringList names;
  for (const DemoProductInfo& info : kDemoProducts) names << QLatin1String(info.name);
  return names.join(QStringLiteral(", "));
}

std::string DemoMemoryFolder() {
  const char* stateHome = std::getenv("XDG_STATE_HOME");
  std::string base;
  if (stateHome != nullptr && stateHome[0] == '/') {
    base = stateHome;
  } else {
    const char* home = std::getenv("HOME");
    base = std::string(home != nullptr ? home : "") + "/.local/state";
  }
  return base + "/Nimbel/demo/";
}

std::string DemoMemoryFiles::PathOf(const std::string& name) const {
  return folder_ + name + kImageSuffix;
}

std::optional<std::vector<std::uint8_t>> DemoMemoryFiles::Load(const std::string& name) {
  const std::string path = PathOf(name);
  const FileText file = ReadFileText(path, kMaxImageBytes);
  if (file.status != ReadStatus::kRead) return std::nullopt;
  return std::vector<std::uint8_t>(file.text.begin(), file.text.end());
}

void DemoMemoryFiles::Save(const std::string& name, std::span<const std::uint8_t> image) {
  std::error_code error;
  std::filesystem::create_directories(folder_, error);
  WriteFileAtomically(PathOf(name),
                      std::string_view(reinterpret_cast<const char*>(image.data()), image.size()));
}

DemoDevices::DemoDevices(std::shared_ptr<emulator::MemoryStore> memory) {
  if (memory) emulator_.KeepMemoryIn(std::move(memory));
}

DemoDevices::~DemoDevices() = default;

void DemoDevices::InstallBackend() {
  InstallHidBackend(emulator_.Bus());
}

emulator::EmulatedMouse& DemoDevices::PlugMouse(DemoProduct product, const emulator::MouseOptions& mouse) {
  switch (product) {
    case DemoProduct::MouseCable:
      return emulator_.PlugMouseCable(mouse);
    case DemoProduct::MouseReceiver:
      return emulator_.PlugMouseReceiver(mouse);
    case DemoProduct::Mouse2Receiver:
      break;
  }
  return emulator_.PlugMouse2Receiver(mouse);
}

void DemoDevices::Plug(DemoProduct product, const emulator::MouseOptions& mouse) {
  if (IsPlugged(product)) return;
  mice_[IndexOf(product)] = &PlugMouse(product, mouse);
}

void DemoDevices::Unplug(DemoProduct product) {
  switch (product) {
    case DemoProduct::MouseCable:
      emulator_.UnplugMouseCable();
      return;
    case DemoProduct::MouseReceiver:
      emulator_.UnplugMouseReceiver();
      return;
    case DemoProduct::Mouse2Receiver:
      emulator_.UnplugMouse2Receiver();
      return;
  }
}

bool DemoDevices::IsPlugged(DemoProduct product) const {
  switch (product) {
    case DemoProduct::MouseCable:
      return emulator_.IsMouseCablePlugged();
    case DemoProduct::MouseReceiver:
      return emulator_.IsMouseReceiverPlugged();
    case DemoProduct::Mouse2Receiver:
      break;
  }
  return emulator_.IsMouse2ReceiverPlugged();
}

void DemoDevices::SetLinked(DemoProduct product, bool linked) {
  if (!DemoProductInfoOf(product).wireless) return;
  // A receiver that was never plugged has no mouse yet; plugging it later starts with the link on.
  if (emulator::EmulatedMouse* mouse = mice_[IndexOf(product)]) mouse->SetLinked(linked);
}

bool DemoDevices::IsLinked(DemoProduct product) const {
  const emulator::EmulatedMouse* mouse = mice_[IndexOf(product)];
  return mouse == nullptr || mouse->IsLinked();
}

bool DemoDevices::IsReachable(DemoProduct product) const {
  return mice_[IndexOf(product)] != nullptr && IsPlugged(product) && IsLinked(product);
}

void DemoDevices::PressSlotButton(DemoProduct product) {
  if (!IsReachable(product)) return;
  emulator::EmulatedMouse& mouse = *mice_[IndexOf(product)];
  mouse.SwitchSlot(
      static_cast<std::uint8_t>((mouse.CurrentSlot() + 1) % emulator::MouseFirmware::kSlotCount));
}

void DemoDevices::PressDpiButton(DemoProduct product) {
  if (IsReachable(product)) mice_[IndexOf(product)]->CycleStage();
}

void DemoDevices::SetBattery(DemoProduct product, std::uint8_t percent, bool charging) {
  if (!IsReachable(product)) return;
  // The first two bytes of the power status: the percent and the charge state (1 charging).
  const std::array<std::uint8_t, 2> status{percent, static_cast<std::uint8_t>(charging ? 1 : 0)};
  mice_[IndexOf(product)]->Write(emulator::MouseMemory::PowerStatus, 0, status);
}

std::optional<AssignmentCode> DemoDevices::PressMouseButton(DemoProduct product, std::size_t button) {
  if (!IsReachable(product)) return std::nullopt;
  return mice_[IndexOf(product)]->PressButton(button);
}

std::vector<AssignmentCode> DemoDevices::FactoryButtons(DemoProduct product) const {
  if (!IsReachable(product)) return {};
  return mice_[IndexOf(product)]->FactoryAssignments();
}

std::vector<AssignmentCode> DemoDevices::CurrentButtons(DemoProduct product) const {
  if (!IsReachable(product)) return {};
  return mice_[IndexOf(product)]->KeyAssignments();
}

std::optional<MacroRecord> DemoDevices::MacroOfButton(DemoProduct product, std::size_t button) const {
  if (!IsReachable(product)) return std::nullopt;
  return mice_[IndexOf(product)]->MacroOfButton(button);
}

void DemoDevices::RestoreFactoryMemory(DemoProduct product) {
  if (!IsReachable(product)) return;
  emulator::EmulatedMouse* mouse = mice_[IndexOf(product)];
  std::vector<DemoProduct> replug;
  for (const DemoProductInfo& info : kDemoProducts) {
    if (mice_[IndexOf(info.product)] == mouse && IsPlugged(info.product)) replug.push_back(info.product);
  }
  for (const DemoProduct other : replug) Unplug(other);
  mouse->RestoreFactoryMemory();
  for (const DemoProduct other : replug) Plug(other);
}

}  // namespace nimbel
