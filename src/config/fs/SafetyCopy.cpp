#include "config/fs/SafetyCopy.h"

#include <algorithm>
#include <chrono>

#include "config/fs/AtomicFile.h"
#include "config/fs/FileLock.h"

namespace conf {
namespace {

constexpr std::string_view kOriginSuffix = ".origin";
constexpr std::string_view kPartSuffix = ".part";
// A note holds one path.
constexpr std::uint64_t kMaxNoteSize = 64 * 1024;

// Writes all of the text to a new file of the user's own and syncs it.
void WriteSynced(const native::HeldFolder& folder, const std::string& name, std::string_view text) {
  native::File file;
  if (const native::ErrorCode error = folder.Open(name, file, native::File::Mode::CreateNew)) native::Fail(error);
  file.WriteAt(text, 0);
  file.Sync();
  file.Close();
}

std::string Chopped(std::string_view text, std::size_t n) {
  return std::string(text.substr(0, text.size() - n));
}

// A regular file of the folder, whole; nothing when it is not one.
std::optional<std::string> ReadIn(const native::HeldFolder& folder, const std::string& name,
                                  std::uint64_t limit) {
  native::File file;
  if (folder.Open(name, file, native::File::Mode::Read)) return std::nullopt;
  try {
    const native::FileFacts facts = file.Facts();
    if (facts.kind != native::FileFacts::Kind::Regular || facts.size > limit) return std::nullopt;
    return std::string(native::ReadAll(file).view());
  } catch (const native::Failure&) {
    return std::nullopt;
  }
}

// The state folder as it is, or none where there is none or it is not
// safely this user's: a copy is reported only from where one is kept.
std::optional<native::HeldFolder> ExistingStateFolder() {
  try {
    return native::OpenStateFolder(false);
  } catch (const native::Failure&) {
    return std::nullopt;
  }
}

// The notes of the folder and the files they name, in name order. A note
// whose copy never came to be is cleared away, with its part, unless busy
// says that the file's writer may still be at it.
template <class Busy>
std::vector<LeftOverCopy> Copies(const native::HeldFolder& folder, Busy busy) {
  std::vector<std::string> notes;
  for (const std::string& name : folder.Entries())
    if (name.size() > kOriginSuffix.size() && name.ends_with(kOriginSuffix)) notes.push_back(name);
  std::sort(notes.begin(), notes.end());

  std::vector<LeftOverCopy> copies;
  for (const std::string& note : notes) {
    std::optional<std::string> original = ReadIn(folder, note, kMaxNoteSize);
    if (!original) continue;
    if (!original->empty() && original->back() == '\n') original->pop_back();
    const std::string copy = Chopped(note, kOriginSuffix.size());
    if (busy(*original)) continue;
    if (folder.IdOf(copy)) {
      copies.push_back({folder.Path() + copy, *original});
    } else {
      folder.Remove(copy + std::string(kPartSuffix));
      folder.Remove(note);
    }
  }
  return copies;
}

[[noreturn]] void CannotHandle(const LeftOverCopy& copy, const std::string& reason) {
  throw FileError("Cannot remove the copy \"" + copy.copy + "\". " + reason);
}

}  // namespace

std::string SafetyCopyFolder() { return native::StateFolder(); }

SafetyCopy::SafetyCopy(const std::string& original, std::string_view content)
    : folder_(native::OpenStateFolder(true)) {
  const std::string name = native::BaseName(original);

  // The note of the original comes first: a copy is only ever complete with
  // its note beside it, and a note without its copy means the file was
  // never touched.
  native::File note;
  for (int attempt = 0;; ++attempt) {
    note_ = name + "." + native::UniqueSuffix() + std::string(kOriginSuffix);
    const native::ErrorCode error = folder_.Open(note_, note, native::File::Mode::CreateNew);
    if (!error) break;
    if (!native::AlreadyExists(error) || attempt == 100) native::Fail(error);
  }
  const std::string copy = Chopped(note_, kOriginSuffix.size());
  const std::string part = copy + std::string(kPartSuffix);
  try {
    note.WriteAt(original + "\n", 0);
    note.Sync();
    note.Close();
    WriteSynced(folder_, part, content);
    if (const native::ErrorCode error = folder_.Rename(part, copy)) native::Fail(error);
  } catch (...) {
    folder_.Remove(part);
    folder_.Remove(note_);
    throw;
  }
  copy_ = copy;
  folder_.Sync();
}

native::ErrorCode SafetyCopy::Remove() {
  // The copy first: a note left alone names no copy and is cleared later.
  if (const native::ErrorCode error = folder_.Remove(copy_)) return error;
  folder_.Remove(note_);
  return 0;
}

std::vector<LeftOverCopy> FindLeftOverCopies() {
  const std::optional<native::HeldFolder> folder = ExistingStateFolder();
  if (!folder) return {};
  return Copies(*folder, [](const std::string& original) {
    // Held: a write of that file is going on right now, copy and all.
    try {
      FileLock quiet(original, std::chrono::milliseconds(0));
      return false;
    } catch (const FileError&) {
      return true;
    }
  });
}

std::vector<LeftOverCopy> LeftOverCopiesOf(const std::string& original) {
  const std::optional<native::HeldFolder> folder = ExistingStateFolder();
  if (!folder) return {};
  std::vector<LeftOverCopy> copies =
      Copies(*folder, [&](const std::string& other) { return other != original; });
  copies.erase(std::remove_if(copies.begin(), copies.end(),
                              [&](const LeftOverCopy& copy) { return copy.original != original; }),
               copies.end());
  return copies;
}

std::string ReadCopy(const LeftOverCopy& copy) {
  const std::optional<native::HeldFolder> folder = ExistingStateFolder();
  const std::optional<std::string> text =
      folder ? ReadIn(*folder, native::BaseName(copy.copy), UINT64_MAX) : std::nullopt;
  if (!text) throw FileError("Cannot open file \"" + copy.copy + "\". It is gone or not a regular file");
  return *text;
}

void DiscardCopy(const LeftOverCopy& copy) {
  const std::optional<native::HeldFolder> folder = ExistingStateFolder();
  if (!folder) CannotHandle(copy, "Its folder cannot be opened");
  const std::string name = native::BaseName(copy.copy);
  if (const native::ErrorCode error = folder->Remove(name)) CannotHandle(copy, native::ErrorText(error));
  folder->Remove(name + std::string(kOriginSuffix));
}

std::string LeftOverCopyMessage(const LeftOverCopy& copy) {
  return "\"" + copy.copy + "\" holds \"" + copy.original +
         "\" as it was before a rewrite that did not finish. Compare the two (pellisto-conf recover), then "
         "put the copy back if the file is damaged (recover --restore) or remove it (recover --discard)";
}

}  // namespace conf
