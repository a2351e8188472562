// Lists the supported devices that are attached and reads each one's information block, onboard
// settings and power status: a quick way to see that permissions, the HID stack and the protocol work.

#include <array>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/device_catalogue.h"
#include "devices/device_interfaces.h"
#include "devices/mouse_device.h"
#include "devices/mouse_settings.h"
#include "emulator/emulator.h"
#include "hid/hid_device.h"
#include "protocol/command_channel.h"
#include "protocol/command_set.h"

namespace nimbel {
namespace {

std::uint16_t LittleEndian16(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

struct DemoPlan {
  bool mouse = false;
  bool mouseReceiver = false;
  bool mouse2Receiver = false;
};

std::optional<DemoPlan> ParseDemoList(std::string_view list) {
  DemoPlan plan;
  while (!list.empty()) {
    const std::size_t comma = list.find(',');
    const std::string_view name = list.substr(0, comma);
    if (name == "mouse") {
      plan.mouse = true;
    } else if (name == "mouse-receiver") {
      plan.mouseReceiver = true;
    } else if (name == "mouse2-receiver") {
      plan.mouse2Receiver = true;
    } else {
      std::fprintf(stderr,
                   "nimbel-check: unknown demo device '%.*s' (use mouse, mouse-receiver, mouse2-receiver)\n",
                   static_cast<int>(name.size()), name.data());
      return std::nullopt;
    }
    list = comma == std::string_view::npos ? std::string_view{} : list.substr(comma + 1);
  }
  return plan;
}

void PlugDemoDevices(emulator::DeviceEmulator& devices, const DemoPlan& plan) {
  if (plan.mouse) devices.PlugMouseCable();
  if (plan.mouseReceiver) devices.PlugMouseReceiver();
  if (plan.mouse2Receiver) devices.PlugMouse2Receiver();
  InstallHidBackend(devices.Bus());
}

// The command row of the supported-interface table that a path names, if any.
int CommandRowOf(const std::string& path) {
  const auto rows = DeviceCatalogue::InterfaceRows();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const InterfaceRow& row = rows[i];
    if (row.role == RoleCode::Command && row.vendorId == ParsePathNumber(path, "vid_") &&
        row.productId == ParsePathNumber(path, "pid_") &&
        row.interfaceNumber == ParsePathNumber(path, "&mi_") &&
        row.collectionNumber == ParsePathNumber(path, "&col")) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

bool OpenChannel(CommandChannel& channel, const std::string& path, const InterfaceRow& row) {
  if (!channel.Attach(path, IsReceiverKind(row.kind) ? LinkPath::Receiver : LinkPath::Wired)) return false;
  if (channel.Handle().UsagePage() != row.usagePage || channel.Handle().Usage() != row.usage) {
    channel.Detach();
    return false;
  }
  return true;
}

void PrintSettings(CommandChannel& channel) {
  std::array<std::uint8_t, 1> slot{};
  MouseSettingsBlock block{};
  if (channel.ReadMemory(slot, slot.size(), settings_byte::kSlot) != kResultOk ||
      channel.ReadMemory(block, block.size(), static_cast<std::uint32_t>(slot[0] * kMouseSlotStride)) !=
          kResultOk) {
    std::printf("  settings: could not be read\n");
    return;
  }
  // Only the stages are shown, so the light modes need no codes.
  const DecodedMouseSettings settings = DecodeMouseSettings(block, LightModeCodes{}, {}, {});
  std::printf("  onboard slot %u, active DPI stage %u\n", slot[0], settings.activeStage);
  for (std::size_t i = 0; i < settings.stages.size(); ++i) {
    const DpiStage& stage = settings.stages[i];
    std::printf("  stage %zu: %-8s %5u  colour #%02x%02x%02x\n", i + 1, stage.enabled ? "enabled" : "off",
                stage.dpiX, stage.red, stage.green, stage.blue);
  }
}

void PrintPower(CommandChannel& channel) {
  std::array<std::uint8_t, kPowerStatusLength> status{};
  if (channel.ReadStatus(status, status.size(), 0) != kResultOk) {
    std::printf("  power: could not be read\n");
    return;
  }
  static constexpr std::array<const char*, 3> kChargeStates{"on battery", "charging", "full"};
  const std::uint8_t chargeState = status[power_status_byte::kChargeState];
  std::printf("  battery %u %%, %s\n", status[power_status_byte::kBattery],
              chargeState < kChargeStates.size() ? kChargeStates[chargeState] : "?");
}

// Reads one device; false when it did not answer.
bool CheckDevice(const std::string& path, const InterfaceRow& row) {
  CommandChannel channel;
  if (!OpenChannel(channel, path, row)) {
    std::printf("%04x:%04x %s\n  cannot be opened (check the udev rule in packaging/)\n", row.vendorId,
                row.productId, path.c_str());
    return false;
  }
  std::printf("%04x:%04x %s (%s, firmware %04x)\n", row.vendorId, row.productId, path.c_str(),
              channel.UseReceiver() ? "receiver" : "cable", channel.Handle().Attributes().versionNumber);
  if (!channel.QueryLink()) {
    std::printf("  the wireless device does not answer (switched off or out of range)\n");
    return true;
  }
  std::array<std::uint8_t, kDeviceInfoLength> info{};
  channel.BeginSession();
  const int result = channel.ReadDeviceInfo(info);
  channel.EndSession(1);
  if (result != kResultOk) {
    std::printf("  no answer to the information request (result %d)\n", result);
    return false;
  }
  std::printf("  %u buttons, sensor %04x%s\n", info[device_info_byte::kKeyCount],
              LittleEndian16(info, device_info_byte::kSensorCodeLow),
              info[device_info_byte::kLinkFlag] ? ", no link" : "");
  PrintSettings(channel);
  PrintPower(channel);
  return true;
}

int Run(int argc, char** argv) {
  std::unique_ptr<emulator::DeviceEmulator> devices;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--demo" || argument.starts_with("--demo=")) {
      const auto plan = ParseDemoList(argument == "--demo" ? "mouse" : argument.substr(7));
      if (!plan) return 2;
      devices = std::make_unique<emulator::DeviceEmulator>();
      PlugDemoDevices(*devices, *plan);
    } else {
      std::printf("usage: nimbel-check [--demo[=mouse,mouse-receiver,mouse2-receiver]]\n");
      return argument == "--help" ? 0 : 2;
    }
  }

  HidInterfaceList interfaces;
  if (!interfaces.Enumerate()) {
    std::fprintf(stderr, "nimbel-check: the HID interfaces cannot be listed\n");
    return 1;
  }
  int found = 0;
  while (const auto path = interfaces.NextPath()) {
    const int row = CommandRowOf(*path);
    if (row < 0) continue;
    ++found;
    CheckDevice(*path, DeviceCatalogue::InterfaceRows()[static_cast<std::size_t>(row)]);
  }
  if (found == 0) {
    std::printf("No supported device is attached.\n");
    return 1;
  }
  return 0;
}

}  // namespace
}  // namespace nimbel

int main(int argc, char** argv) {
  return nimbel::Run(argc, argv);
}
