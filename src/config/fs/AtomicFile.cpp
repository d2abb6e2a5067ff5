#include "config/fs/AtomicFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <random>
#include <string>

#include "config/fs/NativeFile.h"
#include "config/fs/WriteHooks.h"

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

void Fail(ErrorCode error) { throw Failure{error, ErrorText(error), {}, {}}; }

void Step([[maybe_unused]] std::string_view name) {
#ifdef PELLISTO_TEST_HOOKS
  if (const auto& step = TestWriteHooks().step) step(name);
#endif
}

ErrorCode InjectedFault([[maybe_unused]] std::string_view operation) {
#ifdef PELLISTO_TEST_HOOKS
  if (const auto& fault = TestWriteHooks().fault) return fault(operation);
#endif
  return 0;
}

std::string KindName(FileFacts::Kind kind) {
  switch (kind) {
    case FileFacts::Kind::Regular:
      return "a regular file";
    case FileFacts::Kind::Folder:
      return "a folder";
    case FileFacts::Kind::Pipe:
      return "a named pipe";
    case FileFacts::Kind::Device:
      return "a device";
    case FileFacts::Kind::Socket:
      return "a socket";
    case FileFacts::Kind::Other:
      break;
  }
  return "not a file";
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

HeldFolder::~HeldFolder() {
  if (handle_ != -1) CloseFolderHandle(handle_);
}

HeldFolder::HeldFolder(HeldFolder&& other) noexcept
    : path_(std::move(other.path_)), handle_(other.handle_), id_(other.id_), readableByAll_(other.readableByAll_) {
  other.handle_ = -1;
}

HeldFolder& HeldFolder::operator=(HeldFolder&& other) noexcept {
  if (this != &other) {
    if (handle_ != -1) CloseFolderHandle(handle_);
    path_ = std::move(other.path_);
    handle_ = other.handle_;
    id_ = other.id_;
    readableByAll_ = other.readableByAll_;
    other.handle_ = -1;
  }
  return *this;
}

FileBuffer ReadAll(File& file) {
  const auto tooLarge = [] {
    throw Failure{EFBIG,
                  "It is larger than " + std::to_string(kLargestFileRead >> 20) +
                      " MiB, the most Pellisto reads from a file",
                  {},
                  {}};
  };
  // The size is only a hint: files under /proc or growing files read on,
  // up to the limit.
  const std::uint64_t size = file.Size();
  if (size > kLargestFileRead) tooLarge();
  std::size_t capacity = size > 0 ? static_cast<std::size_t>(size) + 1 : 4096;
  FileBuffer buffer{std::unique_ptr<char[]>(new char[capacity]), 0};
  for (;;) {
    if (buffer.size == capacity) {
      if (buffer.size > kLargestFileRead) tooLarge();
      capacity = std::min<std::size_t>(capacity * 2, kLargestFileRead + 1);
      std::unique_ptr<char[]> larger(new char[capacity]);
      std::memcpy(larger.get(), buffer.data.get(), buffer.size);
      buffer.data = std::move(larger);
    }
    const std::size_t n = file.Read(buffer.data.get() + buffer.size, capacity - buffer.size);
    if (n == 0) break;
    buffer.size += n;
  }
  if (buffer.size > kLargestFileRead) tooLarge();
  return buffer;
}

}  // namespace native

namespace {

FileBuffer ReadOpenFile(native::File& file, const std::string& path) {
  try {
    return native::ReadAll(file);
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

}  // namespace conf
