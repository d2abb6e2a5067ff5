#pragma once
// The indexes the readers use to find the catalogue's names written as
// "<Key> =" in a line. Internal to src/config.

#ifndef PELLISTO_CONFIG_INTERNAL
#error "format/KeyIndex.h is internal to src/config"
#endif

#include "config/base/Text.h"
#include "config/firebird/ParameterCatalogue.h"
#include "config/firebird/VersionCatalogue.h"

namespace conf {

// The editor's 46 keys, and every name of the catalogue.
inline const NamesByLastChar<ParamKey>& KeyIndex() {
  static const auto index = [] {
    NamesByLastChar<ParamKey> keys;
    for (const auto& p : kParameters) keys.Add(p.key, p.name);
    return keys;
  }();
  return index;
}
inline const NamesByLastChar<SettingId>& SettingIndex() {
  static const auto index = [] {
    NamesByLastChar<SettingId> names;
    for (const SettingId id : AllSettings()) names.Add(id, Settings()[id].name);
    return names;
  }();
  return index;
}

template <class F>
void ForEachKeyBefore(std::string_view line, std::size_t eq, F&& found) {
  KeyIndex().ForEachBefore(line, eq, found);
}
template <class F>
void ForEachSettingBefore(std::string_view line, std::size_t eq, F&& found) {
  SettingIndex().ForEachBefore(line, eq, found);
}

}  // namespace conf
