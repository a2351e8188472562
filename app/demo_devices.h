#pragma once

// Demo mode: the firmware emulator stands in for the system's HID devices, so the program can be tried
// and shown without the hardware. The user plugs and unplugs the emulated products and switches the
// wireless link from the demo menu.

#include <QString>
#include <array>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "emulator/emulator.h"
#include "emulator/memory_store.h"

namespace nimbel {

enum class DemoProduct { MouseCable, MouseReceiver, Mouse2Receiver };

struct DemoProductInfo {
  DemoProduct product;
  // The name on the command line.
  const char* name;
  // The name in the demo menu.
  const char* label;
  // Whether the product reaches its mouse through a receiver, so its wireless link can be switched.
  bool wireless;
};

inline constexpr std::array<DemoProductInfo, 3> kDemoProducts = {{
    {DemoProduct::MouseCable, "mouse", "Mouse (cable)", false},
    {DemoProduct::MouseReceiver, "mouse-receiver", "Mouse receiver", true},
    {DemoProduct::Mouse2Receiver, "mouse2-receiver", "Second mouse receiver", true},
}};

std::optional<DemoProduct> DemoProductByName(const QString& name);
const DemoProductInfo& DemoProductInfoOf(DemoProduct product);
// "mouse, mouse-receiver, mouse2-receiver" for messages.
QString DemoProductNames();

// Where demo mode keeps the emulated mice's memory between runs: $XDG_STATE_HOME/Nimbel/demo/
// (~/.local/state/Nimbel/demo/ when XDG_STATE_HOME is unset or not absolute), with a trailing '/'.
std::string DemoMemoryFolder();

// One file per image in a folder ("<name>.mem"), replaced crash-safely; the folder is created at the first
// save. A file that cannot be read, or is far larger than any image, loads as nothing.
class DemoMemoryFiles final : public emulator::MemoryStore {
 public:
  explicit DemoMemoryFiles(std::string folder) : folder_(std::move(folder)) {}

  std::optional<std::vector<std::uint8_t>> Load(const std::string& name) override;
  void Save(const std::string& name, std::span<const std::uint8_t> image) override;

 private:
  std::string PathOf(const std::string& name) const;

  std::string folder_;
};

class DemoDevices {
 public:
  // With a store, each mouse keeps its memory there between runs; without one it starts from its
  // factory memory every run.
  explicit DemoDevices(std::shared_ptr<emulator::MemoryStore> memory = nullptr);
  // Every product is unplugged; the program must have closed its handles first.
  ~DemoDevices();
  DemoDevices(const DemoDevices&) = delete;
  DemoDevices& operator=(const DemoDevices&) = delete;

  // Makes the emulator the HID backend of the process: call before anything opens a device.
  void InstallBackend();

  // `mouse` chooses the mouse's variant and firmware; it counts only when its mouse is first plugged (the
  // cable and the receiver reach one mouse), since a mouse keeps its memory while unplugged.
  void Plug(DemoProduct product, const emulator::MouseOptions& mouse = {});
  void Unplug(DemoProduct product);
  bool IsPlugged(DemoProduct product) const;

  // The wireless link of the mouse a receiver product reaches; products without a link ignore it.
  void SetLinked(DemoProduct product, bool linked);
  bool IsLinked(DemoProduct product) const;
  // Whether the mouse behind a product can be reached: plugged, and linked when wireless.
  bool IsReachable(DemoProduct product) const;

  // The mouse's own buttons: the profile button (next onboard slot, 0x10pq to the host) and the DPI
  // button (next stage in the cycle, 0x11pq). Nothing while the product is out of reach.
  void PressSlotButton(DemoProduct product);
  void PressDpiButton(DemoProduct product);
  // The mouse's battery as its power status reports it. Nothing while the product is out of reach.
  void SetBattery(DemoProduct product, std::uint8_t percent, bool charging);
  // Any physical button: the mouse does what its key table says now (the DPI functions switch the stage)
  // and the code it sent is returned. Nothing while the product is out of reach.
  std::optional<AssignmentCode> PressMouseButton(DemoProduct product, std::size_t button);
  // What each physical button did from the factory, which names it, and what it does now; empty while out
  // of reach.
  std::vector<AssignmentCode> FactoryButtons(DemoProduct product) const;
  std::vector<AssignmentCode> CurrentButtons(DemoProduct product) const;
  // The macro a button plays, from the mouse's macro memory; nullopt when it plays none.
  std::optional<MacroRecord> MacroOfButton(DemoProduct product, std::size_t button) const;
  // Puts back the factory memory of the mouse a product reaches, as its reset does. The products that
  // reach it are taken off the bus and put back, so the program reads the mouse afresh. Nothing while
  // the product is out of reach.
  void RestoreFactoryMemory(DemoProduct product);

  // The mouse a product reaches; null until the product was first plugged.
  emulator::EmulatedMouse* MouseOf(DemoProduct product) const {
    return mice_[static_cast<std::size_t>(product)];
  }

 private:
  emulator::EmulatedMouse& PlugMouse(DemoProduct product, const emulator::MouseOptions& mouse);

  emulator::DeviceEmulator emulator_;
  // The mouse behind each product, once it was plugged; the emulator keeps it while unplugged.
  std::array<emulator::EmulatedMouse*, kDemoProducts.size()> mice_{};
};

}  // namespace nimbel
