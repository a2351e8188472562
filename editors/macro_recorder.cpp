#include "editors/macro_recorder.h"

#include <algorithm>

namespace nimbel {
namespace {

constexpr std::uint64_t kMaxDelayMs = 65535;

}  // namespace

MacroRecorder::MacroRecorder(std::vector<MacroEvent>& events, int selected, RecordDelay delay,
                             RecordPlacement placement, std::uint16_t fixedDelay, std::uint64_t nowMs)
    : events_(events),
      anchor_(selected >= 0 && static_cast<std::size_t>(selected) < events.size() ? selected : -1),
      delay_(delay),
      placement_(placement),
      fixedDelay_(fixedDelay),
      lastTimeMs_(nowMs) {
  // Without a selected event there is nothing to go before, after or in place of: the recording appends.
  if (anchor_ < 0) placement_ = RecordPlacement::kAppend;
  // After the selected event is before the one that follows it.
  if (placement_ == RecordPlacement::kAfter) ++anchor_;
}

bool MacroRecorder::RecordKey(ScanCode scan, bool down, std::uint64_t timeMs) {
  const std::optional<std::size_t> row = ScanCodeRowOf(scan);
  if (!row) return false;
  const AssignmentCode code = KeyCodeTable()[*row].code;
  if (code.type != assignment_type::kKeyboard) return false;
  const bool modifier = *row < kModifierRows;
  MacroEvent event{modifier ? macro_event_type::kModifier : macro_event_type::kKey,
                   modifier ? code.p1 : code.p2, down, 0};
  return Add(event, lastKey_, timeMs);
}

bool MacroRecorder::RecordMouseButton(int buttonBit, bool down, std::uint64_t timeMs) {
  return Add({macro_event_type::kMouseButton, buttonBit, down, 0}, lastButton_, timeMs);
}

bool MacroRecorder::Add(MacroEvent event, std::optional<Pressed>& last, std::uint64_t timeMs) {
  const Pressed pressed{event.type, event.button};
  if (event.down) {
    if (last == pressed) return false;
    last = pressed;
  } else if (last == pressed) {
    last.reset();
  }
  const bool replacing = placement_ == RecordPlacement::kReplace;
  if (!replacing && events_.size() >= kMaxMacroEvents) {
    overflowed_ = true;
    return false;
  }

  std::uint16_t newDelay = 0;
  std::uint16_t previousDelay = 0;
  switch (delay_) {
    case RecordDelay::kMeasured:
      previousDelay =
          static_cast<std::uint16_t>(std::min(timeMs - std::min(timeMs, lastTimeMs_), kMaxDelayMs));
      lastTimeMs_ = timeMs;
      break;
    case RecordDelay::kFixed:
      newDelay = previousDelay = fixedDelay_;
      break;
    case RecordDelay::kNone:
      break;
  }

  std::size_t at = events_.size();
  switch (placement_) {
    case RecordPlacement::kAppend:
      break;
    case RecordPlacement::kBefore:
    case RecordPlacement::kAfter:
      at = static_cast<std::size_t>(anchor_);
      break;
    case RecordPlacement::kReplace:
      // The replaced event keeps its delay.
      event.delay = events_[static_cast<std::size_t>(anchor_)].delay;
      events_[static_cast<std::size_t>(anchor_)] = event;
      lastRow_ = anchor_;
      return true;
  }
  event.delay = events_.empty() ? 0 : newDelay;
  events_.insert(events_.begin() + static_cast<std::ptrdiff_t>(at), event);
  if (at > 0) events_[at - 1].delay = previousDelay;
  lastRow_ = static_cast<int>(at);
  // The presses keep their order: the next goes after the one just recorded, still before the event that
  // was selected when recording began.
  if (placement_ != RecordPlacement::kAppend) anchor_ = static_cast<int>(at) + 1;
  return true;
}

}  // namespace nimbel
