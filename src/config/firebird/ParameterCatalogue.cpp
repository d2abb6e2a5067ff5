#include "config/firebird/ParameterCatalogue.h"

#include "config/base/Text.h"

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
  for (const auto& p : kParameters) {
    // The difference in length is the least the distance can be.
    const std::size_t gap = name.size() > p.name.size() ? name.size() - p.name.size()
                                                        : p.name.size() - name.size();
    if (gap >= best.distance) continue;
    const std::size_t distance = conf::EditDistanceIgnoringCase(name, p.name, best.distance);
    if (distance < best.distance) best = {p.key, distance};
  }
  return best;
}
