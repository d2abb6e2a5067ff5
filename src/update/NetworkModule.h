#pragma once
// The network module (Linux): the update check's fetch (VersionFetch.h)
// built as a library of its own, which the program loads only when it
// checks for an update, from beside itself or from ../lib/pellisto/. The
// network libraries and what they bring (Kerberos, the proxy library) are
// then not loaded at every start.

#include <QString>
#include <string>

inline constexpr char kNetworkModuleName[] = "pellisto-network.so";

// What the module exports, by this name: FetchPublishedVersion.
inline constexpr char kFetchEntryName[] = "PellistoFetchPublishedVersion";
using FetchEntry = bool (*)(const QString& address, qint64 timeLimitMs, QString& version) noexcept;

// Loads the module at path and returns its entry, or null with the reason in
// refusal. The module runs with the program's rights (root's, often), so
// only one that no other user can have put there or changed is loaded: a
// regular file, named in its folder without a symbolic link, owned by root
// or by the user the program runs as and writable by no one else, in a
// folder owned and writable likewise. The file loaded is the one checked
// (through its descriptor), whatever the path names by then.
FetchEntry LoadNetworkModule(const QString& path, std::string& refusal);
