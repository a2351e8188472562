#include "app/audio_styles.h"

#include <json/value.h>

#include "profiles/file_io.h"
#include "profiles/file_notices.h"
#include "profiles/json_file.h"

namespace nimbel {

bool EnsureAudioStylesFile(const std::string& userFolder, const std::string& defaultFolder) {
  // Start-up is the one time the user folder is opened; a save killed mid-way left its temporary here.
  RemoveStaleTemporaries(userFolder);
  const std::string userFile = userFolder + kAudioStylesFile;
  const JsonFile user = ReadJsonFileState(userFile);
  if (!user.value.isNull()) return true;
  if (!IsDamaged(user.state)) return ResetAudioStylesFile(userFolder, defaultFolder);
  // The user's own styles may still be recovered from the damaged file; it is kept and the user told.
  const std::string keptAs = SetAsideDamagedFile(userFile);
  if (keptAs.empty()) return false;
  const bool restored = ResetAudioStylesFile(userFolder, defaultFolder);
  PostFileNotice({FileNoticeKind::kStylesRestored, userFile, keptAs});
  return restored;
}

bool ResetAudioStylesFile(const std::string& userFolder, const std::string& defaultFolder) {
  const Json::Value factory = ReadJsonFile(defaultFolder + kAudioStylesFile);
  if (factory.isNull()) return false;
  return WriteJsonFile(userFolder + kAudioStylesFile, factory);
}

}  // namespace nimbel
