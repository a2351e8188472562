#include "profiles/profile_document.h"

#include "platform/trace.h"
#include "profiles/file_notices.h"
#include "profiles/json_file.h"

namespace nimbel {
namespace {

constexpr const char* kDeviceKey = "Device";
constexpr const char* kKeyListKey = "KeyList";

const Json::Value& EntryOf(const Json::Value& file, std::int32_t entryIndex) {
  return json::Element(json::Member(file, kDeviceKey), entryIndex);
}

// Whether putting an entry into this file (which lacks a usable one) would throw away a value it holds:
// the file is not an object, its "Device" is not an array, or the entry's place holds something else.
bool DiscardsContent(const Json::Value& file, std::int32_t entryIndex) {
  if (!file.isObject()) return true;
  const Json::Value& devices = json::Member(file, kDeviceKey);
  return !(devices.isNull() || devices.isArray()) || !EntryOf(file, entryIndex).isNull();
}

}  // namespace

void CBasicProfiledata::SetProfilePath(const std::string& path) {
  if (!path.empty()) profilePath_ = path;
}

void CBasicProfiledata::SetDefaultProfilePath(const std::string& path) {
  if (!path.empty()) defaultProfilePath_ = path;
}

const Json::Value& CBasicProfiledata::LoadInto(Json::Value& document, const std::string& path) {
  JsonFile read = ReadJsonFileState(path);
  Json::Value& file = read.value;
  // A profile document is an object; anything else in its place is as good as missing.
  if (EntryOf(file, entryIndex_).isObject()) {
    // The file is ours alone, so its entry is moved out instead of copied (profiles are the largest
    // documents, and the keyboard's is loaded at every profile switch).
    document.swap(file[kDeviceKey][static_cast<Json::ArrayIndex>(entryIndex_)]);
    return document;
  }
  Json::Value factoryFile = ReadJsonFile(defaultProfilePath_);
  document = Json::Value();
  if (EntryOf(factoryFile, entryIndex_).isObject()) {
    document.swap(factoryFile[kDeviceKey][static_cast<Json::ArrayIndex>(entryIndex_)]);
  }
  // Without a factory entry there is nothing to repair the file with; rewriting it would only destroy
  // what a user might still recover by hand.
  if (document.isNull()) {
    Trace("no profile entry in " + path + " nor in " + defaultProfilePath_);
    return document;
  }
  if (IsDamaged(read.state) || (read.state == JsonFileState::kRead && DiscardsContent(file, entryIndex_))) {
    const std::string keptAs = SetAsideDamagedFile(path);
    PostFileNotice({FileNoticeKind::kProfileRestored, path, keptAs});
    // Left in place when it could not be moved: the factory settings then serve this run only.
    if (keptAs.empty()) return document;
  }
  if (Json::Value* slot = json::ElementForWrite(json::MemberForWrite(file, kDeviceKey), entryIndex_)) {
    *slot = document;
    WriteJsonFile(path, file);
  }
  return document;
}

const Json::Value& CBasicProfiledata::LoadProfile(const std::string& path) {
  return LoadInto(document_, path);
}

const Json::Value& CBasicProfiledata::LoadSecondaryProfile(const std::string& path) {
  return LoadInto(secondaryDocument_, path);
}

const Json::Value& CBasicProfiledata::LoadLightList(const std::string& path) {
  lightListDocument_ = ReadJsonFile(path);
  return lightListDocument_;
}

CBasicProfiledata::SaveResult CBasicProfiledata::Save() {
  return StoreEntry(document_, profilePath_);
}

CBasicProfiledata::SaveResult CBasicProfiledata::SaveEntry(const Json::Value& value,
                                                           const std::string& path) {
  Json::Value copy = value;
  return StoreEntry(copy, path);
}

CBasicProfiledata::SaveResult CBasicProfiledata::SaveSecondary(const std::string& path) {
  return StoreEntry(secondaryDocument_, path);
}

CBasicProfiledata::SaveResult CBasicProfiledata::StoreEntry(Json::Value& value, const std::string& path) {
  lastSaveFailure_ = WriteFailure::kNone;
  // A document that never loaded has no key list; saving it would replace a good file with nothing.
  if (json::Member(value, kKeyListKey).isNull()) return SaveResult::kSkipped;
  JsonFile read = ReadJsonFileState(path);
  // The other entries are kept; a file damaged since it was loaded is kept beside the new one.
  if (IsDamaged(read.state)) SetAsideDamagedFile(path);
  Json::Value& file = read.value;
  Json::Value* slot = json::ElementForWrite(json::MemberForWrite(file, kDeviceKey), entryIndex_);
  if (slot == nullptr) {
    Trace("profile entry " + std::to_string(entryIndex_) + " cannot be stored in " + path);
    lastSaveFailure_ = WriteFailure::kOther;
    return SaveResult::kFailed;
  }
  // The document is lent to the file for the write rather than copied: it is most of the file.
  slot->swap(value);
  const bool written = WriteJsonFile(path, file);
  slot->swap(value);
  if (!written) lastSaveFailure_ = LastWriteFailure();
  return written ? SaveResult::kWritten : SaveResult::kFailed;
}

bool CBasicProfiledata::WriteDocument(const Json::Value& value, const std::string& path) {
  return WriteJsonFile(path, value);
}

}  // namespace nimbel
