#include "config/SafetyCopy.h"

#include <algorithm>
#include <system_error>

#include "config/AtomicFile.h"
#include "config/FileLock.h"
#include "config/NativeFile.h"

namespace conf {
namespace {

constexpr std::string_view kOriginSuffix = ".origin";
constexpr std::string_view kPartSuffix = ".part";

[[noreturn]] void Throw(native::ErrorCode error) { throw std::system_error(error, std::system_category()); }

// Writes all of the text to a file of the user's own and syncs it.
void WriteSynced(const std::string& path, std::string_view text) {
  native::File file;
  if (const native::ErrorCode error = file.Open(path, native::File::Mode::Create, true)) Throw(error);
  try {
    file.WriteAt(text, 0);
    file.Sync();
    file.Close();
  } catch (const native::Failure& failure) {
    Throw(failure.error);
  }
}

std::string Chopped(std::string_view text, std::size_t n) {
  return std::string(text.substr(0, text.size() - n));
}

}  // namespace

std::string SafetyCopyFolder() { return native::StateFolder(); }

SafetyCopy::SafetyCopy(const std::string& original, std::string_view content) {
  const std::string folder = SafetyCopyFolder();
  if (const native::ErrorCode error = native::MakeFolders(folder)) Throw(error);
  const std::string name = native::BaseName(original);

  // The note of the original comes first: a copy is only ever complete with
  // its note beside it, and a note without its copy means the file was
  // never touched.
  std::string origin;
  for (int attempt = 0;; ++attempt) {
    origin = folder + name + "." + native::UniqueSuffix() + std::string(kOriginSuffix);
    native::File note;
    const native::ErrorCode error = note.Open(origin, native::File::Mode::CreateNew, true);
    if (!error) break;
    if (!native::AlreadyExists(error) || attempt == 100) Throw(error);
  }
  origin_ = origin;
  const std::string copy = Chopped(origin, kOriginSuffix.size());
  const std::string part = copy + std::string(kPartSuffix);
  try {
    WriteSynced(origin_, original + "\n");
    WriteSynced(part, content);
    if (const native::ErrorCode error = native::Rename(part, copy)) Throw(error);
  } catch (...) {
    native::RemoveFile(part);
    native::RemoveFile(origin_);
    throw;
  }
  copy_ = copy;
  native::SyncFolder(folder);
}

void SafetyCopy::Remove() {
  // The copy first: a note left alone names no copy and is cleared later.
  native::RemoveFile(copy_);
  native::RemoveFile(origin_);
}

std::vector<LeftOverCopy> FindLeftOverCopies() {
  const std::string folder = SafetyCopyFolder();
  std::vector<std::string> notes;
  for (const std::string& name : native::FolderEntries(folder))
    if (name.size() > kOriginSuffix.size() && name.ends_with(kOriginSuffix)) notes.push_back(name);
  std::sort(notes.begin(), notes.end());

  std::vector<LeftOverCopy> copies;
  for (const std::string& note : notes) {
    std::string original;
    try {
      original = ReadWholeFile(folder + note);
    } catch (const FileError&) {
      continue;
    }
    if (!original.empty() && original.back() == '\n') original.pop_back();
    const std::string copy = folder + Chopped(note, kOriginSuffix.size());
    try {
      // Held: a write of that file is going on right now, copy and all.
      FileLock quiet(original, std::chrono::milliseconds(0));
      if (native::Exists(copy)) {
        copies.push_back({copy, original});
      } else {
        native::RemoveFile(copy + std::string(kPartSuffix));
        native::RemoveFile(folder + note);
      }
    } catch (const FileError&) {
    }
  }
  return copies;
}

std::string LeftOverCopyMessage(const LeftOverCopy& copy) {
  return "\"" + copy.copy + "\" holds \"" + copy.original +
         "\" as it was before a rewrite that did not finish. Compare the two, put the copy "
         "back if the file is damaged, then delete the copy";
}

}  // namespace conf
