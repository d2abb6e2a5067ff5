// Folders held open on POSIX systems (Linux: O_PATH, readlinkat of an empty
// name), and the walk that finds a file once, through every folder and link
// on the way.

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <deque>

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "config/fs/NativeFile.h"

namespace conf::native {

namespace {

int Fd(std::intptr_t handle) { return static_cast<int>(handle); }

FileId IdOfStat(const struct stat& st) {
  return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

}  // namespace

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

void CloseFolderHandle(std::intptr_t handle) { ::close(Fd(handle)); }

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
    // The file's own folder first: the one the user is most likely to mend.
    for (auto it = passed_.rbegin(); it != passed_.rend(); ++it) {
      const Passed& p = *it;
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

HeldFolder HoldFolder(int fd, std::string path) { return FolderOpener::Hold(fd, std::move(path)); }

}  // namespace conf::native
