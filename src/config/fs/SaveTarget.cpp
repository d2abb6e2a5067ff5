#include "config/fs/SaveTarget.h"

#include <algorithm>
#include <cstring>

#include "config/fs/NativeFile.h"
#include "config/fs/WriteHooks.h"
#include "config/fs/SafetyCopy.h"

namespace conf {
namespace {

using native::Failure;
using native::File;
using native::FileFacts;

std::string Message(const char* action, const std::string& path, const std::string& reason) {
  return std::string(action) + " file \"" + path + "\". " + reason;
}

[[noreturn]] void Throw(const char* action, const std::string& path, const Failure& failure) {
  // Only the guard of the folders on the way words its whole message.
  if (!failure.message.empty()) throw UnsafeFolderError(failure.message);
  throw FileError(Message(action, path, failure.reason) + failure.note);
}

[[noreturn]] void Throw(const char* action, const std::string& path, native::ErrorCode error) {
  Throw(action, path, Failure{error, native::ErrorText(error), {}, {}});
}

std::string NotARegularFile(FileFacts::Kind kind) {
  return "It is " + native::KindName(kind) + ", not a regular file";
}

[[noreturn]] void Replaced(const std::string& path) {
  throw FileChangedError("The file \"" + path +
                         "\" was replaced by another file after it was read; nothing was written");
}

// The file of the name: never a link in its place, never anything but a
// regular file, and the one checked before when there was one.
// action: "Cannot open" for a read, "Cannot write" for a replacement.
FileFacts OpenChecked(const native::HeldFolder& folder, const std::string& name, const std::string& path,
                      File& file, File::Mode mode, const std::optional<FileId>& checked, const char* action) {
  const native::ErrorCode error = folder.Open(name, file, mode);
  if (native::IsLink(error)) Replaced(path);
  if (error) Throw(action, path, error);
  const FileFacts facts = file.Facts();
  if (facts.kind != FileFacts::Kind::Regular) throw FileError(Message(action, path, NotARegularFile(facts.kind)));
  if (checked && facts.id != *checked) Replaced(path);
  return facts;
}

void WriteWhole(File& file, std::string_view content) {
  std::size_t part = content.size();
#ifdef PELLISTO_TEST_HOOKS
  if (TestWriteHooks().inPlacePart) part = TestWriteHooks().inPlacePart;
#endif
  for (std::size_t at = 0; at < content.size(); at += part) {
    file.WriteAt(content.substr(at, std::min(part, content.size() - at)), at);
    native::Step("part written");
  }
  // A shorter text must not keep the old one's tail.
  file.Truncate(content.size());
  file.Sync();
}

// After a failed write in place: the old bytes back. Whether they all are.
bool PutBack(File& file, std::string_view old) {
  try {
    file.WriteAt(old, 0);
    file.Truncate(old.size());
    file.Sync();
    return true;
  } catch (const Failure&) {
    return false;
  }
}

}  // namespace

// The file as a replacement finds it (open for reading, letting everyone
// else on), or none where there is no file yet.
struct SaveTarget::Current {
  File file;
  FileFacts facts;
  bool exists = false;
};

SaveTarget::SaveTarget(const std::string& path) : SaveTarget(path, Options{}) {}

SaveTarget::SaveTarget(const std::string& path, const Options& options) : path_(path) {
  try {
    location_ = std::make_unique<native::Location>(
        native::Locate(path, native::RunsAsRoot() && !options.trustFolders));
  } catch (const Failure& failure) {
    Throw(native::IsMissing(failure.error) ? "Cannot create" : "Cannot write", path, failure);
  }
  if (options.lock) lock_.emplace(location_->folder, path, options.wait);
}

SaveTarget::~SaveTarget() = default;

const std::string& SaveTarget::Target() const { return location_->target; }

FileBuffer SaveTarget::Read() {
  File file;
  const FileFacts facts = OpenChecked(location_->folder, location_->name, path_, file, File::Mode::Read, {}, "Cannot open");
  try {
    FileBuffer buffer = native::ReadAll(file);
    checked_ = facts.id;
    checkedOwner_ = facts.owner;
    return buffer;
  } catch (const Failure& failure) {
    Throw("Cannot open", path_, failure);
  }
}

bool SaveTarget::Holds(std::string_view bytes) {
  File file;
  const FileFacts facts = OpenChecked(location_->folder, location_->name, path_, file, File::Mode::Read, {}, "Cannot open");
  if (facts.size != bytes.size()) return false;
  constexpr std::size_t kPart = 256 * 1024;
  std::unique_ptr<char[]> buffer(new char[std::min(kPart, std::max<std::size_t>(bytes.size(), 1))]);
  try {
    std::uint64_t at = 0;
    while (at < bytes.size()) {
      const std::size_t n = file.ReadAt(buffer.get(), std::min<std::size_t>(kPart, bytes.size() - at), at);
      if (n == 0 || std::memcmp(buffer.get(), bytes.data() + at, n) != 0) return false;
      at += n;
    }
    // Nothing more: a file that grew after its size was taken differs.
    char more;
    if (file.ReadAt(&more, 1, at) != 0) return false;
  } catch (const Failure& failure) {
    Throw("Cannot open", path_, failure);
  }
  checked_ = facts.id;
  checkedOwner_ = facts.owner;
  native::Step("checked");
  return true;
}

std::string SaveTarget::Replace(std::string_view content) {
  const std::shared_ptr<void> quiet = native::QuietFileSizeLimit();
  if (const std::vector<LeftOverCopy> left = restoring_ ? std::vector<LeftOverCopy>{}
                                                        : LeftOverCopiesOf(location_->target);
      !left.empty())
    throw FileError("\"" + path_ + "\" may be damaged: a rewrite of it did not finish, and \"" + left[0].copy +
                    "\" holds it as it was. Compare the two with pellisto-conf recover, then put the copy back "
                    "(recover --restore) or remove it (recover --discard); nothing was written");
  Current current;
  const native::ErrorCode error = location_->folder.Open(location_->name, current.file, File::Mode::Read);
  if (native::IsMissing(error)) {
    if (checked_)
      throw FileChangedError("The file \"" + path_ + "\" was removed after it was read; nothing was written");
    return Written(content, current);
  }
  current.facts =
      OpenChecked(location_->folder, location_->name, path_, current.file, File::Mode::Read, checked_, "Cannot write");
  if (!current.facts.readOnlyBecause.empty())
    throw FileError(Message("Cannot write", path_, "It is read-only (" + current.facts.readOnlyBecause + ")"));
  {
    // Asks for the right to write it, which a rename alone would not; let
    // go at once, as Windows replaces no file held open for writing.
    File writer;
    OpenChecked(location_->folder, location_->name, path_, writer, File::Mode::Write, current.facts.id,
                "Cannot write");
  }
  current.exists = true;
  // Another name of the same file would keep the old text if this one got
  // a new file.
  if (current.facts.links > 1) return WrittenInPlace(content, current);
  return Written(content, current);
}

std::string SaveTarget::Restore(const LeftOverCopy& copy) {
  const std::string text = ReadCopy(copy);
  // That copy is what keeps every other save away: not this one.
  restoring_ = true;
  std::string late;
  try {
    late = Replace(text);
  } catch (...) {
    restoring_ = false;
    throw;
  }
  restoring_ = false;
  DiscardCopy(copy);
  return late;
}

void SaveTarget::CheckStillTheSame(const Current& current) const {
  // The file checked, or still none where there was none.
  const auto same = [&](const std::optional<FileId>& id) {
    return current.exists ? id && *id == current.facts.id : !id;
  };
  std::optional<FileId> now;
  try {
    now = location_->folder.IdOf(location_->name);
  } catch (const Failure& failure) {
    Throw("Cannot write", path_, failure);
  }
  if (!same(now)) Replaced(path_);
  // The path given must still lead here: a link re-pointed meanwhile means
  // the user now wants another file saved.
  if (!same(native::IdByPath(path_)))
    throw FileChangedError("\"" + path_ + "\" now leads to another file than the one read (a link was pointed "
                           "elsewhere); nothing was written");
}

std::string SaveTarget::Written(std::string_view content, Current& current) {
  const native::HeldFolder& folder = location_->folder;
  const char* action = current.exists ? "Cannot write" : "Cannot create";
  File temp;
  std::string name;
  const native::ErrorCode error = native::CreateBeside(folder, location_->name, temp, name);
  if (error) {
    if (current.exists && native::CreateRefused(error)) return WrittenInPlace(content, current);
    Throw(action, path_, error);
  }
  bool keep = false;  // the new file holds the only whole text
  try {
    if (current.exists && !native::CopyMetadata(current.file, temp)) {
      // A new file would not be the same to its users: the old one is
      // written instead.
      temp.Close();
      folder.Remove(name);
      return WrittenInPlace(content, current);
    }
    if (!current.exists) native::SetNewFilePermissions(temp);
    temp.WriteAt(content, 0);
    // The data reaches the disk before the name does: a crash right after
    // the rename must not leave an empty or partial file under that name.
    temp.Sync();
    temp.Close();
    CheckStillTheSame(current);
    if (!RenamedOver(name, current, keep)) {
      // A file mounted on its own cannot be replaced; it is written.
      folder.Remove(name);
      return WrittenInPlace(content, current);
    }
  } catch (const Failure& failure) {
    folder.Remove(name);
    Throw(action, path_, failure);
  } catch (...) {
    if (!keep) folder.Remove(name);
    throw;
  }
  native::Step("renamed");
  folder.Sync();
  return {};
}

bool SaveTarget::RenamedOver(const std::string& name, const Current& current, bool& keep) {
  const native::HeldFolder& folder = location_->folder;
  const native::ErrorCode error = folder.Rename(name, location_->name);
  if (!error) return true;
  if (current.exists && native::RenameImpossible(error)) return false;
  // Where the old file went and the new one did not take its place (a
  // replacement that stopped halfway), the new one is the only whole text.
  keep = current.exists && !folder.IdOf(location_->name);
  if (keep)
    Throw("Cannot write", path_,
          Failure{error, native::ErrorText(error), ". The new text is in \"" + folder.Path() + name + "\"", {}});
  native::Fail(error);
}

std::unique_ptr<SafetyCopy> SaveTarget::CopyKept(std::string_view old) const {
  try {
    auto copy = std::make_unique<SafetyCopy>(location_->target, old);
    native::Step("copy kept");
    return copy;
  } catch (const Failure& failure) {
    Throw("Cannot write", path_,
          Failure{failure.error, failure.reason,
                  " (it cannot be replaced by a new file, and no copy of it could be kept in " +
                      SafetyCopyFolder() + " before rewriting it in place; it was left as it was)",
                  {}});
  }
}

std::string SaveTarget::WrittenInPlace(std::string_view content, Current& current) {
  File writer;
  OpenChecked(location_->folder, location_->name, path_, writer, File::Mode::Write, current.facts.id,
              "Cannot write");
  // The old text, from the very file that is rewritten.
  FileBuffer old;
  try {
    old = native::ReadAll(current.file);
  } catch (const Failure& failure) {
    Throw("Cannot write", path_, failure);
  }
  const std::unique_ptr<SafetyCopy> copy = CopyKept(old.view());
  try {
    CheckStillTheSame(current);
  } catch (...) {
    copy->Remove();
    throw;
  }
  try {
    WriteWhole(writer, content);
  } catch (const Failure& failure) {
    // Only a file the old text is whole in again lets its copy go.
    const bool restored = PutBack(writer, old.view());
    if (restored && copy->Remove() == 0)
      Throw("Cannot write", path_, Failure{failure.error, failure.reason, "; it was left as it was", {}});
    Throw("Cannot write", path_,
          Failure{failure.error, failure.reason,
                  ". A copy of the file as it was is kept in \"" + copy->Path() + "\"", {}});
  }
  return Finished(writer, *copy);
}

std::string SaveTarget::Finished(File& writer, SafetyCopy& copy) {
  // The new text is whole and durable: the save is done, whatever follows.
  std::string late;
  try {
    writer.Close();
  } catch (const Failure& failure) {
    late = "closing it afterwards failed (" + failure.reason + ")";
  }
  if (const native::ErrorCode error = copy.Remove()) {
    late += (late.empty() ? "" : "; ") + std::string("the copy of it as it was, \"") + copy.Path() +
            "\", could not be removed (" + native::ErrorText(error) +
            "): remove it with pellisto-conf recover --discard";
  } else {
    native::Step("copy removed");
  }
  return late;
}

void WriteFileAtomically(const std::string& path, std::string_view content) {
  // The program's own files: no other writer to wait for, and the folders
  // are the user's choice.
  SaveTarget::Options options;
  options.lock = false;
  options.trustFolders = true;
  SaveTarget target(path, options);
  target.Replace(content);
}

}  // namespace conf
