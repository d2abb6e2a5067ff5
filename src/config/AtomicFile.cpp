#include "config/AtomicFile.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include "config/SafetyCopy.h"
#include "config/TVantrel.h"

namespace conf {
namespace {

std::string Message(const char* format, const std::string& path, int error) {
  const char* reason = std::strerror(error);
  std::vector<char> buffer(path.size() + std::strlen(format) + std::strlen(reason) + 1);
  std::snprintf(buffer.data(), buffer.size(), format, path.c_str(), reason);
  return buffer.data();
}

[[noreturn]] void OpenFailed(const std::string& path, int error) {
  throw FileError(Message("Cannot open file \"%s\". %s", path, error));
}

// Carries errno from the low-level steps to the one place that words the error,
// with what the user should know besides (where a copy of the file is kept).
struct WriteFailure {
  int error;
  std::string note;
};

[[noreturn]] void Fail(int error) { throw WriteFailure{error, {}}; }

void Step(std::string_view name) {
  if (const auto& step = TestWriteHooks().step) step(name);
}

// For best-effort calls whose failure changes nothing; unlike a cast to
// void it also quiets the compiler's warn_unused_result.
void BestEffort(int) {}

class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  // Closing is where some file systems report a failed write; it is checked.
  void Close() {
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 && errno != EINTR) Fail(errno);
  }

 private:
  int fd_;
};

// Without this a write past RLIMIT_FSIZE kills the whole program instead of
// failing with EFBIG.
class IgnoreFileSizeSignal {
 public:
  IgnoreFileSizeSignal() {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    ::sigaction(SIGXFSZ, &ignore, &saved_);
  }
  ~IgnoreFileSizeSignal() { ::sigaction(SIGXFSZ, &saved_, nullptr); }

 private:
  struct sigaction saved_ {};
};

void WriteAll(int fd, const char* data, std::size_t size, off_t offset) {
  while (size > 0) {
    ssize_t n = ::pwrite(fd, data, size, offset);
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail(errno);
    }
    if (n == 0) Fail(EIO);
    data += n;
    size -= static_cast<std::size_t>(n);
    offset += n;
  }
}

std::string BaseName(const std::string& path) {
  std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Follows a chain of symlinks to the file that really holds the content; the
// links themselves stay as they are. The end of the chain may not exist yet.
std::string ResolveLinks(const std::string& path) {
  std::string current = path;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (::lstat(current.c_str(), &st) != 0) {
      if (errno == ENOENT) return current;
      Fail(errno);
    }
    if (!S_ISLNK(st.st_mode)) return current;
    std::vector<char> target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : PATH_MAX) + 1);
    ssize_t n = ::readlink(current.c_str(), target.data(), target.size());
    if (n < 0) Fail(errno);
    if (static_cast<std::size_t>(n) >= target.size()) Fail(ENAMETOOLONG);
    std::string link(target.data(), static_cast<std::size_t>(n));
    current = link[0] == '/' ? link : FolderOf(current) + "/" + link;
  }
  Fail(ELOOP);
}

mode_t CurrentUmask() {
  mode_t mask = ::umask(022);
  ::umask(mask);
  return mask;
}

void SyncFolder(const std::string& dir) {
  // Makes the rename itself durable; some file systems refuse to sync a
  // folder, which does not undo the replacement, so errors are not reported.
  int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

// Used where the folder does not let us create a temporary file. A whole
// copy of the old file is kept in the user's state folder first, so that a
// crash halfway leaves the old text somewhere; the old bytes are also kept in
// memory and put back if the write fails part way.
void WriteInPlace(const std::string& target, std::string_view content) {
  std::string old;
  bool existed = true;
  try {
    old = ReadWholeFile(target);
  } catch (const FileError&) {
    existed = false;
  }
  std::unique_ptr<SafetyCopy> copy;
  if (existed) {
    try {
      copy = std::make_unique<SafetyCopy>(target, old);
    } catch (const std::system_error& e) {
      throw WriteFailure{e.code().value(), " (no copy of it could be kept in " + SafetyCopyFolder() +
                                               " before rewriting it in place; it was left as it was)"};
    }
    Step("copy kept");
  }
  Fd fd(::open(target.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666));
  if (fd.get() < 0) {
    const int error = errno;
    if (copy) copy->Remove();
    Fail(error);
  }
  try {
    const std::size_t part = TestWriteHooks().inPlacePart ? TestWriteHooks().inPlacePart : content.size();
    for (std::size_t at = 0; at < content.size(); at += part) {
      WriteAll(fd.get(), content.data() + at, std::min(part, content.size() - at), static_cast<off_t>(at));
      Step("part written");
    }
    // A shorter text must not keep the old one's tail.
    if (::ftruncate(fd.get(), static_cast<off_t>(content.size())) != 0) Fail(errno);
    if (::fsync(fd.get()) != 0) Fail(errno);
    Step("data synced");
    fd.Close();
  } catch (WriteFailure& failure) {
    if (fd.get() >= 0) {
      if (existed) {
        try {
          WriteAll(fd.get(), old.data(), old.size(), 0);
        } catch (const WriteFailure&) {
        }
        BestEffort(::ftruncate(fd.get(), static_cast<off_t>(old.size())));
        BestEffort(::fsync(fd.get()));
      } else {
        ::unlink(target.c_str());
      }
    }
    if (copy) failure.note = ". A copy of the file as it was is kept in \"" + copy->Path() + "\"";
    throw;
  }
  if (copy) {
    copy->Remove();
    Step("copy removed");
  }
}

void Replace(const std::string& path, std::string_view content) {
  const std::string target = ResolveLinks(path);
  const std::string dir = FolderOf(target);

  struct stat st {};
  bool exists = ::stat(target.c_str(), &st) == 0;
  if (!exists && errno != ENOENT) Fail(errno);
  if (exists) {
    if (S_ISDIR(st.st_mode)) Fail(EISDIR);
    // Root may write anything; a file an administrator made read-only for
    // everyone is still not ours to replace.
    if ((st.st_mode & 0222) == 0) Fail(EACCES);
    if (::access(target.c_str(), W_OK) != 0) Fail(errno);
    // Devices, pipes and the like cannot be replaced by a renamed file.
    if (!S_ISREG(st.st_mode)) {
      Fd fd(::open(target.c_str(), O_WRONLY | O_CLOEXEC));
      if (fd.get() < 0) Fail(errno);
      ssize_t left = static_cast<ssize_t>(content.size());
      const char* data = content.data();
      while (left > 0) {
        ssize_t n = ::write(fd.get(), data, static_cast<std::size_t>(left));
        if (n < 0) {
          if (errno == EINTR) continue;
          Fail(errno);
        }
        data += n;
        left -= n;
      }
      fd.Close();
      return;
    }
  }

  std::string temp = dir + "/." + BaseName(target) + ".XXXXXX";
  int raw = TestWriteHooks().forceInPlace ? (errno = EACCES, -1) : ::mkostemp(temp.data(), O_CLOEXEC);
  if (raw < 0) {
    int error = errno;
    if (error == EACCES || error == EPERM || error == EROFS) {
      WriteInPlace(target, content);
      return;
    }
    Fail(error);
  }
  Fd fd(raw);
  try {
    if (exists) {
      // Owner first: changing it may clear set-id bits that fchmod restores.
      if (::fchown(fd.get(), st.st_uid, st.st_gid) != 0)
        BestEffort(::fchown(fd.get(), static_cast<uid_t>(-1), st.st_gid));
      if (::fchmod(fd.get(), st.st_mode & 07777) != 0) Fail(errno);
    } else {
      if (::fchmod(fd.get(), 0666 & ~CurrentUmask()) != 0) Fail(errno);
    }
    WriteAll(fd.get(), content.data(), content.size(), 0);
    // The data reaches the disk before the name does: a crash right after
    // the rename must not leave an empty or partial file under that name.
    if (::fsync(fd.get()) != 0) Fail(errno);
    Step("data synced");
    fd.Close();
    if (::rename(temp.c_str(), target.c_str()) != 0) Fail(errno);
    Step("renamed");
  } catch (...) {
    ::unlink(temp.c_str());
    throw;
  }
  SyncFolder(dir);
}

}  // namespace

FileBuffer ReadWholeFileBuffer(const std::string& path) {
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) OpenFailed(path, errno);
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) OpenFailed(path, errno);
  if (S_ISDIR(st.st_mode)) OpenFailed(path, EISDIR);

  // The size is only a hint: files under /proc or growing files read on.
  std::size_t capacity = S_ISREG(st.st_mode) && st.st_size > 0
                             ? static_cast<std::size_t>(st.st_size) + 1
                             : 4096;
  FileBuffer buffer{std::unique_ptr<char[]>(new char[capacity]), 0};
  for (;;) {
    if (buffer.size == capacity) {
      capacity *= 2;
      std::unique_ptr<char[]> larger(new char[capacity]);
      std::memcpy(larger.get(), buffer.data.get(), buffer.size);
      buffer.data = std::move(larger);
    }
    ssize_t n = ::read(fd.get(), buffer.data.get() + buffer.size, capacity - buffer.size);
    if (n < 0) {
      if (errno == EINTR) continue;
      OpenFailed(path, errno);
    }
    if (n == 0) break;
    buffer.size += static_cast<std::size_t>(n);
  }
  return buffer;
}

std::string ReadWholeFile(const std::string& path) {
  return std::string(ReadWholeFileBuffer(path).view());
}

void WriteFileAtomically(const std::string& path, std::string_view content) {
  IgnoreFileSizeSignal guard;
  try {
    Replace(path, content);
  } catch (const WriteFailure& failure) {
    throw FileError(Message("Cannot create file \"%s\". %s", path, failure.error) + failure.note);
  }
}

WriteAccess CheckWriteAccess(const std::string& path) {
  std::string target;
  try {
    target = ResolveLinks(path);
  } catch (const WriteFailure&) {
    return WriteAccess::Impossible;
  }
  const auto denied = [](int error) {
    if (error == EROFS) return WriteAccess::ReadOnlyFileSystem;
    return error == EACCES || error == EPERM ? WriteAccess::NotPermitted : WriteAccess::Impossible;
  };
  // The rights the writes would be made with: the effective ones.
  const auto may = [](const std::string& file, int mode) {
    return ::faccessat(AT_FDCWD, file.c_str(), mode, AT_EACCESS) == 0;
  };
  struct stat st {};
  if (::stat(target.c_str(), &st) != 0) {
    if (errno != ENOENT) return WriteAccess::Impossible;
    return may(FolderOf(target), W_OK | X_OK) ? WriteAccess::Allowed : denied(errno);
  }
  if (S_ISDIR(st.st_mode)) return WriteAccess::Impossible;
  if ((st.st_mode & 0222) == 0) return WriteAccess::NoWritePermission;
  return may(target, W_OK) ? WriteAccess::Allowed : denied(errno);
}

std::string LinkTarget(const std::string& path) {
  try {
    return ResolveLinks(path);
  } catch (const WriteFailure& failure) {
    OpenFailed(path, failure.error);
  }
}

std::string FolderOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

FileComparer::FileComparer(const std::string& path)
    : path_(path), fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
  if (fd_ < 0) OpenFailed(path, errno);
  struct stat st {};
  if (::fstat(fd_, &st) != 0) {
    const int error = errno;
    ::close(fd_);
    OpenFailed(path, error);
  }
  size_ = static_cast<std::uint64_t>(st.st_size);
}

FileComparer::~FileComparer() { ::close(fd_); }

bool FileComparer::Fill() {
  constexpr std::size_t kPart = 256 * 1024;
  if (!buffer_) buffer_.reset(new char[kPart]);
  for (;;) {
    const ssize_t n = ::read(fd_, buffer_.get(), kPart);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) OpenFailed(path_, errno);
    have_ = static_cast<std::size_t>(n);
    at_ = 0;
    return n > 0;
  }
}

bool FileComparer::Next(std::string_view expected) {
  while (!expected.empty()) {
    if (at_ == have_ && !Fill()) return false;
    const std::size_t n = std::min(expected.size(), have_ - at_);
    if (std::memcmp(buffer_.get() + at_, expected.data(), n) != 0) return false;
    at_ += n;
    expected.remove_prefix(n);
  }
  return true;
}

bool FileComparer::AtEnd() { return at_ == have_ && !Fill(); }

WriteHooks& TestWriteHooks() {
  static WriteHooks hooks;
  return hooks;
}

}  // namespace conf
