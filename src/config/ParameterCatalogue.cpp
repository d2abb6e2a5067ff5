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

NearestKey ClosestKey(std::string_view name, std::size_t within) {
  // Anything farther than "within" is as good as unknown.
  const std::size_t unknown = within == static_cast<std::size_t>(-1) ? within : within + 1;
  NearestKey best{kParameters.front().key, unknown};
  std::vector<std::size_t> row, previous;
  for (const auto& p : kParameters) {
    // The difference in length is the least the distance can be.
    const std::size_t gap = name.size() > p.name.size() ? name.size() - p.name.size()
                                                        : p.name.size() - name.size();
    if (gap >= best.distance) continue;
    // Levenshtein distance, one row at a time; a row whose least entry is
    // already no better than the best so far cannot lead to a better one.
    previous.resize(p.name.size() + 1);
    row.resize(p.name.size() + 1);
    for (std::size_t j = 0; j <= p.name.size(); ++j) previous[j] = j;
    bool hopeless = false;
    for (std::size_t i = 1; i <= name.size() && !hopeless; ++i) {
      row[0] = i;
      std::size_t least = row[0];
      for (std::size_t j = 1; j <= p.name.size(); ++j) {
        const bool same = conf::AsciiLower(name[i - 1]) == conf::AsciiLower(p.name[j - 1]);
        row[j] = std::min({previous[j] + 1, row[j - 1] + 1, previous[j - 1] + (same ? 0 : 1)});
        least = std::min(least, row[j]);
      }
      std::swap(row, previous);
      hopeless = least >= best.distance;
    }
    if (!hopeless && previous[p.name.size()] < best.distance) best = {p.key, previous[p.name.size()]};
  }
  return best;
}
