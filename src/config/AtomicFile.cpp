#include "config/AtomicFile.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <system_error>

#include "config/NativeFile.h"
#include "config/SafetyCopy.h"

namespace conf {
namespace {

std::string Message(const char* action, const std::string& path, const std::string& reason) {
  return std::string(action) + " file \"" + path + "\". " + reason;
}

[[noreturn]] void OpenFailed(const std::string& path, const std::string& reason) {
  throw FileError(Message("Cannot open", path, reason));
}

[[noreturn]] void OpenFailed(const std::string& path, native::ErrorCode error) {
  OpenFailed(path, native::ErrorText(error));
}

// Opens a file for reading, or throws "Cannot open file ...".
void OpenForReading(native::File& file, const std::string& path) {
  if (const native::ErrorCode error = file.Open(path, native::File::Mode::Read)) OpenFailed(path, error);
}

}  // namespace

namespace native {

void Fail(ErrorCode error) { throw Failure{error, ErrorText(error), {}}; }

void Step(std::string_view name) {
  if (const auto& step = TestWriteHooks().step) step(name);
}

std::string UniqueSuffix() {
  static std::mt19937_64 random{std::random_device{}()};
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::string suffix(6, ' ');
  for (char& c : suffix) c = kLetters[random() % (sizeof kLetters - 1)];
  return suffix;
}

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.find_last_of(kSeparators);
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A whole copy of the old file in the user's state folder, before it is
// rewritten in place.
std::unique_ptr<SafetyCopy> KeepCopy(const std::string& target, const std::string& old) {
  try {
    auto copy = std::make_unique<SafetyCopy>(target, old);
    Step("copy kept");
    return copy;
  } catch (const std::system_error& e) {
    throw Failure{e.code().value(), ErrorText(e.code().value()),
                  " (no copy of it could be kept in " + SafetyCopyFolder() +
                      " before rewriting it in place; it was left as it was)"};
  }
}

void WriteWhole(File& file, std::string_view content) {
  const std::size_t part = TestWriteHooks().inPlacePart ? TestWriteHooks().inPlacePart : content.size();
  for (std::size_t at = 0; at < content.size(); at += part) {
    file.WriteAt(content.substr(at, std::min(part, content.size() - at)), at);
    Step("part written");
  }
  // A shorter text must not keep the old one's tail.
  file.Truncate(content.size());
  file.Sync();
  Step("data synced");
  file.Close();
}

// After a failed write in place: the old bytes back, or no file when there
// was none. Each step on its own: what can be put back is.
void PutBack(File& file, const std::string& target, const std::string& old, bool existed) {
  if (!file.IsOpen()) return;
  auto attempt = [](auto step) {
    try {
      step();
    } catch (const Failure&) {
    }
  };
  if (existed) {
    attempt([&] { file.WriteAt(old, 0); });
    attempt([&] { file.Truncate(old.size()); });
    attempt([&] { file.Sync(); });
  } else {
    attempt([&] { file.Close(); });  // Windows removes no open file
    RemoveFile(target);
  }
}

// Used where the folder does not let us create a temporary file. A whole
// copy of the old file is kept in the user's state folder first, so that a
// crash halfway leaves the old text somewhere; the old bytes are also kept in
// memory and put back if the write fails part way.
void WriteInPlace(const std::string& target, std::string_view content) {
  std::string old;
  bool existed = true;
  try {
    old = ReadWholeFile(target);
  } catch (const FileError&) {
    existed = false;
  }
  std::unique_ptr<SafetyCopy> copy = existed ? KeepCopy(target, old) : nullptr;
  File file;
  if (const ErrorCode error = file.Open(target, File::Mode::Write)) {
    if (copy) copy->Remove();
    Fail(error);
  }
  try {
    WriteWhole(file, content);
  } catch (Failure& failure) {
    PutBack(file, target, old, existed);
    if (copy) failure.note = ". A copy of the file as it was is kept in \"" + copy->Path() + "\"";
    throw;
  }
  if (copy) {
    copy->Remove();
    Step("copy removed");
  }
}

}  // namespace native

namespace {

[[noreturn]] void TooLarge(const std::string& path) {
  OpenFailed(path, "It is larger than " + std::to_string(kLargestFileRead >> 20) +
                       " MiB, the most Pellisto reads from a file");
}

FileBuffer ReadOpenFile(native::File& file, const std::string& path) {
  try {
    // The size is only a hint: files under /proc or growing files read on,
    // up to the limit.
    const std::uint64_t size = file.Size();
    if (size > kLargestFileRead) TooLarge(path);
    std::size_t capacity = size > 0 ? static_cast<std::size_t>(size) + 1 : 4096;
    FileBuffer buffer{std::unique_ptr<char[]>(new char[capacity]), 0};
    for (;;) {
      if (buffer.size == capacity) {
        if (buffer.size > kLargestFileRead) TooLarge(path);
        capacity = std::min<std::size_t>(capacity * 2, kLargestFileRead + 1);
        std::unique_ptr<char[]> larger(new char[capacity]);
        std::memcpy(larger.get(), buffer.data.get(), buffer.size);
        buffer.data = std::move(larger);
      }
      const std::size_t n = file.Read(buffer.data.get() + buffer.size, capacity - buffer.size);
      if (n == 0) break;
      buffer.size += n;
    }
    if (buffer.size > kLargestFileRead) TooLarge(path);
    return buffer;
  } catch (const native::Failure& failure) {
    OpenFailed(path, failure.reason);
  }
}

}  // namespace

FileBuffer ReadWholeFileBuffer(const std::string& path) {
  native::File file;
  OpenForReading(file, path);
  return ReadOpenFile(file, path);
}

std::optional<FileBuffer> ReadIncludedFile(const std::string& path) {
  native::File file;
  const native::ErrorCode error = file.Open(path, native::File::Mode::Read);
  if (error == native::kIsAFolder) return FileBuffer{};
  if (native::IsMissing(error)) return std::nullopt;
  if (error) OpenFailed(path, error);
  return ReadOpenFile(file, path);
}

std::string ReadWholeFile(const std::string& path) { return std::string(ReadWholeFileBuffer(path).view()); }

void WriteFileAtomically(const std::string& path, std::string_view content) {
  try {
    native::Replace(path, content);
  } catch (const native::Failure& failure) {
    throw FileError(Message("Cannot create", path, failure.reason) + failure.note);
  }
}

WriteAccess CheckWriteAccess(const std::string& path) {
  std::string target;
  try {
    target = native::ResolveLinks(path);
  } catch (const native::Failure&) {
    return WriteAccess::Impossible;
  }
  return native::WriteAccessOf(target);
}

std::string LinkTarget(const std::string& path) {
  try {
    return native::ResolveLinks(path);
  } catch (const native::Failure& failure) {
    OpenFailed(path, failure.reason);
  }
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of(native::kSeparators);
  if (slash == std::string::npos) return ".";
  if (slash == 0) return path.substr(0, 1);
  if (native::kWindows && slash == 2 && path[1] == ':') return path.substr(0, 3);
  return path.substr(0, slash);
}

FileComparer::FileComparer(const std::string& path) : path_(path), file_(std::make_unique<native::File>()) {
  OpenForReading(*file_, path);
  try {
    size_ = file_->Size();
  } catch (const native::Failure& failure) {
    OpenFailed(path, failure.reason);
  }
}

FileComparer::~FileComparer() = default;

bool FileComparer::Fill() {
  constexpr std::size_t kPart = 256 * 1024;
  if (!buffer_) buffer_.reset(new char[kPart]);
  try {
    have_ = file_->Read(buffer_.get(), kPart);
  } catch (const native::Failure& failure) {
    OpenFailed(path_, failure.reason);
  }
  at_ = 0;
  return have_ > 0;
}

bool FileComparer::Next(std::string_view expected) {
  while (!expected.empty()) {
    if (at_ == have_ && !Fill()) return false;
    const std::size_t n = std::min(expected.size(), have_ - at_);
    if (std::memcmp(buffer_.get() + at_, expected.data(), n) != 0) return false;
    at_ += n;
    expected.remove_prefix(n);
  }
  return true;
}

bool FileComparer::AtEnd() { return at_ == have_ && !Fill(); }

WriteHooks& TestWriteHooks() {
  static WriteHooks hooks;
  return hooks;
}

}  // namespace conf
