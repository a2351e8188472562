#include "profiles/profile_document.h"

#include "platform/trace.h"
#include "profiles/json_file.h"

namespace nimbel {
namespace {

constexpr const char* kDeviceKey = "Device";
constexpr const char* kKeyListKey = "KeyList";

const Json::Value& EntryOf(const Json::Value& file, std::int32_t entryIndex) {
  return json::Element(json::Member(file, kDeviceKey), entryIndex);
}

}  // namespace

void CBasicProfiledata::SetProfilePath(const std::string& path) {
  if (!path.empty()) profilePath_ = path;
}

void CBasicProfiledata::SetDefaultProfilePath(const std::string& path) {
  if (!path.empty()) defaultProfilePath_ = path;
}

const Json::Value& CBasicProfiledata::LoadInto(Json::Value& document, const std::string& path) {
  Json::Value file = ReadJsonFile(path);
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
  // A document that never loaded has no key list; saving it would replace a good file with nothing.
  if (json::Member(value, kKeyListKey).isNull()) return SaveResult::kSkipped;
  Json::Value file = ReadJsonFile(path);
  Json::Value* slot = json::ElementForWrite(json::MemberForWrite(file, kDeviceKey), entryIndex_);
  if (slot == nullptr) {
    Trace("profile entry " + std::to_string(entryIndex_) + " cannot be stored in " + path);
    return SaveResult::kFailed;
  }
  // The document is lent to the file for the write rather than copied: it is most of the file.
  slot->swap(value);
  const bool written = WriteJsonFile(path, file);
  slot->swap(value);
  return written ? SaveResult::kWritten : SaveResult::kFailed;
}

bool CBasicProfiledata::WriteDocument(const Json::Value& value, const std::string& path) {
  return WriteJsonFile(path, value);
}

}  // namespace nimbel
