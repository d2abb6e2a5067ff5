#include "config/AtomicFile.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

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

// Carries errno from the low-level steps to the one place that words the error.
struct WriteFailure {
  int error;
};

[[noreturn]] void Fail(int error) { throw WriteFailure{error}; }

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

std::string DirName(const std::string& path) {
  std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
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
    current = link[0] == '/' ? link : DirName(current) + "/" + link;
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

// Used where the folder does not let us create a temporary file. The old
// bytes are kept in memory and put back if the write fails part way.
void WriteInPlace(const std::string& target, const std::string& content) {
  std::string old;
  bool existed = true;
  try {
    old = ReadWholeFile(target);
  } catch (const FileError&) {
    existed = false;
  }
  Fd fd(::open(target.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666));
  if (fd.get() < 0) Fail(errno);
  try {
    WriteAll(fd.get(), content.data(), content.size(), 0);
    if (::ftruncate(fd.get(), static_cast<off_t>(content.size())) != 0) Fail(errno);
    if (::fsync(fd.get()) != 0) Fail(errno);
    fd.Close();
  } catch (const WriteFailure&) {
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
    throw;
  }
}

void Replace(const std::string& path, const std::string& content) {
  const std::string target = ResolveLinks(path);
  const std::string dir = DirName(target);

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
  int raw = ::mkostemp(temp.data(), O_CLOEXEC);
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
    if (::fsync(fd.get()) != 0) Fail(errno);
    fd.Close();
    if (::rename(temp.c_str(), target.c_str()) != 0) Fail(errno);
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

void WriteFileAtomically(const std::string& path, const std::string& content) {
  IgnoreFileSizeSignal guard;
  try {
    Replace(path, content);
  } catch (const WriteFailure& failure) {
    throw FileError(Message("Cannot create file \"%s\". %s", path, failure.error));
  }
}

}  // namespace conf
