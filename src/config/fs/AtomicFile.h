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

}  // namespace conf
