#pragma once
// Whole-file reads and writes that never leave a half-written file behind.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace conf {

// The bytes of a whole file, in a buffer that is not cleared before reading.
struct FileBuffer {
  std::unique_ptr<char[]> data;
  std::size_t size = 0;
  std::string_view view() const { return {data.get(), size}; }
};

// Reads the whole file. Throws FileError "Cannot open file "<path>". <reason>".
FileBuffer ReadWholeFileBuffer(const std::string& path);
std::string ReadWholeFile(const std::string& path);

// Replaces the content of path atomically: a temporary file in the same folder
// is written, synced and renamed over the target. A symlink keeps its link and
// its target gets the content; the file's permissions are kept. A file without
// any write permission is refused. Where no temporary file can be created in
// the folder, the file is written in place. On any failure the old file stays
// whole and FileError "Cannot create file "<path>". <reason>" is thrown.
void WriteFileAtomically(const std::string& path, const std::string& content);

}  // namespace conf
