#include "profiles/profile_list.h"

#include <locale.h>
#include <wctype.h>

#include <algorithm>
#include <filesystem>
#include <span>
#include <system_error>
#include <utility>

#include "platform/trace.h"
#include "profiles/file_notices.h"
#include "profiles/json_access.h"
#include "profiles/json_file.h"
#include "profiles/profile_paths.h"
#include "profiles/text.h"

namespace nimbel {
namespace {

namespace list_key {
constexpr const char* kList = "profilelist";
constexpr const char* kSelect = "profileselect";
constexpr const char* kName = "profilename";
constexpr const char* kId = "profileUUID";
constexpr const char* kIsLink = "profileislink";
constexpr const char* kLinkName = "profilelinkmame";
}  // namespace list_key

constexpr const char* kDeviceKey = "Device";

constexpr std::string_view kFirstProfileName = "Profile1";
constexpr std::string_view kNewProfileStem = "Profile";
constexpr std::string_view kCopySuffix = " copy";
constexpr char kIdSuffixSeparator = '_';

// Keys only one device kind's profile holds; an import is checked against them. "SystemStages" is
// shared by mouse and keyboard and tells nothing.
struct KindSignature {
  KindCode kind;
  std::span<const char* const> keys;
};
constexpr const char* kMouseKeys[] = {"DPIStages", "ReportStages"};
constexpr const char* kKeyboardKeys[] = {"CustomLightMode"};
constexpr const char* kHeadsetKeys[] = {"EQHzValueInfo", "CustomEQNameInfo", "CustomEQHzValueInfo",
                                        "SystemSetStages"};
constexpr KindSignature kKindSignatures[] = {
    {KindCode::MouseCable, kMouseKeys},
    {KindCode::KeyboardCable, kKeyboardKeys},
    {KindCode::Headset, kHeadsetKeys},
};

// The headset's own equaliser presets survive a reset.
constexpr const char* kHeadsetKeptOnReset[] = {"CustomEQNameInfo", "CustomEQHzValueInfo"};

// Case folding for names needs Unicode tables; glibc's C.UTF-8 locale has them whatever the user's
// locale is. Without it, ASCII folding still works.
class FoldingLocale {
 public:
  FoldingLocale() : locale_(newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{})) {}
  ~FoldingLocale() {
    if (locale_ != locale_t{}) freelocale(locale_);
  }
  FoldingLocale(const FoldingLocale&) = delete;
  FoldingLocale& operator=(const FoldingLocale&) = delete;

  char16_t Lower(char16_t unit) const {
    if (locale_ == locale_t{})
      return unit >= u'A' && unit <= u'Z' ? static_cast<char16_t>(unit - u'A' + u'a') : unit;
    const wint_t lower = towlower_l(static_cast<wint_t>(unit), locale_);
    // A lower case outside the BMP would not fit the unit; such pairs do not exist in practice.
    return lower <= 0xFFFF ? static_cast<char16_t>(lower) : unit;
  }

 private:
  locale_t locale_;
};

std::u16string Folded(std::string_view text) {
  static const FoldingLocale locale;
  std::u16string units = FromUtf8(text);
  for (char16_t& unit : units) {
    // Surrogates pass unchanged: folding works on whole BMP characters only.
    if (unit < 0xD800 || unit >= 0xE000) unit = locale.Lower(unit);
  }
  return units;
}

bool IsValidList(const Json::Value& list) {
  return list.isObject() && list.isMember(list_key::kList) && list[list_key::kList].isArray();
}

std::vector<ProfileEntry> EntriesOf(const Json::Value& list) {
  std::vector<ProfileEntry> entries;
  const Json::Value& items = json::Member(list, list_key::kList);
  if (!items.isArray()) return entries;
  for (const Json::Value& item : items) {
    entries.push_back({json::AsString(json::Member(item, list_key::kName)),
                       json::AsString(json::Member(item, list_key::kId))});
  }
  return entries;
}

Json::Value& ListItems(Json::Value& list) {
  Json::Value& items = json::MemberForWrite(list, list_key::kList);
  if (!items.isArray()) items = Json::Value(Json::arrayValue);
  return items;
}

Json::Value NewEntry(const std::string& name, const std::string& id) {
  Json::Value entry(Json::objectValue);
  entry[list_key::kName] = name;
  entry[list_key::kId] = id;
  entry[list_key::kIsLink] = 0;
  entry[list_key::kLinkName] = "";
  return entry;
}

// A name as a list entry may hold it: valid UTF-8, no NUL, no longer than the name field takes.
std::string UsableName(std::string_view name) {
  name = name.substr(0, name.find('\0'));
  return CutToCharacters(ToUtf8(FromUtf8(name)), kMaxProfileNameLength);
}

// The list as this program writes it: at most kMaxProfileCount entries, each with exactly its four keys,
// and a selection that is an index of the list. Whatever a hand-edited list holds beyond that (a key with a
// NUL in it, thousands of entries, a selection far outside) then cannot reach the operations or the writer.
Json::Value NormalisedList(const Json::Value& list) {
  Json::Value normalised(Json::objectValue);
  Json::Value& items = normalised[list_key::kList] = Json::Value(Json::arrayValue);
  const Json::Value& stored = json::Member(list, list_key::kList);
  const Json::ArrayIndex count = std::min<Json::ArrayIndex>(stored.size(), kMaxProfileCount);
  for (Json::ArrayIndex i = 0; i < count; ++i) {
    const Json::Value& item = stored[i];
    items.append(NewEntry(UsableName(json::AsString(json::Member(item, list_key::kName))),
                          json::AsString(json::Member(item, list_key::kId))));
  }
  const Json::Value& select = json::Member(list, list_key::kSelect);
  const std::int64_t index = json::AsInt(select);
  const bool inside = select.isIntegral() && index >= 0 && index < static_cast<std::int64_t>(count);
  normalised[list_key::kSelect] = inside ? static_cast<int>(index) : 0;
  return normalised;
}

// Whether an entry other than `except` has the name, ignoring case.
bool NameInUse(const std::vector<ProfileEntry>& entries, std::string_view name, int except = -1) {
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (static_cast<int>(i) != except && SameProfileName(entries[i].name, name)) return true;
  }
  return false;
}

bool IsIndexOf(const std::vector<ProfileEntry>& entries, int index) {
  return index >= 0 && static_cast<std::size_t>(index) < entries.size();
}

bool IsPlainFileName(std::string_view id) {
  return !id.empty() && id != "." && id != ".." && id.find('/') == std::string_view::npos &&
         id.find('\0') == std::string_view::npos;
}

bool FileExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(path, error);
}

void RemoveFile(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::remove(path, error) && error) Trace("cannot remove " + path + ": " + error.message());
}

Json::Value Named(Json::Value profile, const std::string& name, const std::string& id) {
  if (!profile.isObject()) profile = Json::Value(Json::objectValue);
  profile[list_key::kName] = name;
  profile[list_key::kId] = id;
  return profile;
}

// The file's name without folder and extension, made valid UTF-8 and cut to what a name may hold.
std::string ImportedName(const std::string& path) {
  const std::filesystem::path file(path);
  std::string name = ToUtf8(FromUtf8(file.stem().string()));
  name = CutToCharacters(name, kMaxProfileNameLength);
  return IsBlank(name) ? std::string(kNewProfileStem) : name;
}

bool HoldsAnyKey(const Json::Value& document, std::span<const char* const> keys) {
  return std::any_of(keys.begin(), keys.end(), [&](const char* key) { return document.isMember(key); });
}

}  // namespace

bool SameProfileName(std::string_view a, std::string_view b) {
  return a == b || Folded(a) == Folded(b);
}

std::string ExportFilePath(const std::string& path) {
  if (path.empty()) return path;
  const std::filesystem::path file(path);
  if (file.has_filename() && !file.has_extension()) return path + std::string(kProfileExportExtension);
  return path;
}

CProfileList::CProfileList(std::string listFolder, std::string factoryProfilePath, KindCode kind,
                           IdSource makeId)
    : listFolder_(std::move(listFolder)),
      factoryProfilePath_(std::move(factoryProfilePath)),
      kind_(CableKindOf(kind)),
      makeId_(makeId ? std::move(makeId) : IdSource(&MakeTimeStampId)) {}

std::string CProfileList::ListFilePath() const {
  return listFolder_ + std::string(kProfileListFileName);
}

std::string CProfileList::ProfilePath(std::string_view id) const {
  if (!IsPlainFileName(id)) return {};
  return listFolder_ + std::string(id) + std::string(kProfileExtension);
}

ProfileListResult CProfileList::Init() {
  RemoveStaleTemporaries(listFolder_);
  JsonFile read = ReadJsonFileState(ListFilePath());
  if (IsValidList(read.value) && !read.value[list_key::kList].empty()) {
    Adopt(NormalisedList(read.value));
    selectedId_ = entries_[static_cast<std::size_t>(StoredSelection())].id;
    return ProfileListResult::kDone;
  }
  const bool damaged =
      IsDamaged(read.state) || (read.state == JsonFileState::kRead && !IsValidList(read.value));
  const std::string keptAs = damaged ? SetAsideDamagedFile(ListFilePath()) : std::string();
  // A damaged list that could not be moved aside is not written over: the user may still recover it.
  const bool mayWrite = !damaged || !keptAs.empty();
  // The profiles the list named are still in the folder; they stay reachable.
  Json::Value list = ListOfProfileFiles();
  const std::size_t found = list[list_key::kList].size();
  if (damaged) {
    PostFileNotice({FileNoticeKind::kListRebuilt, ListFilePath(), keptAs, std::max<std::size_t>(found, 1)});
  }
  if (found > 0) {
    const bool written = mayWrite && WriteList(list);
    Adopt(std::move(list));
    selectedId_ = entries_.front().id;
    return written ? ProfileListResult::kDone : ProfileListResult::kWriteFailed;
  }
  Json::Value& items = ListItems(list);
  const std::string id = NewId(list);
  items.append(NewEntry(std::string(kFirstProfileName), id));
  list[list_key::kSelect] = 0;
  // The profile's file first: a list must never name a profile that has no file yet.
  const bool written = mayWrite &&
                       WriteJsonFile(ProfilePath(id), Named(ReadJsonFile(factoryProfilePath_),
                                                            std::string(kFirstProfileName), id)) &&
                       WriteList(list);
  Adopt(std::move(list));
  selectedId_ = id;
  return written ? ProfileListResult::kDone : ProfileListResult::kWriteFailed;
}

Json::Value CProfileList::ListOfProfileFiles() const {
  std::vector<std::string> ids;
  std::error_code error;
  for (std::filesystem::directory_iterator it(listFolder_, error), end; !error && it != end;
       it.increment(error)) {
    const std::filesystem::path& file = it->path();
    if (file.extension() == kProfileExtension && IsPlainFileName(file.stem().string()) &&
        it->is_regular_file(error))
      ids.push_back(file.stem().string());
  }
  // Ids are timestamps: sorted, the profiles come back in the order they were made.
  std::sort(ids.begin(), ids.end());
  Json::Value list(Json::objectValue);
  Json::Value& items = ListItems(list);
  list[list_key::kSelect] = 0;
  for (const std::string& id : ids) {
    if (items.size() >= kMaxProfileCount) break;
    const Json::Value profile = ReadJsonFile(ProfilePath(id));
    if (!profile.isObject()) continue;
    std::string name = UsableName(json::AsString(json::Member(profile, list_key::kName)));
    const std::vector<ProfileEntry> entries = EntriesOf(list);
    for (int n = 1; IsBlank(name) || NameInUse(entries, name); ++n)
      name = std::string(kNewProfileStem) + std::to_string(n);
    items.append(NewEntry(name, id));
  }
  return list;
}

void CProfileList::Reload() {
  Adopt(CurrentList());
}

int CProfileList::StoredSelection() const {
  const Json::Value& select = json::Member(list_, list_key::kSelect);
  const std::int64_t index = json::AsInt(select);
  if (!select.isIntegral() || index < 0 || static_cast<std::size_t>(index) >= entries_.size()) return 0;
  return static_cast<int>(index);
}

std::string CProfileList::SelectedId() const {
  return IsPlainFileName(selectedId_) ? selectedId_ : std::string();
}

ProfileListResult CProfileList::Select(int index) {
  Json::Value list = CurrentList();
  const std::vector<ProfileEntry> entries = EntriesOf(list);
  if (!IsIndexOf(entries, index)) return ProfileListResult::kNoSelection;
  list[list_key::kSelect] = index;
  const bool written = WriteList(list);
  Adopt(std::move(list));
  selectedId_ = entries[static_cast<std::size_t>(index)].id;
  return written ? ProfileListResult::kDone : ProfileListResult::kWriteFailed;
}

ProfileListResult CProfileList::Create() {
  Json::Value list = CurrentList();
  const std::vector<ProfileEntry> entries = EntriesOf(list);
  if (entries.size() >= kMaxProfileCount) return ProfileListResult::kFull;
  int number = 1;
  std::string name = std::string(kNewProfileStem) + std::to_string(number);
  while (NameInUse(entries, name)) name = std::string(kNewProfileStem) + std::to_string(++number);
  return AddProfile(std::move(list), name, ReadJsonFile(factoryProfilePath_));
}

ProfileListResult CProfileList::Copy(int selected) {
  Json::Value list = CurrentList();
  const std::vector<ProfileEntry> entries = EntriesOf(list);
  if (!IsIndexOf(entries, selected)) return ProfileListResult::kNoSelection;
  if (entries.size() >= kMaxProfileCount) return ProfileListResult::kFull;
  const ProfileEntry& source = entries[static_cast<std::size_t>(selected)];
  std::string name = source.name + std::string(kCopySuffix);
  while (NameInUse(entries, name)) name += kCopySuffix;
  const std::string sourcePath = ProfilePath(source.id);
  return AddProfile(std::move(list), name, sourcePath.empty() ? Json::Value() : ReadJsonFile(sourcePath));
}

ProfileListResult CProfileList::Rename(int selected, std::string_view name) {
  Json::Value list = CurrentList();
  const std::vector<ProfileEntry> entries = EntriesOf(list);
  if (!IsIndexOf(entries, selected)) return ProfileListResult::kNoSelection;
  if (IsBlank(name)) return ProfileListResult::kNameBlank;
  if (CharacterCount(name) > kMaxProfileNameLength) return ProfileListResult::kNameTooLong;
  if (NameInUse(entries, name, selected)) return ProfileListResult::kNameInUse;
  const ProfileEntry& entry = entries[static_cast<std::size_t>(selected)];
  if (entry.name == name) return ProfileListResult::kDone;

  Json::Value* item = json::ElementForWrite(ListItems(list), selected);
  if (item == nullptr) return ProfileListResult::kNoSelection;
  json::MemberForWrite(*item, list_key::kName) = std::string(name);
  if (!WriteList(list)) return ProfileListResult::kWriteFailed;
  Adopt(std::move(list));
  // The file carries the name for export. A file that does not read as a profile is left for the
  // device's fallback rather than replaced by a stub holding only the name.
  const std::string path = ProfilePath(entry.id);
  if (path.empty()) return ProfileListResult::kDone;
  Json::Value profile = ReadJsonFile(path);
  if (!profile.isObject()) return ProfileListResult::kDone;
  profile[list_key::kName] = std::string(name);
  return WriteJsonFile(path, profile) ? ProfileListResult::kDone : ProfileListResult::kWriteFailed;
}

CProfileList::DeleteOutcome CProfileList::Delete(int selected) {
  Json::Value list = CurrentList();
  const std::vector<ProfileEntry> entries = EntriesOf(list);
  if (!IsIndexOf(entries, selected)) return {ProfileListResult::kNoSelection, -1};
  if (entries.size() < 2) return {ProfileListResult::kLastProfile, -1};
  const int next = selected == 0 ? 0 : selected - 1;
  Json::Value removed;
  ListItems(list).removeIndex(static_cast<Json::ArrayIndex>(selected), &removed);
  list[list_key::kSelect] = next;
  if (!WriteList(list)) return {ProfileListResult::kWriteFailed, -1};
  Adopt(std::move(list));
  const std::string& id = entries[static_cast<std::size_t>(selected)].id;
  // A hand-edited list may name one file twice; it stays while an entry still uses it.
  const bool stillUsed = std::any_of(entries_.begin(), entries_.end(),
                                     [&](const ProfileEntry& entry) { return entry.id == id; });
  if (const std::string path = ProfilePath(id); !path.empty() && !stillUsed) RemoveFile(path);
  selectedId_ = entries_[static_cast<std::size_t>(next)].id;
  return {ProfileListResult::kDone, next};
}

ProfileListResult CProfileList::Reset(int selected) {
  const Json::Value list = CurrentList();
  const std::vector<ProfileEntry> entries = EntriesOf(list);
  if (!IsIndexOf(entries, selected)) return ProfileListResult::kNoSelection;
  const ProfileEntry& entry = entries[static_cast<std::size_t>(selected)];
  const std::string path = ProfilePath(entry.id);
  if (path.empty()) return ProfileListResult::kNoSelection;
  // Without a factory profile a reset would leave a profile that holds nothing.
  Json::Value factory = ReadJsonFile(factoryProfilePath_);
  if (!factory.isObject()) return ProfileListResult::kSourceUnreadable;
  Json::Value profile = Named(std::move(factory), entry.name, entry.id);
  if (kind_ == KindCode::Headset) {
    const Json::Value current = ReadJsonFile(path);
    const Json::Value& own = json::Element(json::Member(current, kDeviceKey), 0);
    if (Json::Value* target = json::ElementForWrite(json::MemberForWrite(profile, kDeviceKey), 0)) {
      for (const char* key : kHeadsetKeptOnReset) {
        if (own.isObject() && own.isMember(key)) json::MemberForWrite(*target, key) = own[key];
      }
    }
  }
  return WriteJsonFile(path, profile) ? ProfileListResult::kDone : ProfileListResult::kWriteFailed;
}

ProfileListResult CProfileList::Import(const std::string& sourcePath) {
  Json::Value list = CurrentList();
  const std::vector<ProfileEntry> entries = EntriesOf(list);
  if (entries.size() >= kMaxProfileCount) return ProfileListResult::kFull;
  JsonFile read = ReadJsonFileState(sourcePath, kMaxImportFileSize);
  if (read.state == JsonFileState::kTooLarge) return ProfileListResult::kTooLarge;
  Json::Value& profile = read.value;
  if (!profile.isObject() || !profile.isMember(list_key::kName) || !profile.isMember(list_key::kId))
    return ProfileListResult::kNotAProfile;
  if (const ProfileListResult kindCheck = CheckImportedKind(profile); kindCheck != ProfileListResult::kDone)
    return kindCheck;
  const bool filled = FillMissingSettings(profile);

  const std::string base = ImportedName(sourcePath);
  std::string name = base;
  for (int n = 1; NameInUse(entries, name); ++n) name += "(" + std::to_string(n) + ")";
  const ProfileListResult added = AddProfile(std::move(list), name, std::move(profile));
  return added == ProfileListResult::kDone && filled ? ProfileListResult::kDoneWithDefaults : added;
}

ProfileListResult CProfileList::Export(int selected, const std::string& destinationPath) const {
  if (!IsIndexOf(entries_, selected)) return ProfileListResult::kNoSelection;
  const ProfileEntry& entry = entries_[static_cast<std::size_t>(selected)];
  const std::string path = ProfilePath(entry.id);
  Json::Value profile = path.empty() ? Json::Value() : ReadJsonFile(path);
  if (!profile.isObject()) return ProfileListResult::kSourceUnreadable;
  // A file the device rebuilt from the factory profile lacks the two keys an import looks for.
  if (!profile.isMember(list_key::kName)) profile[list_key::kName] = entry.name;
  if (!profile.isMember(list_key::kId)) profile[list_key::kId] = entry.id;
  return WriteJsonFile(ExportFilePath(destinationPath), profile) ? ProfileListResult::kDone
                                                                 : ProfileListResult::kExportFailed;
}

Json::Value CProfileList::CurrentList() const {
  Json::Value list = ReadJsonFile(ListFilePath());
  if (IsValidList(list)) return NormalisedList(list);
  Trace("profile list " + ListFilePath() + " unreadable; the list last read stands");
  return IsValidList(list_) ? list_ : Json::Value(Json::objectValue);
}

void CProfileList::Adopt(Json::Value list) {
  list_ = std::move(list);
  entries_ = EntriesOf(list_);
}

bool CProfileList::WriteList(const Json::Value& list) const {
  return WriteJsonFile(ListFilePath(), list);
}

std::string CProfileList::NewId(const Json::Value& list) const {
  // Ids come from the clock in milliseconds; two profiles made within one millisecond, or a file left
  // by an earlier run, must not share a file.
  const std::vector<ProfileEntry> entries = EntriesOf(list);
  const auto taken = [&](const std::string& id) {
    return !IsPlainFileName(id) || FileExists(ProfilePath(id)) ||
           std::any_of(entries.begin(), entries.end(),
                       [&](const ProfileEntry& entry) { return entry.id == id; });
  };
  const std::string base = makeId_();
  std::string id = base;
  for (int n = 1; taken(id); ++n) id = base + kIdSuffixSeparator + std::to_string(n);
  return id;
}

ProfileListResult CProfileList::AddProfile(Json::Value list, const std::string& name, Json::Value profile) {
  const std::string id = NewId(list);
  const std::string path = ProfilePath(id);
  if (!WriteJsonFile(path, Named(std::move(profile), name, id))) return ProfileListResult::kWriteFailed;
  ListItems(list).append(NewEntry(name, id));
  if (!WriteList(list)) {
    RemoveFile(path);
    return ProfileListResult::kWriteFailed;
  }
  Adopt(std::move(list));
  return ProfileListResult::kDone;
}

ProfileListResult CProfileList::CheckImportedKind(const Json::Value& profile) const {
  const Json::Value& devices = json::Member(profile, kDeviceKey);
  if (!devices.isArray() || devices.empty()) return ProfileListResult::kNotAProfile;
  for (const Json::Value& document : devices) {
    if (!document.isObject()) return ProfileListResult::kNotAProfile;
    for (const KindSignature& signature : kKindSignatures) {
      const bool held = HoldsAnyKey(document, signature.keys);
      // Only what another kind's profile holds tells the kinds apart: a profile of this kind may lack its
      // own keys (a keyboard's colour groups are added when the keyboard first reports them).
      if (signature.kind != kind_ && held) return ProfileListResult::kOtherKind;
    }
  }
  return ProfileListResult::kDone;
}

bool CProfileList::FillMissingSettings(Json::Value& profile) const {
  // A document without "KeyList" is never saved, and a missing key reads as 0: without the factory's
  // values the imported profile would silently lose every later edit or drive the device with zeros.
  const Json::Value factory = ReadJsonFile(factoryProfilePath_);
  const Json::Value& factoryDevices = json::Member(factory, kDeviceKey);
  bool filled = false;
  Json::Value& devices = profile[kDeviceKey];
  for (Json::ArrayIndex i = 0; i < devices.size(); ++i) {
    const Json::Value& defaults = json::Element(factoryDevices, i);
    if (!defaults.isObject()) continue;
    for (const std::string& key : defaults.getMemberNames()) {
      if (devices[i].isMember(key)) continue;
      devices[i][key] = defaults[key];
      filled = true;
    }
  }
  return filled;
}

}  // namespace nimbel
