#include "config/firebird/ParameterRules.h"

#include <array>
#include <stdexcept>

#include "config/firebird/AccessPolicy.h"
#include "config/base/Text.h"

namespace {

using K = ParamKey;

// Which of the version catalogue's facts on a name its page checks, beyond
// its kind and the keywords of a keyword list: the catalogue knows ranges
// and negative values of more names than the pages were designed to check.
// kAsFlag: a number the server takes as 0 or 1 only, which the page shows
// as a check box.
enum Checks : unsigned { kKindAndKeywords = 0, kRange = 1, kNegative = 2, kAsFlag = 4 };

struct PageRow {
  ParamKey key;
  std::string_view defaultText;
  unsigned checks = kKindAndKeywords;
};

// In catalogue order.
constexpr PageRow kPageRows[] = {
    {K::RootDirectory, ""},
    {K::DatabaseAccess, "Full"},
    {K::ExternalFileAccess, "None"},
    {K::UdfAccess, "Restrict UDF"},
    {K::TempDirectories, ""},
    {K::LegacyHash, "1"},
    {K::Authentication, "mixed"},
    {K::DefaultDbCachePages, "2048"},
    {K::DatabaseGrowthIncrement, "134217728"},
    {K::MaxFileSystemCache, "65536"},
    {K::TempBlockSize, "1048576"},
    {K::TempCacheLimit, "67108864"},
    {K::OldParameterOrdering, "0"},
    {K::CompleteBooleanEvaluation, "0"},
    {K::DeadlockTimeout, "10"},
    {K::MaxUnflushedWrites, "100"},
    {K::MaxUnflushedWriteTime, "5"},
    {K::BugcheckAbort, "0"},
    {K::OldColumnNaming, "0"},
    {K::ConnectionTimeout, "180"},
    {K::DummyPacketInterval, "0"},
    {K::RemoteServiceName, "gds_db"},
    {K::RemoteServicePort, "3050"},
    {K::RemoteAuxPort, "0"},
    {K::TcpRemoteBufferSize, "8192", kRange},
    {K::TcpNoNagle, "1"},
    {K::RemoteBindAddress, ""},
    {K::LockMemSize, "1048576"},
    {K::LockSemCount, "32"},
    {K::LockGrantOrder, "1"},
    {K::LockAcquireSpins, "0"},
    {K::LockHashSlots, "1009"},
    {K::EventMemSize, "65536"},
    {K::CpuAffinityMask, "1"},
    {K::UsePriorityScheduler, "1"},
    {K::PrioritySwitchDelay, "100"},
    {K::PriorityBoost, "5"},
    {K::GCPolicy, "combined"},
    {K::GuardianOption, "1", kAsFlag},
    {K::ProcessPriorityLevel, "0", kNegative},
    {K::IpcName, "FIREBIRD"},
    {K::RemotePipeName, "interbas"},
    {K::CreateInternalWindow, "1"},
    {K::LockSignal, "16"},
    {K::RemoteFileOpenAbility, "0"},
    {K::Redirection, "0"},
};
static_assert(std::size(kPageRows) == kParameterCount);

const std::array<ParameterRule, kParameterCount>& Rules() {
  static const auto rules = [] {
    std::array<ParameterRule, kParameterCount> built{};
    for (std::size_t i = 0; i < kParameterCount; ++i) {
      const PageRow& row = kPageRows[i];
      const SettingInfo& facts = SettingInfoOf(SettingIdOf(row.key));
      const SettingKind kind = row.checks & kAsFlag ? SettingKind::Boolean : facts.kind;
      built[i] = {row.key, kind, row.defaultText, facts.keywords,
                  row.checks & kRange ? facts.range : std::nullopt, (row.checks & kNegative) && facts.negativeAllowed};
    }
    return built;
  }();
  return rules;
}

using conf::Quoted;

}  // namespace

const ParameterRule& RuleOf(ParamKey key) {
  const ParameterRule& rule = Rules()[static_cast<std::size_t>(key)];
  if (rule.key != key) throw std::logic_error("parameter rules out of catalogue order");
  return rule;
}

bool IsPlainNumber(ParamKey key, std::string_view text) {
  if (RuleOf(key).negativeAllowed && !text.empty() && text[0] == '-') text.remove_prefix(1);
  return conf::AllDigits(text);
}

long long NumberValue(std::string_view number) {
  const bool negative = !number.empty() && number[0] == '-';
  if (negative) number.remove_prefix(1);
  long long value = 0;
  for (char c : number) {
    value = value * 10 + (c - '0');
    if (value > 1'000'000'000'000LL) break;
  }
  return negative ? -value : value;
}

std::optional<std::size_t> KeywordIndex(ParamKey key, std::string_view value) {
  const auto keywords = RuleOf(key).keywords;
  for (std::size_t i = 0; i < keywords.size(); ++i)
    if (conf::EqualsIgnoringCase(value, keywords[i])) return i;
  return std::nullopt;
}

std::optional<std::string> ValueProblem(ParamKey key, std::string_view value) {
  const ParameterRule& rule = RuleOf(key);
  if (!ParameterOf(key).hasSetter) return std::string("cannot be changed");
  if (auto problem = LineTextProblem(value)) return problem;

  switch (rule.kind) {
    case SettingKind::Integer:
      if (!IsPlainNumber(key, value))
        return Quoted(value) + (rule.negativeAllowed ? " is not a whole number"
                                                     : " is not a number (digits only)");
      if (rule.range && !rule.range->Contains(NumberValue(value)))
        return RangeMessage(value, *rule.range, RangeWording::Refusal);
      return std::nullopt;
    case SettingKind::Boolean:
      if (value != "0" && value != "1") return Quoted(value) + " is not 0 or 1";
      return std::nullopt;
    case SettingKind::Keyword:
      if (!KeywordIndex(key, value))
        return Quoted(value) + " is not one of " + conf::Join(rule.keywords, ", ");
      return std::nullopt;
    case SettingKind::AccessPolicy: {
      // Written as the editor composes it: the keyword first.
      const AccessPolicy policy = ReadAccessPolicy(key, value);
      const bool readable = !value.empty() && policy.choice &&
                            (*policy.choice != PolicyChoice::Restrict || value.starts_with("Restrict"));
      if (!readable)
        return Quoted(value) + " is not Full, None" +
               (key == ParamKey::UdfAccess ? ", Restrict UDF" : "") +
               " or Restrict followed by folders";
      return std::nullopt;
    }
    case SettingKind::Text:
    case SettingKind::PluginList:
    case SettingKind::PathList:
      return std::nullopt;
  }
  return std::nullopt;
}

std::string RangeMessage(std::string_view subject, const ValueRange& range, RangeWording wording) {
  const std::string min = std::to_string(range.min), max = std::to_string(range.max);
  switch (wording) {
    case RangeWording::Finding:
      return std::string(subject) + ": outside the range " + min + " to " + max;
    case RangeWording::Refusal:
      return std::string(subject) + " is outside the range " + min + " to " + max;
    case RangeWording::Correction:
      return std::string(subject) + " must be between " + min + " and " + max;
  }
  return {};
}

std::optional<std::string> ControlCharacterIn(std::string_view text) {
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 32 || c == '\t') continue;
    return "0x" + conf::HexDigits(byte);
  }
  return std::nullopt;
}

std::optional<std::string> ControlCharacterProblem(std::string_view value) {
  if (value.find_first_of("\r\n") != std::string_view::npos)
    return std::string("a value cannot hold a line break");
  if (const auto found = ControlCharacterIn(value))
    return "a value cannot hold the control character " + *found;
  return std::nullopt;
}

std::optional<std::string> LineTextProblem(std::string_view value) {
  if (auto problem = ControlCharacterProblem(value)) return problem;
  if (value.find('#') != std::string_view::npos)
    return std::string("a value cannot hold \"#\": the server reads the rest of the line as a comment");
  return std::nullopt;
}

bool MeansTheSame(ParamKey key, std::string_view a, std::string_view b) {
  if (a == b) return true;
  switch (KindOf(key)) {
    case SettingKind::AccessPolicy: {
      const AccessPolicy first = ReadAccessPolicy(key, a), second = ReadAccessPolicy(key, b);
      return first.choice && first.choice == second.choice && first.folders == second.folders;
    }
    case SettingKind::PathList:
      return ReadFolderList(a) == ReadFolderList(b);
    default:
      return false;
  }
}

AccessPolicy ReadAccessPolicy(ParamKey key, std::string_view value) {
  const DecodedValue decoded = Decode(value);
  if (decoded.state == ValueState::Absent) return {};
  return ParseAccessPolicy(key, decoded.UsesDefault() ? DefaultText(key) : decoded.text);
}
