#pragma once
// The file a save works on, from the check to the replacement.
//
// It is found once, when the target is made: the chain of links from the
// path given is followed then and never again, the folder that holds the
// file stays open, and the writers' lock (FileLock.h) is taken. Every later
// step names the file relative to that folder and never through a link, and
// just before the replacement the name must still hold the very file that
// was read or compared, and the path given must still lead to it.
//
// Run as root, the target is refused when a user other than root and the
// file's owner may change a folder on the way to it (they could put a link
// in its place), unless the caller trusts those folders.
//
// The new text goes into a new file beside the old one, made exclusively,
// given the old file's owner, group, mode, ACLs, extended attributes and
// flags, synced and renamed over it. Where that cannot be done without
// losing or widening any of those, where the file has other hard links, or
// where it cannot be replaced by a rename (a file mounted on its own), the
// file is written in place instead, after a whole copy of it was kept
// (SafetyCopy.h). A save is refused while a copy left by an earlier
// in-place write that did not finish is still there.

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "config/fs/AtomicFile.h"
#include "config/fs/FileLock.h"
#include "config/fs/SafetyCopy.h"

namespace conf {

namespace native {
class File;
struct Location;
}

class SaveTarget {
 public:
  struct Options {
    // Take the writers' lock (every save of firebird.conf does).
    bool lock = true;
    // As root, save even where other users may change a folder on the way.
    bool trustFolders = false;
    std::chrono::milliseconds wait = FileLock::kWait;
  };

  // Finds the file and takes the lock. Throws FileError (LockTimeout when
  // another writer holds the lock).
  explicit SaveTarget(const std::string& path);
  SaveTarget(const std::string& path, const Options& options);
  ~SaveTarget();
  SaveTarget(const SaveTarget&) = delete;
  SaveTarget& operator=(const SaveTarget&) = delete;

  // The path as given, and the file's own (links followed).
  const std::string& Path() const { return path_; }
  const std::string& Target() const;

  // Reads the file whole; the replacement must find this very file. Throws
  // FileError "Cannot open file ...".
  FileBuffer Read();
  // Whether the file holds exactly these bytes; the replacement must find
  // this very file. Throws FileError when there is none or it cannot be read.
  bool Holds(std::string_view bytes);
  // The user who owns the file last read or compared (POSIX).
  std::uint32_t OwnerOfChecked() const { return checkedOwner_; }

  // Replaces the file's content (or makes the file). Returns what went wrong
  // after the new text was complete and durable (empty: nothing): the save
  // is done, but the user should know. Throws FileChangedError when the file
  // is no longer the one read or compared, FileError otherwise; the old file
  // then stays whole.
  std::string Replace(std::string_view content);
  // Puts back the copy a rewrite of this file that did not finish kept,
  // then removes it. Returns what went wrong after (as Replace).
  std::string Restore(const LeftOverCopy& copy);

 private:
  struct Current;
  std::string path_;
  std::unique_ptr<native::Location> location_;
  std::optional<FileLock> lock_;
  // The file read or compared, which the replacement must find.
  std::optional<FileId> checked_;
  std::uint32_t checkedOwner_ = 0;
  bool restoring_ = false;
  std::string Written(std::string_view content, Current& current);
  std::string WrittenInPlace(std::string_view content, Current& current);
  // Renames the new file over the old; false where that cannot be done
  // (the file is then written in place). keep: the new file is all there is.
  bool RenamedOver(const std::string& name, const Current& current, bool& keep);
  std::unique_ptr<SafetyCopy> CopyKept(std::string_view old) const;
  static std::string Finished(native::File& writer, SafetyCopy& copy);
  void CheckStillTheSame(const Current& current) const;
};

// Replaces the content of path as one step, as a save does but without the
// writers' lock: for files of the program's own. Throws FileError.
void WriteFileAtomically(const std::string& path, std::string_view content);

}  // namespace conf
