// Load and save of a full keyboard profile, the largest document Nimbel keeps: 170 keys, three colour
// groups of 170 key colours and a 170-entry light list, the shape of the factory keyboard profile. Saving
// includes the read-modify-write of the file and its fsync.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>

#include "profiles/json_file.h"
#include "profiles/keyboard_profile.h"

namespace nimbel {
namespace {

constexpr int kKeys = 170;
constexpr int kColourGroups = 3;

Json::Value FullKeyboardDocument() {
  Json::Value document;
  for (int key = 0; key < kKeys; ++key) {
    document["KeyList"][key]["Assignment"] = 0x200000 + key;
    document["KeyList"][key]["DefaultAssignment"] = 0x200000 + key;
  }
  for (int group = 0; group < kColourGroups; ++group) {
    for (int key = 0; key < kKeys; ++key) {
      Json::Value& colour = document["CustomLightMode"]["LightColorInfo"][group][key];
      colour["Red"] = (key * 7) & 0xFF;
      colour["Green"] = (key * 13) & 0xFF;
      colour["Blue"] = (group * 31) & 0xFF;
      colour["Alpha"] = 255;
    }
  }
  for (int led = 0; led < kKeys; ++led) {
    for (const char* key : {"LEDREGMode", "LEDBrightness", "LEDSpeed", "LEDDirection", "LEDMultiColor"}) {
      document["LightList"][led][key] = 0;
    }
  }
  document["CustomLightMode"]["CustomLightModeGroupIndex"] = 2;
  for (const char* key : {"Repeat", "RepeatDelay", "Key6Flag", "PollingRate", "WFlag", "WinFlag"}) {
    document["SystemStages"][key] = 1;
  }
  for (const char* key : {"SelectItem", "Light", "Speed", "Fx", "MultiColor", "Red", "Green", "Blue"}) {
    document["LightInfo"][key] = 1;
  }
  return document;
}

class KeyboardProfileFixture : public benchmark::Fixture {
 public:
  void SetUp(const benchmark::State&) override {
    std::string pattern = (std::filesystem::temp_directory_path() / "nimbel-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    folder_ = pattern;
    path_ = folder_ + "/keyboard.Json";
    Json::Value file;
    file["Device"][0] = FullKeyboardDocument();
    if (!WriteJsonFile(path_, file)) std::abort();
  }
  void TearDown(const benchmark::State&) override { std::filesystem::remove_all(folder_); }

 protected:
  std::string folder_;
  std::string path_;
};

BENCHMARK_F(KeyboardProfileFixture, LoadKeyboardProfile)(benchmark::State& state) {
  for (auto _ : state) {
    CKeyboardProfiledata keyboard;
    keyboard.SetProfilePath(path_);
    keyboard.LoadProfile(path_);
    benchmark::DoNotOptimize(keyboard.GetKeyList());
    benchmark::DoNotOptimize(keyboard.GetKeyColours(keyboard.GetColourGroup(), kKeys));
    benchmark::DoNotOptimize(keyboard.GetKeyboardSettings());
    benchmark::DoNotOptimize(keyboard.GetLightInfo());
  }
}

BENCHMARK_F(KeyboardProfileFixture, SaveKeyboardProfile)(benchmark::State& state) {
  CKeyboardProfiledata keyboard;
  keyboard.SetProfilePath(path_);
  keyboard.LoadProfile(path_);
  std::vector<KeyColour> colours = keyboard.GetKeyColours(0, kKeys);
  for (auto _ : state) {
    colours[0] += 1;
    keyboard.SetKeyColours(colours, 0);
    if (keyboard.Save() != CBasicProfiledata::SaveResult::kWritten) state.SkipWithError("save failed");
  }
}

}  // namespace
}  // namespace nimbel
