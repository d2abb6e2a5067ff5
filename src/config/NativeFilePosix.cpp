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

#include "config/NativeFile.h"

namespace conf::native {

const ErrorCode kIsAFolder = EISDIR;

std::string ErrorText(ErrorCode error) { return std::strerror(error); }

namespace {

int Fd(std::intptr_t handle) { return static_cast<int>(handle); }

// For best-effort calls whose failure changes nothing; unlike a cast to
// void it also quiets the compiler's warn_unused_result.
void BestEffort(long) {}

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
      flags |= O_RDONLY;
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
  if (fd < 0) return errno;
  Adopt(fd);
  if (mode == Mode::Read) {
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
      const ErrorCode error = S_ISDIR(st.st_mode) ? EISDIR : errno;
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

// ---------------------------------------------------------------------------
// Folders held open.

struct FolderOpener {
  // Takes over fd (a folder opened with O_PATH at least), opening it for
  // reading where this user may, so that it can be synced and locked.
  static HeldFolder Hold(int fd, std::string path) {
    HeldFolder folder;
    const int readable = ::openat(fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (readable >= 0) {
      ::close(fd);
      fd = readable;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
      const int error = errno;
      ::close(fd);
      Fail(error);
    }
    if (path.empty() || path.back() != '/') path += '/';
    folder.path_ = std::move(path);
    folder.handle_ = fd;
    folder.id_ = IdOfStat(st);
    folder.readableByAll_ = (st.st_mode & S_IROTH) != 0;
    return folder;
  }
};

HeldFolder::~HeldFolder() {
  if (handle_ != -1) ::close(Fd(handle_));
}

HeldFolder::HeldFolder(HeldFolder&& other) noexcept
    : path_(std::move(other.path_)), handle_(other.handle_), id_(other.id_), readableByAll_(other.readableByAll_) {
  other.handle_ = -1;
}

HeldFolder& HeldFolder::operator=(HeldFolder&& other) noexcept {
  if (this != &other) {
    if (handle_ != -1) ::close(Fd(handle_));
    path_ = std::move(other.path_);
    handle_ = other.handle_;
    id_ = other.id_;
    readableByAll_ = other.readableByAll_;
    other.handle_ = -1;
  }
  return *this;
}

ErrorCode HeldFolder::Open(const std::string& name, File& file, File::Mode mode) const {
  int flags = O_CLOEXEC | O_NOFOLLOW;
  switch (mode) {
    case File::Mode::Read:
      flags |= O_RDONLY | O_NONBLOCK;
      break;
    case File::Mode::Write:
      flags |= O_WRONLY | O_NONBLOCK;
      break;
    case File::Mode::CreateNew:
      flags |= O_WRONLY | O_CREAT | O_EXCL;
      break;
    case File::Mode::Create:
      return EINVAL;
  }
  const int fd = ::openat(Fd(handle_), name.c_str(), flags, 0600);
  if (fd < 0) return errno;
  file.Adopt(fd);
  return 0;
}

std::optional<FileId> HeldFolder::IdOf(const std::string& name) const {
  struct stat st {};
  if (::fstatat(Fd(handle_), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) return IdOfStat(st);
  if (errno == ENOENT) return std::nullopt;
  Fail(errno);
}

ErrorCode HeldFolder::Rename(const std::string& from, const std::string& to) const {
  if (const ErrorCode error = InjectedFault("rename")) return error;
  return ::renameat(Fd(handle_), from.c_str(), Fd(handle_), to.c_str()) == 0 ? 0 : errno;
}

ErrorCode HeldFolder::Remove(const std::string& name) const {
  if (const ErrorCode error = InjectedFault("remove")) return error;
  return ::unlinkat(Fd(handle_), name.c_str(), 0) == 0 || errno == ENOENT ? 0 : errno;
}

std::vector<std::string> HeldFolder::Entries() const {
  std::vector<std::string> names;
  const int fd = ::openat(Fd(handle_), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return names;
  if (DIR* dir = ::fdopendir(fd)) {
    while (const dirent* entry = ::readdir(dir)) {
      const std::string_view name = entry->d_name;
      if (name != "." && name != "..") names.emplace_back(name);
    }
    ::closedir(dir);
  } else {
    ::close(fd);
  }
  return names;
}

bool HeldFolder::Sync() const {
  // Some file systems refuse to sync a folder, and a folder this user may
  // not read cannot be: the rename stands all the same.
  if (InjectedFault("folder sync") || ::fsync(Fd(handle_)) != 0) return false;
  Step("folder synced");
  return true;
}

// ---------------------------------------------------------------------------
// Finding a file once, through folders held open one after the other.

namespace {

// A folder the walk took an entry from, and whose that entry was.
struct Passed {
  std::string folder;
  struct stat st;
  std::optional<uid_t> entryOwner;
};

class Walk {
 public:
  explicit Walk(const std::string& path) {
    std::string absolute = path;
    if (absolute.empty()) Fail(ENOENT);
    if (absolute[0] != '/') {
      char cwd[PATH_MAX];
      if (!::getcwd(cwd, sizeof cwd)) Fail(errno);
      absolute = std::string(cwd) + "/" + absolute;
    }
    if (absolute.back() == '/') Fail(EISDIR);  // a folder, not a file
    Push(absolute);
  }
  ~Walk() {
    if (at_ >= 0) ::close(at_);
  }

  // Goes through every folder and link to the last name: where it is, and
  // whether it is there at all.
  void ToTheEnd() {
    while (!parts_.empty()) {
      const std::string part = parts_.front();
      parts_.pop_front();
      if (part == "..") {
        Enter(::openat(at_, "..", O_PATH | O_DIRECTORY | O_CLOEXEC), ParentOf(atPath_));
        continue;
      }
      const bool last = parts_.empty();
      const int fd = ::openat(at_, part.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
      if (fd < 0) {
        if (errno != ENOENT || !last) Fail(errno);
        passed_.push_back({atPath_, atStat_, std::nullopt});
        name_ = part;
        return;
      }
      struct stat st {};
      if (::fstat(fd, &st) != 0) {
        const int error = errno;
        ::close(fd);
        Fail(error);
      }
      passed_.push_back({atPath_, atStat_, st.st_uid});
      if (S_ISLNK(st.st_mode)) {
        Follow(fd, st);
      } else if (last) {
        ::close(fd);
        if (S_ISDIR(st.st_mode)) throw Failure{EISDIR, "It is " + KindName(FileFacts::Kind::Folder) + ", not a regular file", {}, {}};
        name_ = part;
        owner_ = st.st_uid;
        return;
      } else if (!S_ISDIR(st.st_mode)) {
        ::close(fd);
        Fail(ENOTDIR);
      } else {
        Enter(fd, atPath_ + part + "/");
      }
    }
  }

  // As root: every folder on the way may be changed only by root and by the
  // file's owner (in a sticky folder, others may add names but not touch
  // the one taken). Else someone could have put a link on the way.
  void Guard(const std::string& path) const {
    const auto trusted = [&](uid_t uid) { return uid == 0 || (owner_ && uid == *owner_); };
    for (const Passed& p : passed_) {
      const bool othersWrite = (p.st.st_mode & S_IWOTH) || ((p.st.st_mode & S_IWGRP) && p.st.st_gid != 0);
      const bool sticky = (p.st.st_mode & S_ISVTX) && p.entryOwner && trusted(*p.entryOwner);
      if (trusted(p.st.st_uid) && (!othersWrite || sticky)) continue;
      std::string who;
      if (!trusted(p.st.st_uid)) {
        const passwd* user = ::getpwuid(p.st.st_uid);
        who = user ? std::string("the user ") + user->pw_name + " (its owner)" : "its owner";
      } else {
        who = (p.st.st_mode & S_IWOTH) ? "every user" : "its group's users";
      }
      throw Failure{EPERM, "", "",
                    "Refusing to write \"" + path + "\" as root: the folder \"" + p.folder +
                        "\" on the way to it may be changed by " + who +
                        ", who could put a link to another file in its place. Make that folder writable by "
                        "root only (or by the file's owner), or, to save all the same, give pellisto-conf "
                        "the option --trust-folders; nothing was written"};
    }
  }

  HeldFolder Folder() {
    const int fd = at_;
    at_ = -1;
    return FolderOpener::Hold(fd, atPath_);
  }
  const std::string& Name() const { return name_; }
  const std::string& FolderPath() const { return atPath_; }

 private:
  void Push(const std::string& path) {
    std::deque<std::string> parts;
    for (std::size_t at = 0; at < path.size();) {
      const std::size_t slash = path.find('/', at);
      const std::string part = path.substr(at, slash == std::string::npos ? std::string::npos : slash - at);
      if (!part.empty() && part != ".") parts.push_back(part);
      at = slash == std::string::npos ? path.size() : slash + 1;
    }
    parts_.insert(parts_.begin(), parts.begin(), parts.end());
    if (path[0] == '/') Enter(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC), "/");
  }

  void Enter(int fd, std::string path) {
    if (fd < 0) Fail(errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
      const int error = errno;
      ::close(fd);
      Fail(error);
    }
    if (at_ >= 0) ::close(at_);
    at_ = fd;
    atPath_ = std::move(path);
    atStat_ = st;
  }

  // The link just opened, itself: read from its descriptor, so it is the
  // one whose owner was checked.
  void Follow(int fd, const struct stat& st) {
    if (++hops_ > 40) {
      ::close(fd);
      Fail(ELOOP);
    }
    std::string target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : PATH_MAX) + 1, '\0');
    const ssize_t n = ::readlinkat(fd, "", target.data(), target.size());
    const int error = errno;
    ::close(fd);
    if (n < 0) Fail(error);
    if (n == 0 || static_cast<std::size_t>(n) >= target.size()) Fail(ENAMETOOLONG);
    target.resize(static_cast<std::size_t>(n));
    if (parts_.empty() && target.back() == '/') Fail(EISDIR);
    Push(target);
  }

  static std::string ParentOf(const std::string& path) {
    if (path == "/") return path;
    const std::size_t slash = path.find_last_of('/', path.size() - 2);
    return path.substr(0, slash + 1);
  }

  std::deque<std::string> parts_;
  int at_ = -1;
  std::string atPath_;
  struct stat atStat_ {};
  std::vector<Passed> passed_;
  std::string name_;
  std::optional<uid_t> owner_;
  int hops_ = 0;
};

}  // namespace

Location Locate(const std::string& path, bool guard) {
  Walk walk(path);
  walk.ToTheEnd();
  if (guard) walk.Guard(path);
  Location location;
  location.name = walk.Name();
  location.target = walk.FolderPath() + walk.Name();
  location.folder = walk.Folder();
  return location;
}

std::optional<FileId> IdByPath(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) return IdOfStat(st);
  return std::nullopt;
}

bool RunsAsRoot() { return ::geteuid() == 0; }

// ---------------------------------------------------------------------------
// This user's own folder.

namespace {

std::string WithSlash(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

std::string HomeFromPasswords() {
  if (::geteuid() == 0 && !TestWriteHooks().rootHome.empty()) return TestWriteHooks().rootHome;
  const passwd* user = ::getpwuid(::geteuid());
  return user && user->pw_dir ? user->pw_dir : "/";
}

// Opens (making it when asked) one folder of the way to the state folder:
// only one of this user's or root's, reached through a folder that others
// may not change (or, sticky, may not change that entry of).
int StateStep(int at, const struct stat& atStat, const std::string& part, bool create, struct stat& st) {
  const uid_t me = ::geteuid();
  const auto ours = [&](uid_t uid) { return uid == me || uid == 0; };
  int fd = ::openat(at, part.c_str(), O_PATH | O_NOFOLLOW | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0 && errno == ENOENT && create) {
    if (::mkdirat(at, part.c_str(), 0700) != 0 && errno != EEXIST) return -1;
    fd = ::openat(at, part.c_str(), O_PATH | O_NOFOLLOW | O_DIRECTORY | O_CLOEXEC);
  }
  if (fd < 0) return -1;
  const bool othersWrite = atStat.st_mode & (S_IWGRP | S_IWOTH);
  if (::fstat(fd, &st) != 0 || !ours(st.st_uid) || !ours(atStat.st_uid) ||
      (othersWrite && !(atStat.st_mode & S_ISVTX))) {
    ::close(fd);
    errno = EPERM;
    return -1;
  }
  return fd;
}

}  // namespace

std::string StateFolder() {
  // Root's own home, never one the environment names: sudo may have kept
  // another user's HOME or XDG_STATE_HOME. A state folder named by
  // XDG_STATE_HOME is still used when it is root's own (the walk checks).
  const char* state = std::getenv("XDG_STATE_HOME");
  // A relative XDG_STATE_HOME is invalid and ignored, as the XDG rules ask.
  if (state && state[0] == '/') {
    if (!RunsAsRoot()) return WithSlash(state) + "pellisto/";
    struct stat st {};
    if (::stat(state, &st) == 0 && st.st_uid == 0 && !(st.st_mode & (S_IWGRP | S_IWOTH)))
      return WithSlash(state) + "pellisto/";
  }
  std::string home;
  if (!RunsAsRoot())
    if (const char* variable = std::getenv("HOME"); variable && variable[0] == '/') home = variable;
  if (home.empty()) home = HomeFromPasswords();
  return WithSlash(home) + ".local/state/pellisto/";
}

namespace {

// The path with the links of its longest existing part resolved (a home
// reached through a link, say): the walk below follows none.
std::string WithoutLinks(const std::string& path) {
  std::string head = path, tail;
  while (head.size() > 1) {
    char real[PATH_MAX];
    if (::realpath(head.c_str(), real)) return WithSlash(real) + tail;
    head.pop_back();
    const std::size_t slash = head.find_last_of('/');
    tail = head.substr(slash + 1) + "/" + tail;
    head.resize(slash + 1);
  }
  return path;
}

}  // namespace

HeldFolder OpenStateFolder(bool create) {
  const std::string path = WithoutLinks(StateFolder());
  int at = ::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (at < 0) Fail(errno);
  struct stat atStat {};
  ::fstat(at, &atStat);
  for (std::size_t from = 1; from < path.size();) {
    const std::size_t slash = path.find('/', from);
    const std::string part = path.substr(from, slash - from);
    from = slash + 1;
    if (part.empty() || part == ".") continue;
    struct stat st {};
    const int fd = StateStep(at, atStat, part, create, st);
    const int error = errno;
    ::close(at);
    if (fd < 0) Fail(error);
    at = fd;
    atStat = st;
  }
  // The folder itself: this user's, and nobody else's to change.
  if (atStat.st_uid != ::geteuid() || (atStat.st_mode & (S_IWGRP | S_IWOTH))) {
    ::close(at);
    Fail(EPERM);
  }
  return FolderOpener::Hold(at, path);
}

// ---------------------------------------------------------------------------

void RemoveFile(const std::string& path) { ::unlink(path.c_str()); }

bool Exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

bool AlreadyExists(ErrorCode error) { return error == EEXIST; }
bool IsMissing(ErrorCode error) { return error == ENOENT; }
bool IsLink(ErrorCode error) { return error == ELOOP; }

}  // namespace conf::native
