#include "profiles/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <optional>
#include <system_error>
#include <utility>

#include "platform/trace.h"
#include "profiles/text.h"

namespace nimbel {
namespace {

class UniqueFd {
 public:
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() { Close(); }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;

  int Get() const { return fd_; }
  void Reset(int fd) {
    Close();
    fd_ = fd;
  }
  bool Valid() const { return fd_ >= 0; }
  // close() can report a late write error (NFS, quota), so a writer checks it.
  bool Close() {
    if (fd_ < 0) return true;
    const int result = ::close(fd_);
    fd_ = -1;
    return result == 0;
  }

 private:
  int fd_;
};

std::string ErrorText(int error) {
  return std::to_string(error) + " (" + std::strerror(error) + ")";
}

std::mutex& WriteCallMutex() {
  static std::mutex mutex;
  return mutex;
}

FileWriteCall& WriteCallOverride() {
  static FileWriteCall call;
  return call;
}

FileWriteCall CurrentWriteCall() {
  std::lock_guard lock(WriteCallMutex());
  if (WriteCallOverride()) return WriteCallOverride();
  return [](int fd, std::span<const char> bytes) { return ::write(fd, bytes.data(), bytes.size()); };
}

bool WriteAll(int fd, std::string_view bytes) {
  const FileWriteCall write = CurrentWriteCall();
  std::span<const char> rest(bytes.data(), bytes.size());
  while (!rest.empty()) {
    const ssize_t written = write(fd, rest);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      if (written == 0) errno = EIO;
      return false;
    }
    rest = rest.subspan(static_cast<std::size_t>(written));
  }
  return true;
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// A user's chmod of a profile survives saves.
void KeepMode(int fd, const std::string& target) {
  struct stat status {};
  if (::stat(target.c_str(), &status) == 0) ::fchmod(fd, status.st_mode & 07777);
}

// Makes the rename itself durable; without it a power loss can bring back the old directory entry.
void SyncFolder(const std::string& folder) {
  UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!fd.Valid() || ::fsync(fd.Get()) != 0)
    Trace("cannot sync folder " + folder + ": error " + ErrorText(errno));
}

thread_local WriteFailure lastWriteFailure = WriteFailure::kNone;

WriteFailure FailureOfError(int error) {
  switch (error) {
    case ENOSPC:
    case EDQUOT:
      return WriteFailure::kDiskFull;
    case EACCES:
    case EPERM:
    case EROFS:
      return WriteFailure::kNoPermission;
    case EISDIR:
      return WriteFailure::kNotAFile;
    default:
      return WriteFailure::kOther;
  }
}

bool Fail(const std::string& what, const std::string& path, int error,
          WriteFailure failure = WriteFailure::kNone) {
  Trace(what + " " + path + ": error " + ErrorText(error));
  lastWriteFailure = failure != WriteFailure::kNone ? failure : FailureOfError(error);
  return false;
}

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  return std::filesystem::equivalent(a, b, error);
}

// The file a save replaces: path itself, or what a symbolic link names when that lies in the link's own
// folder. A link that leads out of the folder gives nothing: following it would let a link planted in the
// data folder make Nimbel overwrite any file the user can write.
std::optional<std::string> SaveTarget(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_symlink(path, error)) return path;
  const std::filesystem::path resolved = std::filesystem::weakly_canonical(path, error);
  if (error || !SameFile(resolved.parent_path().string(), FolderOf(path))) return std::nullopt;
  return resolved.string();
}

// The rename would replace a file whatever its mode; a file without any write permission was made
// read-only on purpose and is kept. Checked on the mode bits, not with access(), so that it holds for root
// too.
bool IsReadOnlyFile(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) && (status.st_mode & 0222) == 0;
}

bool IsNonFile(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode);
}

constexpr std::string_view kTemporaryMarker = ".tmp-";
constexpr std::string_view kDamagedMarker = ".broken-";

std::string TemporaryName(const std::string& target, unsigned number) {
  return target + std::string(kTemporaryMarker) + std::to_string(::getpid()) + "-" + std::to_string(number);
}

bool AllDigits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The process id in a name TemporaryName made, or nothing for any other name.
std::optional<std::string_view> TemporaryOwner(std::string_view name) {
  const std::size_t marker = name.rfind(kTemporaryMarker);
  if (marker == std::string_view::npos || marker == 0) return std::nullopt;
  const std::string_view rest = name.substr(marker + kTemporaryMarker.size());
  const std::size_t dash = rest.find('-');
  if (dash == std::string_view::npos || !AllDigits(rest.substr(0, dash)) || !AllDigits(rest.substr(dash + 1)))
    return std::nullopt;
  return rest.substr(0, dash);
}

// A file created next to the target and removed again unless it has been renamed into place.
class TemporaryFile {
 public:
  explicit TemporaryFile(const std::string& target) : fd_(-1) {
    static std::atomic<unsigned> counter{0};
    // O_EXCL with a name unique to this process and call: never opens someone else's file, and the
    // mode 0666 goes through the user's umask as any new file does.
    for (int attempt = 0; attempt < 8 && !fd_.Valid(); ++attempt) {
      path_ = TemporaryName(target, counter++);
      fd_.Reset(::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
      if (!fd_.Valid() && errno != EEXIST) break;
    }
    if (!fd_.Valid()) error_ = errno;
  }
  ~TemporaryFile() {
    fd_.Close();
    if (!committed_ && !path_.empty() && error_ == 0) ::unlink(path_.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  bool Valid() const { return fd_.Valid(); }
  int Fd() const { return fd_.Get(); }
  int OpenError() const { return error_; }
  const std::string& Path() const { return path_; }
  bool Close() { return fd_.Close(); }
  void Commit() { committed_ = true; }

 private:
  UniqueFd fd_;
  std::string path_;
  int error_ = 0;
  bool committed_ = false;
};

}  // namespace

FileText ReadFileText(const std::string& path, std::size_t maxBytes) {
  // O_NONBLOCK so that a FIFO put where a profile should be cannot stall the caller in open().
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!fd.Valid()) {
    const int error = errno;
    Trace("cannot open " + path + ": error " + ErrorText(error));
    return {error == ENOENT ? ReadStatus::kMissing : ReadStatus::kUnreadable, {}};
  }
  struct stat status {};
  if (::fstat(fd.Get(), &status) != 0) {
    Trace("cannot read " + path + ": error " + ErrorText(errno));
    return {ReadStatus::kUnreadable, {}};
  }
  if (!S_ISREG(status.st_mode)) {
    Trace("not a regular file: " + path);
    return {ReadStatus::kUnreadable, {}};
  }
  if (static_cast<std::uintmax_t>(status.st_size) > maxBytes) {
    Trace("file too large: " + path + " (" + std::to_string(status.st_size) + " bytes)");
    return {ReadStatus::kTooLarge, {}};
  }
  FileText result{ReadStatus::kRead, std::string(static_cast<std::size_t>(status.st_size), '\0')};
  std::string& text = result.text;
  std::size_t got = 0;
  while (got < text.size()) {
    const ssize_t n = ::read(fd.Get(), text.data() + got, text.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  // A file that shrank while being read is half of something; it reads as empty rather than as a prefix.
  if (got != text.size()) {
    Trace("short read of " + path);
    text.clear();
  }
  return result;
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
  lastWriteFailure = WriteFailure::kNone;
  if (path.empty()) return Fail("cannot write", "an unnamed file", ENOENT);
  const std::optional<std::string> saveTarget = SaveTarget(path);
  if (!saveTarget)
    return Fail("refusing to write through the link", path, ELOOP, WriteFailure::kLinkLeavesFolder);
  const std::string& target = *saveTarget;
  if (IsReadOnlyFile(target))
    return Fail("refusing to replace the read-only file", target, EACCES, WriteFailure::kReadOnlyFile);
  if (IsNonFile(target)) return Fail("cannot replace", target, EISDIR, WriteFailure::kNotAFile);
  TemporaryFile temporary(target);
  if (!temporary.Valid()) return Fail("cannot create a temporary file for", target, temporary.OpenError());
  KeepMode(temporary.Fd(), target);
  if (!WriteAll(temporary.Fd(), bytes)) return Fail("cannot write", temporary.Path(), errno);
  if (::fsync(temporary.Fd()) != 0) return Fail("cannot flush", temporary.Path(), errno);
  if (!temporary.Close()) return Fail("cannot close", temporary.Path(), errno);
  if (::rename(temporary.Path().c_str(), target.c_str()) != 0) return Fail("cannot replace", target, errno);
  temporary.Commit();
  SyncFolder(FolderOf(target));
  return true;
}

WriteFailure LastWriteFailure() {
  return lastWriteFailure;
}

void RemoveStaleTemporaries(const std::string& folder) {
  const std::string ownPid = std::to_string(::getpid());
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    const std::optional<std::string_view> owner = TemporaryOwner(name);
    if (!owner || *owner == ownPid || !it->is_regular_file(error)) continue;
    if (::unlink(it->path().c_str()) == 0) Trace("removed the stale temporary file " + it->path().string());
  }
}

std::string SetAsideDamagedFile(const std::string& path) {
  const std::string stem = path + std::string(kDamagedMarker) + MakeTimeStampId();
  std::string kept = stem;
  std::error_code error;
  for (int n = 1; std::filesystem::exists(std::filesystem::symlink_status(kept, error)); ++n)
    kept = stem + "_" + std::to_string(n);
  if (::rename(path.c_str(), kept.c_str()) != 0) {
    Trace("cannot set aside the damaged file " + path + ": error " + ErrorText(errno));
    return {};
  }
  Trace("kept the damaged file " + path + " as " + kept);
  return kept;
}

ScopedFileWriteCall::ScopedFileWriteCall(FileWriteCall call) {
  std::lock_guard lock(WriteCallMutex());
  WriteCallOverride() = std::move(call);
}

ScopedFileWriteCall::~ScopedFileWriteCall() {
  std::lock_guard lock(WriteCallMutex());
  WriteCallOverride() = nullptr;
}

}  // namespace nimbel
