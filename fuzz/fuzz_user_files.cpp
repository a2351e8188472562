// Arbitrary bytes as each file the user or another program can put where Nimbel reads: the language
// list and a language's texts, the colour options, the light presets and the audio-lighting styles.
// Nothing may crash or hang; the files that are repaired from the factory copy read back usable.

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "app/audio_styles.h"
#include "app/language.h"
#include "devices/mouse_settings.h"
#include "editors/colour_option_file.h"
#include "fuzz/fuzz_support.h"
#include "profiles/light_presets.h"
#include "ui/resource_manager.h"

namespace nimbel {
namespace {

using fuzz::Check;

// A skin folder, a user data folder and a folder of loose files, for the process; the factory data is
// the repository's own.
class FuzzFolders {
 public:
  FuzzFolders() {
    root_ = fuzz::MakeScratchFolder();
    std::filesystem::create_directories(root_ / "skin/lang");
    std::filesystem::create_directories(root_ / "data/Nimbel");
    qputenv("NIMBEL_SKIN_DIR", QByteArray::fromStdString((root_ / "skin").string()));
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString((root_ / "data").string()));
    qputenv("NIMBEL_DEFAULT_DATA", NIMBEL_SOURCE_DIR "/DefaultData");
  }
  ~FuzzFolders() { std::filesystem::remove_all(root_); }
  FuzzFolders(const FuzzFolders&) = delete;
  FuzzFolders& operator=(const FuzzFolders&) = delete;

  std::string Path(const std::string& relative) const { return (root_ / relative).string(); }

 private:
  std::filesystem::path root_;
};

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

void ExerciseLanguages(const FuzzFolders& folders, const std::string& bytes) {
  const std::string listPath = folders.Path("Language.config");
  WriteBytes(listPath, bytes);
  const std::vector<LanguageEntry> languages = ReadLanguageList(listPath);
  for (const std::optional<int> id : {std::optional<int>{}, std::optional<int>{0}, std::optional<int>{-1}})
    LanguageIndexForId(languages, id);

  WriteBytes(folders.Path("skin/lang/lan_fuzz.json"), bytes);
  CResourceManager& texts = CResourceManager::Instance();
  texts.LoadLanguage(QStringLiteral("lan_fuzz.xml"));
  texts.Text(QStringLiteral("message_text_32"));
}

void ExerciseColourOptions(const std::string& bytes) {
  WriteBytes(ColourOptionFile(), bytes);
  const ColourOptions options = LoadColourOptions();
  Check(SaveColourOptions(options));
  ParseColourText(bytes);
}

// The same bytes stand for the factory light file and the light list: their lists have one shape.
void ExerciseLightPresets(const FuzzFolders& folders, const std::string& bytes) {
  const std::string path = folders.Path("default_light.json");
  WriteBytes(path, bytes);
  for (const int index : {-1, 0, 1, 1 << 20}) {
    const LightPresets presets = LightPresets::Load(path, path, index);
    Check(presets.modes.size() <= LightPresets::kMaxEntries);
    Check(presets.areaNames.size() <= LightPresets::kMaxEntries);
    Check(presets.customEffects.size() <= LightPresets::kMaxEntries);
    const LightModeCodes codes = LightModeCodes::Load(path, index);
    Check(codes.Codes().size() == presets.modes.size());
    for (const int item : {0, 11, 12, 255}) codes.Decode(codes.Encode(static_cast<std::uint8_t>(item)));
  }
}

void ExerciseAudioStyles(const FuzzFolders& folders, const std::string& bytes) {
  const std::string userFolder = folders.Path("data/Nimbel/");
  WriteBytes(userFolder + kAudioStylesFile, bytes);
  // The factory file is usable, so a damaged user copy is always replaced.
  Check(EnsureAudioStylesFile(userFolder, NIMBEL_SOURCE_DIR "/DefaultData/"));
  Check(ResetAudioStylesFile(userFolder, NIMBEL_SOURCE_DIR "/DefaultData/"));
}

}  // namespace
}  // namespace nimbel

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace nimbel;
  static const FuzzFolders folders;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  ExerciseLanguages(folders, bytes);
  ExerciseColourOptions(bytes);
  ExerciseLightPresets(folders, bytes);
  ExerciseAudioStyles(folders, bytes);
  return 0;
}
