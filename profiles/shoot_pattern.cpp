#include "profiles/shoot_pattern.h"

#include <algorithm>
#include <charconv>
#include <string_view>

#include "profiles/file_io.h"
#include "profiles/json_access.h"
#include "profiles/json_file.h"

namespace nimbel {
namespace {

using namespace macro_event_key;

// The six events of a bullet, in order: the offsets within the bullet of the moves that carry its values.
constexpr int kHorizontalOffset = 2;
constexpr int kVerticalOffset = 3;
// The constant parts of a bullet: a left click (10 ms held), each move 5 ms apart, both moves ended.
constexpr int kLeftButtonBit = 1;
constexpr int kClickHold = 10;
constexpr int kMoveGap = 5;

int Clamped(std::int64_t value, int limit) {
  return static_cast<int>(std::clamp<std::int64_t>(value, 0, limit));
}

bool IsDown(const Json::Value& event) {
  std::string action = json::AsString(json::Member(event, kAction));
  std::ranges::transform(action, action.begin(), [](unsigned char c) { return std::tolower(c); });
  return action == kDown;
}

// A delay as an integer or as decimal text (a macro file's form); anything else reads as 0.
std::int64_t DelayOf(const Json::Value& event) {
  const Json::Value& delay = json::Member(event, kDelay);
  if (!delay.isString()) return json::AsInt(delay);
  const std::string text = delay.asString();
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  // Beyond 64 bits is still beyond what the mouse stores.
  if (error == std::errc::result_out_of_range) return kMaxShootDelay;
  return end == text.data() ? 0 : value;
}

const Json::Value& EventAt(const Json::Value& document, int bullet, int offset) {
  return json::Element(json::Member(document, kEvents), bullet * kShootEventsPerBullet + offset);
}

Json::Value Event(int type, int button, bool down, int delay) {
  Json::Value event(Json::objectValue);
  event[kType] = type;
  event[kButton] = button;
  event[kAction] = down ? kDown : kUp;
  event[kDelay] = delay;
  return event;
}

bool IsBulletIndex(int bullet) {
  return bullet >= 0 && bullet < kShootBulletCount;
}

bool IsPatternIndex(int pattern) {
  return pattern >= 0 && pattern < kShootPatternCount;
}

}  // namespace

std::string ShootPatternFileName(int pattern) {
  return "ShootData_" + std::to_string(pattern) + ".Shoot";
}

ShootBullet ReadBullet(const Json::Value& document, int bullet) {
  const Json::Value& horizontal = EventAt(document, bullet, kHorizontalOffset);
  const Json::Value& vertical = EventAt(document, bullet, kVerticalOffset);
  return {.horizontal = Clamped(json::IntMember(horizontal, kButton), kMaxShootDistance),
          .left = IsDown(horizontal),
          .vertical = Clamped(json::IntMember(vertical, kButton), kMaxShootDistance),
          .up = IsDown(vertical),
          .delay = Clamped(DelayOf(vertical), kMaxShootDelay)};
}

void WriteBullet(Json::Value& document, int bullet, const ShootBullet& values) {
  if (!IsBulletIndex(bullet)) return;
  using namespace macro_event_type;
  const int horizontal = Clamped(values.horizontal, kMaxShootDistance);
  const int vertical = Clamped(values.vertical, kMaxShootDistance);
  const std::array<Json::Value, kShootEventsPerBullet> events{
      Event(kMouseButton, kLeftButtonBit, true, kClickHold),
      Event(kMouseButton, kLeftButtonBit, false, 0),
      Event(kHorizontalMove, horizontal, values.left, kMoveGap),
      Event(kVerticalMove, vertical, values.up, Clamped(values.delay, kMaxShootDelay)),
      Event(kHorizontalMove, 0, values.left, 0),
      Event(kVerticalMove, 0, values.up, 0),
  };
  Json::Value& list = json::MemberForWrite(document, kEvents);
  for (int offset = 0; offset < kShootEventsPerBullet; ++offset) {
    // jsoncpp fills the positions it skips with null.
    if (Json::Value* slot = json::ElementForWrite(list, bullet * kShootEventsPerBullet + offset))
      *slot = events[static_cast<std::size_t>(offset)];
  }
}

bool IsShootPatternDocument(const Json::Value& document) {
  const Json::Value& events = json::Member(document, kEvents);
  if (!events.isArray() || events.size() > kMaxShootEvents) return false;
  return std::ranges::all_of(
      events, [](const Json::Value& event) { return event.isNull() || ParseMacroEvent(event).has_value(); });
}

std::vector<MacroEvent> ShootPatternEvents(const Json::Value& document) {
  const Json::Value& list = json::Member(document, kEvents);
  const Json::ArrayIndex count = std::min<Json::ArrayIndex>(json::BoundedSize(list), kMaxShootEvents);
  std::vector<MacroEvent> events;
  for (Json::ArrayIndex i = 0; i < count; ++i) {
    const Json::Value& event = list[i];
    const int type = static_cast<int>(json::IntMember(event, kType));
    // A bullet never saved leaves nulls: sent, they would be events of type 0.
    if (!event.isObject() || !IsMacroEventType(type)) continue;
    events.push_back({.type = type,
                      .button = Clamped(json::IntMember(event, kButton), kMaxShootDistance),
                      .down = IsDown(event),
                      .delay = static_cast<std::uint16_t>(Clamped(DelayOf(event), kMaxShootDelay))});
  }
  return events;
}

ShootPatternFiles::ShootPatternFiles(std::string folder, std::string factoryFolder)
    : folder_(std::move(folder)), factoryFolder_(std::move(factoryFolder)) {}

std::string ShootPatternFiles::PathOf(int pattern) const {
  return folder_ + ShootPatternFileName(pattern);
}

Json::Value ShootPatternFiles::Read(int pattern) const {
  return ReadJsonFile(PathOf(pattern));
}

void ShootPatternFiles::RestoreUnreadablePatterns() {
  for (int pattern = 0; pattern < kShootPatternCount; ++pattern) {
    if (!Read(pattern).isObject()) Reset(pattern);
  }
}

ShootBullet ShootPatternFiles::Bullet(int pattern, int bullet) const {
  return ReadBullet(Read(pattern), bullet);
}

std::array<ShootBullet, kShootBulletCount> ShootPatternFiles::Bullets(int pattern) const {
  const Json::Value document = Read(pattern);
  std::array<ShootBullet, kShootBulletCount> bullets;
  for (int bullet = 0; bullet < kShootBulletCount; ++bullet)
    bullets[static_cast<std::size_t>(bullet)] = ReadBullet(document, bullet);
  return bullets;
}

bool ShootPatternFiles::SaveBullet(int pattern, int bullet, const ShootBullet& values) {
  if (!IsPatternIndex(pattern) || !IsBulletIndex(bullet)) return false;
  Json::Value document = Read(pattern);
  // An unreadable file starts a new document rather than losing the edit.
  if (!document.isObject()) document = Json::Value(Json::objectValue);
  WriteBullet(document, bullet, values);
  return WriteJsonFile(PathOf(pattern), document);
}

ShootFileResult ShootPatternFiles::ReplaceWith(int pattern, const std::string& source) {
  if (!IsPatternIndex(pattern)) return ShootFileResult::kNotAPattern;
  const FileText read = ReadFileText(source);
  if (read.status != ReadStatus::kRead) return ShootFileResult::kSourceUnreadable;
  if (!IsShootPatternDocument(ParseJsonText(read.text))) return ShootFileResult::kNotAPattern;
  // The text as it is, so keys of other writers stay; the old file goes only once the new one is whole.
  return WriteFileAtomically(PathOf(pattern), read.text) ? ShootFileResult::kDone
                                                         : ShootFileResult::kWriteFailed;
}

ShootFileResult ShootPatternFiles::Reset(int pattern) {
  return ReplaceWith(pattern, factoryFolder_ + ShootPatternFileName(pattern));
}

ShootFileResult ShootPatternFiles::Import(int pattern, const std::string& source) {
  return ReplaceWith(pattern, source);
}

ShootFileResult ShootPatternFiles::Export(int pattern, const std::string& target) const {
  const FileText read = ReadFileText(PathOf(pattern));
  if (read.status != ReadStatus::kRead) return ShootFileResult::kSourceUnreadable;
  return WriteFileAtomically(target, read.text) ? ShootFileResult::kDone : ShootFileResult::kWriteFailed;
}

std::array<std::vector<MacroEvent>, kShootPatternCount> ShootPatternFiles::EventsOfAllPatterns() const {
  std::array<std::vector<MacroEvent>, kShootPatternCount> patterns;
  for (int pattern = 0; pattern < kShootPatternCount; ++pattern)
    patterns[static_cast<std::size_t>(pattern)] = ShootPatternEvents(Read(pattern));
  return patterns;
}

}  // namespace nimbel
