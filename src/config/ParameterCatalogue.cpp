#include "config/ParameterCatalogue.h"

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
