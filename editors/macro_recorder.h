#pragma once

// Recording into a macro: each key or mouse button the user presses or releases becomes an event at the
// chosen place, with the delays the chosen mode gives. Qt-free, so that the rules can be checked without a
// window; the source of the presses feeds it with their times.

#include <cstdint>
#include <optional>
#include <vector>

#include "profiles/macro_library.h"
#include "protocol/key_codes.h"

namespace nimbel {

// How the delays of recorded events are found.
enum class RecordDelay {
  kMeasured = 1,  // the time between the presses, up to 65535 ms
  kFixed = 2,     // the fixed delay for every event
  kNone = 3,      // no wait at all
};
// Where recorded events go.
enum class RecordPlacement { kAppend, kBefore, kAfter, kReplace };

class MacroRecorder {
 public:
  // Starts a recording into `events` at `placement` of `selected` (-1 for none), at time `nowMs`.
  MacroRecorder(std::vector<MacroEvent>& events, int selected, RecordDelay delay, RecordPlacement placement,
                std::uint16_t fixedDelay, std::uint64_t nowMs);

  // A key of the capture tables went down or up; false when it added nothing (a repeat, a key the
  // tables do not know, or a full macro).
  bool RecordKey(ScanCode scan, bool down, std::uint64_t timeMs);
  // A mouse button (bit of the mouse-button table) went down or up.
  bool RecordMouseButton(int buttonBit, bool down, std::uint64_t timeMs);

  // The event recorded last (-1 before the first); the caller selects it.
  int LastRecordedRow() const { return lastRow_; }
  // Whether presses were lost because the macro was full.
  bool Overflowed() const { return overflowed_; }

 private:
  struct Pressed {
    int type = 0;
    int button = 0;
    bool operator==(const Pressed&) const = default;
  };
  bool Add(MacroEvent event, std::optional<Pressed>& last, std::uint64_t timeMs);

  std::vector<MacroEvent>& events_;
  // Where the next event goes (before/after placements) or which it replaces.
  int anchor_;
  int lastRow_ = -1;
  RecordDelay delay_;
  RecordPlacement placement_;
  std::uint16_t fixedDelay_;
  std::uint64_t lastTimeMs_;
  // The key and the mouse button held last: a press of the same again is the keyboard's repeat.
  std::optional<Pressed> lastKey_;
  std::optional<Pressed> lastButton_;
  bool overflowed_ = false;
};

}  // namespace nimbel
