#pragma once

// The named profiles of one device kind: the list file "ProfileList.ini" in the kind's data folder (a
// JSON document despite its name) and one profile file per entry, named by the entry's id. Exactly one
// entry is selected; its file is the device's current profile.
//
// Every change re-reads the list file, changes it and writes it back whole. A change touches the disk in
// an order that a crash or a failed write cannot turn into lost profiles: a new profile's file is written
// before the list names it, and a deleted profile's file is removed only after the list has dropped it.
// A write that fails leaves the list as it was and says so in the result.

#include <json/value.h>

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/device_catalogue.h"
#include "profiles/file_io.h"

namespace nimbel {

inline constexpr std::string_view kProfileListFileName = "ProfileList.ini";
inline constexpr std::size_t kMaxProfileCount = 50;
// What the name field takes; a longer typed name is refused, a longer imported file name is cut.
inline constexpr std::size_t kMaxProfileNameLength = 32;
// Import and export files.
inline constexpr std::string_view kProfileExportExtension = ".json";
// An exported profile is about 10 KB; a file far larger is refused rather than stored as it came.
inline constexpr std::size_t kMaxImportFileSize = 1024 * 1024;

enum class ProfileListResult {
  kDone,
  // Imported; settings the file lacked were taken from the factory profile.
  kDoneWithDefaults,
  // The index names no entry.
  kNoSelection,
  // The list already holds kMaxProfileCount profiles.
  kFull,
  // The only profile is never deleted.
  kLastProfile,
  kNameInUse,
  kNameBlank,
  kNameTooLong,
  // Import: not JSON, or not a profile this program exported (no name and id, no settings).
  kNotAProfile,
  // Import: a profile of another device kind.
  kOtherKind,
  // Import: the file is larger than kMaxImportFileSize.
  kTooLarge,
  // The profile's own file (export) or the factory profile (reset) cannot be read.
  kSourceUnreadable,
  // A file in the profile folder could not be written; the list and the profiles are as they were.
  kWriteFailed,
  // The export destination could not be written.
  kExportFailed,
};

struct ProfileEntry {
  std::string name;
  std::string id;
};

class CProfileList {
 public:
  using IdSource = std::function<std::string()>;

  // `listFolder` ends in '/'. `makeId` makes the ids of new profiles (MakeTimeStampId by default); an id
  // already in use is made unique by a suffix.
  CProfileList(std::string listFolder, std::string factoryProfilePath, KindCode kind, IdSource makeId = {});

  const std::string& ListFolder() const { return listFolder_; }
  std::string ListFilePath() const;
  // The file of a profile id; empty for an id that is not a plain file name (a hand-edited list must not
  // make Nimbel read, write or delete files outside its folder).
  std::string ProfilePath(std::string_view id) const;
  KindCode Kind() const { return kind_; }

  // Removes the temporaries a crash left in the folder, then reads the list. A missing, unreadable or
  // empty list is made again from the profile files in the folder, or, when there are none, holds
  // "Profile1" with a copy of the factory profile; kWriteFailed when that could not be stored (it still
  // serves this run). An unreadable list is first kept as "ProfileList.ini.broken-<time>" and a file
  // notice posted. A list is read bounded and normalised (see kMaxProfileCount).
  ProfileListResult Init();
  // Re-reads the list file. A file that has become unreadable keeps the list last read, so that nothing
  // written from here on drops the profiles it held.
  void Reload();

  const std::vector<ProfileEntry>& Entries() const { return entries_; }
  // Why the last operation that gave kWriteFailed or kExportFailed failed.
  WriteFailure LastWriteFailure() const { return nimbel::LastWriteFailure(); }
  std::size_t Count() const { return entries_.size(); }
  // "profileselect" as last read; an index outside the list (no file this program writes holds one)
  // selects the first profile.
  int StoredSelection() const;
  // The id of the profile selected last (by Init, Select or Delete); empty when it is not usable.
  std::string SelectedId() const;

  // Stores index as "profileselect" and makes its profile the selected one. On kWriteFailed the
  // selection still holds for this run.
  ProfileListResult Select(int index);

  // A factory profile named "Profile<n>", n the lowest number not in use. Not selected.
  ProfileListResult Create();
  // A copy of entry `selected` named "<name> copy" (" copy" again while in use). Not selected.
  ProfileListResult Copy(int selected);
  // Names are unique ignoring case; renaming a profile to its own name succeeds.
  ProfileListResult Rename(int selected, std::string_view name);

  struct DeleteOutcome {
    ProfileListResult result;
    // The entry selected afterwards, or -1 when nothing changed.
    int selection;
  };
  // Removes entry `selected` and its file; the entry before it (the first when it was the first) becomes
  // the selection.
  DeleteOutcome Delete(int selected);
  // Replaces entry `selected`'s file by the factory profile; a headset keeps its own equaliser presets.
  ProfileListResult Reset(int selected);

  // Adds the profile in `sourcePath` (a file this program exported) as the last entry, named after the
  // file ("<name>(1)(2)" while in use). Refuses a file above kMaxImportFileSize, what is not a profile,
  // and a profile holding another kind's keys;
  // settings the file lacks are taken from the factory profile, so the profile loads and saves whole.
  ProfileListResult Import(const std::string& sourcePath);
  // Writes entry `selected`'s file to the destination (see ExportFilePath) as it is, with its name and
  // id so that it can be imported again.
  ProfileListResult Export(int selected, const std::string& destinationPath) const;

 private:
  // A list of the profile files in the folder, named by their "profilename" where that is usable.
  Json::Value ListOfProfileFiles() const;
  // The list file as it is now, or the list last read when the file is not a list any more.
  Json::Value CurrentList() const;
  void Adopt(Json::Value list);
  bool WriteList(const Json::Value& list) const;
  std::string NewId(const Json::Value& list) const;
  ProfileListResult AddProfile(Json::Value list, const std::string& name, Json::Value profile);
  ProfileListResult CheckImportedKind(const Json::Value& profile) const;
  bool FillMissingSettings(Json::Value& profile) const;

  std::string listFolder_;
  std::string factoryProfilePath_;
  KindCode kind_;
  IdSource makeId_;
  Json::Value list_;
  std::vector<ProfileEntry> entries_;
  std::string selectedId_;
};

// The destination of an export: a file name without an extension gets ".json", so that the file can be
// found by the import dialog's filter; a name the user gave an extension is kept as it is.
std::string ExportFilePath(const std::string& path);

// Names compared the way the list compares them: equal ignoring case (Unicode simple case folding).
bool SameProfileName(std::string_view a, std::string_view b);

}  // namespace nimbel
