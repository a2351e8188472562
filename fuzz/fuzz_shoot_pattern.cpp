// Input: a shooting-pattern file the user imports, or one a hand edit left in the kind folder. Whatever it
// holds, the mouse gets at most thirty bullets of events it can store, and a bullet saved into it reads
// back as saved.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "profiles/json_file.h"
#include "profiles/shoot_pattern.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace nimbel;
  Json::Value document = ParseJsonText(std::string_view(reinterpret_cast<const char*>(data), size));
  IsShootPatternDocument(document);
  const std::vector<MacroEvent> events = ShootPatternEvents(document);
  fuzz::Check(events.size() <= kMaxShootEvents);
  for (const MacroEvent& event : events) fuzz::Check(IsMacroEventType(event.type) && event.button <= 255);
  for (int bullet = 0; bullet < kShootBulletCount; ++bullet) {
    const ShootBullet shown = ReadBullet(document, bullet);
    fuzz::Check(shown.horizontal >= 0 && shown.horizontal <= kMaxShootDistance &&
                shown.delay <= kMaxShootDelay);
  }
  if (!document.isObject()) return 0;
  const ShootBullet saved{.horizontal = 17, .left = true, .vertical = 250, .up = false, .delay = 65535};
  WriteBullet(document, kShootBulletCount - 1, saved);
  fuzz::Check(ReadBullet(document, kShootBulletCount - 1) == saved);
  return 0;
}
