#include "config/format/VersionDetection.h"

#include <array>

#include "config/base/Text.h"
#include "config/firebird/VersionCatalogue.h"
#include "format/GenerationReaders.h"

std::string_view CueName(VersionCue cue) {
  switch (cue) {
    case VersionCue::Given:
      return "given";
    case VersionCue::Header:
      return "header";
    case VersionCue::Names:
      return "names";
    case VersionCue::None:
      return "none";
  }
  return "";
}

namespace conf {

Header HeaderOf(std::string_view text) {
  constexpr std::string_view kPrefix = "Firebird ";
  constexpr std::string_view kSuffix = "configuration file";
  std::size_t start = 0;
  for (int line = 0; line < 8 && start < text.size(); ++line) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view s = conf::Trim(text.substr(start, end - start));
    start = end + 1;
    if (s.empty() || s[0] != '#') continue;
    s = conf::Trim(s.substr(1));
    if (!s.starts_with(kPrefix) || !s.ends_with(kSuffix)) continue;
    s = conf::Trim(s.substr(kPrefix.size(), s.size() - kPrefix.size() - kSuffix.size()));
    if (s.empty()) return {true, std::nullopt};
    if (!s.starts_with("version ")) continue;
    s = conf::Trim(s.substr(8));
    if (const auto v = ParseServerVersion(s); v && GenerationOf(*v) == Generation::V3)
      return {true, v};
    // A series newer than any we know reads like the newest we know.
    if (!s.empty() && s[0] >= '6' && s[0] <= '9') return {true, ServerVersion::V5_0};
  }
  return {};
}

DetectedVersion VersionFromNames(const std::bitset<kSettingCount>& names, bool twoXHeader) {
  // A 2.x header leaves the series to the names; without a header any
  // version may be meant.
  const std::size_t last = twoXHeader ? IndexOf(ServerVersion::V2_5) + 1 : kServerVersions.size();
  std::array<std::size_t, kServerVersions.size()> score{};
  for (const SettingId id : AllSettings())
    if (names.test(Index(id)))
      for (std::size_t v = 0; v < last; ++v) score[v] += SettingInfoOf(id).versions[v].read;
  // Among equals 2.1 first, then the oldest.
  std::size_t best = IndexOf(kAssumedVersion);
  for (std::size_t v = 0; v < last; ++v)
    if (score[v] > score[best]) best = v;
  // Names every version reads tell nothing.
  bool told = false;
  for (std::size_t v = 0; v < last; ++v) told |= score[v] != score[best];
  return {kServerVersions[best], twoXHeader ? VersionCue::Header : told ? VersionCue::Names : VersionCue::None};
}

std::bitset<kSettingCount> NamesIn(const ConfReading& reading) {
  std::bitset<kSettingCount> names;
  for (const ConfEntry& e : reading.entries)
    if (e.id) names.set(Index(*e.id));
  for (const SettingId id : AllSettings())
    if (reading.commented[id].line) names.set(Index(id));
  return names;
}

}  // namespace conf

DetectedVersion DetectServerVersion(std::string_view text) {
  const conf::Header header = conf::HeaderOf(text);
  if (header.version) return {*header.version, VersionCue::Header};
  // The names a 2.x server would see: the same a 3.0+ one sees in any file
  // it does not refuse.
  ConfReading reading;
  conf::ReadGeneration2(text, std::string(), reading);
  return conf::VersionFromNames(conf::NamesIn(reading), header.found);
}
