#pragma once

#include <string>

namespace nimbel {

inline constexpr const char* kAudioStylesFile = "AudioFile.json";

// Gives the user a copy of the factory audio-lighting styles when theirs is missing, empty or unreadable,
// so the styles can be edited without touching the factory file. False when no usable copy could be made.
bool EnsureAudioStylesFile(const std::string& userFolder, const std::string& defaultFolder);

}  // namespace nimbel
