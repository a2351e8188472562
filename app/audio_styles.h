#pragma once

#include <string>

namespace nimbel {

inline constexpr const char* kAudioStylesFile = "AudioFile.json";

// Gives the user a copy of the factory audio-lighting styles when theirs is missing, empty or unreadable,
// so the styles can be edited without touching the factory file. A damaged file of the user's is kept as
// "AudioFile.json.broken-<time>" and a file notice posted. Removes the temporaries of saves that a crash
// interrupted in the user folder. False when no usable copy could be made.
bool EnsureAudioStylesFile(const std::string& userFolder, const std::string& defaultFolder);
// Replaces the user's styles with the factory's (a profile reset). False when the factory file is
// unusable or the copy cannot be written.
bool ResetAudioStylesFile(const std::string& userFolder, const std::string& defaultFolder);

}  // namespace nimbel
