#include "config/document/SettingValues.h"

#include <algorithm>

#include "config/format/ConfReading.h"
#include "config/base/Text.h"
#include "config/firebird/ParameterRules.h"
#include "config/firebird/ServerNumbers.h"

namespace {

using conf::Quoted;

// "true"/"false" for the words a 3.0+ flag is written with; nothing else.
std::optional<bool> FlagWord(std::string_view value) {
  for (std::string_view on : {"true", "yes", "y", "1"})
    if (conf::EqualsIgnoringCase(value, on)) return true;
  for (std::string_view off : {"false", "no", "n", "0"})
    if (conf::EqualsIgnoringCase(value, off)) return false;
  return std::nullopt;
}

std::optional<std::string_view> Keyword(const SettingInfo& s, std::string_view value) {
  for (std::string_view k : s.keywords)
    if (conf::EqualsIgnoringCase(value, k)) return k;
  return std::nullopt;
}

// Digits, "-" first where the name has negative values, and on 3.0+ one
// k, m or g after them.
std::optional<long long> WrittenNumber(const SettingInfo& s, std::string_view value, bool v3) {
  std::string_view digits = value;
  if (s.negativeAllowed && digits.starts_with('-')) digits.remove_prefix(1);
  if (v3 && !digits.empty() && std::string_view("kKmMgG").find(digits.back()) != std::string_view::npos)
    digits.remove_suffix(1);
  if (!conf::AllDigits(digits)) return std::nullopt;
  return v3 ? StrictInteger(value) : std::optional<long long>(LeadingInteger(value));
}

}  // namespace

std::optional<std::string> WriteProblem(SettingId id, std::string_view value, ServerVersion v) {
  const SettingInfo& s = SettingInfoOf(id);
  const std::optional<ParamKey> key = ParamKeyOf(id);
  const bool v3 = GenerationOf(v) == Generation::V3;
  if (!ReadBy(id, v)) return NotReadMessage(s.name, id, v);
  // The editor's parameters keep their rules on the files they were made for.
  if (key && (!v3 || !ParameterOf(*key).hasSetter)) {
    if (auto problem = ValueProblem(*key, value)) return problem;
    return NumberWidthProblem(id, value, v);
  }
  if (auto problem = LineTextProblem(value)) return problem;
  if (v3) {
    if (value.find('"') != std::string_view::npos)
      return std::string("a value cannot hold a quote: the server takes quotes away or refuses the file");
    if (value.find("$(") != std::string_view::npos)
      return std::string("a value cannot hold \"$(\": the server reads it as a macro");
    if (value.find("{{") != std::string_view::npos || value.find("}}") != std::string_view::npos)
      return std::string("a value cannot hold \"{{\" or \"}}\": the server reads them as one brace");
  }
  switch (s.kind) {
    case SettingKind::Integer: {
      const auto n = WrittenNumber(s, value, v3);
      if (!n)
        return Quoted(value) + (v3 ? " is not a number (digits, with k, m or g after them)"
                                   : " is not a number (digits only)");
      if (s.range && ReadInteger(value, v).exact && !s.range->Contains(*n))
        return RangeMessage(value, *s.range, RangeWording::Refusal);
      return NumberWidthProblem(id, value, v);
    }
    case SettingKind::Boolean:
      if (v3 ? !FlagWord(value) : value != "0" && value != "1")
        return Quoted(value) + (v3 ? " is not true or false" : " is not 0 or 1");
      return std::nullopt;
    case SettingKind::Keyword:
      if (!Keyword(s, value) && !(value.empty() && DefaultOf(id, v).empty()))
        return Quoted(value) + " is not one of " + conf::Join(s.keywords, ", ");
      return std::nullopt;
    case SettingKind::AccessPolicy:
      return key ? ValueProblem(*key, value) : std::nullopt;
    case SettingKind::Text:
    case SettingKind::PluginList:
    case SettingKind::PathList:
      return std::nullopt;
  }
  return std::nullopt;
}

std::optional<std::string> NumberWidthProblem(SettingId id, std::string_view value, ServerVersion v) {
  if (SettingInfoOf(id).kind != SettingKind::Integer) return std::nullopt;
  std::string_view digits = value;
  if (digits.starts_with('-')) digits.remove_prefix(1);
  if (GenerationOf(v) == Generation::V2 && !conf::AllDigits(digits)) return std::nullopt;
  const ReadNumber n = ReadInteger(value, v);
  ValueRange exact = ExactRange(id, v);
  if (!n.valid || (n.exact && exact.Contains(n.stored))) return std::nullopt;
  // The bound named is the nearer one, the name's own range or the type's.
  if (const auto& range = SettingInfoOf(id).range) exact = {std::max(exact.min, range->min), std::min(exact.max, range->max)};
  const bool below = n.exact ? n.stored < exact.min : value.starts_with('-');
  return Quoted(value) + " is not kept as written by Firebird " + std::string(VersionName(v)) + ", which holds it in " +
         std::string(ExactRangeName(id, v)) + ": the " + (below ? "smallest" : "largest") + " value accepted is " +
         std::to_string(below ? exact.min : exact.max);
}

std::string WrittenForm(SettingId id, std::string_view value, ServerVersion v) {
  const SettingInfo& s = SettingInfoOf(id);
  if (s.kind == SettingKind::Keyword)
    if (const auto k = Keyword(s, value)) return std::string(*k);
  if (s.kind == SettingKind::Boolean && GenerationOf(v) == Generation::V3)
    if (const auto on = FlagWord(value)) return *on ? "true" : "false";
  return std::string(value);
}
