#pragma once

#include <sys/types.h>

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace nimbel {

// The whole content of a regular file, or nothing when it cannot be opened, is not a regular file (a
// FIFO would block the UI thread) or changes size while it is read. Failures are traced.
std::optional<std::string> ReadWholeFile(const std::string& path);

// Replaces the file at path with bytes so that a crash, a power loss or a full disk leaves either the old
// file or the new one, never a truncated mix: the bytes go to a temporary file in the same folder, which
// is flushed to disk and then renamed over the old file. A symbolic link is followed, so the file it names
// is replaced and the link stays. Returns false (and traces why) when any step fails; the old file is then
// untouched and the temporary file removed.
bool WriteFileAtomically(const std::string& path, std::string_view bytes);

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
