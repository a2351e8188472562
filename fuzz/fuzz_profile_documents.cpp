// Arbitrary bytes as a profile file, a profile list file and a light-list file: nothing may crash, hang or
// make a document grow without bound, whatever the types and shapes in the file.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "fuzz/fuzz_support.h"
#include "profiles/headset_profile.h"
#include "profiles/json_file.h"
#include "profiles/keyboard_profile.h"
#include "profiles/mouse_profile.h"
#include "profiles/text.h"

namespace nimbel {
namespace {

constexpr std::int32_t kKeyboardKeys = 170;
// Generous: every creation a getter may make is bounded by the writable-index limit.
constexpr std::size_t kMaxGrowth = 4 * 1024 * 1024;

using fuzz::Check;

// One folder for the process, removed when it exits.
class FuzzFolder {
 public:
  FuzzFolder() { path_ = fuzz::MakeScratchFolder().string() + '/'; }
  ~FuzzFolder() { std::filesystem::remove_all(path_); }
  FuzzFolder(const FuzzFolder&) = delete;
  FuzzFolder& operator=(const FuzzFolder&) = delete;
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

void ExerciseBase(CBasicProfiledata& profile) {
  profile.SetLightInfo(profile.GetLightInfo());
  profile.SetAudioLightInfo(profile.GetAudioLightInfo());
  profile.GetLightList();
  profile.GetCustomEffects();
  const std::vector<KeyAssignment> keys = profile.GetKeyList();
  profile.SetKeyList(keys);
  std::array<std::uint8_t, CBasicProfiledata::kRawKeyTableSize> table{};
  profile.SetRawKeyTable(table);
  profile.SetKeySlotMap({{0, 0}, {1, 169}, {2, 170}, {-1, 3}});
  Check(profile.GetMergedKeyList().size() == keys.size());
}

void ExerciseMouse(const std::string& path) {
  CMouseProfiledata mouse;
  mouse.SetDefaultProfilePath(path);
  mouse.LoadProfile(path);
  ExerciseBase(mouse);
  for (int set = 0; set < 3; ++set) mouse.SetDpiStages(mouse.GetDpiStages(set), set);
  mouse.SetActiveStage(mouse.GetActiveStage(), 0);
  mouse.SetSystemSettings(mouse.GetSystemSettings());
  StyledJsonText(mouse.Document());
}

void ExerciseKeyboard(const std::string& path, std::size_t inputSize) {
  CKeyboardProfiledata keyboard;
  keyboard.SetDefaultProfilePath(path);
  keyboard.LoadProfile(path);
  ExerciseBase(keyboard);
  keyboard.SetKeyboardSettings(keyboard.GetKeyboardSettings());
  const std::int32_t group = keyboard.GetColourGroup();
  keyboard.SetKeyColours(keyboard.GetKeyColours(group, kKeyboardKeys), group);
  Check(StyledJsonText(keyboard.Document()).size() < kMaxGrowth + 8 * inputSize);
}

void ExerciseHeadset(const std::string& path, std::size_t inputSize) {
  CAq4410Profiledata headset;
  headset.SetDefaultProfilePath(path);
  headset.LoadProfile(path);
  ExerciseBase(headset);
  const HeadsetSystemSettings settings = headset.GetHeadsetSettings();
  headset.SetHeadsetSettings(settings);
  headset.SetEqBands(settings.eqType, headset.GetEqBands(settings.eqType));
  headset.SetCustomEqBands(settings.customEqSeletIndex,
                           headset.GetCustomEqBands(settings.customEqSeletIndex));
  headset.SetCustomEqNames(headset.GetCustomEqNames());
  Check(StyledJsonText(headset.Document()).size() < kMaxGrowth + 8 * inputSize);
}

// Reads a profile list the way the list control does: names, ids and the selected index.
void ExerciseProfileList(const std::string& path) {
  const Json::Value list = ReadJsonFile(path);
  const Json::Value& entries = json::Member(list, "profilelist");
  for (Json::ArrayIndex i = 0; i < entries.size(); ++i) {
    const Json::Value& entry = json::Element(entries, i);
    IsBlank(json::AsString(json::Member(entry, "profilename")));
    SplitIndexedName(json::AsString(json::Member(entry, "profileUUID")));
  }
  json::Element(entries, json::IntMember(list, "profileselect"));
}

void ExerciseLightList(const std::string& path) {
  CBasicProfiledata profile;
  profile.SetLightListPath(path);
  profile.LoadLightList(path);
  for (std::uint8_t item : {0, 1, 255}) {
    profile.SetLightInfo({.selectItem = item});
    profile.GetCustomEffects();
  }
}

void ExerciseText(const std::string& bytes) {
  const std::u16string wide = FromUtf8(bytes);
  const std::string narrow = ToUtf8(wide);
  Check(FromUtf8(narrow) == wide);
  Check(ToUtf8(FromUtf8(narrow)) == narrow);
  IsBlank(bytes);
  SplitIndexedName(bytes);
}

}  // namespace
}  // namespace nimbel

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace nimbel;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  static const FuzzFolder folder;
  const std::string path = folder.Path() + "input.Json";
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
  }
  ExerciseMouse(path);
  ExerciseKeyboard(path, size);
  ExerciseHeadset(path, size);
  ExerciseProfileList(path);
  ExerciseLightList(path);
  ExerciseText(bytes);
  return 0;
}
