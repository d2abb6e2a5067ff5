#include "config/firebird/FirebirdFolder.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

#include "config/base/Utf8Path.h"

namespace {

// "3.0" as {3, 0}; "10.1" sorts after "4.0". A name that is no version sorts
// before every version.
std::vector<long> VersionParts(const std::string& name) {
  std::vector<long> parts;
  std::size_t at = 0;
  while (at <= name.size()) {
    const std::size_t dot = std::min(name.find('.', at), name.size());
    const std::string part = name.substr(at, dot - at);
    if (part.empty() || part.find_first_not_of("0123456789") != std::string::npos) return {};
    parts.push_back(std::stol(part.substr(0, 9)));
    at = dot + 1;
  }
  return parts;
}

}  // namespace

std::string DebianFirebirdFolder(const std::string& root) {
  namespace fs = std::filesystem;
  std::error_code ec;
  std::string best;
  std::vector<long> bestVersion;
  for (fs::directory_iterator it(conf::PathFromUtf8(root), ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = conf::Utf8Of(it->path().filename());
    const std::vector<long> version = VersionParts(name);
    if (version.empty() || (!best.empty() && version <= bestVersion)) continue;
    std::error_code fileError;
    if (!fs::is_regular_file(it->path() / "firebird.conf", fileError)) continue;
    best = conf::Utf8Of(it->path() / "");
    bestVersion = version;
  }
  return best;
}
