#include "app/audio_styles.h"

#include <json/value.h>

#include "profiles/json_file.h"

namespace nimbel {

bool EnsureAudioStylesFile(const std::string& userFolder, const std::string& defaultFolder) {
  const std::string userFile = userFolder + kAudioStylesFile;
  if (!ReadJsonFile(userFile).isNull()) return true;
  const Json::Value factory = ReadJsonFile(defaultFolder + kAudioStylesFile);
  if (factory.isNull()) return false;
  return WriteJsonFile(userFile, factory);
}

}  // namespace nimbel
