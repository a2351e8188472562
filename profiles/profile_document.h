#pragma once

#include <json/value.h>

#include <array>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "profiles/file_io.h"
#include "profiles/profile_records.h"

namespace nimbel {

// The JSON document of a device's current profile: entry EntryIndex of the file's "Device" array. It
// decodes the keys every device kind shares (lighting, key list) into records, writes edits back into the
// document and saves it. The device object names the files and asks for loads and saves; no setter saves.
//
// Every read tolerates a document of any shape: a value of the wrong type reads as absent.
class CBasicProfiledata {
 public:
  static constexpr std::size_t kRawKeyTableSize = 512;
  static constexpr std::size_t kRawKeyTableStride = 3;
  using KeySlotMap = std::map<std::int32_t, std::int32_t>;

  enum class SaveResult {
    kWritten,
    kSkipped,  // the document has no "KeyList": it never loaded, and must not replace a file
    kFailed,   // the file could not be written; the old one is intact
  };

  CBasicProfiledata() = default;
  virtual ~CBasicProfiledata() = default;
  CBasicProfiledata(const CBasicProfiledata&) = default;
  CBasicProfiledata& operator=(const CBasicProfiledata&) = default;

  // Empty paths are ignored: a device that has not learnt its profile yet keeps the previous one.
  void SetProfilePath(const std::string& path);
  const std::string& GetProfilePath() const { return profilePath_; }
  void SetDefaultProfilePath(const std::string& path);
  const std::string& GetDefaultProfilePath() const { return defaultProfilePath_; }
  void SetLightListPath(const std::string& path) { lightListPath_ = path; }
  const std::string& GetLightListPath() const { return lightListPath_; }
  void SetEntryIndex(std::int32_t index) { entryIndex_ = index; }
  std::int32_t GetEntryIndex() const { return entryIndex_; }

  // Loads entry EntryIndex of the file. When the file lacks it (missing, empty, unparsable, or no object
  // there) the factory profile's entry takes its place and is written back into the file, other entries
  // and keys kept. A file that held something unusable (damaged, too large, a value in the entry's
  // place) is first kept beside it as "<name>.broken-<time>" and a file notice is posted. Returns the
  // document, null when neither file has the entry.
  const Json::Value& LoadProfile(const std::string& path);
  // The same into the secondary document, used to edit another profile without disturbing this one.
  const Json::Value& LoadSecondaryProfile(const std::string& path);
  // The lighting-preset list; no fallback.
  const Json::Value& LoadLightList(const std::string& path);

  const Json::Value& Document() const { return document_; }
  const Json::Value& SecondaryDocument() const { return secondaryDocument_; }

  virtual SaveResult Save();
  // Why the last save that gave kFailed failed; kNone after a save that did not fail.
  WriteFailure LastSaveFailure() const { return lastSaveFailure_; }
  // Puts value into entry EntryIndex of the file at path, unless value has no "KeyList".
  virtual SaveResult SaveEntry(const Json::Value& value, const std::string& path);
  virtual SaveResult SaveSecondary(const std::string& path);
  // value becomes the whole file.
  virtual bool WriteDocument(const Json::Value& value, const std::string& path);

  LightInfo GetLightInfo();
  void SetLightInfo(const LightInfo& info);
  AudioLightInfo GetAudioLightInfo();
  void SetAudioLightInfo(const AudioLightInfo& info);
  std::vector<LightListEntry> GetLightList();
  // The steps of the custom effect that LightInfo's SelectItem chooses in the light list: entry
  // SelectItem - the built-in preset count. The effect file lies beside the light list and is named by
  // the entry's "Guid", which must be a time-stamp id; any other name reads as no effect.
  std::vector<LightEffectStep> GetCustomEffects();
  // The light modes ahead of the light list's entries (the kind's own modes); 0 until a kind sets it.
  void SetBuiltInPresetCount(std::int32_t count) { builtInPresetCount_ = count; }

  std::vector<KeyAssignment> GetKeyList();
  std::vector<KeyAssignment> GetSecondaryKeyList();
  // Writes the current codes only; the factory codes come from the factory profile and stay.
  void SetKeyList(std::span<const KeyAssignment> list);
  void SetSecondaryKeyList(std::span<const KeyAssignment> list);
  // The key list with each mapped position's current code taken from the raw key table, so that the
  // mouse's key buttons show what the device reported rather than what the file holds.
  std::vector<KeyAssignment> GetMergedKeyList();
  void SetRawKeyTable(std::span<const std::uint8_t, kRawKeyTableSize> table);
  KeySlotMap SetKeySlotMap(const KeySlotMap& map);

 protected:
  Json::Value& MutableDocument() { return document_; }

 private:
  const Json::Value& LoadInto(Json::Value& document, const std::string& path);
  SaveResult StoreEntry(Json::Value& value, const std::string& path);
  static std::vector<KeyAssignment> ReadKeyList(const Json::Value& document);
  static void WriteKeyList(Json::Value& document, std::span<const KeyAssignment> list);

  std::string profilePath_;
  std::string defaultProfilePath_;
  std::int32_t builtInPresetCount_ = 0;
  LightInfo lightInfo_;
  LightInfo defaultLightInfo_;
  AudioLightInfo audioLightInfo_;
  std::vector<LightListEntry> lightList_;
  Json::Value document_;
  Json::Value secondaryDocument_;
  std::string lightListPath_;
  std::vector<LightEffectStep> customEffects_;
  Json::Value lightListDocument_;
  std::vector<KeyAssignment> keyList_;
  std::vector<KeyAssignment> secondaryKeyList_;
  std::vector<KeyAssignment> mergedKeyList_;
  KeySlotMap keySlotMap_;
  std::array<std::uint8_t, kRawKeyTableSize> rawKeyTable_{};
  std::int32_t entryIndex_ = 0;
  WriteFailure lastSaveFailure_ = WriteFailure::kNone;
};

}  // namespace nimbel
