// Input: what a hostile or broken device answers. The fake device sends two reports for every request
// (so no read waits for a time limit): each is a control byte, then up to 63 bytes of the report after
// its id. Control bit 0 puts the request's command into the echo byte and bit 1 copies its length and
// offset, so the input can steer past the echo test. When the input runs out, writes fail. The first byte
// chooses the path (bit 0: through the receiver).
//
// Through the command channel go the reads the mouse makes when it arrives and when it syncs: device
// information, key tables, the settings record of the slot the mouse names, power status and light map;
// what they return goes through the decodes the mouse object uses.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "devices/mouse_device.h"
#include "devices/mouse_keys.h"
#include "devices/mouse_settings.h"
#include "emulator/report_descriptors.h"
#include "hid/virtual_hid.h"
#include "profiles/mouse_profile.h"
#include "protocol/command_channel.h"
#include "protocol/command_report.h"

namespace nimbel {
namespace {

constexpr std::size_t kReportSize = kCommandReportSize;
constexpr std::size_t kCommandByte = command_report_byte::kCommand;
// The echo of length and offset that the channel compares.
constexpr std::size_t kEchoFirst = command_report_byte::kLength;
constexpr std::size_t kEchoLast = command_report_byte::kOffsetHigh;
constexpr int kRepliesPerRequest = 2;
constexpr std::uint8_t kEchoCommand = 0x01;
constexpr std::uint8_t kEchoLengthAndOffset = 0x02;

class ReplyingInterface final : public VirtualHidInterface {
 public:
  ReplyingInterface() : descriptor_(emulator::CommandCollection()) {}

  std::span<const std::uint8_t> ReportDescriptor() const override { return descriptor_; }

  void Attach(InputSink sink) override {
    std::lock_guard lock(mutex_);
    sink_ = std::move(sink);
  }

  void Feed(std::span<const std::uint8_t> replies) {
    std::lock_guard lock(mutex_);
    replies_ = replies;
  }

  bool OnOutputReport(std::span<const std::uint8_t> request) override {
    std::vector<std::vector<std::uint8_t>> reports;
    InputSink sink;
    {
      std::lock_guard lock(mutex_);
      if (replies_.empty()) return false;
      for (int i = 0; i < kRepliesPerRequest; ++i) reports.push_back(NextReply(request));
      sink = sink_;
    }
    for (const auto& report : reports)
      if (sink) sink(report);
    return true;
  }

 private:
  std::vector<std::uint8_t> NextReply(std::span<const std::uint8_t> request) {
    std::vector<std::uint8_t> report(kReportSize);
    report[0] = kCommandReportId;
    if (replies_.empty()) return report;
    const std::uint8_t control = replies_[0];
    const std::size_t taken = std::min(replies_.size() - 1, kReportSize - 1);
    std::copy_n(replies_.begin() + 1, taken, report.begin() + 1);
    replies_ = replies_.subspan(1 + taken);
    if (request.size() > kEchoLast) {
      if ((control & kEchoCommand) != 0) report[kCommandByte] = request[kCommandByte];
      if ((control & kEchoLengthAndOffset) != 0)
        std::copy(request.begin() + kEchoFirst, request.begin() + kEchoLast + 1, report.begin() + kEchoFirst);
    }
    return report;
  }

  const std::vector<std::uint8_t> descriptor_;
  std::mutex mutex_;
  InputSink sink_;
  std::span<const std::uint8_t> replies_;
};

struct FakeDevice {
  FakeDevice() {
    bus->Plug({{0x320F, 0x226E, 0x0109}, {{1, interface}}});
    std::vector<std::string> paths;
    bus->EnumeratePaths(paths);
    path = paths.at(0);
    InstallHidBackend(bus);
  }
  std::shared_ptr<VirtualHidBus> bus = std::make_shared<VirtualHidBus>();
  std::shared_ptr<ReplyingInterface> interface = std::make_shared<ReplyingInterface>();
  std::string path;
};

std::uint16_t Le16(std::span<const std::uint8_t> bytes, std::size_t low) {
  return static_cast<std::uint16_t>(bytes[low] | bytes[low + 1] << 8);
}

void DecodeSettings(const MouseSettingsBlock& block, const std::optional<MouseVariant>& variant,
                    std::uint16_t dpiStepCount) {
  CMouseProfiledata profile;
  const LightModeCodes modeCodes({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
  const DecodedMouseSettings decoded = DecodeMouseSettings(block, modeCodes, {}, {});
  if (variant) {
    StageSliderRange(*variant, dpiStepCount);
    for (const DpiStage& stage : decoded.stages) ShownDpi(*variant, stage.dpiX);
    profile.SetDpiStages(decoded.stages, variant->index);
    profile.SetActiveStage(decoded.activeStage, variant->index);
  }
  profile.SetSystemSettings(decoded.system);
  profile.SetLightInfo(decoded.light);
  // What the next edit writes back over the record the mouse gave.
  MouseSettingsBlock written = block;
  std::vector<DpiStage> stages = decoded.stages;
  EncodeMouseSettings(written,
                      {variant ? &stages : nullptr, decoded.activeStage, decoded.system, decoded.light},
                      modeCodes, 0);
}

void ReadLikeTheMouse(CommandChannel& channel) {
  channel.QueryLink();
  channel.BeginSession();
  std::array<std::uint8_t, kDeviceInfoLength> info{};
  if (channel.ReadDeviceInfo(info) == kResultOk) {
    const std::size_t keyCount = info[device_info_byte::kKeyCount];
    if (channel.SetKeyTableLength(static_cast<int>(keyCount * kKeyTableBytesPerKey))) {
      std::array<std::uint8_t, kMaxKeyTableLength> factory{};
      channel.ReadKeyTable(factory);
      const MouseKeyMap keyMap = BuildMouseKeyMap(factory, keyCount);
      std::array<std::uint8_t, kMaxKeyTableLength> current{};
      channel.ReadKeyTableBank(current, 0);
      CMouseProfiledata profile;
      profile.SetRawKeyTable(current);
      profile.SetKeySlotMap(ToKeySlotMap(keyMap));
      profile.GetMergedKeyList();
    }
  }
  channel.EndSession(0);

  std::array<std::uint8_t, 1> slot{};
  MouseSettingsBlock block{};
  if (channel.ReadMemory(slot, slot.size(), settings_byte::kSlot) == kResultOk &&
      channel.ReadMemory(block, block.size(), static_cast<std::uint32_t>(slot[0] * kMouseSlotStride)) ==
          kResultOk) {
    DecodeSettings(block, MouseVariantForSensor(Le16(info, device_info_byte::kSensorCodeLow)),
                   Le16(info, device_info_byte::kDpiStepCountLow));
  }
  std::array<std::uint8_t, kPowerStatusLength> status{};
  channel.ReadStatus(status, status.size(), 0);
  std::array<std::uint8_t, kMaxKeyTableLength> lightMap{};
  channel.ReadKeyLightMap(lightMap);
}

}  // namespace
}  // namespace nimbel

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace nimbel;
  if (size < 1) return 0;
  static FakeDevice device;
  const bool receiver = (data[0] & 1) != 0;
  device.interface->Feed(std::span(data + 1, size - 1));

  CommandChannel channel;
  channel.SetPauses({std::chrono::milliseconds{0}, std::chrono::milliseconds{0}});
  if (!channel.Attach(device.path, receiver ? LinkPath::Receiver : LinkPath::Wired)) __builtin_trap();
  ReadLikeTheMouse(channel);
  return 0;
}
