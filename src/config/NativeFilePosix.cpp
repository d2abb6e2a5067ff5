// The file operations of NativeFile.h on POSIX systems.

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "config/NativeFile.h"

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

std::uint64_t File::Size() const {
  struct stat st {};
  if (::fstat(Fd(handle_), &st) != 0) Fail(errno);
  return S_ISREG(st.st_mode) ? static_cast<std::uint64_t>(st.st_size) : 0;
}

std::size_t File::Read(char* data, std::size_t size) {
  for (;;) {
    const ssize_t n = ::read(Fd(handle_), data, size);
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
  if (::fsync(Fd(handle_)) != 0) Fail(errno);
}

void File::Close() {
  const int fd = Fd(handle_);
  handle_ = -1;
  if (::close(fd) != 0 && errno != EINTR) Fail(errno);
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

void RemoveFile(const std::string& path) { ::unlink(path.c_str()); }

ErrorCode Rename(const std::string& from, const std::string& to) {
  return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

ErrorCode MakeFolders(const std::string& folder) {
  for (std::size_t slash = folder.find('/', 1); slash != std::string::npos;
       slash = folder.find('/', slash + 1)) {
    const std::string part = folder.substr(0, slash);
    if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return errno;
  }
  if (folder.back() != '/' && ::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return errno;
  return 0;
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* dir = ::opendir(folder.c_str())) {
    while (const dirent* entry = ::readdir(dir)) names.emplace_back(entry->d_name);
    ::closedir(dir);
  }
  return names;
}

void SyncFolder(const std::string& folder) {
  // Some file systems refuse to sync a folder, which undoes nothing, so
  // errors are not reported.
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

bool AlreadyExists(ErrorCode error) { return error == EEXIST; }

bool IsMissing(ErrorCode error) { return error == ENOENT || error == ENOTDIR; }

namespace {
std::string WithSlash(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}
}  // namespace

std::string StateFolder() {
  // A relative XDG_STATE_HOME is invalid and ignored, as the XDG rules ask.
  const char* state = std::getenv("XDG_STATE_HOME");
  if (state && state[0] == '/') return WithSlash(state) + "pellisto/";
  std::string home;
  if (const char* variable = std::getenv("HOME"); variable && variable[0] == '/') home = variable;
  if (home.empty())
    if (const passwd* user = ::getpwuid(::getuid())) home = user->pw_dir;
  return WithSlash(home) + ".local/state/pellisto/";
}

}  // namespace conf::native
