#include "profiles/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <utility>

#include "platform/trace.h"

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

// A file created next to the target and removed again unless it has been renamed into place.
class TemporaryFile {
 public:
  explicit TemporaryFile(const std::string& target) : fd_(-1) {
    static std::atomic<unsigned> counter{0};
    // O_EXCL with a name unique to this process and call: never opens someone else's file, and the
    // mode 0666 goes through the user's umask as any new file does.
    for (int attempt = 0; attempt < 8 && !fd_.Valid(); ++attempt) {
      path_ = target + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
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

std::string FollowLink(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_symlink(path, error)) return path;
  const std::filesystem::path resolved = std::filesystem::weakly_canonical(path, error);
  return error ? path : resolved.string();
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

bool Fail(const std::string& what, const std::string& path, int error) {
  Trace(what + " " + path + ": error " + ErrorText(error));
  return false;
}

}  // namespace

std::optional<std::string> ReadWholeFile(const std::string& path) {
  // O_NONBLOCK so that a FIFO put where a profile should be cannot stall the caller in open().
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!fd.Valid()) {
    Trace("cannot open " + path + ": error " + ErrorText(errno));
    return std::nullopt;
  }
  struct stat status {};
  if (::fstat(fd.Get(), &status) != 0) {
    Trace("cannot read " + path + ": error " + ErrorText(errno));
    return std::nullopt;
  }
  if (!S_ISREG(status.st_mode)) {
    Trace("not a regular file: " + path);
    return std::nullopt;
  }
  std::string text(static_cast<std::size_t>(status.st_size), '\0');
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
    return std::string{};
  }
  return text;
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
  if (path.empty()) return Fail("cannot write", "an unnamed file", ENOENT);
  const std::string target = FollowLink(path);
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

ScopedFileWriteCall::ScopedFileWriteCall(FileWriteCall call) {
  std::lock_guard lock(WriteCallMutex());
  WriteCallOverride() = std::move(call);
}

ScopedFileWriteCall::~ScopedFileWriteCall() {
  std::lock_guard lock(WriteCallMutex());
  WriteCallOverride() = nullptr;
}

}  // namespace nimbel
