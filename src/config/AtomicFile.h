#pragma once
// Whole-file reads and writes that never leave a half-written file behind.

#include <string>

namespace conf {

// Reads the whole file. Throws FileError "Cannot open file "<path>". <reason>".
std::string ReadWholeFile(const std::string& path);

// Replaces the content of path atomically: a temporary file in the same folder
// is written, synced and renamed over the target. A symlink keeps its link and
// its target gets the content; the file's permissions are kept. A file without
// any write permission is refused. Where no temporary file can be created in
// the folder, the file is written in place. On any failure the old file stays
// whole and FileError "Cannot create file "<path>". <reason>" is thrown.
void WriteFileAtomically(const std::string& path, const std::string& content);

}  // namespace conf
