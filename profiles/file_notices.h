#pragma once

// Things the user must hear about a data file that Nimbel found damaged and replaced. The profiles layer
// posts them wherever it meets the damage (often before any window exists); the interface takes them out
// and shows each one once.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace nimbel {

enum class FileNoticeKind {
  // A profile could not be read; its device's factory settings took its place.
  kProfileRestored,
  // A profile list could not be read; the profile files of its folder were listed again.
  kListRebuilt,
  // The audio-lighting styles could not be read; the factory styles took their place.
  kStylesRestored,
};

struct FileNotice {
  FileNoticeKind kind;
  // The damaged file, and where it was kept (empty when it could not be moved aside).
  std::string file;
  std::string keptAs;
  // kListRebuilt: how many profiles the rebuilt list holds.
  std::size_t count = 0;
};

// Thread-safe. The listener (if any) is called after each post, on the posting thread.
void PostFileNotice(FileNotice notice);
std::vector<FileNotice> TakeFileNotices();
void SetFileNoticeListener(std::function<void()> listener);

}  // namespace nimbel
