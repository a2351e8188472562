#pragma once

// A device kind's macro library: "macro.config" in the kind's folder lists the macros in display order
// ("MacroInfo": "MacroName", "Guid"), and each macro is the file "<Guid>.mac" beside it. Keys name a
// macro by its position in the list, so removing one renumbers the keys of every profile of the kind.

#include <json/json.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "profiles/profile_records.h"

namespace nimbel {

// A macro event as the macro file holds it.
struct MacroEvent {
  int type = 0;
  int button = 0;
  bool down = false;
  std::uint16_t delay = 0;
  bool operator==(const MacroEvent&) const = default;
};
namespace macro_event_type {
inline constexpr int kMouseButton = 1;
inline constexpr int kHorizontalMove = 4;
inline constexpr int kVerticalMove = 5;
inline constexpr int kModifier = 9;
inline constexpr int kKey = 10;
}  // namespace macro_event_type

// The keys of an event in a macro or shooting-pattern file, and its two actions.
namespace macro_event_key {
inline constexpr const char* kEvents = "Events";
inline constexpr const char* kType = "Type";
inline constexpr const char* kButton = "Button";
inline constexpr const char* kAction = "Action";
inline constexpr const char* kDelay = "Delay";
inline constexpr const char* kDown = "down";
inline constexpr const char* kUp = "up";
}  // namespace macro_event_key

inline constexpr std::size_t kMaxMacros = 50;
inline constexpr std::size_t kMaxMacroEvents = 30;
// Characters, not bytes.
inline constexpr std::size_t kMaxMacroNameLength = 10;
// An imported file's name, extension included, is shorter than this.
inline constexpr std::size_t kMaxImportFileNameLength = 15;
inline constexpr const char* kMacroLibraryFile = "macro.config";
inline constexpr const char* kMacroExtension = ".mac";

// The events of a macro document: an object whose "Events" is an array of at most kMaxMacroEvents
// events, each with a known "Type", "Action" "down" or "up", "Button" 0..255 and "Delay" decimal digits
// 0..65535 (an integer too: a fresh recording's first event). Nullopt for anything else.
std::optional<std::vector<MacroEvent>> ParseMacroEvents(const Json::Value& document);
// One event of such a document, under the same rules.
std::optional<MacroEvent> ParseMacroEvent(const Json::Value& event);
bool IsMacroEventType(int type);
// The macro file: "MacroName", "Guid", "Events" (delays as decimal text), "Version" 64.
Json::Value MacroDocument(std::string_view name, std::string_view guid, std::span<const MacroEvent> events);

// The key list with macro `deleted` gone: keys bound to it take their default code, keys bound to a
// later macro move down by one. True when anything changed.
bool RenumberMacroKeys(std::vector<KeyAssignment>& list, std::uint8_t deleted);

enum class MacroResult {
  kDone,
  kLibraryFull,
  kNoSuchMacro,
  kNameInUse,
  kNameBlank,
  kNameStartsWithSpace,
  kNameTooLong,
  kFileNameTooLong,
  kNotAMacro,
  kWriteFailed,
};

struct MacroEntry {
  std::string name;
  std::string guid;
};

class MacroLibrary {
 public:
  using IdSource = std::function<std::string()>;

  // `kindFolder` is the kind's data folder, ending in '/'. `makeId` makes the ids of new macros
  // (MakeTimeStampId by default).
  explicit MacroLibrary(std::string kindFolder, IdSource makeId = {});

  // Reads the library again; a deletion a crash interrupted is finished first.
  void Load();
  const std::vector<MacroEntry>& Entries() const { return entries_; }
  std::size_t Count() const { return entries_.size(); }

  // "<Guid>.mac" in the kind folder; empty for a "Guid" that is not of the time-stamp id's form.
  std::string MacroPath(std::size_t index) const;
  // The macro's events; empty when its file is missing, unreadable or not a macro.
  std::vector<MacroEvent> ReadEvents(std::size_t index) const;
  // Writes the macro's file (crash-safely); refuses more than kMaxMacroEvents events.
  MacroResult SaveEvents(std::size_t index, std::span<const MacroEvent> events);

  // Appends "macro_<n>", n the lowest from 1 not in use (ignoring case).
  MacroResult NewMacro();
  MacroResult RenameMacro(std::size_t index, std::string_view name);
  // Appends the macro file at `path`, named after the file ("_<n>" appended while in use, the name
  // never longer than kMaxMacroNameLength); the file is validated and copied as it is.
  MacroResult ImportMacro(const std::string& path);
  MacroResult ExportMacro(std::size_t index, const std::string& path) const;
  // Removes macro `index` and renumbers the keys of every profile file listed that lies in the kind
  // folder (RenumberMacroKeys on the "KeyList" of every "Device" element). The library changes at one
  // point, with a record of the deletion that each profile's own crash-safe save marks as done, so that a
  // crash in between is finished by the next Load and no profile is renumbered twice. kWriteFailed when a
  // profile or the library could not be written; the record then stays and the next Load tries again.
  MacroResult DeleteMacro(std::size_t index, std::span<const std::string> profilePaths);

 private:
  std::string LibraryPath() const;
  // Empty for an id that is not of the time-stamp id's form.
  std::string PathOf(std::string_view guid) const;
  std::string NewId() const;
  // Appends an entry; with fileBytes, the macro's file is written first.
  MacroResult AddEntry(const std::string& name, std::optional<std::string> fileBytes);
  // Renumbers the profiles the pending deletion names, removes the macro's file and drops the record;
  // false (the record kept) when a profile or the library could not be written.
  bool FinishDeletion();
  // Writes the library with these entries and this pending deletion (null for none), then adopts them.
  bool Store(std::vector<MacroEntry> entries, Json::Value pending);

  std::string folder_;
  IdSource makeId_;
  std::vector<MacroEntry> entries_;
  // The deletion whose renumbering is not finished; null when there is none.
  Json::Value pending_;
  // The library file held something no reader could use; it is set aside before it is replaced.
  bool damaged_ = false;
};

}  // namespace nimbel
