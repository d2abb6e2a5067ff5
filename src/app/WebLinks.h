#pragma once
// The web addresses the program opens or shows.

#include <QString>

namespace links {
// One constant per host; the paths are fixed.
inline constexpr const char* kProductHost = "https://pellisto.org";
inline constexpr const char* kFirebirdHost = "https://firebirdsql.org";
inline constexpr const char* kCommunityHost = "https://firebird.community";
}  // namespace links
QString ProductPage();
QString FirebirdDocPage();
QString PdlPage();
QString DonatePage();
QString CommunityForum();
QString CurrentVersionAddress();
// The address users write to: a mailbox at the product's host.
QString ContactAddress();
