#include "support/TempDir.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

#include "config/base/Utf8Path.h"

namespace fs = std::filesystem;
using conf::PathFromUtf8;

TempDir::TempDir() {
  static std::mt19937 random{std::random_device{}()};
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  const fs::path base = fs::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = "pellisto-test-";
    for (int i = 0; i < 6; ++i) name += kLetters[random() % (sizeof kLetters - 1)];
    std::error_code ec;
    if (fs::create_directory(base / name, ec)) {
      // Private, as mkdtemp makes it.
      fs::permissions(base / name, fs::perms::owner_all, fs::perm_options::replace, ec);
      path_ = conf::Utf8Of(base / name / "");
      return;
    }
    if (ec) break;
  }
  throw std::runtime_error("cannot create a test folder in " + conf::Utf8Of(base));
}

TempDir::~TempDir() {
  std::error_code ec;
  const fs::path root = PathFromUtf8(path_);
  // Tests may leave read-only files or folders behind; make them removable.
  for (auto it = fs::recursive_directory_iterator(root, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  fs::permissions(root, fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(root, ec);
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(PathFromUtf8(path), std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFileBytes(const std::string& path, const std::string& content) {
  std::ofstream out(PathFromUtf8(path), std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("cannot write " + path);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

bool FileExists(const std::string& path) {
  std::error_code ec;
  return fs::exists(PathFromUtf8(path), ec);
}

std::string SamplePath(const std::string& name) {
  std::string path = std::string(PELLISTO_SAMPLES_DIR) + "/" + name;
  if (FileExists(path)) return path;
#ifndef _WIN32
  // Debian's file comes with the client library the tests install, where
  // Debian keeps it.
  const std::string debian = "/etc/firebird/3.0/firebird.conf";
  if (name == "firebird-3.0.11-debian.conf" && FileExists(debian)) return debian;
#endif
  return {};
}
