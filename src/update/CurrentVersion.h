#pragma once
// The version published on the product's web site: a small XML document
// <Pellisto><CurrentVersion>0.2.0.3</CurrentVersion></Pellisto>, fetched
// synchronously, and the rule that compares it with the running version.
// No widgets here: the dialog and the start-up check build on it. The fetch
// itself is in VersionFetch.h.

#include <QString>
#include <chrono>

#include "update/VersionFetch.h"

// What every caller compares with to recognise a failed fetch.
inline constexpr const char* kConnectionFailed = "Connection Failed";

// The published version, blanks around it removed, or exactly
// kConnectionFailed when it cannot be had or is not a dotted version.
// Never throws.
QString FetchCurrentVersion(const QString& address,
                            std::chrono::milliseconds timeLimit = kVersionFetchTimeLimit);
// The same, from the platform's version document address.
QString FetchCurrentVersion();

// --- comparing versions ---

// True for dotted decimal numbers ("0.2.0.3", "1", "0.10"), blanks around
// them allowed.
bool IsVersionText(const QString& text);

// What a published version means for the running one. Versions compare
// numerically part by part, a missing part counting as 0. A running
// version that is not known (empty) makes every published version new.
enum class UpdateOutcome { ConnectionFailed, NewVersion, NoNewUpdates };
UpdateOutcome JudgeCurrentVersion(const QString& published, const QString& running);
