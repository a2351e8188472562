#include "app/audio_styles.h"

#include <json/value.h>

#include "profiles/json_file.h"

namespace nimbel {

bool EnsureAudioStylesFile(const std::string& userFolder, const std::string& defaultFolder) {
  if (!ReadJsonFile(userFolder + kAudioStylesFile).isNull()) return true;
  return ResetAudioStylesFile(userFolder, defaultFolder);
}

bool ResetAudioStylesFile(const std::string& userFolder, const std::string& defaultFolder) {
  const Json::Value factory = ReadJsonFile(defaultFolder + kAudioStylesFile);
  if (factory.isNull()) return false;
  return WriteJsonFile(userFolder + kAudioStylesFile, factory);
}

}  // namespace nimbel
