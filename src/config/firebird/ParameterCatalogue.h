#pragma once
// The 46 Firebird 2.x server parameters this editor knows, in catalogue order.
// Everything that repeats per parameter (value fields, properties, setters) is
// generated from this one list.

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

// P(Key): a parameter with a setter; R(Key): a read-only parameter.
#define PELLISTO_PARAMETERS(P, R) \
  P(RootDirectory)                \
  P(DatabaseAccess)               \
  P(ExternalFileAccess)           \
  P(UdfAccess)                    \
  P(TempDirectories)              \
  P(LegacyHash)                   \
  P(Authentication)               \
  P(DefaultDbCachePages)          \
  P(DatabaseGrowthIncrement)      \
  P(MaxFileSystemCache)           \
  P(TempBlockSize)                \
  P(TempCacheLimit)               \
  P(OldParameterOrdering)         \
  P(CompleteBooleanEvaluation)    \
  P(DeadlockTimeout)              \
  P(MaxUnflushedWrites)           \
  P(MaxUnflushedWriteTime)        \
  P(BugcheckAbort)                \
  P(OldColumnNaming)              \
  P(ConnectionTimeout)            \
  R(DummyPacketInterval)          \
  P(RemoteServiceName)            \
  P(RemoteServicePort)            \
  P(RemoteAuxPort)                \
  P(TcpRemoteBufferSize)          \
  P(TcpNoNagle)                   \
  P(RemoteBindAddress)            \
  P(LockMemSize)                  \
  P(LockSemCount)                 \
  P(LockGrantOrder)               \
  P(LockAcquireSpins)             \
  P(LockHashSlots)                \
  P(EventMemSize)                 \
  P(CpuAffinityMask)              \
  P(UsePriorityScheduler)         \
  P(PrioritySwitchDelay)          \
  P(PriorityBoost)                \
  P(GCPolicy)                     \
  P(GuardianOption)               \
  P(ProcessPriorityLevel)         \
  P(IpcName)                      \
  P(RemotePipeName)               \
  P(CreateInternalWindow)         \
  P(LockSignal)                   \
  P(RemoteFileOpenAbility)        \
  P(Redirection)

enum class ParamKey : std::size_t {
#define PELLISTO_ENUM(Key) Key,
  PELLISTO_PARAMETERS(PELLISTO_ENUM, PELLISTO_ENUM)
#undef PELLISTO_ENUM
};

struct ParameterInfo {
  ParamKey key;
  std::string_view name;  // exactly as written in firebird.conf
  bool hasSetter;
};

inline constexpr std::size_t kParameterCount = 46;

// The catalogue, in catalogue order.
extern const std::array<ParameterInfo, kParameterCount> kParameters;

inline const ParameterInfo& ParameterOf(ParamKey key) {
  return kParameters[static_cast<std::size_t>(key)];
}
inline std::string_view KeyName(ParamKey key) { return ParameterOf(key).name; }

// Case-sensitive lookup by name, as keys are matched in the file.
std::optional<ParamKey> FindKey(std::string_view name);

// The key nearest to a name by edit distance, ignoring case (the first in
// catalogue order on a tie), with that distance. Keys farther than "within"
// are not looked at closely; when none is nearer, the distance is within + 1.
struct NearestKey {
  ParamKey key;
  std::size_t distance;
};
NearestKey ClosestKey(std::string_view name, std::size_t within = static_cast<std::size_t>(-1));
