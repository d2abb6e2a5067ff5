#include "config/firebird/ServerVersion.h"

#include "config/base/Text.h"

namespace {

constexpr std::string_view kNames[] = {"2.0", "2.1", "2.5", "3.0", "4.0", "5.0"};
constexpr std::string_view kReleases[] = {"2.0.7", "2.1.7", "2.5.9", "3.0.11", "4.0.7", "5.0.4"};

}  // namespace

std::string_view VersionName(ServerVersion v) { return kNames[IndexOf(v)]; }
std::string_view ReleaseName(ServerVersion v) { return kReleases[IndexOf(v)]; }

std::optional<ServerVersion> ParseServerVersion(std::string_view text) {
  text = conf::Trim(text);
  for (ServerVersion v : kServerVersions) {
    const std::string_view name = kNames[IndexOf(v)];
    // "3.0", a point release "3.0.11", or the major alone where one series
    // has it ("3", not "2").
    const bool major = GenerationOf(v) == Generation::V3 && text == name.substr(0, 1);
    const bool pointRelease = text.starts_with(name) && text.size() > name.size() + 1 &&
                              text[name.size()] == '.' && conf::AllDigits(text.substr(name.size() + 1));
    if (text == name || major || pointRelease) return v;
  }
  return std::nullopt;
}
