#pragma once

// The mouse kind's four shooting patterns, one file each ("ShootData_<n>.Shoot"): 30 bullets, each six
// macro events (a left click, then a horizontal and a vertical move and the wait before the next shot,
// then both moves ended). The files are replaced only whole, so a failed reset or import leaves the old
// pattern, and whatever a file holds reaches the mouse only as events it can store.

#include <json/value.h>

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "profiles/macro_library.h"

namespace nimbel {

inline constexpr int kShootPatternCount = 4;
inline constexpr int kShootBulletCount = 30;
inline constexpr int kShootEventsPerBullet = 6;
inline constexpr std::size_t kMaxShootEvents = kShootBulletCount * kShootEventsPerBullet;
// The mouse keeps a move's distance in one byte and a wait in 16 bits.
inline constexpr int kMaxShootDistance = 255;
inline constexpr int kMaxShootDelay = 65535;

// "ShootData_2.Shoot" for pattern 2.
std::string ShootPatternFileName(int pattern);

// What the user edits of a bullet. `left` and `up` are the directions of the two moves.
struct ShootBullet {
  int horizontal = 0;
  bool left = false;
  int vertical = 0;
  bool up = false;
  int delay = 0;
  bool operator==(const ShootBullet&) const = default;
};

// The bullet as a pattern document holds it; what is missing reads as 0 and right/down, and values beyond
// what the mouse stores read as its limits.
ShootBullet ReadBullet(const Json::Value& document, int bullet);
// Sets the six events of the bullet (other keys of the document stay); values are clamped to what the
// mouse stores. A short "Events" grows, and skipped positions hold null.
void WriteBullet(Json::Value& document, int bullet, const ShootBullet& values);

// A document that may replace a pattern: an object whose "Events" is an array of at most kMaxShootEvents
// entries, each null (a bullet never saved) or an event a macro file could hold.
bool IsShootPatternDocument(const Json::Value& document);

// The events the mouse receives for a pattern: the first kMaxShootEvents entries of "Events", without the
// nulls of bullets never saved and without entries that are no event; numbers clamped to what it stores.
std::vector<MacroEvent> ShootPatternEvents(const Json::Value& document);

enum class ShootFileResult {
  kDone,
  kSourceUnreadable,
  kNotAPattern,
  kWriteFailed,
};

// The four pattern files of a kind folder and their factory copies.
class ShootPatternFiles {
 public:
  ShootPatternFiles(std::string folder, std::string factoryFolder);

  std::string PathOf(int pattern) const;

  // A pattern file that is missing or no JSON object becomes its factory copy.
  void RestoreUnreadablePatterns();

  ShootBullet Bullet(int pattern, int bullet) const;
  std::array<ShootBullet, kShootBulletCount> Bullets(int pattern) const;
  bool SaveBullet(int pattern, int bullet, const ShootBullet& values);

  ShootFileResult Reset(int pattern);
  ShootFileResult Import(int pattern, const std::string& source);
  ShootFileResult Export(int pattern, const std::string& target) const;

  std::array<std::vector<MacroEvent>, kShootPatternCount> EventsOfAllPatterns() const;

 private:
  Json::Value Read(int pattern) const;
  ShootFileResult ReplaceWith(int pattern, const std::string& source);

  std::string folder_;
  std::string factoryFolder_;
};

}  // namespace nimbel
