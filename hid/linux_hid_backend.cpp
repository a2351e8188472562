#include "hid/linux_hid_backend.h"

#include <fcntl.h>
#include <libudev.h>
#include <linux/hidraw.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <utility>

#include "hid/abort_event.h"
#include "hid/hid_device.h"
#include "hid/report_descriptor.h"

namespace nimbel {

namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kBusUsb = 0x0003;
constexpr std::string_view kHidIdKey = "HID_ID=";
constexpr std::string_view kUeventFile = "uevent";
constexpr std::string_view kReportDescriptorFile = "report_descriptor";
constexpr std::string_view kInterfaceNumberFile = "bInterfaceNumber";
constexpr std::string_view kDeviceVersionFile = "bcdDevice";
constexpr std::string_view kHidrawClassDir = "hidraw";
constexpr std::string_view kCharDeviceDir = "dev/char";
constexpr std::string_view kVendorMarker = "vid_";
constexpr std::string_view kProductMarker = "pid_";
constexpr std::string_view kInterfaceMarker = "&mi_";
constexpr std::string_view kCollectionMarker = "&col";
// The largest report hidraw hands out (HID_MAX_BUFFER_SIZE).
constexpr std::size_t kMaxReportSize = 16384;

std::optional<std::string> ReadTextFile(const fs::path& path) {
  std::ifstream file(path);
  if (!file) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::optional<std::vector<std::uint8_t>> ReadBinaryFile(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// sysfs attributes such as bInterfaceNumber ("01") and bcdDevice ("0109") are hexadecimal text.
std::optional<std::uint32_t> ReadHexFile(const fs::path& path) {
  const auto text = ReadTextFile(path);
  unsigned value = 0;
  if (!text || std::sscanf(text->c_str(), "%x", &value) != 1) return std::nullopt;
  return value;
}

struct HidId {
  std::uint32_t bus = 0;
  std::uint16_t vendor = 0;
  std::uint16_t product = 0;
};

// "HID_ID=0003:0000320F:0000226E": bus, vendor and product, the ids 32 bits wide with the USB ids below.
std::optional<HidId> ParseHidId(const std::string& uevent) {
  const auto start = uevent.find(kHidIdKey);
  if (start == std::string::npos) return std::nullopt;
  unsigned bus = 0, vendor = 0, product = 0;
  if (std::sscanf(uevent.c_str() + start + kHidIdKey.size(), "%x:%x:%x", &bus, &vendor, &product) != 3)
    return std::nullopt;
  return HidId{bus, static_cast<std::uint16_t>(vendor), static_cast<std::uint16_t>(product)};
}

std::size_t CollectionOfPath(std::string_view path) {
  const std::size_t number = ParsePathNumber(path, kCollectionMarker);
  return number == 0 ? 1 : number;
}

std::string DevNodeOfPath(std::string_view path) {
  return std::string(path.substr(0, path.find('#')));
}

class UniqueFd {
 public:
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() {
    if (fd_ >= 0) close(fd_);
  }
  UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  UniqueFd& operator=(UniqueFd&&) = delete;
  int Get() const { return fd_; }
  int Release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

TransferResult ToTransferResult(WaitResult wait) {
  switch (wait) {
    case WaitResult::Aborted:
      return TransferResult::Aborted;
    case WaitResult::TimedOut:
      return TransferResult::TimedOut;
    case WaitResult::Ready:
      return TransferResult::Done;
    case WaitResult::Failed:
      break;
  }
  return TransferResult::Failed;
}

bool Retryable(int error) {
  return error == EAGAIN || error == EINTR;
}

// An open hidraw node seen through one of its top-level collections.
class HidrawConnection : public HidConnection {
 public:
  HidrawConnection(UniqueFd fd, HidAttributes attributes, std::vector<std::uint8_t> descriptor,
                   HidCollectionCaps collection, bool numbered)
      : fd_(std::move(fd)),
        attributes_(attributes),
        descriptor_(std::move(descriptor)),
        collection_(std::move(collection)),
        numbered_(numbered),
        scratch_(kMaxReportSize) {}

  HidAttributes Attributes() const override { return attributes_; }
  std::span<const std::uint8_t> ReportDescriptor() const override { return descriptor_; }

  // Every fd of a node receives every report; the reports of other collections are skipped within the
  // same time limit.
  TransferResult Read(std::span<std::uint8_t> buffer, int timeoutMs, AbortEvent& abort,
                      std::size_t& bytesRead) override {
    const TransferDeadline deadline(timeoutMs);
    for (;;) {
      const auto waited = ToTransferResult(WaitForFd(fd_.Get(), POLLIN, abort, deadline));
      if (waited != TransferResult::Done) return waited;
      const ssize_t count = read(fd_.Get(), scratch_.data(), scratch_.size());
      if (count < 0 && Retryable(errno)) continue;
      if (count <= 0) return TransferResult::Failed;
      if (Deliver(std::span(scratch_).first(static_cast<std::size_t>(count)), buffer, bytesRead))
        return TransferResult::Done;
    }
  }

  TransferResult Write(std::span<const std::uint8_t> report, int timeoutMs, AbortEvent& abort,
                       std::size_t& bytesWritten) override {
    const TransferDeadline deadline(timeoutMs);
    for (;;) {
      const auto waited = ToTransferResult(WaitForFd(fd_.Get(), POLLOUT, abort, deadline));
      if (waited != TransferResult::Done) return waited;
      const ssize_t count = write(fd_.Get(), report.data(), report.size());
      if (count < 0 && Retryable(errno)) continue;
      if (count < 0) return TransferResult::Failed;
      bytesWritten = static_cast<std::size_t>(count);
      return TransferResult::Done;
    }
  }

 private:
  // Callers expect byte 0 to be the report id; hidraw leaves it out when the device numbers no reports.
  bool Deliver(std::span<const std::uint8_t> report, std::span<std::uint8_t> buffer, std::size_t& bytesRead) {
    const std::size_t inputLength =
        collection_.reportByteLength[static_cast<std::size_t>(HidReportType::Input)];
    if (numbered_) {
      if (!collection_.HasReportId(report[0])) return false;
      bytesRead = CopyInputReport(report, inputLength, buffer);
      return true;
    }
    if (buffer.empty()) return true;
    buffer[0] = 0;
    bytesRead = CopyInputReport(report, inputLength == 0 ? 0 : inputLength - 1, buffer.subspan(1)) + 1;
    return true;
  }

  UniqueFd fd_;
  HidAttributes attributes_;
  std::vector<std::uint8_t> descriptor_;
  HidCollectionCaps collection_;
  bool numbered_;
  std::vector<std::uint8_t> scratch_;
};

// The handle of a presence test: it names the device and its descriptor but transfers nothing.
class PresenceConnection : public HidConnection {
 public:
  explicit PresenceConnection(HidrawNodeInfo info) : info_(std::move(info)) {}

  HidAttributes Attributes() const override { return info_.attributes; }
  std::span<const std::uint8_t> ReportDescriptor() const override { return info_.reportDescriptor; }
  TransferResult Read(std::span<std::uint8_t>, int, AbortEvent&, std::size_t&) override {
    return TransferResult::Failed;
  }
  TransferResult Write(std::span<const std::uint8_t>, int, AbortEvent&, std::size_t&) override {
    return TransferResult::Failed;
  }

 private:
  HidrawNodeInfo info_;
};

std::optional<std::vector<std::uint8_t>> ReadDescriptorFromNode(int fd) {
  int size = 0;
  if (ioctl(fd, HIDIOCGRDESCSIZE, &size) < 0 || size < 0 || size > HID_MAX_DESCRIPTOR_SIZE)
    return std::nullopt;
  hidraw_report_descriptor descriptor{};
  descriptor.size = static_cast<std::uint32_t>(size);
  if (ioctl(fd, HIDIOCGRDESC, &descriptor) < 0) return std::nullopt;
  return std::vector<std::uint8_t>(descriptor.value, descriptor.value + size);
}

int OpenFlags(const HidOpenMode& mode) {
  const int access = mode.read && mode.write ? O_RDWR : mode.write ? O_WRONLY : O_RDONLY;
  return access | O_CLOEXEC | O_NONBLOCK;
}

struct UdevDeleter {
  void operator()(udev* u) const { udev_unref(u); }
  void operator()(udev_enumerate* e) const { udev_enumerate_unref(e); }
  void operator()(udev_device* d) const { udev_device_unref(d); }
  void operator()(udev_monitor* m) const { udev_monitor_unref(m); }
  void operator()(udev_queue* q) const { udev_queue_unref(q); }
};
template <typename T>
using UdevPtr = std::unique_ptr<T, UdevDeleter>;

constexpr const char* kHidrawSubsystem = "hidraw";
// udev's own announcements, sent after its rules ran; the kernel's come before the node has its
// permissions.
constexpr const char* kUdevMonitorSource = "udev";

class UdevChangeWatch final : public HidChangeWatch {
 public:
  UdevChangeWatch(UdevPtr<udev> context, UdevPtr<udev_monitor> monitor)
      : context_(std::move(context)), monitor_(std::move(monitor)) {}

  WaitResult Wait(int timeoutMs, const AbortEvent& cancel) override {
    const WaitResult result =
        WaitForFd(udev_monitor_get_fd(monitor_.get()), POLLIN, cancel, TransferDeadline(timeoutMs));
    if (result == WaitResult::Ready) Drain();
    return result;
  }

 private:
  // A plug brings one announcement per node; one look after all of them finds every node. The socket
  // does not block, so this ends when nothing more is queued.
  void Drain() {
    while (const UdevPtr<udev_device> device{udev_monitor_receive_device(monitor_.get())}) {
    }
  }

  UdevPtr<udev> context_;
  UdevPtr<udev_monitor> monitor_;
};

std::optional<std::vector<HidrawNode>> ListHidrawNodes() {
  const UdevPtr<udev> context(udev_new());
  if (!context) return std::nullopt;
  const UdevPtr<udev_enumerate> enumerate(udev_enumerate_new(context.get()));
  if (!enumerate || udev_enumerate_add_match_subsystem(enumerate.get(), kHidrawSubsystem) < 0 ||
      udev_enumerate_scan_devices(enumerate.get()) < 0)
    return std::nullopt;
  std::vector<HidrawNode> nodes;
  udev_list_entry* entry = nullptr;
  udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate.get())) {
    const char* sysPath = udev_list_entry_get_name(entry);
    const UdevPtr<udev_device> device(udev_device_new_from_syspath(context.get(), sysPath));
    const char* devNode = device ? udev_device_get_devnode(device.get()) : nullptr;
    if (devNode) nodes.push_back({sysPath, devNode});
  }
  return nodes;
}

}  // namespace

std::optional<HidrawNodeInfo> ReadHidrawNodeInfo(const fs::path& hidrawSysPath) {
  // .../<usb device>/<usb interface>/<hid device>/hidraw/hidrawN
  const fs::path hidDevice = hidrawSysPath.parent_path().parent_path();
  const auto uevent = ReadTextFile(hidDevice / kUeventFile);
  const auto id = uevent ? ParseHidId(*uevent) : std::nullopt;
  auto descriptor = ReadBinaryFile(hidDevice / kReportDescriptorFile);
  if (!id || !descriptor) return std::nullopt;

  HidrawNodeInfo info;
  info.attributes.vendorId = id->vendor;
  info.attributes.productId = id->product;
  info.reportDescriptor = std::move(*descriptor);
  if (id->bus == kBusUsb) {
    const fs::path usbInterface = hidDevice.parent_path();
    if (const auto number = ReadHexFile(usbInterface / kInterfaceNumberFile))
      info.interfaceNumber = static_cast<std::uint8_t>(*number);
    if (const auto version = ReadHexFile(usbInterface.parent_path() / kDeviceVersionFile))
      info.attributes.versionNumber = static_cast<std::uint16_t>(*version);
  }
  return info;
}

std::vector<std::string> HidrawInterfacePaths(std::string_view devNode, const HidrawNodeInfo& info) {
  const auto caps = ParseReportDescriptor(info.reportDescriptor);
  if (!caps) return {};
  char hardware[48];
  std::snprintf(hardware, sizeof hardware, "#vid_%04x&pid_%04x", info.attributes.vendorId,
                info.attributes.productId);
  std::string base = std::string(devNode) + hardware;
  if (info.interfaceNumber) {
    std::snprintf(hardware, sizeof hardware, "&mi_%02x", *info.interfaceNumber);
    base += hardware;
  }
  const std::size_t count = caps->collections.size();
  if (count == 1) return {base};
  std::vector<std::string> paths;
  for (std::size_t collection = 1; collection <= count; ++collection) {
    std::snprintf(hardware, sizeof hardware, "&col%02zx", collection);
    paths.push_back(base + hardware);
  }
  return paths;
}

LinuxHidBackend::LinuxHidBackend(fs::path sysRoot) : sysRoot_(std::move(sysRoot)) {}

void LinuxHidBackend::CollectPaths(std::span<const HidrawNode> nodes, std::vector<std::string>& paths) {
  for (const auto& node : nodes) {
    if (const auto info = ReadHidrawNodeInfo(node.sysPath)) {
      const auto nodePaths = HidrawInterfacePaths(node.devNode, *info);
      paths.insert(paths.end(), nodePaths.begin(), nodePaths.end());
    }
  }
}

bool LinuxHidBackend::EnumeratePaths(std::vector<std::string>& paths) {
  const auto nodes = ListHidrawNodes();
  if (!nodes) return false;
  CollectPaths(*nodes, paths);
  return true;
}

std::optional<HidrawNodeInfo> LinuxHidBackend::NodeInfoOfCharDevice(dev_t device) const {
  const fs::path link =
      sysRoot_ / kCharDeviceDir / (std::to_string(major(device)) + ":" + std::to_string(minor(device)));
  std::error_code error;
  const fs::path target = fs::canonical(link, error);
  if (error || target.parent_path().filename() != kHidrawClassDir) return std::nullopt;
  return ReadHidrawNodeInfo(target);
}

std::optional<HidrawNodeInfo> LinuxHidBackend::PresentNode(const std::string& path) const {
  struct stat status {};
  if (stat(DevNodeOfPath(path).c_str(), &status) != 0 || !S_ISCHR(status.st_mode)) return std::nullopt;
  auto info = NodeInfoOfCharDevice(status.st_rdev);
  if (!info || info->attributes.vendorId != ParsePathNumber(path, kVendorMarker) ||
      info->attributes.productId != ParsePathNumber(path, kProductMarker))
    return std::nullopt;
  const std::uint16_t interfaceNumber = ParsePathNumber(path, kInterfaceMarker);
  if (info->interfaceNumber.value_or(0) != interfaceNumber) return std::nullopt;
  return info;
}

std::unique_ptr<HidConnection> LinuxHidBackend::Open(const std::string& path, const HidOpenMode& mode) {
  if (!mode.read && !mode.write) {
    auto info = PresentNode(path);
    if (!info) return nullptr;
    return std::make_unique<PresenceConnection>(std::move(*info));
  }

  UniqueFd fd(open(DevNodeOfPath(path).c_str(), OpenFlags(mode)));
  if (fd.Get() < 0) return nullptr;
  auto descriptor = ReadDescriptorFromNode(fd.Get());
  hidraw_devinfo devInfo{};
  struct stat status {};
  if (!descriptor || ioctl(fd.Get(), HIDIOCGRAWINFO, &devInfo) < 0 || fstat(fd.Get(), &status) != 0)
    return nullptr;

  HidAttributes attributes;
  attributes.vendorId = static_cast<std::uint16_t>(devInfo.vendor);
  attributes.productId = static_cast<std::uint16_t>(devInfo.product);
  if (const auto sysInfo = NodeInfoOfCharDevice(status.st_rdev))
    attributes.versionNumber = sysInfo->attributes.versionNumber;
  return MakeHidrawConnection(fd.Release(), attributes, std::move(*descriptor), CollectionOfPath(path));
}

std::unique_ptr<HidChangeWatch> LinuxHidBackend::WatchChanges() {
  const UdevPtr<udev> context(udev_new());
  if (!context) return nullptr;
  const UdevPtr<udev_queue> queue(udev_queue_new(context.get()));
  if (!queue || udev_queue_get_udev_is_active(queue.get()) == 0) return nullptr;
  return MakeUdevChangeWatch();
}

std::unique_ptr<HidChangeWatch> MakeUdevChangeWatch() {
  UdevPtr<udev> context(udev_new());
  if (!context) return nullptr;
  UdevPtr<udev_monitor> monitor(udev_monitor_new_from_netlink(context.get(), kUdevMonitorSource));
  if (!monitor ||
      udev_monitor_filter_add_match_subsystem_devtype(monitor.get(), kHidrawSubsystem, nullptr) < 0 ||
      udev_monitor_enable_receiving(monitor.get()) < 0)
    return nullptr;
  return std::make_unique<UdevChangeWatch>(std::move(context), std::move(monitor));
}

std::unique_ptr<HidConnection> MakeHidrawConnection(int fd, const HidAttributes& attributes,
                                                    std::vector<std::uint8_t> descriptor,
                                                    std::size_t collection) {
  UniqueFd owned(fd);
  const auto caps = ParseReportDescriptor(descriptor);
  if (!caps || collection == 0 || collection > caps->collections.size()) return nullptr;
  const bool numbered = std::any_of(caps->collections.begin(), caps->collections.end(),
                                    [](const HidCollectionCaps& c) { return !c.reportIds.empty(); });
  return std::make_unique<HidrawConnection>(std::move(owned), attributes, std::move(descriptor),
                                            caps->collections[collection - 1], numbered);
}

}  // namespace nimbel
