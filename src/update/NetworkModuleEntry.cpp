// The network module's one entry (NetworkModule.h).

#include <QtGlobal>
#include <type_traits>

#include "update/NetworkModule.h"
#include "update/VersionFetch.h"

extern "C" Q_DECL_EXPORT bool PellistoFetchPublishedVersion(const QString& address, qint64 timeLimitMs,
                                                            QString& version) noexcept {
  return FetchPublishedVersion(address, std::chrono::milliseconds(timeLimitMs), version);
}

static_assert(std::is_same_v<decltype(&PellistoFetchPublishedVersion), FetchEntry>);
