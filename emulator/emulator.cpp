#include "emulator/emulator.h"

#include <array>
#include <cstdio>
#include <mutex>
#include <string>
#include <utility>

#include "emulator/interfaces.h"
#include "emulator/products.h"

namespace nimbel::emulator {
namespace {

// The receivers report their own version, not the mouse firmware's.
constexpr std::uint16_t kReceiverVersion = 0x0100;
constexpr std::size_t kProductCount = 3;

std::size_t Index(Product product) {
  return static_cast<std::size_t>(product);
}

}  // namespace

struct DeviceEmulator::Impl {
  std::shared_ptr<VirtualHidBus> bus = std::make_shared<VirtualHidBus>();
  mutable std::mutex mutex;
  std::shared_ptr<EmulatedMouse> mouse;   // behind the cable and the first receiver
  std::shared_ptr<EmulatedMouse> mouse2;  // behind the second receiver
  std::shared_ptr<MemoryStore> memoryStore;
  std::array<std::optional<VirtualHidBus::DeviceId>, kProductCount> plugged;

  EmulatedMouse& Plug(Product product, std::shared_ptr<EmulatedMouse>& slot, const MouseOptions& options) {
    std::lock_guard lock(mutex);
    if (!slot) slot = NewMouse(product == Product::Mouse2Receiver ? "mouse2" : "mouse", options);
    if (plugged[Index(product)]) return *slot;
    const std::uint16_t version = product == Product::MouseCable ? options.firmwareVersion : kReceiverVersion;
    ProductLayout layout = LayoutOf(product, version);
    VirtualHidDeviceInfo info{layout.attributes, {}};
    for (InterfaceLayout& interface : layout.interfaces) {
      std::shared_ptr<VirtualHidInterface> emulated;
      if (interface.carriesCommands) {
        emulated = std::make_shared<CommandInterface>(std::move(interface.descriptor), slot, layout.path,
                                                      [this, product] { Unplug(product); });
      } else {
        emulated = std::make_shared<PlainInterface>(std::move(interface.descriptor));
      }
      info.interfaces.push_back({interface.number, std::move(emulated)});
    }
    plugged[Index(product)] = bus->Plug(std::move(info));
    return *slot;
  }

  // With the lock held. The memory of one variant means something else to another (stage DPIs are step
  // indexes on the stepped sensor), so each variant keeps its own image.
  std::shared_ptr<EmulatedMouse> NewMouse(const char* name, const MouseOptions& options) {
    auto created = std::make_shared<EmulatedMouse>(options);
    if (memoryStore) {
      char variant[8];
      std::snprintf(variant, sizeof variant, "-%04x", options.sensorCode);
      created->KeepMemoryIn(memoryStore, name + std::string(variant));
    }
    return created;
  }

  // The bus is told without the lock held: a device may unplug itself from a host's writing thread.
  void Unplug(Product product) {
    std::optional<VirtualHidBus::DeviceId> id;
    {
      std::lock_guard lock(mutex);
      id = std::exchange(plugged[Index(product)], std::nullopt);
    }
    if (id) bus->Unplug(*id);
  }

  bool IsPlugged(Product product) const {
    std::lock_guard lock(mutex);
    return plugged[Index(product)].has_value();
  }
};

DeviceEmulator::DeviceEmulator() : impl_(std::make_unique<Impl>()) {}

DeviceEmulator::~DeviceEmulator() {
  for (const auto& mouse : {impl_->mouse, impl_->mouse2}) {
    if (mouse) mouse->Shutdown();
  }
  for (Product product : {Product::MouseCable, Product::MouseReceiver, Product::Mouse2Receiver}) {
    impl_->Unplug(product);
  }
}

std::shared_ptr<VirtualHidBus> DeviceEmulator::Bus() const {
  return impl_->bus;
}

void DeviceEmulator::KeepMemoryIn(std::shared_ptr<MemoryStore> store) {
  std::lock_guard lock(impl_->mutex);
  impl_->memoryStore = std::move(store);
}

EmulatedMouse& DeviceEmulator::PlugMouseCable(const MouseOptions& options) {
  return impl_->Plug(Product::MouseCable, impl_->mouse, options);
}

EmulatedMouse& DeviceEmulator::PlugMouseReceiver(const MouseOptions& options) {
  return impl_->Plug(Product::MouseReceiver, impl_->mouse, options);
}

EmulatedMouse& DeviceEmulator::PlugMouse2Receiver(const MouseOptions& options) {
  return impl_->Plug(Product::Mouse2Receiver, impl_->mouse2, options);
}

void DeviceEmulator::UnplugMouseCable() {
  impl_->Unplug(Product::MouseCable);
}
void DeviceEmulator::UnplugMouseReceiver() {
  impl_->Unplug(Product::MouseReceiver);
}
void DeviceEmulator::UnplugMouse2Receiver() {
  impl_->Unplug(Product::Mouse2Receiver);
}

bool DeviceEmulator::IsMouseCablePlugged() const {
  return impl_->IsPlugged(Product::MouseCable);
}
bool DeviceEmulator::IsMouseReceiverPlugged() const {
  return impl_->IsPlugged(Product::MouseReceiver);
}
bool DeviceEmulator::IsMouse2ReceiverPlugged() const {
  return impl_->IsPlugged(Product::Mouse2Receiver);
}

}  // namespace nimbel::emulator
