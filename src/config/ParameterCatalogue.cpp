#include "config/ParameterCatalogue.h"

#include <vector>

#include "config/LineScan.h"

const std::array<ParameterInfo, kParameterCount> kParameters = {{
#define PELLISTO_WITH_SETTER(Key) {ParamKey::Key, #Key, true},
#define PELLISTO_READ_ONLY(Key) {ParamKey::Key, #Key, false},
    PELLISTO_PARAMETERS(PELLISTO_WITH_SETTER, PELLISTO_READ_ONLY)
#undef PELLISTO_WITH_SETTER
#undef PELLISTO_READ_ONLY
}};

std::optional<ParamKey> FindKey(std::string_view name) {
  for (const auto& p : kParameters)
    if (p.name == name) return p.key;
  return std::nullopt;
}

NearestKey ClosestKey(std::string_view name) {
  NearestKey best{kParameters.front().key, static_cast<std::size_t>(-1)};
  std::vector<std::size_t> row, previous;
  for (const auto& p : kParameters) {
    // Levenshtein distance, one row at a time.
    previous.resize(p.name.size() + 1);
    row.resize(p.name.size() + 1);
    for (std::size_t j = 0; j <= p.name.size(); ++j) previous[j] = j;
    for (std::size_t i = 1; i <= name.size(); ++i) {
      row[0] = i;
      for (std::size_t j = 1; j <= p.name.size(); ++j) {
        const bool same = conf::AsciiLower(name[i - 1]) == conf::AsciiLower(p.name[j - 1]);
        row[j] = std::min({previous[j] + 1, row[j - 1] + 1, previous[j - 1] + (same ? 0 : 1)});
      }
      std::swap(row, previous);
    }
    if (previous[p.name.size()] < best.distance) best = {p.key, previous[p.name.size()]};
  }
  return best;
}
