#include "hid/virtual_hid.h"

#include <poll.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <deque>
#include <map>
#include <optional>
#include <utility>

#include "hid/abort_event.h"
#include "hid/hid_device.h"
#include "hid/report_descriptor.h"

namespace nimbel {

namespace {

// A handle that is not read keeps only the newest reports, as a hidraw client's buffer does.
constexpr std::size_t kInputQueueLimit = 256;
constexpr std::string_view kPathPrefix = "virtual/hid";
constexpr std::string_view kCollectionMarker = "&col";

// The input reports one open handle has not read yet.
class InputQueue {
 public:
  explicit InputQueue(std::size_t inputLength) : inputLength_(inputLength) {}

  void Push(std::span<const std::uint8_t> report) {
    {
      std::lock_guard lock(lock_);
      if (reports_.size() == kInputQueueLimit) reports_.pop_front();
      reports_.emplace_back(report.begin(), report.end());
    }
    arrival_.Signal();
  }

  void Fail() {
    {
      std::lock_guard lock(lock_);
      failed_ = true;
    }
    arrival_.Signal();
  }

  TransferResult Pop(std::span<std::uint8_t> buffer, int timeoutMs, AbortEvent& abort,
                     std::size_t& bytesRead) {
    const TransferDeadline deadline(timeoutMs);
    for (;;) {
      // Cleared before looking, so a report pushed after the look leaves the fd readable for the wait.
      arrival_.Consume();
      if (const auto result = TakeFront(buffer, bytesRead)) return *result;
      switch (WaitForFd(arrival_.Fd(), POLLIN, abort, deadline)) {
        case WaitResult::Ready:
          continue;
        case WaitResult::Aborted:
          return TransferResult::Aborted;
        case WaitResult::TimedOut:
          return TransferResult::TimedOut;
        case WaitResult::Failed:
          return TransferResult::Failed;
      }
    }
  }

 private:
  std::optional<TransferResult> TakeFront(std::span<std::uint8_t> buffer, std::size_t& bytesRead) {
    std::lock_guard lock(lock_);
    if (failed_) return TransferResult::Failed;
    if (reports_.empty()) return std::nullopt;
    bytesRead = CopyInputReport(reports_.front(), inputLength_, buffer);
    reports_.pop_front();
    return TransferResult::Done;
  }

  const std::size_t inputLength_;
  std::mutex lock_;
  std::deque<std::vector<std::uint8_t>> reports_;
  bool failed_ = false;
  // Signalled on every arrival and on unplug; the reader waits on it together with its abort event.
  AbortEvent arrival_;
};

// One plugged interface: the node a hidraw device would be.
class VirtualNode {
 public:
  VirtualNode(std::uint32_t number, const HidAttributes& attributes, const VirtualHidInterfaceSlot& slot)
      : number_(number),
        attributes_(attributes),
        interfaceNumber_(slot.interfaceNumber),
        interface_(slot.interface),
        descriptor_(slot.interface->ReportDescriptor().begin(), slot.interface->ReportDescriptor().end()) {
    if (const auto caps = ParseReportDescriptor(descriptor_)) collections_ = caps->collections;
    numbered_ = std::any_of(collections_.begin(), collections_.end(),
                            [](const HidCollectionCaps& c) { return !c.reportIds.empty(); });
  }

  std::uint32_t Number() const { return number_; }
  const HidAttributes& Attributes() const { return attributes_; }
  std::span<const std::uint8_t> Descriptor() const { return descriptor_; }
  std::size_t CollectionCount() const { return collections_.size(); }
  VirtualHidInterface& Interface() const { return *interface_; }

  std::string Path(std::size_t collection) const {
    char hardware[64];
    std::snprintf(hardware, sizeof hardware, "#vid_%04x&pid_%04x&mi_%02x&col%02zx", attributes_.vendorId,
                  attributes_.productId, interfaceNumber_, collection);
    return std::string(kPathPrefix) + std::to_string(number_) + hardware;
  }

  bool IsPlugged() const {
    std::lock_guard lock(lock_);
    return plugged_;
  }

  // Registers a reading handle of a collection (1-based); nullptr once unplugged.
  std::shared_ptr<InputQueue> AddReader(std::size_t collection) {
    std::lock_guard lock(lock_);
    if (!plugged_) return nullptr;
    std::erase_if(readers_, [](const Reader& r) { return r.queue.expired(); });
    auto queue = std::make_shared<InputQueue>(
        collections_[collection - 1].reportByteLength[static_cast<std::size_t>(HidReportType::Input)]);
    readers_.push_back({collection, queue});
    return queue;
  }

  // Copies an input report (byte 0 = report id, 0 when the descriptor numbers none) to every reading
  // handle of the collection that owns the report id.
  void Deliver(std::span<const std::uint8_t> report) {
    if (report.empty()) return;
    std::lock_guard lock(lock_);
    if (!plugged_) return;
    for (const auto& reader : readers_) {
      if (!Owns(reader.collection, report[0])) continue;
      if (auto queue = reader.queue.lock()) queue->Push(report);
    }
  }

  bool Unplug() {
    std::lock_guard lock(lock_);
    if (!plugged_) return false;
    plugged_ = false;
    for (const auto& reader : readers_)
      if (auto queue = reader.queue.lock()) queue->Fail();
    readers_.clear();
    return true;
  }

 private:
  struct Reader {
    std::size_t collection;
    std::weak_ptr<InputQueue> queue;
  };

  bool Owns(std::size_t collection, std::uint8_t reportId) const {
    return !numbered_ || collections_[collection - 1].HasReportId(reportId);
  }

  const std::uint32_t number_;
  const HidAttributes attributes_;
  const std::uint8_t interfaceNumber_;
  const std::shared_ptr<VirtualHidInterface> interface_;
  const std::vector<std::uint8_t> descriptor_;
  std::vector<HidCollectionCaps> collections_;
  bool numbered_ = false;
  mutable std::mutex lock_;
  bool plugged_ = true;
  std::vector<Reader> readers_;
};

class VirtualConnection : public HidConnection {
 public:
  VirtualConnection(std::shared_ptr<VirtualNode> node, std::shared_ptr<InputQueue> queue, bool write)
      : node_(std::move(node)), queue_(std::move(queue)), write_(write) {}

  HidAttributes Attributes() const override { return node_->Attributes(); }
  std::span<const std::uint8_t> ReportDescriptor() const override { return node_->Descriptor(); }

  TransferResult Read(std::span<std::uint8_t> buffer, int timeoutMs, AbortEvent& abort,
                      std::size_t& bytesRead) override {
    if (!queue_) return TransferResult::Failed;
    return queue_->Pop(buffer, timeoutMs, abort, bytesRead);
  }

  // The device takes the report on the writing thread at once, so the time limit never comes into play.
  TransferResult Write(std::span<const std::uint8_t> report, int, AbortEvent&,
                       std::size_t& bytesWritten) override {
    if (!write_ || report.empty() || !node_->IsPlugged()) return TransferResult::Failed;
    if (!node_->Interface().OnOutputReport(report)) return TransferResult::Failed;
    bytesWritten = report.size();
    return TransferResult::Done;
  }

 private:
  const std::shared_ptr<VirtualNode> node_;
  const std::shared_ptr<InputQueue> queue_;
  const bool write_;
};

// A watch's side of the bus: signalled on every plug and unplug, and read empty by each wait that ends
// on it, so that a change coming while the watcher looks is still pending at its next wait.
class VirtualChangeWatch final : public HidChangeWatch {
 public:
  explicit VirtualChangeWatch(std::shared_ptr<AbortEvent> changed) : changed_(std::move(changed)) {}

  WaitResult Wait(int timeoutMs, const AbortEvent& cancel) override {
    const WaitResult result = WaitForFd(changed_->Fd(), POLLIN, cancel, TransferDeadline(timeoutMs));
    if (result == WaitResult::Ready) changed_->Consume();
    return result;
  }

 private:
  const std::shared_ptr<AbortEvent> changed_;
};

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

}  // namespace

struct VirtualHidBus::State {
  std::mutex lock;
  DeviceId nextDevice = 1;
  std::uint32_t nextNode = 0;
  std::map<DeviceId, std::vector<std::shared_ptr<VirtualNode>>> devices;
  // One signal per live watch; a watch that is gone leaves an expired entry, dropped at the next change.
  std::vector<std::weak_ptr<AbortEvent>> watches;

  // Called once the change is complete, so a watcher that wakes sees it in full.
  void SignalChange() {
    std::lock_guard guard(lock);
    std::erase_if(watches, [](const std::weak_ptr<AbortEvent>& watch) { return watch.expired(); });
    for (const auto& watch : watches)
      if (const auto changed = watch.lock()) changed->Signal();
  }
};

VirtualHidBus::VirtualHidBus() : state_(std::make_shared<State>()) {}

VirtualHidBus::~VirtualHidBus() {
  std::vector<DeviceId> ids;
  {
    std::lock_guard lock(state_->lock);
    for (const auto& [id, nodes] : state_->devices) ids.push_back(id);
  }
  for (const auto id : ids) Unplug(id);
}

VirtualHidBus::DeviceId VirtualHidBus::Plug(VirtualHidDeviceInfo device) {
  std::vector<std::shared_ptr<VirtualNode>> nodes;
  DeviceId id = 0;
  {
    std::lock_guard lock(state_->lock);
    id = state_->nextDevice++;
    for (const auto& slot : device.interfaces)
      if (slot.interface)
        nodes.push_back(std::make_shared<VirtualNode>(state_->nextNode++, device.attributes, slot));
    state_->devices.emplace(id, nodes);
  }
  // The interfaces run their own code in Attach; no bus lock is held while they do.
  for (const auto& node : nodes) {
    node->Interface().Attach([weak = std::weak_ptr<VirtualNode>(node)](std::span<const std::uint8_t> report) {
      if (const auto target = weak.lock()) target->Deliver(report);
    });
  }
  state_->SignalChange();
  return id;
}

void VirtualHidBus::Unplug(DeviceId id) {
  std::vector<std::shared_ptr<VirtualNode>> nodes;
  {
    std::lock_guard lock(state_->lock);
    const auto found = state_->devices.find(id);
    if (found == state_->devices.end()) return;
    nodes = std::move(found->second);
    state_->devices.erase(found);
  }
  for (const auto& node : nodes) {
    if (node->Unplug()) node->Interface().Attach({});
  }
  state_->SignalChange();
}

bool VirtualHidBus::IsPlugged(DeviceId id) const {
  std::lock_guard lock(state_->lock);
  return state_->devices.contains(id);
}

bool VirtualHidBus::EnumeratePaths(std::vector<std::string>& paths) {
  std::lock_guard lock(state_->lock);
  for (const auto& [id, nodes] : state_->devices)
    for (const auto& node : nodes)
      for (std::size_t collection = 1; collection <= node->CollectionCount(); ++collection)
        paths.push_back(node->Path(collection));
  return true;
}

std::unique_ptr<HidConnection> VirtualHidBus::Open(const std::string& path, const HidOpenMode& mode) {
  std::shared_ptr<VirtualNode> node;
  const std::size_t collection = ParsePathNumber(path, kCollectionMarker);
  {
    std::lock_guard lock(state_->lock);
    for (const auto& [id, nodes] : state_->devices)
      for (const auto& candidate : nodes)
        if (collection >= 1 && collection <= candidate->CollectionCount() &&
            EqualIgnoringCase(candidate->Path(collection), path))
          node = candidate;
  }
  if (!node) return nullptr;

  std::shared_ptr<InputQueue> queue;
  if (mode.read) {
    queue = node->AddReader(collection);
    if (!queue) return nullptr;
  } else if (!node->IsPlugged()) {
    return nullptr;
  }
  return std::make_unique<VirtualConnection>(std::move(node), std::move(queue), mode.write);
}

std::unique_ptr<HidChangeWatch> VirtualHidBus::WatchChanges() {
  auto changed = std::make_shared<AbortEvent>();
  std::lock_guard lock(state_->lock);
  state_->watches.push_back(changed);
  return std::make_unique<VirtualChangeWatch>(std::move(changed));
}

}  // namespace nimbel
