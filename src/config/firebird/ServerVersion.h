#pragma once
// The Firebird server versions whose firebird.conf this program reads. Each
// version stands for the last point release of its series (how a file tells
// which one it was written for: format/VersionDetection.h).

#include <array>
#include <optional>
#include <string_view>

enum class ServerVersion { V2_0, V2_1, V2_5, V3_0, V4_0, V5_0 };

inline constexpr std::array<ServerVersion, 6> kServerVersions = {
    ServerVersion::V2_0, ServerVersion::V2_1, ServerVersion::V2_5,
    ServerVersion::V3_0, ServerVersion::V4_0, ServerVersion::V5_0};

// Servers of one generation read the file with the same rules: 2.0 to 2.5
// with the old reader, 3.0 on with the one that knows suffixes, quotes,
// include and macros.
enum class Generation { V2, V3 };

inline Generation GenerationOf(ServerVersion v) {
  return v <= ServerVersion::V2_5 ? Generation::V2 : Generation::V3;
}
inline std::size_t IndexOf(ServerVersion v) { return static_cast<std::size_t>(v); }

std::string_view VersionName(ServerVersion v);  // "3.0"
std::string_view ReleaseName(ServerVersion v);  // "3.0.11", the release it stands for
// "3.0", "3", "3.0.11" and the like; nothing for a version not listed.
std::optional<ServerVersion> ParseServerVersion(std::string_view text);

// The version assumed when nothing tells.
inline constexpr ServerVersion kAssumedVersion = ServerVersion::V2_1;
