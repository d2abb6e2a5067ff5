#pragma once
// Whole-file reads, and the checks before a write (the writes themselves,
// which never leave a half-written file behind: SaveTarget.h).

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "config/fs/FileBasics.h"

namespace conf {

// The most bytes Pellisto reads from one file: a larger one is refused before
// any of it is read.
constexpr std::uint64_t kLargestFileRead = 64ull << 20;

// Reads the whole of a regular file. Throws FileError "Cannot open file
// "<path>". <reason>", also for a named pipe, a device or a socket (without
// waiting on it) and for a file larger than kLargestFileRead.
FileBuffer ReadWholeFileBuffer(const std::string& path);
std::string ReadWholeFile(const std::string& path);
// The same for a file named by an include line: nothing when no file has
// that name, and no bytes for a folder, which the server reads as empty.
std::optional<FileBuffer> ReadIncludedFile(const std::string& path);

// Whether WriteFileAtomically could replace the file now (WriteAccess).
WriteAccess CheckWriteAccess(const std::string& path);

// The file that really holds path's content: the end of its chain of
// symlinks, which may not exist yet. Throws FileError.
std::string LinkTarget(const std::string& path);
// The folder part of a path ("." when it has none). On Windows "\\" separates
// too, and a drive's root keeps its separator.
std::string FolderOf(const std::string& path);

// Seams for tests of the writer; nothing else touches them.
struct WriteHooks {
  // Writes in place, as where the folder takes no new file.
  bool forceInPlace = false;
  // An in-place write goes in parts of this many bytes (0: all at once).
  std::size_t inPlacePart = 0;
  // Told of each step as soon as it is done: "synced" for every file made
  // durable, "folder synced", "renamed", "checked" (the file compared with
  // the bytes read, just before it is replaced), "copy kept", "part
  // written", "copy removed". A test may end the process there, or act as
  // another process would at that moment.
  std::function<void(std::string_view step)> step;
  // Asked before an operation ("close", "sync", "rename", "folder sync",
  // "copy remove"): an error code makes it fail so.
  std::function<int(std::string_view operation)> fault;
  // The clock of the writers' lock's wait, and its pause between tries.
  std::function<std::chrono::steady_clock::time_point()> clock;
  std::function<void(std::chrono::milliseconds)> pause;
  // The home folder the password database gives root, in place of the
  // real one, so that tests run as root keep their copies to themselves.
  std::string rootHome;
};
WriteHooks& TestWriteHooks();

}  // namespace conf
