#include "update/NetworkModule.h"

#include <QFile>
#include <QFileInfo>
#include <dlfcn.h>
#include <memory>
#include <mutex>
#include <set>
#include <vector>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

bool OwnedAndWritableOnlyByUs(int fd) {
  struct stat st {};
  return ::fstat(fd, &st) == 0 && (st.st_uid == 0 || st.st_uid == ::geteuid()) &&
         (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

bool RegularFile(int fd) {
  struct stat st {};
  return ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
}

// The loader knows a library by the name it was loaded under, and would
// hand a later load under the same /proc/self/fd/N the earlier library: each
// load goes through a descriptor number no earlier one used.
void* LoadThrough(int fd, std::string& refusal) {
  static std::mutex guard;
  static std::set<int> loadedThrough;
  const std::lock_guard<std::mutex> lock(guard);
  std::vector<std::unique_ptr<Descriptor>> copies;
  int through = fd;
  while (loadedThrough.count(through) != 0) {
    copies.push_back(std::make_unique<Descriptor>(::fcntl(fd, F_DUPFD_CLOEXEC, through + 1)));
    through = copies.back()->get();
    if (through < 0) {
      refusal = "no descriptor left to load it through";
      return nullptr;
    }
  }
  const std::string name = "/proc/self/fd/" + std::to_string(through);
  void* module = ::dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!module) {
    const char* why = ::dlerror();
    refusal = why ? why : "it cannot be loaded";
    return nullptr;
  }
  loadedThrough.insert(through);
  return module;
}

}  // namespace

FetchEntry LoadNetworkModule(const QString& path, std::string& refusal) {
  const auto refuse = [&refusal](const char* why) -> FetchEntry {
    refusal = why;
    return nullptr;
  };
  const QFileInfo info(path);
  const Descriptor folder(
      ::open(QFile::encodeName(info.absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.get() < 0) return refuse("its folder cannot be opened");
  if (!OwnedAndWritableOnlyByUs(folder.get())) return refuse("its folder is another user's or others may write to it");
  // Never waits on a named pipe, never follows a link.
  const Descriptor file(::openat(folder.get(), QFile::encodeName(info.fileName()).constData(),
                                 O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (file.get() < 0) return refuse("it cannot be opened, or is a symbolic link");
  if (!RegularFile(file.get())) return refuse("it is not a regular file");
  if (!OwnedAndWritableOnlyByUs(file.get())) return refuse("it is another user's or others may write to it");
  // Loaded through the descriptor: the file checked, not what the path
  // names now.
  void* module = LoadThrough(file.get(), refusal);
  if (!module) return nullptr;
  // Stays loaded: what Qt's network classes set up lives as long as the
  // program.
  auto* entry = reinterpret_cast<FetchEntry>(::dlsym(module, kFetchEntryName));
  if (!entry) return refuse("it is no network module");
  return entry;
}
