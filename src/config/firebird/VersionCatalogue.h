#pragma once
// Every parameter name a Firebird server from 2.0 to 5.0 reads from
// firebird.conf (100 of them): its kind, and for each version whether that
// server reads it and the value it uses when the file does not set it. The 46
// parameters of the editor's pages are among them.

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "config/firebird/ParameterCatalogue.h"
#include "config/firebird/ServerVersion.h"

enum class SettingKind {
  Integer,       // 2.x: leading digits; 3.0+: digits with one k, m or g
  Boolean,       // 2.x: a non-zero number; 3.0+: also true, yes, y
  Keyword,       // one word of a list
  Text,          // free text
  PluginList,    // plugin names separated by commas, blanks or semicolons
  AccessPolicy,  // Full, None, Restrict <folders> (UdfAccess: also Restrict UDF)
  PathList,      // folders joined by ";"
};
std::string_view SettingKindName(SettingKind kind);  // "integer", "boolean", ...

// The values a number may take, both ends included.
struct ValueRange {
  long long min;
  long long max;
  bool Contains(long long n) const { return n >= min && n <= max; }
};

// What one version does with a name.
struct VersionDefault {
  bool read = false;
  // The built-in value for this platform; 3.0+ in Super mode, 2.x as the
  // SuperServer build has it. Integers in plain digits, booleans "true" or
  // "false".
  std::string_view value = {};
  // 3.0+: the value in the other server modes, where it differs.
  std::string_view otherModes = {};
};

struct SettingInfo {
  std::string_view name;  // as the shipped files write it
  SettingKind kind;
  std::array<VersionDefault, 6> versions;  // by IndexOf(ServerVersion)
  std::span<const std::string_view> keywords = {};
  std::optional<ValueRange> range = std::nullopt;
  bool negativeAllowed = false;  // a negative number means something
};

inline constexpr std::size_t kSettingCount = 100;
// One name of the catalogue, by its place in Settings(): a type of its own,
// never taken for a count, a line or one of the 46.
enum class SettingId : std::size_t {};
inline constexpr std::size_t Index(SettingId id) { return static_cast<std::size_t>(id); }
// Every name of the catalogue, in order: for (SettingId id : AllSettings()).
// (A loop of its own: clang 14 cannot compile libstdc++ 12's views.)
struct SettingIds {
  struct Iterator {
    std::size_t at;
    SettingId operator*() const { return SettingId{at}; }
    Iterator& operator++() {
      ++at;
      return *this;
    }
    bool operator!=(const Iterator& other) const { return at != other.at; }
  };
  Iterator begin() const { return {0}; }
  Iterator end() const { return {kSettingCount}; }
};
inline constexpr SettingIds AllSettings() { return {}; }

// One T per catalogue name, indexed by SettingId.
template <class T>
struct PerSetting : std::array<T, kSettingCount> {
  using std::array<T, kSettingCount>::operator[];
  T& operator[](SettingId id) { return (*this)[Index(id)]; }
  const T& operator[](SettingId id) const { return (*this)[Index(id)]; }
};

// In order of name.
const PerSetting<SettingInfo>& Settings();
inline const SettingInfo& SettingInfoOf(SettingId id) { return Settings()[id]; }

// The name, compared ignoring case as every server does.
std::optional<SettingId> FindSetting(std::string_view name);
// The entry of one of the editor's 46 parameters, and back.
SettingId SettingIdOf(ParamKey key);
std::optional<ParamKey> ParamKeyOf(SettingId id);

inline bool ReadBy(SettingId id, ServerVersion v) { return SettingInfoOf(id).versions[IndexOf(v)].read; }

// The names a version reads: the editor's parameters in their order first,
// then the others by name.
std::vector<SettingId> SettingsReadBy(ServerVersion v);

// Whether a ServerMode value runs the server as Super (one shared cache):
// Super and ThreadedDedicated, or a value not understood.
bool IsSuperMode(std::string_view serverMode);

// The value a version uses when the file does not set the name; empty for a
// name it does not read. superMode: see IsSuperMode (2.x ignores it).
std::string_view DefaultOf(SettingId id, ServerVersion v, bool superMode = true);

// Why a version does not read a name: the first version after the last one
// before it that read the name (removed in), else the first later version
// that reads it (added in); nothing for a name it reads, or one no version
// reads.
struct NotReadCause {
  bool removed;  // else added
  ServerVersion in;
};
std::optional<NotReadCause> WhyNotRead(SettingId id, ServerVersion v);
// The same in words: "removed in 3.0", "added in 4.0". Empty for a name it
// reads.
std::string NotReadReason(SettingId id, ServerVersion v);

// "<subject> is not read by Firebird 3.0 (removed in 3.0)", the subject
// being the name as the message writes it.
std::string NotReadMessage(std::string_view subject, SettingId id, ServerVersion v);
// "unknown parameter "<name>"", and "; did you mean <Name>?" when a name the
// version reads is close to it (CloseSetting).
std::string UnknownNameMessage(std::string_view name, ServerVersion v);

// The name nearest to the given one by edit distance, ignoring case, when it
// is close enough to be a slip of the keyboard.
std::optional<SettingId> CloseSetting(std::string_view name);
