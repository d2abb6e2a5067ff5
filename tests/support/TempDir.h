#pragma once
// A fresh folder per test, removed with everything in it afterwards.

#include <string>

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The folder, ending with a separator (a backslash on Windows).
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + name; }

 private:
  std::string path_;
};

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& content);
bool FileExists(const std::string& path);

// Path of a real sample file, or empty when the samples are not there
// (Debian's 3.0 file is also found where Debian installs it).
std::string SamplePath(const std::string& name);

// What a save writes for a file whose lines end with LF, given as the same
// text with CR LF ends: on Windows every written line ends with CR LF, and
// elsewhere a line keeps its own end, so there the text comes back with LF.
inline std::string SavedFromLf(std::string crlf) {
#ifndef _WIN32
  for (std::size_t at = crlf.find("\r\n"); at != std::string::npos; at = crlf.find("\r\n", at))
    crlf.erase(at, 1);
#endif
  return crlf;
}

// The same for a text given with LF ends: what a save writes, on Windows
// with each line ending in CR LF, elsewhere as given.
inline std::string AsSaved(const std::string& lf) {
#ifdef _WIN32
  std::string crlf;
  for (char c : lf) {
    if (c == '\n' && (crlf.empty() || crlf.back() != '\r')) crlf += '\r';
    crlf += c;
  }
  return crlf;
#else
  return lf;
#endif
}
