#pragma once

// The HID backend over the kernel's hidraw nodes. Each top-level collection of a node gets its own
// interface path carrying the markers the rest of the system parses, e.g.
// "/dev/hidraw3#vid_320f&pid_226e&mi_01&col02", and a handle opened on such a path reads only the input
// reports whose ids belong to its collection.

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "hid/hid_backend.h"

namespace nimbel {

// What sysfs says about one hidraw node.
struct HidrawNodeInfo {
  HidAttributes attributes;
  std::optional<std::uint8_t> interfaceNumber;  // USB interfaces only
  std::vector<std::uint8_t> reportDescriptor;
};

// Reads the node's HID device (its uevent and report_descriptor) and, for USB, the USB interface's
// bInterfaceNumber and the USB device's bcdDevice. `hidrawSysPath` is the node's own sysfs directory,
// ".../0003:320F:226E.0005/hidraw/hidraw3". None when the HID device cannot be read.
std::optional<HidrawNodeInfo> ReadHidrawNodeInfo(const std::filesystem::path& hidrawSysPath);

// One path per top-level collection of the node; "&colNN" only when there is more than one, "&mi_NN"
// only when the interface number is known. None when the descriptor cannot be parsed.
std::vector<std::string> HidrawInterfacePaths(std::string_view devNode, const HidrawNodeInfo& info);

// A connection over an open hidraw node `fd` (taken over, also on failure) that sees the node through
// its top-level collection `collection` (1-based): it reads only that collection's input reports, each
// starting with its report id (0 when the node numbers none). Null when the descriptor cannot be parsed
// or has no such collection.
std::unique_ptr<HidConnection> MakeHidrawConnection(int fd, const HidAttributes& attributes,
                                                    std::vector<std::uint8_t> descriptor,
                                                    std::size_t collection);

// A watch on udev's monitor of the hidraw subsystem, whether or not a udev daemon runs to feed it; nullptr
// when the monitor cannot be set up. udev announces a node once its rules have run, so the node can be
// opened with the permissions they give it when the watch wakes.
std::unique_ptr<HidChangeWatch> MakeUdevChangeWatch();

struct HidrawNode {
  std::filesystem::path sysPath;
  std::string devNode;
};

class LinuxHidBackend : public HidBackend {
 public:
  // `sysRoot` is where sysfs is mounted; tests point it at a fake tree.
  explicit LinuxHidBackend(std::filesystem::path sysRoot = "/sys");

  bool EnumeratePaths(std::vector<std::string>& paths) override;
  std::unique_ptr<HidConnection> Open(const std::string& path, const HidOpenMode& mode) override;
  // udev's announcements of hidraw nodes; nullptr while no udev daemon runs, since nobody else sends them.
  std::unique_ptr<HidChangeWatch> WatchChanges() override;

  // The paths of the given nodes in order; nodes whose sysfs entries cannot be read are left out.
  static void CollectPaths(std::span<const HidrawNode> nodes, std::vector<std::string>& paths);

  // The sysfs information of the node a path names, while that node exists and is still the device the
  // path's vendor, product and interface number describe (hidraw numbers are reused after unplug).
  std::optional<HidrawNodeInfo> PresentNode(const std::string& path) const;

 private:
  std::optional<HidrawNodeInfo> NodeInfoOfCharDevice(dev_t device) const;

  std::filesystem::path sysRoot_;
};

}  // namespace nimbel
