#include "profiles/macro_library.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <filesystem>
#include <limits>
#include <system_error>
#include <utility>

#include "platform/trace.h"
#include "profiles/file_io.h"
#include "profiles/json_access.h"
#include "profiles/json_file.h"
#include "profiles/profile_list.h"
#include "profiles/text.h"

namespace nimbel {
namespace {

namespace library_key {
constexpr const char* kList = "MacroInfo";
constexpr const char* kName = "MacroName";
constexpr const char* kGuid = "Guid";
// The deletion a crash may have interrupted: which macro, under which id, in which profiles.
constexpr const char* kPending = "PendingDeletion";
constexpr const char* kPendingId = "Id";
constexpr const char* kPendingMacro = "Macro";
constexpr const char* kPendingGuid = "Guid";
constexpr const char* kPendingProfiles = "Profiles";
}  // namespace library_key

namespace macro_key {
constexpr const char* kName = "MacroName";
constexpr const char* kGuid = "Guid";
using namespace macro_event_key;
constexpr const char* kVersion = "Version";
}  // namespace macro_key

namespace profile_key {
constexpr const char* kDevice = "Device";
constexpr const char* kKeyList = "KeyList";
constexpr const char* kAssignment = "Assignment";
constexpr const char* kDefaultAssignment = "DefaultAssignment";
// The id of the last deletion whose renumbering this profile holds, so that it is never applied twice.
constexpr const char* kRenumbered = "MacroRenumbered";
}  // namespace profile_key

constexpr int kMacroFileVersion = 64;
using macro_event_key::kDown;
using macro_event_key::kUp;
constexpr std::string_view kNewMacroStem = "macro_";
constexpr char kSuffixSeparator = '_';
constexpr std::size_t kMaxDelayDigits = 5;
constexpr std::int64_t kMaxDelay = std::numeric_limits<std::uint16_t>::max();
constexpr std::int64_t kMaxButton = std::numeric_limits<std::uint8_t>::max();
constexpr std::uint8_t kMacroPlayType = 0x70;
constexpr std::uint8_t kMacroRepeatType = 0x71;
constexpr std::array kEventTypes = {macro_event_type::kMouseButton, macro_event_type::kHorizontalMove,
                                    macro_event_type::kVerticalMove, macro_event_type::kModifier,
                                    macro_event_type::kKey};
bool AllDigits(std::string_view text) {
  return !text.empty() && std::ranges::all_of(text, [](char c) { return c >= '0' && c <= '9'; });
}

bool IsIntegral(const Json::Value& value) {
  return value.type() == Json::intValue || value.type() == Json::uintValue;
}

std::optional<std::uint16_t> ParseDelay(const Json::Value& delay) {
  if (IsIntegral(delay)) {
    const std::int64_t value = json::AsInt(delay);
    if (value < 0 || value > kMaxDelay) return std::nullopt;
    return static_cast<std::uint16_t>(value);
  }
  const std::string text = json::AsString(delay);
  if (!AllDigits(text) || text.size() > kMaxDelayDigits) return std::nullopt;
  int value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  if (value > kMaxDelay) return std::nullopt;
  return static_cast<std::uint16_t>(value);
}

bool IsValidEvent(const MacroEvent& event) {
  return IsMacroEventType(event.type) && event.button >= 0 && event.button <= kMaxButton;
}

bool NameInUse(std::span<const MacroEntry> entries, std::string_view name) {
  return std::ranges::any_of(entries,
                             [&](const MacroEntry& entry) { return SameProfileName(entry.name, name); });
}

// Valid UTF-8 up to the first NUL: what a library entry can hold and its writer keep.
std::string UsableText(std::string_view text) {
  return ToUtf8(FromUtf8(text.substr(0, text.find('\0'))));
}

bool EndsWithMacroExtension(std::string_view fileName) {
  const std::string_view extension(kMacroExtension);
  if (fileName.size() <= extension.size()) return false;
  return std::ranges::equal(fileName.substr(fileName.size() - extension.size()), extension,
                            [](char a, char b) { return (a >= 'A' && a <= 'Z' ? a - 'A' + 'a' : a) == b; });
}

// The name an imported file gives: its name without the extension, "_<n>" appended while it is in use,
// the name cut first so that the suffix never pushes it past the limit.
std::string ImportedName(std::span<const MacroEntry> entries, std::string_view stem) {
  std::string name = CutToCharacters(
      UsableText(stem.substr(std::min(stem.find_first_not_of(' '), stem.size()))), kMaxMacroNameLength);
  if (IsBlank(name)) name = std::string(kNewMacroStem) + "1";
  // Each candidate ends in its own "_<n>", so a free one comes within the library's size.
  for (int n = 1; NameInUse(entries, name); ++n) {
    const std::string suffix = kSuffixSeparator + std::to_string(n);
    name = CutToCharacters(name, kMaxMacroNameLength - suffix.size()) + suffix;
  }
  return name;
}

// Whether path names a file directly in folder (which ends in '/').
bool IsFileOf(const std::string& folder, std::string_view path) {
  if (!path.starts_with(folder)) return false;
  const std::string_view name = path.substr(folder.size());
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
         name.find('\0') == std::string_view::npos;
}

bool FileExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(path, error);
}

void RemoveFile(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::remove(path, error) && error) Trace("cannot remove " + path + ": " + error.message());
}

// Renumbers one profile document's key list in place; true when a code changed.
bool RenumberKeyListOf(Json::Value& document, std::uint8_t deleted) {
  Json::Value& keys = document[profile_key::kKeyList];
  if (!keys.isArray()) return false;
  std::vector<KeyAssignment> list;
  const Json::ArrayIndex count = json::BoundedSize(keys);
  for (Json::ArrayIndex i = 0; i < count; ++i) {
    const auto position = static_cast<std::uint16_t>(i);
    list.push_back({KeyCode::FromValue(position, json::IntMember(keys[i], profile_key::kAssignment)),
                    KeyCode::FromValue(position, json::IntMember(keys[i], profile_key::kDefaultAssignment))});
  }
  const std::vector<KeyAssignment> before = list;
  if (!RenumberMacroKeys(list, deleted)) return false;
  for (Json::ArrayIndex i = 0; i < count; ++i) {
    if (list[i] != before[i])
      json::MemberForWrite(keys[i], profile_key::kAssignment) = list[i].current.Value();
  }
  return true;
}

enum class ProfileRenumbering { kDone, kWriteFailed };

// One profile's part of a deletion, saved with the deletion's id in the same atomic write: a crash leaves
// the profile either untouched and unmarked or renumbered and marked.
ProfileRenumbering RenumberProfile(const std::string& path, std::uint8_t deleted,
                                   const std::string& deletionId) {
  JsonFile file = ReadJsonFileState(path);
  Json::Value& profile = file.value;
  // A missing or damaged file holds no key that could name the macro.
  if (file.state != JsonFileState::kRead || !profile.isObject()) return ProfileRenumbering::kDone;
  if (json::AsString(json::Member(profile, profile_key::kRenumbered)) == deletionId)
    return ProfileRenumbering::kDone;
  Json::Value& devices = profile[profile_key::kDevice];
  if (!devices.isArray()) return ProfileRenumbering::kDone;
  bool changed = false;
  for (Json::ArrayIndex i = 0; i < json::BoundedSize(devices); ++i) {
    if (devices[i].isObject()) changed = RenumberKeyListOf(devices[i], deleted) || changed;
  }
  // Unchanged, the profile holds no code a second run could change either.
  if (!changed) return ProfileRenumbering::kDone;
  profile[profile_key::kRenumbered] = deletionId;
  return WriteJsonFile(path, profile) ? ProfileRenumbering::kDone : ProfileRenumbering::kWriteFailed;
}

}  // namespace

bool IsMacroEventType(int type) {
  return std::ranges::find(kEventTypes, type) != kEventTypes.end();
}

std::optional<MacroEvent> ParseMacroEvent(const Json::Value& event) {
  const Json::Value& type = json::Member(event, macro_key::kType);
  const Json::Value& button = json::Member(event, macro_key::kButton);
  const Json::Value& action = json::Member(event, macro_key::kAction);
  if (!IsIntegral(type) || !IsMacroEventType(static_cast<int>(json::AsInt(type)))) return std::nullopt;
  if (!IsIntegral(button) || json::AsInt(button) < 0 || json::AsInt(button) > kMaxButton) return std::nullopt;
  const std::string actionText = json::AsString(action);
  if (actionText != kDown && actionText != kUp) return std::nullopt;
  const std::optional<std::uint16_t> delay = ParseDelay(json::Member(event, macro_key::kDelay));
  if (!delay) return std::nullopt;
  return MacroEvent{static_cast<int>(json::AsInt(type)), static_cast<int>(json::AsInt(button)),
                    actionText == kDown, *delay};
}

std::optional<std::vector<MacroEvent>> ParseMacroEvents(const Json::Value& document) {
  const Json::Value& events = json::Member(document, macro_key::kEvents);
  if (!events.isArray() || events.size() > kMaxMacroEvents) return std::nullopt;
  std::vector<MacroEvent> parsed;
  for (const Json::Value& event : events) {
    const std::optional<MacroEvent> one = ParseMacroEvent(event);
    if (!one) return std::nullopt;
    parsed.push_back(*one);
  }
  return parsed;
}

Json::Value MacroDocument(std::string_view name, std::string_view guid, std::span<const MacroEvent> events) {
  Json::Value document(Json::objectValue);
  document[macro_key::kName] = std::string(name);
  document[macro_key::kGuid] = std::string(guid);
  Json::Value& list = document[macro_key::kEvents] = Json::Value(Json::arrayValue);
  for (const MacroEvent& event : events) {
    Json::Value& item = list.append(Json::Value(Json::objectValue));
    item[macro_key::kType] = event.type;
    item[macro_key::kButton] = event.button;
    item[macro_key::kAction] = event.down ? kDown : kUp;
    item[macro_key::kDelay] = std::to_string(event.delay);
  }
  document[macro_key::kVersion] = kMacroFileVersion;
  return document;
}

bool RenumberMacroKeys(std::vector<KeyAssignment>& list, std::uint8_t deleted) {
  bool changed = false;
  for (KeyAssignment& key : list) {
    KeyCode& code = key.current;
    if (code.high != kMacroPlayType && code.high != kMacroRepeatType) continue;
    if (code.middle == deleted) {
      code = {code.position, key.factory.high, key.factory.middle, key.factory.low};
      changed = true;
    } else if (code.middle > deleted) {
      --code.middle;
      changed = true;
    }
  }
  return changed;
}

MacroLibrary::MacroLibrary(std::string kindFolder, IdSource makeId)
    : folder_(std::move(kindFolder)), makeId_(makeId ? std::move(makeId) : IdSource(&MakeTimeStampId)) {}

std::string MacroLibrary::LibraryPath() const {
  return folder_ + kMacroLibraryFile;
}

std::string MacroLibrary::PathOf(std::string_view guid) const {
  // "Guid" becomes part of a path.
  if (!IsTimeStampId(guid)) return {};
  return folder_ + std::string(guid) + kMacroExtension;
}

void MacroLibrary::Load() {
  const JsonFile read = ReadJsonFileState(LibraryPath());
  damaged_ = IsDamaged(read.state) || (read.state == JsonFileState::kRead && !read.value.isObject());
  entries_.clear();
  const Json::Value& list = json::Member(read.value, library_key::kList);
  const Json::ArrayIndex count = std::min<Json::ArrayIndex>(json::BoundedSize(list), kMaxMacros);
  for (Json::ArrayIndex i = 0; i < count; ++i) {
    entries_.push_back({UsableText(json::AsString(json::Member(list[i], library_key::kName))),
                        json::AsString(json::Member(list[i], library_key::kGuid))});
  }
  pending_ = json::Member(read.value, library_key::kPending);
  if (!pending_.isNull()) FinishDeletion();
}

std::string MacroLibrary::MacroPath(std::size_t index) const {
  if (index >= entries_.size()) return {};
  return PathOf(entries_[index].guid);
}

std::vector<MacroEvent> MacroLibrary::ReadEvents(std::size_t index) const {
  const std::string path = MacroPath(index);
  if (path.empty()) return {};
  return ParseMacroEvents(ReadJsonFile(path)).value_or(std::vector<MacroEvent>{});
}

MacroResult MacroLibrary::SaveEvents(std::size_t index, std::span<const MacroEvent> events) {
  if (index >= entries_.size()) return MacroResult::kNoSuchMacro;
  if (events.size() > kMaxMacroEvents || !std::ranges::all_of(events, IsValidEvent))
    return MacroResult::kNotAMacro;
  const std::string path = MacroPath(index);
  const MacroEntry& entry = entries_[index];
  if (path.empty() || !WriteJsonFile(path, MacroDocument(entry.name, entry.guid, events)))
    return MacroResult::kWriteFailed;
  return MacroResult::kDone;
}

MacroResult MacroLibrary::NewMacro() {
  if (entries_.size() >= kMaxMacros) return MacroResult::kLibraryFull;
  int number = 1;
  std::string name = std::string(kNewMacroStem) + std::to_string(number);
  while (NameInUse(entries_, name)) name = std::string(kNewMacroStem) + std::to_string(++number);
  return AddEntry(name, std::nullopt);
}

MacroResult MacroLibrary::RenameMacro(std::size_t index, std::string_view name) {
  if (index >= entries_.size()) return MacroResult::kNoSuchMacro;
  const std::string usable = UsableText(name);
  if (usable.starts_with(' ')) return MacroResult::kNameStartsWithSpace;
  if (IsBlank(usable)) return MacroResult::kNameBlank;
  if (CharacterCount(usable) > kMaxMacroNameLength) return MacroResult::kNameTooLong;
  // The macro's own name too: renaming to it changes nothing and is refused as taken.
  if (NameInUse(entries_, usable)) return MacroResult::kNameInUse;
  std::vector<MacroEntry> entries = entries_;
  entries[index].name = usable;
  return Store(std::move(entries), pending_) ? MacroResult::kDone : MacroResult::kWriteFailed;
}

MacroResult MacroLibrary::ImportMacro(const std::string& path) {
  const std::string fileName = std::filesystem::path(path).filename().string();
  if (CharacterCount(UsableText(fileName)) >= kMaxImportFileNameLength) return MacroResult::kFileNameTooLong;
  if (entries_.size() >= kMaxMacros) return MacroResult::kLibraryFull;
  if (!EndsWithMacroExtension(fileName)) return MacroResult::kNotAMacro;
  const FileText file = ReadFileText(path);
  if (file.status != ReadStatus::kRead) return MacroResult::kNotAMacro;
  // The bytes checked are the bytes copied: the file may change while it is imported.
  if (!ParseMacroEvents(ParseJsonText(file.text))) return MacroResult::kNotAMacro;
  const std::string stem = fileName.substr(0, fileName.size() - std::string_view(kMacroExtension).size());
  return AddEntry(ImportedName(entries_, stem), file.text);
}

MacroResult MacroLibrary::ExportMacro(std::size_t index, const std::string& path) const {
  if (index >= entries_.size()) return MacroResult::kNoSuchMacro;
  const std::string source = MacroPath(index);
  if (source.empty()) return MacroResult::kNotAMacro;
  const FileText file = ReadFileText(source);
  std::string bytes = file.text;
  // A macro never saved has no file yet; what the editor shows for it is an empty macro.
  if (file.status == ReadStatus::kMissing)
    bytes = StyledJsonText(MacroDocument(entries_[index].name, entries_[index].guid, {}));
  else if (file.status != ReadStatus::kRead)
    return MacroResult::kNotAMacro;
  return WriteFileAtomically(path, bytes) ? MacroResult::kDone : MacroResult::kWriteFailed;
}

MacroResult MacroLibrary::DeleteMacro(std::size_t index, std::span<const std::string> profilePaths) {
  // Deletions renumber in the order they were made; an unfinished one goes first.
  if (!pending_.isNull() && !FinishDeletion()) return MacroResult::kWriteFailed;
  if (index >= entries_.size()) return MacroResult::kNoSuchMacro;
  Json::Value pending(Json::objectValue);
  // The time alone could repeat within a millisecond; with the macro's id it names this deletion only.
  pending[library_key::kPendingId] = makeId_() + "/" + entries_[index].guid;
  pending[library_key::kPendingMacro] = static_cast<Json::UInt>(index);
  pending[library_key::kPendingGuid] = entries_[index].guid;
  Json::Value& profiles = pending[library_key::kPendingProfiles] = Json::Value(Json::arrayValue);
  for (const std::string& path : profilePaths) profiles.append(path);
  std::vector<MacroEntry> entries = entries_;
  entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(index));
  // The one point where the library changes: the entry goes and the record of what is left to do comes in
  // the same write. Before it nothing has changed; after it Load finishes what a crash interrupted.
  if (!Store(std::move(entries), pending)) return MacroResult::kWriteFailed;
  return FinishDeletion() ? MacroResult::kDone : MacroResult::kWriteFailed;
}

bool MacroLibrary::FinishDeletion() {
  const std::string id = json::AsString(json::Member(pending_, library_key::kPendingId));
  const std::int64_t macro = json::IntMember(pending_, library_key::kPendingMacro);
  bool renumbered = true;
  // A record this program did not write renumbers nothing; it is dropped.
  if (!id.empty() && macro >= 0 && macro < static_cast<std::int64_t>(kMaxMacros)) {
    const Json::Value& profiles = json::Member(pending_, library_key::kPendingProfiles);
    for (Json::ArrayIndex i = 0; i < json::BoundedSize(profiles); ++i) {
      const std::string path = json::AsString(profiles[i]);
      // The record comes from a file the user may edit: it renumbers the kind's own profiles only.
      if (!IsFileOf(folder_, path)) continue;
      if (RenumberProfile(path, static_cast<std::uint8_t>(macro), id) != ProfileRenumbering::kDone)
        renumbered = false;
    }
  }
  // The record stays until every profile is renumbered, so that a later Load tries again.
  if (!renumbered) return false;
  const std::string file = PathOf(json::AsString(json::Member(pending_, library_key::kPendingGuid)));
  if (!file.empty()) RemoveFile(file);
  return Store(entries_, Json::Value());
}

MacroResult MacroLibrary::AddEntry(const std::string& name, std::optional<std::string> fileBytes) {
  const std::string guid = NewId();
  const std::string path = PathOf(guid);
  if (path.empty()) return MacroResult::kWriteFailed;
  // The file first: the library never names an imported macro whose file is not there yet.
  if (fileBytes && !WriteFileAtomically(path, *fileBytes)) return MacroResult::kWriteFailed;
  std::vector<MacroEntry> entries = entries_;
  entries.push_back({name, guid});
  if (!Store(std::move(entries), pending_)) {
    if (fileBytes) RemoveFile(path);
    return MacroResult::kWriteFailed;
  }
  return MacroResult::kDone;
}

std::string MacroLibrary::NewId() const {
  // Two macros made within one millisecond, or a file an earlier run left, must not share a file.
  const auto taken = [&](const std::string& id) {
    return FileExists(PathOf(id)) ||
           std::ranges::any_of(entries_, [&](const MacroEntry& entry) { return entry.guid == id; });
  };
  const std::string base = makeId_();
  std::string id = base;
  for (int n = 1; taken(id); ++n) id = base + kSuffixSeparator + std::to_string(n);
  return id;
}

bool MacroLibrary::Store(std::vector<MacroEntry> entries, Json::Value pending) {
  // A library file no reader could use is kept beside the new one: the user may still recover it.
  if (damaged_ && SetAsideDamagedFile(LibraryPath()).empty()) return false;
  Json::Value library(Json::objectValue);
  Json::Value& list = library[library_key::kList] = Json::Value(Json::arrayValue);
  for (const MacroEntry& entry : entries) {
    Json::Value& item = list.append(Json::Value(Json::objectValue));
    item[library_key::kName] = entry.name;
    item[library_key::kGuid] = entry.guid;
  }
  if (!pending.isNull()) library[library_key::kPending] = pending;
  if (!WriteJsonFile(LibraryPath(), library)) return false;
  damaged_ = false;
  entries_ = std::move(entries);
  pending_ = std::move(pending);
  return true;
}

}  // namespace nimbel
