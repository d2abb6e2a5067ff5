// The file operations of NativeFile.h on POSIX systems (Linux: O_PATH,
// readlinkat of an empty name, the inode flags' ioctl).

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <deque>

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <pwd.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "config/fs/NativeFile.h"

namespace conf::native {

const ErrorCode kIsAFolder = EISDIR;
// Below every errno value.
const ErrorCode kIsANamedPipe = -2;
const ErrorCode kIsADevice = -3;
const ErrorCode kIsASocket = -4;

std::string ErrorText(ErrorCode error) {
  if (error == kIsANamedPipe) return "It is a named pipe, not a regular file";
  if (error == kIsADevice) return "It is a device, not a regular file";
  if (error == kIsASocket) return "It is a socket, not a regular file";
  return std::strerror(error);
}

namespace {

int Fd(std::intptr_t handle) { return static_cast<int>(handle); }

FileFacts::Kind KindOf(mode_t mode) {
  if (S_ISREG(mode)) return FileFacts::Kind::Regular;
  if (S_ISDIR(mode)) return FileFacts::Kind::Folder;
  if (S_ISFIFO(mode)) return FileFacts::Kind::Pipe;
  if (S_ISCHR(mode) || S_ISBLK(mode)) return FileFacts::Kind::Device;
  if (S_ISSOCK(mode)) return FileFacts::Kind::Socket;
  return FileFacts::Kind::Other;
}

FileId IdOfStat(const struct stat& st) {
  return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

// The inode flags (chattr) that keep everyone, root included, from
// writing a file.
constexpr long kUnwritableFlags = FS_IMMUTABLE_FL | FS_APPEND_FL;

long FlagsOf(int fd) {
  long flags = 0;
  return ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 ? flags : 0;
}

}  // namespace

File::~File() {
  if (IsOpen()) ::close(Fd(handle_));
}

void File::Adopt(std::intptr_t handle) {
  if (IsOpen()) ::close(Fd(handle_));
  handle_ = handle;
}

ErrorCode File::Open(const std::string& path, Mode mode, bool privateFile) {
  int flags = O_CLOEXEC;
  switch (mode) {
    case Mode::Read:
      // Opening a named pipe waits for a writer unless told not to.
      flags |= O_RDONLY | O_NONBLOCK;
      break;
    case Mode::Write:
      flags |= O_WRONLY | O_CREAT;
      break;
    case Mode::Create:
      flags |= O_WRONLY | O_CREAT | O_TRUNC;
      break;
    case Mode::CreateNew:
      flags |= O_WRONLY | O_CREAT | O_EXCL;
      break;
  }
  const int fd = ::open(path.c_str(), flags, privateFile ? 0600 : 0666);
  if (fd < 0) {
    const ErrorCode error = errno;
    // A socket cannot be opened at all: say what it is.
    struct stat st {};
    if (error == ENXIO && mode == Mode::Read && ::stat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode))
      return kIsASocket;
    return error;
  }
  Adopt(fd);
  if (mode == Mode::Read) {
    // What was opened, not what the name pointed to a moment before.
    struct stat st {};
    ErrorCode error = 0;
    if (::fstat(fd, &st) != 0) error = errno;
    else if (S_ISDIR(st.st_mode)) error = EISDIR;
    else if (S_ISFIFO(st.st_mode)) error = kIsANamedPipe;
    else if (S_ISSOCK(st.st_mode)) error = kIsASocket;
    else if (!S_ISREG(st.st_mode)) error = kIsADevice;
    if (error) {
      Adopt(-1);
      return error;
    }
  }
  return 0;
}

FileFacts File::Facts() const {
  struct stat st {};
  if (::fstat(Fd(handle_), &st) != 0) Fail(errno);
  FileFacts facts;
  facts.kind = KindOf(st.st_mode);
  facts.id = IdOfStat(st);
  facts.size = S_ISREG(st.st_mode) ? static_cast<std::uint64_t>(st.st_size) : 0;
  facts.links = static_cast<std::uint64_t>(st.st_nlink);
  facts.owner = static_cast<std::uint32_t>(st.st_uid);
  if ((st.st_mode & 0222) == 0)
    facts.readOnlyBecause = "no one has write permission";
  else if (S_ISREG(st.st_mode) && (FlagsOf(Fd(handle_)) & kUnwritableFlags))
    facts.readOnlyBecause = "its immutable or append-only flag is set";
  return facts;
}

std::uint64_t File::Size() const { return Facts().size; }

std::size_t File::Read(char* data, std::size_t size) {
  for (;;) {
    const ssize_t n = ::read(Fd(handle_), data, size);
    if (n >= 0) return static_cast<std::size_t>(n);
    if (errno != EINTR) Fail(errno);
  }
}

std::size_t File::ReadAt(char* data, std::size_t size, std::uint64_t offset) {
  for (;;) {
    const ssize_t n = ::pread(Fd(handle_), data, size, static_cast<off_t>(offset));
    if (n >= 0) return static_cast<std::size_t>(n);
    if (errno != EINTR) Fail(errno);
  }
}

void File::WriteAt(std::string_view data, std::uint64_t offset) {
  while (!data.empty()) {
    const ssize_t n = ::pwrite(Fd(handle_), data.data(), data.size(), static_cast<off_t>(offset));
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail(errno);
    }
    if (n == 0) Fail(EIO);
    data.remove_prefix(static_cast<std::size_t>(n));
    offset += static_cast<std::uint64_t>(n);
  }
}

void File::Truncate(std::uint64_t size) {
  if (::ftruncate(Fd(handle_), static_cast<off_t>(size)) != 0) Fail(errno);
}

void File::Sync() {
  if (const ErrorCode error = InjectedFault("sync")) Fail(error);
  if (::fsync(Fd(handle_)) != 0) Fail(errno);
  Step("synced");
}

void File::Close() {
  const int fd = Fd(handle_);
  handle_ = -1;
  const ErrorCode injected = InjectedFault("close");
  if (::close(fd) != 0 && errno != EINTR) Fail(errno);
  if (injected) Fail(injected);
}

bool RunsAsRoot() { return ::geteuid() == 0; }

// ---------------------------------------------------------------------------

void RemoveFile(const std::string& path) { ::unlink(path.c_str()); }

bool Exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

bool AlreadyExists(ErrorCode error) { return error == EEXIST; }
bool IsMissing(ErrorCode error) { return error == ENOENT || error == ENOTDIR; }
bool IsLink(ErrorCode error) { return error == ELOOP; }

}  // namespace conf::native
