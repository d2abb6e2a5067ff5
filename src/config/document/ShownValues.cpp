#include "config/document/ShownValues.h"

#include "config/format/ConfReading.h"

namespace {

// The rule the pages were designed with.
bool DesignedFlagOn(ParamKey key, const DecodedValue& value) {
  const bool onByDefault = DefaultText(key) == "1";
  if (value.UsesDefault()) return onByDefault;
  if (value.state != ValueState::Active) return false;
  return onByDefault ? value.text == "1" : value.text != "0";
}

}  // namespace

bool ShowsDefault(const DecodedValue& value, ServerVersion v) {
  return GenerationOf(v) == Generation::V2 ? value.UsesDefault() : value.state == ValueState::Commented;
}

std::string DefaultShown(ParamKey key, ServerVersion v, bool superMode) {
  const SettingId id = SettingIdOf(key);
  if (GenerationOf(v) == Generation::V2 || !ReadBy(id, v)) return std::string(DefaultText(key));
  return DefaultValueOf(id, v, superMode);
}

bool FlagShownOn(ParamKey key, const DecodedValue& value, ServerVersion v, bool superMode) {
  if (GenerationOf(v) == Generation::V2) return DesignedFlagOn(key, value);
  const SettingId id = SettingIdOf(key);
  if (value.state != ValueState::Active) {
    if (!ReadBy(id, v)) return DesignedFlagOn(key, value);
    return ServerValueIsOn(DefaultValueOf(id, v, superMode));
  }
  return ServerValueIsOn(ServerValueOf(id, value.text, v, superMode));
}

bool ServerValueIsOn(std::string_view serverValue) { return serverValue == "true" || serverValue == "1"; }
