#include "hid/report_descriptor.h"

#include <algorithm>
#include <bitset>
#include <initializer_list>
#include <limits>
#include <utility>

namespace nimbel {
namespace {

// Item prefix: bits 0-1 data size code, bits 2-3 type, bits 4-7 tag. 0xFE starts a long item.
constexpr std::uint8_t kItemSizeMask = 0x3;
constexpr int kItemTypeShift = 2;
constexpr std::uint8_t kItemTypeMask = 0x3;
constexpr int kItemTagShift = 4;
constexpr std::uint8_t kLongItemPrefix = 0xFE;
constexpr std::size_t kLongItemHeaderSize = 3;  // prefix, data size, long tag
constexpr std::array<std::uint8_t, 4> kShortItemDataSize = {0, 1, 2, 4};

enum class ItemType : std::uint8_t { Main = 0, Global = 1, Local = 2, Reserved = 3 };

enum class MainTag : std::uint8_t {
  Input = 0x8,
  Output = 0x9,
  Collection = 0xA,
  Feature = 0xB,
  EndCollection = 0xC,
};

// Unit and Unit Exponent (0x5, 0x6) are accepted and ignored: nothing we decode is converted to units.
enum class GlobalTag : std::uint8_t {
  UsagePage = 0x0,
  LogicalMinimum = 0x1,
  LogicalMaximum = 0x2,
  PhysicalMinimum = 0x3,
  PhysicalMaximum = 0x4,
  ReportSize = 0x7,
  ReportId = 0x8,
  ReportCount = 0x9,
  Push = 0xA,
  Pop = 0xB,
};

enum class LocalTag : std::uint8_t {
  Usage = 0x0,
  UsageMinimum = 0x1,
  UsageMaximum = 0x2,
  Delimiter = 0xA,
};

// Input, Output and Feature item flags.
constexpr std::uint32_t kFlagConstant = 1u << 0;
constexpr std::uint32_t kFlagVariable = 1u << 1;
constexpr std::uint32_t kFlagNullState = 1u << 6;

constexpr std::uint32_t kDelimiterOpen = 1;
constexpr std::uint32_t kDelimiterClose = 0;

// Bounds that keep a hostile descriptor from costing more than a real one: no real device comes near
// them, and they cap every allocation the parse and the data lists built from it make.
constexpr std::uint64_t kMaxReportBits = 65536;
constexpr std::size_t kMaxGlobalStackDepth = 8;
constexpr std::size_t kMaxCollectionDepth = 16;
constexpr std::uint64_t kMaxDataFields = 16384;
constexpr std::size_t kMaxCapabilities = 1024;

constexpr std::size_t kReportIdCount = 256;
constexpr std::uint8_t kExtendedUsageSize = 4;  // a usage of four bytes carries its usage page
constexpr int kUsagePageShift = 16;
constexpr std::uint32_t kUsageMask = 0xFFFF;
constexpr std::size_t kReportIdByte = 1;

std::size_t TypeIndex(HidReportType type) {
  return static_cast<std::size_t>(type);
}

struct Item {
  ItemType type = ItemType::Main;
  std::uint8_t tag = 0;
  std::uint8_t size = 0;
  std::uint32_t data = 0;
};

class ItemReader {
 public:
  enum class Result { Item, End, Truncated };

  explicit ItemReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  // The next short item; long items carry nothing we use and are stepped over.
  Result Next(Item& item) {
    while (pos_ < bytes_.size()) {
      const std::size_t left = bytes_.size() - pos_;
      const std::uint8_t prefix = bytes_[pos_];
      if (prefix == kLongItemPrefix) {
        if (left < kLongItemHeaderSize || left - kLongItemHeaderSize < bytes_[pos_ + 1])
          return Result::Truncated;
        pos_ += kLongItemHeaderSize + bytes_[pos_ + 1];
        continue;
      }
      const std::uint8_t size = kShortItemDataSize[prefix & kItemSizeMask];
      if (left - 1 < size) return Result::Truncated;
      item.type = static_cast<ItemType>((prefix >> kItemTypeShift) & kItemTypeMask);
      item.tag = static_cast<std::uint8_t>(prefix >> kItemTagShift);
      item.size = size;
      item.data = 0;
      for (std::uint8_t i = 0; i < size; ++i)
        item.data |= static_cast<std::uint32_t>(bytes_[pos_ + 1 + i]) << (8 * i);
      pos_ += 1 + size;
      return Result::Item;
    }
    return Result::End;
  }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t pos_ = 0;
};

// An item's data with its size, so that signedness can be settled when the main item is reached.
struct SizedValue {
  std::uint32_t data = 0;
  std::uint8_t size = 0;

  std::int64_t Signed() const {
    switch (size) {
      case 1:
        return static_cast<std::int8_t>(data);
      case 2:
        return static_cast<std::int16_t>(data);
      case 4:
        return static_cast<std::int32_t>(data);
      default:
        return 0;
    }
  }
  std::int64_t Unsigned() const { return data; }
};

std::int32_t ClampToInt32(std::int64_t value) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                                            std::numeric_limits<std::int32_t>::max()));
}

struct ResolvedRange {
  std::int32_t min = 0;
  std::int32_t max = 0;
};

// Minimum items are signed. A maximum is signed only when its minimum is negative: descriptors write
// 0..255 as 15 00 25 FF, which read as signed would be an empty range.
ResolvedRange ResolveRange(const SizedValue& min, const SizedValue& max) {
  const std::int64_t low = min.Signed();
  const std::int64_t high = low < 0 ? max.Signed() : max.Unsigned();
  return {ClampToInt32(low), ClampToInt32(high)};
}

struct GlobalState {
  std::uint16_t usagePage = 0;
  SizedValue logicalMin;
  SizedValue logicalMax;
  SizedValue physicalMin;
  SizedValue physicalMax;
  std::uint32_t reportSize = 0;
  std::uint32_t reportCount = 0;
  std::uint8_t reportId = 0;
};

// A usage as written: an extended usage carries its own usage page in the high half.
struct UsageRef {
  std::uint32_t data = 0;
  bool hasPage = false;

  static UsageRef FromItem(const Item& item) { return {item.data, item.size == kExtendedUsageSize}; }
};

struct UsageEntry {
  UsageRef min;
  UsageRef max;
  bool isRange = false;
};

struct ResolvedUsage {
  std::uint16_t page = 0;
  std::uint16_t min = 0;
  std::uint16_t max = 0;
  bool isRange = false;

  std::uint32_t Count() const { return static_cast<std::uint32_t>(max - min) + 1; }
};

struct LocalState {
  std::vector<UsageEntry> usages;
  std::optional<UsageRef> pendingMin;
  std::optional<UsageRef> pendingMax;
  bool inDelimiter = false;
  bool delimiterUsageTaken = false;
};

// Which reports (type, id) a top-level collection puts controls or padding into.
using ReportUse = std::array<std::bitset<kReportIdCount>, kHidReportTypeCount>;

class DescriptorParser {
 public:
  std::optional<HidDescriptorCaps> Parse(std::span<const std::uint8_t> descriptor, std::string& error);

 private:
  bool OnMain(const Item& item);
  bool OnGlobal(const Item& item);
  bool OnLocal(const Item& item);
  bool OnCollection();
  bool OnEndCollection();
  bool OnReportItem(HidReportType type, std::uint32_t flags);
  bool AddCapabilities(HidReportType type, std::uint32_t flags, std::uint32_t bitOffset);
  bool AddArrayCaps(HidReportType type, std::span<const ResolvedUsage> usages, std::uint32_t bitOffset);
  bool AddVariableCaps(HidReportType type, std::span<const ResolvedUsage> usages, std::uint32_t bitOffset,
                       std::uint32_t flags, bool isButton);
  bool ReserveCapabilities(std::size_t count);
  std::optional<std::vector<ResolvedUsage>> ResolveUsages();
  ResolvedUsage Resolve(const UsageRef& min, const UsageRef& max, bool isRange) const;
  void Finish();
  bool Fail(std::string reason) {
    error_ = std::move(reason);
    return false;
  }

  GlobalState global_;
  std::vector<GlobalState> globalStack_;
  LocalState local_;
  std::size_t depth_ = 0;
  std::vector<HidCollectionCaps> collections_;
  std::vector<ReportUse> collectionUse_;
  std::array<std::array<std::uint64_t, kReportIdCount>, kHidReportTypeCount> reportBits_{};
  bool sawReportId_ = false;
  bool sawUnnumberedReport_ = false;
  std::uint64_t dataFields_ = 0;
  std::size_t capabilities_ = 0;
  std::string error_;
};

std::optional<HidDescriptorCaps> DescriptorParser::Parse(std::span<const std::uint8_t> descriptor,
                                                         std::string& error) {
  ItemReader reader(descriptor);
  Item item;
  for (;;) {
    const auto result = reader.Next(item);
    if (result == ItemReader::Result::End) break;
    bool ok = true;
    if (result == ItemReader::Result::Truncated) {
      ok = Fail("truncated item");
    } else if (item.type == ItemType::Main) {
      ok = OnMain(item);
    } else if (item.type == ItemType::Global) {
      ok = OnGlobal(item);
    } else if (item.type == ItemType::Local) {
      ok = OnLocal(item);
    }
    if (!ok) {
      error = error_;
      return std::nullopt;
    }
  }
  if (depth_ != 0) {
    error = "collection not closed";
    return std::nullopt;
  }
  // With report ids every report starts with its id byte; a report declared before the first id would
  // have none, so the two cannot be told apart on the wire.
  if (sawReportId_ && sawUnnumberedReport_) {
    error = "report without a report id in a descriptor that numbers its reports";
    return std::nullopt;
  }
  Finish();
  HidDescriptorCaps caps;
  caps.collections = std::move(collections_);
  return caps;
}

bool DescriptorParser::OnMain(const Item& item) {
  switch (static_cast<MainTag>(item.tag)) {
    case MainTag::Input:
      return OnReportItem(HidReportType::Input, item.data);
    case MainTag::Output:
      return OnReportItem(HidReportType::Output, item.data);
    case MainTag::Feature:
      return OnReportItem(HidReportType::Feature, item.data);
    case MainTag::Collection:
      return OnCollection();
    case MainTag::EndCollection:
      return OnEndCollection();
  }
  local_ = {};
  return true;
}

bool DescriptorParser::OnGlobal(const Item& item) {
  switch (static_cast<GlobalTag>(item.tag)) {
    case GlobalTag::UsagePage:
      global_.usagePage = static_cast<std::uint16_t>(item.data & kUsageMask);
      break;
    case GlobalTag::LogicalMinimum:
      global_.logicalMin = {item.data, item.size};
      break;
    case GlobalTag::LogicalMaximum:
      global_.logicalMax = {item.data, item.size};
      break;
    case GlobalTag::PhysicalMinimum:
      global_.physicalMin = {item.data, item.size};
      break;
    case GlobalTag::PhysicalMaximum:
      global_.physicalMax = {item.data, item.size};
      break;
    case GlobalTag::ReportSize:
      global_.reportSize = item.data;
      break;
    case GlobalTag::ReportCount:
      global_.reportCount = item.data;
      break;
    case GlobalTag::ReportId:
      if (item.data == 0 || item.data >= kReportIdCount) return Fail("report id out of range");
      global_.reportId = static_cast<std::uint8_t>(item.data);
      sawReportId_ = true;
      break;
    case GlobalTag::Push:
      if (globalStack_.size() >= kMaxGlobalStackDepth) return Fail("global item stack too deep");
      globalStack_.push_back(global_);
      break;
    case GlobalTag::Pop:
      if (globalStack_.empty()) return Fail("pop without push");
      global_ = globalStack_.back();
      globalStack_.pop_back();
      break;
  }
  return true;
}

bool DescriptorParser::OnLocal(const Item& item) {
  switch (static_cast<LocalTag>(item.tag)) {
    case LocalTag::Usage:
      // Inside a delimiter set the usages after the first are aliases of the same control.
      if (local_.inDelimiter && std::exchange(local_.delimiterUsageTaken, true)) break;
      local_.usages.push_back({UsageRef::FromItem(item), UsageRef::FromItem(item), false});
      break;
    case LocalTag::UsageMinimum:
      local_.pendingMin = UsageRef::FromItem(item);
      break;
    case LocalTag::UsageMaximum:
      local_.pendingMax = UsageRef::FromItem(item);
      break;
    case LocalTag::Delimiter:
      if (item.data == kDelimiterOpen) {
        if (local_.inDelimiter) return Fail("nested delimiter");
        local_.inDelimiter = true;
        local_.delimiterUsageTaken = false;
      } else if (item.data == kDelimiterClose) {
        if (!local_.inDelimiter) return Fail("delimiter closed without open");
        local_.inDelimiter = false;
      } else {
        return Fail("bad delimiter");
      }
      break;
  }
  if (local_.pendingMin && local_.pendingMax) {
    local_.usages.push_back({*local_.pendingMin, *local_.pendingMax, true});
    local_.pendingMin.reset();
    local_.pendingMax.reset();
  }
  return true;
}

bool DescriptorParser::OnCollection() {
  if (depth_ >= kMaxCollectionDepth) return Fail("collections nested too deep");
  if (depth_ == 0) {
    const auto usages = ResolveUsages();
    if (!usages) return false;
    HidCollectionCaps collection;
    if (!usages->empty()) {
      collection.usagePage = usages->front().page;
      collection.usage = usages->front().min;
    }
    collections_.push_back(std::move(collection));
    collectionUse_.emplace_back();
  }
  ++depth_;
  local_ = {};
  return true;
}

bool DescriptorParser::OnEndCollection() {
  if (depth_ == 0) return Fail("end collection without collection");
  --depth_;
  local_ = {};
  return true;
}

bool DescriptorParser::OnReportItem(HidReportType type, std::uint32_t flags) {
  if (local_.inDelimiter) return Fail("main item inside a delimiter set");
  const std::uint64_t bits = static_cast<std::uint64_t>(global_.reportSize) * global_.reportCount;
  std::uint64_t& reportBits = reportBits_[TypeIndex(type)][global_.reportId];
  if (bits > kMaxReportBits - reportBits) return Fail("report too long");
  const auto bitOffset = static_cast<std::uint32_t>(reportBits);
  reportBits += bits;
  if (global_.reportId == 0) sawUnnumberedReport_ = true;

  // Items outside every collection still take their bits of the report but belong to no interface.
  bool ok = true;
  if (depth_ > 0) {
    collectionUse_.back()[TypeIndex(type)].set(global_.reportId);
    if (!(flags & kFlagConstant) && bits > 0) ok = AddCapabilities(type, flags, bitOffset);
  }
  local_ = {};
  return ok;
}

bool DescriptorParser::AddCapabilities(HidReportType type, std::uint32_t flags, std::uint32_t bitOffset) {
  dataFields_ += global_.reportCount;
  if (dataFields_ > kMaxDataFields) return Fail("too many controls");
  const auto usages = ResolveUsages();
  if (!usages) return false;
  if (!(flags & kFlagVariable)) return AddArrayCaps(type, *usages, bitOffset);
  const auto logical = ResolveRange(global_.logicalMin, global_.logicalMax);
  const bool isButton = global_.reportSize == 1 && logical.min == 0 && logical.max == 1;
  return AddVariableCaps(type, *usages, bitOffset, flags, isButton);
}

// Every usage of an array shares its fields: field value logicalMin stands for the first usage of the
// list, the next value for the next usage, across all entries in order.
bool DescriptorParser::AddArrayCaps(HidReportType type, std::span<const ResolvedUsage> usages,
                                    std::uint32_t bitOffset) {
  if (!ReserveCapabilities(usages.size())) return false;
  auto& list = collections_.back().buttonCaps[TypeIndex(type)];
  std::int64_t index = ResolveRange(global_.logicalMin, global_.logicalMax).min;
  for (const auto& usage : usages) {
    const std::int64_t last = index + usage.Count() - 1;
    if (last > std::numeric_limits<std::int32_t>::max()) break;
    HidButtonCaps cap;
    cap.usagePage = usage.page;
    cap.reportId = global_.reportId;
    cap.isRange = usage.isRange;
    cap.usageMin = usage.min;
    cap.usageMax = usage.max;
    cap.bitOffset = bitOffset;
    cap.bitSize = global_.reportSize;
    cap.reportCount = global_.reportCount;
    cap.isArray = true;
    cap.logicalMin = static_cast<std::int32_t>(index);
    cap.logicalMax = static_cast<std::int32_t>(last);
    list.push_back(cap);
    index = last + 1;
  }
  return true;
}

// Variables take their usages field by field; the last entry covers every field left over, so a single
// last usage over several fields is a value array and a short last range repeats its highest usage.
bool DescriptorParser::AddVariableCaps(HidReportType type, std::span<const ResolvedUsage> usages,
                                       std::uint32_t bitOffset, std::uint32_t flags, bool isButton) {
  if (!ReserveCapabilities(usages.size())) return false;
  auto& collection = collections_.back();
  const auto logical = ResolveRange(global_.logicalMin, global_.logicalMax);
  const auto physical = ResolveRange(global_.physicalMin, global_.physicalMax);
  std::uint32_t field = 0;
  for (std::size_t i = 0; i < usages.size() && field < global_.reportCount; ++i) {
    const auto& usage = usages[i];
    const std::uint32_t left = global_.reportCount - field;
    const std::uint32_t fields = i + 1 == usages.size() ? left : std::min(usage.Count(), left);
    // Usages a range names beyond the fields it covers are not in the report.
    const auto usageMax = static_cast<std::uint16_t>(usage.min + std::min(usage.Count(), fields) - 1);
    const std::uint32_t fieldOffset = bitOffset + field * global_.reportSize;
    if (isButton) {
      HidButtonCaps cap;
      cap.usagePage = usage.page;
      cap.reportId = global_.reportId;
      cap.isRange = usage.isRange;
      cap.usageMin = usage.min;
      cap.usageMax = usageMax;
      cap.bitOffset = fieldOffset;
      cap.bitSize = global_.reportSize;
      cap.reportCount = fields;
      cap.logicalMin = logical.min;
      cap.logicalMax = logical.max;
      collection.buttonCaps[TypeIndex(type)].push_back(cap);
    } else {
      HidValueCaps cap;
      cap.usagePage = usage.page;
      cap.reportId = global_.reportId;
      cap.isRange = usage.isRange;
      cap.usageMin = usage.min;
      cap.usageMax = usageMax;
      cap.bitOffset = fieldOffset;
      cap.bitSize = global_.reportSize;
      cap.reportCount = fields;
      cap.logicalMin = logical.min;
      cap.logicalMax = logical.max;
      cap.physicalMin = physical.min;
      cap.physicalMax = physical.max;
      cap.hasNull = (flags & kFlagNullState) != 0;
      collection.valueCaps[TypeIndex(type)].push_back(cap);
    }
    field += fields;
  }
  return true;
}

bool DescriptorParser::ReserveCapabilities(std::size_t count) {
  if (count > kMaxCapabilities - capabilities_) return Fail("too many capabilities");
  capabilities_ += count;
  return true;
}

ResolvedUsage DescriptorParser::Resolve(const UsageRef& min, const UsageRef& max, bool isRange) const {
  // A short usage belongs to the usage page in effect at the main item, not where the usage was written.
  ResolvedUsage usage;
  usage.page = min.hasPage ? static_cast<std::uint16_t>(min.data >> kUsagePageShift) : global_.usagePage;
  usage.min = static_cast<std::uint16_t>(min.data & kUsageMask);
  usage.max = static_cast<std::uint16_t>(max.data & kUsageMask);
  usage.isRange = isRange;
  return usage;
}

std::optional<std::vector<ResolvedUsage>> DescriptorParser::ResolveUsages() {
  std::vector<ResolvedUsage> resolved;
  resolved.reserve(local_.usages.size() + 1);
  for (const auto& entry : local_.usages) {
    resolved.push_back(Resolve(entry.min, entry.max, entry.isRange));
    if (resolved.back().max < resolved.back().min) {
      Fail("usage maximum below usage minimum");
      return std::nullopt;
    }
  }
  // A lone Usage Minimum or Maximum names one usage.
  for (const auto& lone : {local_.pendingMin, local_.pendingMax})
    if (lone) resolved.push_back(Resolve(*lone, *lone, false));
  return resolved;
}

void DescriptorParser::Finish() {
  for (std::size_t c = 0; c < collections_.size(); ++c) {
    auto& collection = collections_[c];
    std::bitset<kReportIdCount> anyType;
    for (std::size_t t = 0; t < kHidReportTypeCount; ++t) {
      const auto& use = collectionUse_[c][t];
      anyType |= use;
      std::uint64_t longest = 0;
      for (std::size_t id = 0; id < kReportIdCount; ++id)
        if (use.test(id)) longest = std::max(longest, reportBits_[t][id]);
      if (use.any())
        collection.reportByteLength[t] = static_cast<std::uint16_t>((longest + 7) / 8 + kReportIdByte);
    }
    if (sawReportId_)
      for (std::size_t id = 1; id < kReportIdCount; ++id)
        if (anyType.test(id)) collection.reportIds.push_back(static_cast<std::uint8_t>(id));
  }
}

}  // namespace

bool HidCollectionCaps::HasReportId(std::uint8_t id) const {
  return std::binary_search(reportIds.begin(), reportIds.end(), id);
}

std::optional<HidDescriptorCaps> ParseReportDescriptor(std::span<const std::uint8_t> descriptor,
                                                       std::string* error) {
  std::string reason;
  DescriptorParser parser;
  auto caps = parser.Parse(descriptor, reason);
  if (!caps && error) *error = std::move(reason);
  return caps;
}

}  // namespace nimbel
