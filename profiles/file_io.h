#pragma once

#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace nimbel {

// Nimbel's own files are a few kilobytes (a profile is about 10 KB). A file far above that is not one of
// them, and reading it whole would cost the program seconds and hundreds of megabytes.
inline constexpr std::size_t kMaxReadFileSize = 4 * 1024 * 1024;

enum class ReadStatus {
  kRead,
  kMissing,
  // A folder, FIFO or device in the file's place, or an I/O error.
  kUnreadable,
  kTooLarge,
};

struct FileText {
  ReadStatus status = ReadStatus::kMissing;
  // Empty unless kRead; a file that changed size while it was read reads as empty.
  std::string text;
};

// The whole content of a regular file of at most maxBytes. Never blocks on a FIFO. Failures are traced.
FileText ReadFileText(const std::string& path, std::size_t maxBytes = kMaxReadFileSize);

// Why a write failed, in terms the user can act on.
enum class WriteFailure {
  kNone,
  // The user made the file read-only; Nimbel does not replace it.
  kReadOnlyFile,
  // The file is a symbolic link to a file outside its folder; Nimbel writes only inside its folders.
  kLinkLeavesFolder,
  // A folder (or another non-file) stands where the file should be.
  kNotAFile,
  kDiskFull,
  kNoPermission,
  kOther,
};

// Replaces the file at path with bytes so that a crash, a power loss or a full disk leaves either the old
// file or the new one, never a truncated mix: the bytes go to a temporary file in the same folder, which
// is flushed to disk and then renamed over the old file. A symbolic link to a file in the same folder is
// followed (the link stays); one that leads elsewhere is refused, as is a file without any write
// permission. Returns false (and traces why) when any step fails; the old file is then untouched, the
// temporary file removed, and LastWriteFailure() of this thread says why.
bool WriteFileAtomically(const std::string& path, std::string_view bytes);
WriteFailure LastWriteFailure();

// Removes the temporary files that WriteFileAtomically left in folder when an earlier run was killed in
// the middle of a save. Files of other names and this process's own temporaries are left alone.
void RemoveStaleTemporaries(const std::string& folder);

// Renames a damaged file to "<path>.broken-<time>" so that what replaces it does not destroy what the user
// may still recover. Returns the new path, empty when the file could not be moved.
std::string SetAsideDamagedFile(const std::string& path);

// The call that puts bytes into an open file descriptor, with the contract of write(2): the count
// written, or -1 with errno set.
using FileWriteCall = std::function<ssize_t(int fd, std::span<const char> bytes)>;

// Replaces the write call of WriteFileAtomically for as long as the object lives, so tests can make a save
// fail after part of the file has been written. Not nestable.
class ScopedFileWriteCall {
 public:
  explicit ScopedFileWriteCall(FileWriteCall call);
  ~ScopedFileWriteCall();
  ScopedFileWriteCall(const ScopedFileWriteCall&) = delete;
  ScopedFileWriteCall& operator=(const ScopedFileWriteCall&) = delete;
};

}  // namespace nimbel
