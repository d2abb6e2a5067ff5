#include "config/firebird/VersionCatalogue.h"

#include <algorithm>
#include <stdexcept>

#include "config/base/Text.h"

namespace {

using Kind = SettingKind;
using VD = VersionDefault;

constexpr VD N{};  // not read
constexpr VD D(std::string_view v) { return {true, v}; }
// Super mode, other modes.
constexpr VD M(std::string_view super, std::string_view other) { return {true, super, other}; }
// POSIX builds, Windows builds.
constexpr VD P([[maybe_unused]] std::string_view posix, [[maybe_unused]] std::string_view windows) {
#ifdef _WIN32
  return {true, windows};
#else
  return {true, posix};
#endif
}
// The same value in every version.
constexpr std::array<VD, 6> All(std::string_view v) { return {D(v), D(v), D(v), D(v), D(v), D(v)}; }

constexpr std::string_view kAuthentication[] = {"mixed", "native", "trusted"};
constexpr std::string_view kGCPolicy[] = {"cooperative", "background", "combined"};
constexpr std::string_view kServerMode[] = {"Super",   "ThreadedDedicated", "SuperClassic",
                                            "ThreadedShared", "Classic",    "MultiProcess"};
constexpr std::string_view kWireCrypt[] = {"Disabled", "Enabled", "Required"};
constexpr std::string_view kDataTypeCompatibility[] = {"3.0", "2.5"};

// Columns: 2.0, 2.1, 2.5, 3.0, 4.0, 5.0 (the last release of each series).
// Where the sources disagree, the server's own source decides.
const PerSetting<SettingInfo> kSettings = {{{
    {"AllowEncryptedSecurityDatabase", Kind::Boolean, {N, N, N, D("false"), D("false"), D("false")}},
    {"AllowUpdateOverwrite", Kind::Boolean, {N, N, N, N, N, D("true")}},
    {"AuditTraceConfigFile", Kind::Text, {N, N, D(""), D(""), D(""), D("")}},
    {"AuthClient", Kind::PluginList,
     {N, N, N, P("Srp, Srp256, Legacy_Auth", "Srp, Srp256, Win_Sspi, Legacy_Auth"),
      P("Srp256, Srp, Legacy_Auth", "Srp256, Srp, Win_Sspi, Legacy_Auth"),
      P("Srp256, Srp, Legacy_Auth", "Srp256, Srp, Win_Sspi, Legacy_Auth")}},
    {"Authentication", Kind::Keyword, {N, D("native"), D("native"), N, N, N}, kAuthentication},
    {"AuthServer", Kind::PluginList, {N, N, N, D("Srp"), D("Srp256"), D("Srp256")}},
    {"BugcheckAbort", Kind::Boolean, All("false")},
    {"ClearGTTAtRetaining", Kind::Boolean, {N, N, N, D("true"), D("false"), N}},
    {"ClientBatchBuffer", Kind::Integer, {N, N, N, N, D("131072"), D("131072")}},
    {"CompleteBooleanEvaluation", Kind::Boolean, {D("false"), D("false"), D("false"), N, N, N}},
    {"ConnectionIdleTimeout", Kind::Integer, {N, N, N, N, D("0"), D("0")}},
    {"ConnectionTimeout", Kind::Integer, All("180")},
    {"CpuAffinityMask", Kind::Integer, {D("1"), D("1"), D("1"), D("0"), D("0"), D("0")}},
    {"CreateInternalWindow", Kind::Boolean, {N, D("true"), N, N, N, N}},
    {"DatabaseAccess", Kind::AccessPolicy, All("Full")},
    {"DatabaseGrowthIncrement", Kind::Integer,
     {N, D("134217728"), D("134217728"), D("134217728"), D("134217728"), D("134217728")}},
    {"DataTypeCompatibility", Kind::Keyword, {N, N, N, N, D(""), D("")}, kDataTypeCompatibility},
    {"DeadlockTimeout", Kind::Integer, All("10")},
    {"DefaultDbCachePages", Kind::Integer,
     {D("2048"), D("2048"), D("2048"), M("2048", "256"), M("2048", "256"), M("2048", "256")}},
    {"DefaultProfilerPlugin", Kind::Text, {N, N, N, N, N, D("Default_Profiler")}},
    {"DefaultTimeZone", Kind::Text, {N, N, N, N, D(""), D("")}},
    {"DummyPacketInterval", Kind::Integer, All("0")},
    {"EventMemSize", Kind::Integer, All("65536")},
    {"ExtConnPoolLifeTime", Kind::Integer, {N, N, N, N, D("7200"), D("7200")}},
    {"ExtConnPoolSize", Kind::Integer, {N, N, N, N, D("0"), D("0")}, {}, ValueRange{0, 1000}},
    {"ExternalFileAccess", Kind::AccessPolicy, All("None")},
    {"FileSystemCacheSize", Kind::Integer, {N, N, D("0"), D("0"), D("0"), D("0")}, {}, ValueRange{0, 95}},
    {"FileSystemCacheThreshold", Kind::Integer, {N, N, D("65536"), D("65536"), D("65536"), D("65536")}},
    {"GCPolicy", Kind::Keyword,
     {D("combined"), D("combined"), D("combined"), M("combined", "cooperative"),
      M("combined", "cooperative"), M("combined", "cooperative")},
     kGCPolicy},
    {"GuardianOption", Kind::Integer, All("1"), {}, ValueRange{0, 1}},
    {"InlineSortThreshold", Kind::Integer, {N, N, N, N, D("1000"), D("1000")}},
    {"IpcName", Kind::Text,
     {P("FirebirdIPI", "FIREBIRD"), P("FirebirdIPI", "FIREBIRD"), P("FirebirdIPI", "FIREBIRD"),
      P("FirebirdIPI", "FIREBIRD"), P("FirebirdIPI", "FIREBIRD"), P("FirebirdIPI", "FIREBIRD")}},
    {"IPv6V6Only", Kind::Boolean, {N, N, N, D("false"), D("false"), D("false")}},
    {"KeyHolderPlugin", Kind::PluginList, {N, N, N, D(""), D(""), D("")}},
    {"LegacyDatabaseFileId", Kind::Boolean, {N, N, N, D("true"), N, N}},
    {"LegacyHash", Kind::Boolean, All("true")},
    {"LockAcquireSpins", Kind::Integer, All("0")},
    {"LockGrantOrder", Kind::Boolean, {D("true"), D("true"), D("true"), N, N, N}},
    {"LockHashSlots", Kind::Integer, {D("101"), D("1009"), D("1009"), D("8191"), D("8191"), D("8191")}},
    {"LockMemSize", Kind::Integer,
     {D("262144"), D("1048576"), D("1048576"), D("1048576"), D("1048576"), D("1048576")}},
    {"LockSemCount", Kind::Integer, {D("32"), D("32"), N, N, N, N}},
    {"LockSignal", Kind::Integer, {D("16"), D("16"), N, N, N, N}},
    {"MaxFileSystemCache", Kind::Integer, {N, D("65536"), N, N, N, N}},
    {"MaxIdentifierByteLength", Kind::Integer, {N, N, N, N, D("252"), D("252")}, {}, ValueRange{1, 252}},
    {"MaxIdentifierCharLength", Kind::Integer, {N, N, N, N, D("63"), D("63")}, {}, ValueRange{1, 63}},
    {"MaxParallelWorkers", Kind::Integer, {N, N, N, N, N, D("1")}, {}, ValueRange{1, 64}},
    {"MaxStatementCacheSize", Kind::Integer, {N, N, N, N, N, D("2097152")}},
    {"MaxUnflushedWrites", Kind::Integer,
     {P("-1", "100"), P("-1", "100"), P("-1", "100"), P("-1", "100"), P("-1", "100"), P("-1", "100")},
     {}, std::nullopt, true},
    {"MaxUnflushedWriteTime", Kind::Integer,
     {P("-1", "5"), P("-1", "5"), P("-1", "5"), P("-1", "5"), P("-1", "5"), P("-1", "5")},
     {}, std::nullopt, true},
    {"MaxUserTraceLogSize", Kind::Integer, {N, N, D("10"), D("10"), D("10"), D("10")}},
    {"OldColumnNaming", Kind::Boolean, {D("false"), D("false"), D("false"), N, N, N}},
    {"OldParameterOrdering", Kind::Boolean, {D("false"), D("false"), N, N, N, N}},
    {"OldSetClauseSemantics", Kind::Boolean, {N, N, D("false"), N, N, N}},
    {"OnDisconnectTriggerTimeout", Kind::Integer, {N, N, N, N, D("180"), D("180")}},
    {"OptimizeForFirstRows", Kind::Boolean, {N, N, N, N, N, D("false")}},
    {"OuterJoinConversion", Kind::Boolean, {N, N, N, N, N, D("true")}},
    {"OutputRedirectionFile", Kind::Text, {N, N, N, N, P("/dev/null", "nul"), P("/dev/null", "nul")}},
    {"ParallelWorkers", Kind::Integer, {N, N, N, N, N, D("1")}},
    {"PriorityBoost", Kind::Integer, {D("5"), D("5"), D("5"), N, N, N}, {}, ValueRange{1, 1000}},
    {"PrioritySwitchDelay", Kind::Integer, {D("100"), D("100"), D("100"), N, N, N}},
    {"ProcessPriorityLevel", Kind::Integer, All("0"), {}, std::nullopt, true},
    {"Providers", Kind::PluginList,
     {N, N, N, D("Remote, Engine12, Loopback"), D("Remote, Engine13, Loopback"),
      D("Remote, Engine13, Loopback")}},
    {"ReadConsistency", Kind::Boolean, {N, N, N, N, D("true"), D("true")}},
    {"Redirection", Kind::Boolean, All("false")},
    {"RelaxedAliasChecking", Kind::Boolean, All("false")},
    {"RemoteAccess", Kind::Boolean, {N, N, N, D("true"), D("true"), D("true")}},
    {"RemoteAuxPort", Kind::Integer, All("0"), {}, ValueRange{0, 65535}},
    {"RemoteBindAddress", Kind::Text, All("")},
    {"RemoteFileOpenAbility", Kind::Boolean, All("false")},
    {"RemotePipeName", Kind::Text,
     {D("interbas"), D("interbas"), D("interbas"), D("interbas"), D("interbas"), N}},
    {"RemoteServiceName", Kind::Text, All("gds_db")},
    // 0: the port comes from RemoteServiceName.
    {"RemoteServicePort", Kind::Integer, All("0"), {}, ValueRange{0, 65535}},
    {"RootDirectory", Kind::Text, {D(""), D(""), D(""), N, N, N}},
    {"SecurityDatabase", Kind::Text,
     {N, N, N, D("$(dir_secDb)/security3.fdb"), D("$(dir_secDb)/security4.fdb"),
      D("$(dir_secDb)/security5.fdb")}},
    {"ServerMode", Kind::Keyword, {N, N, N, D("Super"), D("Super"), D("Super")}, kServerMode},
    {"SnapshotsMemSize", Kind::Integer, {N, N, N, N, D("65536"), D("65536")}},
    {"SolarisStallValue", Kind::Integer, {D("60"), D("60"), N, N, N, N}},
    {"SortMemBlockSize", Kind::Integer, {D("1048576"), N, N, N, N, N}},
    {"SortMemUpperLimit", Kind::Integer, {D("67108864"), N, N, N, N, N}},
    {"StatementTimeout", Kind::Integer, {N, N, N, N, D("0"), D("0")}},
    {"SubQueryConversion", Kind::Boolean, {N, N, N, N, N, D("false")}},
    {"TcpLoopbackFastPath", Kind::Boolean, {N, N, N, D("false"), D("false"), N}},
    {"TcpNoNagle", Kind::Boolean, All("true")},
    {"TcpRemoteBufferSize", Kind::Integer, All("8192"), {}, ValueRange{1448, 32767}},
    {"TempBlockSize", Kind::Integer,
     {N, D("1048576"), D("1048576"), D("1048576"), D("1048576"), D("1048576")}},
    {"TempCacheLimit", Kind::Integer,
     {N, D("67108864"), D("67108864"), M("67108864", "8388608"), M("67108864", "8388608"),
      M("67108864", "8388608")}},
    {"TempDirectories", Kind::PathList, All("")},
    {"TempTableDirectory", Kind::Text, {N, N, N, N, D(""), D("")}},
    {"TipCacheBlockSize", Kind::Integer, {N, N, N, N, D("4194304"), D("4194304")}},
    {"TraceDSQL", Kind::Integer, {D("0"), D("0"), N, D("0"), D("0"), D("0")}},
    {"TraceMemoryPools", Kind::Boolean, {D("false"), D("false"), N, N, N, N}},
    {"TracePlugin", Kind::PluginList, {N, N, N, D("fbtrace"), D("fbtrace"), D("fbtrace")}},
    {"UdfAccess", Kind::AccessPolicy,
     {D("Restrict UDF"), D("Restrict UDF"), D("Restrict UDF"), D("Restrict UDF"), D("None"), D("None")}},
    {"UseFileSystemCache", Kind::Boolean, {N, N, N, N, D("true"), D("true")}},
    {"UseLegacyKernelObjectsNames", Kind::Boolean, {N, N, N, N, D("false"), N}},
    {"UsePriorityScheduler", Kind::Boolean, {D("true"), D("true"), D("true"), N, N, N}},
    {"UserManager", Kind::PluginList, {N, N, N, D("Srp"), D("Srp"), D("Srp")}},
    {"WireCompression", Kind::Boolean, {N, N, N, D("false"), D("false"), D("false")}},
    {"WireCrypt", Kind::Keyword, {N, N, N, D("Required"), D("Required"), D("Required")}, kWireCrypt},
    {"WireCryptPlugin", Kind::PluginList,
     {N, N, N, D("Arc4"), D("ChaCha64, ChaCha, Arc4"), D("ChaCha64, ChaCha, Arc4")}},
}}};

// Names looked up ignoring case: an open-addressing table over the lower-case
// names, so that a lookup neither allocates nor compares more than once or
// twice.
class NameIndex {
 public:
  static const NameIndex& Get() {
    static const NameIndex index;
    return index;
  }
  std::optional<SettingId> Find(std::string_view name) const {
    if (name.empty() || name.size() > kLongest) return std::nullopt;
    for (std::size_t slot = Hash(name) & kMask;; slot = (slot + 1) & kMask) {
      const int id = slots_[slot];
      if (id < 0) return std::nullopt;
      if (conf::EqualsIgnoringCase(kSettings[static_cast<std::size_t>(id)].name, name))
        return static_cast<SettingId>(id);
    }
  }

 private:
  static constexpr std::size_t kSlots = 512;
  static constexpr std::size_t kMask = kSlots - 1;
  static constexpr std::size_t kLongest = 40;
  NameIndex() {
    slots_.fill(-1);
    for (std::size_t id = 0; id < kSettings.size(); ++id) {
      std::size_t slot = Hash(kSettings[id].name) & kMask;
      while (slots_[slot] >= 0) slot = (slot + 1) & kMask;
      slots_[slot] = static_cast<int>(id);
    }
  }
  static std::size_t Hash(std::string_view name) {
    std::size_t h = 2166136261u;
    for (char c : name) h = (h ^ static_cast<unsigned char>(conf::AsciiLower(c))) * 16777619u;
    return h ^ (h >> 15);
  }
  std::array<int, kSlots> slots_;
};

struct KeyLinks {
  std::array<SettingId, kParameterCount> settingOf{};
  PerSetting<std::optional<ParamKey>> keyOf{};
  KeyLinks() {
    for (const auto& p : kParameters) {
      const auto id = NameIndex::Get().Find(p.name);
      if (!id || kSettings[*id].name != p.name)
        throw std::logic_error("parameter without a catalogue entry");
      settingOf[static_cast<std::size_t>(p.key)] = *id;
      keyOf[*id] = p.key;
    }
  }
  static const KeyLinks& Get() {
    static const KeyLinks links;
    return links;
  }
};

}  // namespace

std::string_view SettingKindName(SettingKind kind) {
  switch (kind) {
    case Kind::Integer:
      return "integer";
    case Kind::Boolean:
      return "boolean";
    case Kind::Keyword:
      return "keyword";
    case Kind::Text:
      return "text";
    case Kind::PluginList:
      return "plugin list";
    case Kind::AccessPolicy:
      return "access policy";
    case Kind::PathList:
      return "folder list";
  }
  return "";
}

const PerSetting<SettingInfo>& Settings() { return kSettings; }

std::optional<SettingId> FindSetting(std::string_view name) { return NameIndex::Get().Find(name); }

SettingId SettingIdOf(ParamKey key) {
  return KeyLinks::Get().settingOf[static_cast<std::size_t>(key)];
}

std::optional<ParamKey> ParamKeyOf(SettingId id) { return KeyLinks::Get().keyOf[id]; }

std::vector<SettingId> SettingsReadBy(ServerVersion v) {
  std::vector<SettingId> ids;
  for (const auto& p : kParameters)
    if (ReadBy(SettingIdOf(p.key), v)) ids.push_back(SettingIdOf(p.key));
  for (const SettingId id : AllSettings())
    if (ReadBy(id, v) && !ParamKeyOf(id)) ids.push_back(id);
  return ids;
}

bool IsSuperMode(std::string_view serverMode) {
  for (std::string_view other : {"SuperClassic", "ThreadedShared", "Classic", "MultiProcess"})
    if (conf::EqualsIgnoringCase(serverMode, other)) return false;
  return true;
}

std::string_view DefaultOf(SettingId id, ServerVersion v, bool superMode) {
  const VersionDefault& d = kSettings[id].versions[IndexOf(v)];
  if (!superMode && GenerationOf(v) == Generation::V3 && !d.otherModes.empty()) return d.otherModes;
  return d.value;
}

std::optional<NotReadCause> WhyNotRead(SettingId id, ServerVersion v) {
  if (ReadBy(id, v)) return std::nullopt;
  const std::size_t at = IndexOf(v);
  // The last version before this one that read it: removed right after it.
  for (std::size_t i = at; i-- > 0;)
    if (kSettings[id].versions[i].read) return NotReadCause{true, kServerVersions[i + 1]};
  for (std::size_t i = at + 1; i < kServerVersions.size(); ++i)
    if (kSettings[id].versions[i].read) return NotReadCause{false, kServerVersions[i]};
  return std::nullopt;
}

std::string NotReadReason(SettingId id, ServerVersion v) {
  if (ReadBy(id, v)) return {};
  const auto cause = WhyNotRead(id, v);
  if (!cause) return "not read by any version";
  return (cause->removed ? "removed in " : "added in ") + std::string(VersionName(cause->in));
}

std::string NotReadMessage(std::string_view subject, SettingId id, ServerVersion v) {
  return std::string(subject) + " is not read by Firebird " + std::string(VersionName(v)) + " (" +
         NotReadReason(id, v) + ")";
}

std::string UnknownNameMessage(std::string_view name, ServerVersion v) {
  std::string message = "unknown parameter " + conf::Quoted(name);
  if (const auto close = CloseSetting(name); close && ReadBy(*close, v))
    message += "; did you mean " + std::string(SettingInfoOf(*close).name) + "?";
  return message;
}

std::optional<SettingId> CloseSetting(std::string_view name) {
  // Close: a few slips of the keyboard, and fewer than half the letters typed.
  constexpr std::size_t kNear = 3;
  std::optional<SettingId> best;
  std::size_t bestDistance = kNear + 1;
  for (const SettingId id : AllSettings()) {
    const std::string_view candidate = kSettings[id].name;
    const std::size_t gap = candidate.size() > name.size() ? candidate.size() - name.size()
                                                           : name.size() - candidate.size();
    if (gap >= bestDistance) continue;
    const std::size_t distance = conf::EditDistanceIgnoringCase(name, candidate, bestDistance);
    if (distance < bestDistance) {
      bestDistance = distance;
      best = id;
    }
  }
  if (best && bestDistance * 2 < name.size()) return best;
  return std::nullopt;
}
