#include "config/firebird/ServerNumbers.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The types the servers keep a number in after reading it.
enum class Width {
  Int32,   // int: most getters, and everything 2.x reads (atoi)
  UInt32,  // ULONG, unsigned int
  UInt16,  // unsigned short: a TCP port
  Int64,   // the reader's own 64 bits, kept
  UInt64,  // FB_UINT64
  MiBIn32, // MiB, turned into bytes in a 32-bit field (MaxUserTraceLogSize, 4.0+)
};

long long Narrow(long long v, Width w) {
  switch (w) {
    case Width::Int32:
      return static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
    case Width::UInt32:
      return static_cast<std::uint32_t>(v);
    case Width::UInt16:
      return static_cast<std::uint16_t>(v);
    case Width::MiBIn32:
      return static_cast<long long>((static_cast<std::uint64_t>(v) << 20 & 0xFFFFFFFFu) >> 20);
    case Width::Int64:
    case Width::UInt64:
      break;
  }
  return v;
}

ValueRange RangeOf(Width w) {
  switch (w) {
    case Width::Int32:
      return {INT32_MIN, INT32_MAX};
    case Width::UInt32:
      return {0, UINT32_MAX};
    case Width::UInt16:
      return {0, UINT16_MAX};
    case Width::MiBIn32:
      return {0, 4095};
    case Width::Int64:
      return {LLONG_MIN, LLONG_MAX};
    case Width::UInt64:
      return {0, LLONG_MAX};
  }
  return {LLONG_MIN, LLONG_MAX};
}

// The server's memory page, to which 5.0.4 rounds its shared memory.
#ifdef _WIN32
constexpr long long kPage = 65536;  // the allocation granularity
#else
constexpr long long kPage = 4096;
#endif

long long RoundUp(long long v, long long to) { return (v + to - 1) / to * to; }

using Adjust = long long (*)(long long, const NumberContext&);

// One name in some versions: the type its getter returns, and the
// adjustments. before runs on the 64-bit value (4.0+ checkValues), after on
// the narrowed one (3.0 getters, and the code that uses the value).
struct Rule {
  std::string_view name;
  unsigned versions;  // bit IndexOf(v)
  Width width;
  Adjust before;
  Adjust after;
  std::string_view why;
};

constexpr unsigned V20 = 1, V21 = 2, V25 = 4, V30 = 8, V40 = 16, V50 = 32;
constexpr unsigned V2x = V20 | V21 | V25, V45 = V40 | V50;

long long ModeDefault(const NumberContext& c, long long super, long long other) {
  return c.superMode ? super : other;
}

// The first row of a name that covers the version is the one that applies.
const Rule kRules[] = {
    {"LockMemSize", V30, Width::Int32, nullptr, [](long long v, const NumberContext&) { return std::max(v, 262144LL); },
     "raised to its least, 262144, by release 3.0.11; Debian's 3.0.11.33637 build and 3.0.10 and older "
     "raise it to 65536 only"},
    {"LockMemSize", V40, Width::UInt32, [](long long v, const NumberContext&) { return std::max(v, 262144LL); },
     nullptr, "raised to its least, 262144"},
    {"LockMemSize", V50, Width::UInt32, [](long long v, const NumberContext&) { return std::max(v, 262144LL); },
     [](long long v, const NumberContext&) { return RoundUp(static_cast<std::uint32_t>(v), kPage); },
     "raised to its least, 262144, and rounded up to a whole memory page"},
    {"LockHashSlots", V20, Width::Int32, nullptr,
     [](long long v, const NumberContext&) { return std::clamp(v, 101LL, 2048LL); },
     "kept within 101 to 2048 by the lock manager"},
    {"LockHashSlots", V21 | V25 | V30 | V40, Width::Int32, nullptr,
     [](long long v, const NumberContext&) { return std::clamp(v, 101LL, 65521LL); },
     "kept within 101 to 65521 by the lock manager"},
    {"LockHashSlots", V50, Width::Int32, nullptr,
     [](long long v, const NumberContext&) {
       return std::clamp(static_cast<long long>(static_cast<std::uint16_t>(v)), 101LL, 65521LL);
     },
     "cut to 16 bits, then kept within 101 to 65521 by the lock manager"},
    {"DefaultDbCachePages", V20 | V21, Width::Int32, nullptr,
     [](long long v, const NumberContext&) { return std::clamp<long long>(static_cast<std::uint32_t>(v), 50, 131072); },
     "kept within 50 to 131072 when a database is opened; a negative number counts as a huge one"},
    {"DefaultDbCachePages", V25, Width::Int32, nullptr,
     [](long long v, const NumberContext&) {
       return std::clamp<long long>(static_cast<std::uint32_t>(v), 50, 2147483646);
     },
     "kept within 50 to 2147483646 when a database is opened; a negative number counts as a huge one"},
    {"DefaultDbCachePages", V30, Width::Int32, nullptr,
     [](long long v, const NumberContext& c) {
       return v < 0 ? ModeDefault(c, 2048, 256) : std::clamp<long long>(v, 50, 2147483646);
     },
     "a negative number means the server mode's default; at least 50 when a database is opened"},
    {"DefaultDbCachePages", V45, Width::Int32,
     [](long long v, const NumberContext& c) { return v < 0 ? ModeDefault(c, 2048, 256) : v; },
     [](long long v, const NumberContext&) {
       return std::clamp<long long>(static_cast<std::uint32_t>(v), 50, 2147483646);
     },
     "a negative number means the server mode's default; kept within 50 to 2147483646 when a database is opened"},
    {"TempBlockSize", V21 | V30 | V40 | V50, Width::Int32, nullptr,
     [](long long v, const NumberContext&) {
       const std::uint32_t u = static_cast<std::uint32_t>(v);
       return u < 65536 ? 65536LL : static_cast<long long>(static_cast<std::uint32_t>(u + 65535u) & ~65535u);
     },
     "at least 65536 and rounded up to a multiple of 65536"},
    {"TempBlockSize", V25, Width::Int32, nullptr,
     [](long long v, const NumberContext&) {
       const std::uint64_t u = static_cast<std::uint64_t>(v);
       return u < 65536 ? 65536LL : static_cast<long long>((u + 65535u) & ~std::uint64_t{65535});
     },
     "at least 65536 and rounded up to a multiple of 65536"},
    {"TempCacheLimit", V21 | V25, Width::Int32, nullptr,
     [](long long v, const NumberContext&) { return std::max(v, 0LL); }, "a negative number means 0"},
    {"TempCacheLimit", V30 | V45, Width::UInt64,
     [](long long v, const NumberContext& c) { return v < 0 ? ModeDefault(c, 67108864, 8388608) : v; }, nullptr,
     "a negative number means the server mode's default"},
    {"TcpRemoteBufferSize", V2x | V30, Width::Int32, nullptr,
     [](long long v, const NumberContext&) { return std::clamp(v, 1448LL, 32767LL); }, "kept within 1448 to 32767"},
    {"TcpRemoteBufferSize", V45, Width::Int32,
     [](long long v, const NumberContext&) { return std::clamp(v, 1448LL, 32767LL); }, nullptr,
     "kept within 1448 to 32767"},
    {"RemoteServicePort", V2x | V30 | V45, Width::UInt16, nullptr, nullptr, ""},
    {"RemoteAuxPort", V30 | V45, Width::Int32, nullptr,
     [](long long v, const NumberContext&) { return static_cast<long long>(static_cast<std::uint16_t>(v)); },
     "cut to a 16-bit port number"},
    {"DummyPacketInterval", V25 | V30 | V45, Width::Int32, nullptr,
     [](long long v, const NumberContext&) { return v < 0 ? 60LL : v; }, "a negative number means 60 seconds"},
    {"FileSystemCacheThreshold", V30, Width::Int32, nullptr,
     [](long long v, const NumberContext&) { return std::max(v, 0LL); }, "a negative number means 0"},
    {"FileSystemCacheThreshold", V45, Width::Int32,
     [](long long v, const NumberContext&) { return v < 0 ? 65536LL : v; }, nullptr,
     "a negative number means the default, 65536"},
    {"FileSystemCacheSize", V25 | V30 | V45, Width::Int32, nullptr,
     [](long long v, const NumberContext&) { return v == 0 || (v >= 10 && v <= 95) ? v : 30LL; },
     "0, or 10 to 95; any other number means 30"},
    {"DatabaseGrowthIncrement", V21 | V25 | V30 | V45, Width::Int32, nullptr,
     [](long long v, const NumberContext&) { return v < 131072 ? 0LL : v; },
     "under 131072 nothing is allocated ahead, as with 0"},
    {"MaxUnflushedWrites", V25 | V30 | V45, Width::Int32, nullptr,
     [](long long v, const NumberContext&) { return v < 0 ? -1LL : v; }, "any negative number turns it off, as -1"},
    {"MaxUnflushedWriteTime", V25 | V30 | V45, Width::Int32, nullptr,
     [](long long v, const NumberContext&) { return v < 0 ? -1LL : v; }, "any negative number turns it off, as -1"},
    {"MaxUserTraceLogSize", V45, Width::MiBIn32, nullptr, nullptr, ""},
    {"EventMemSize", V50, Width::Int32, nullptr,
     [](long long v, const NumberContext&) { return v > 0 ? RoundUp(v, kPage) : v; },
     "rounded up to a whole memory page"},
    {"PrioritySwitchDelay", V2x, Width::Int32, nullptr, [](long long v, const NumberContext&) { return std::max(v, 1LL); },
     "at least 1"},
    {"PriorityBoost", V2x, Width::Int32, nullptr,
     [](long long v, const NumberContext&) { return std::clamp(v, 1LL, 1000LL); }, "kept within 1 to 1000"},
    {"MaxIdentifierByteLength", V45, Width::Int32,
     [](long long v, const NumberContext&) { return v < 1 || v > 252 ? 252LL : v; }, nullptr,
     "outside 1 to 252 it is the default, 252"},
    {"MaxIdentifierCharLength", V45, Width::Int32,
     [](long long v, const NumberContext&) { return v < 1 || v > 63 ? 63LL : v; }, nullptr,
     "outside 1 to 63 it is the default, 63"},
    {"SnapshotsMemSize", V45, Width::UInt32,
     [](long long v, const NumberContext&) { return v < 1 || v > UINT32_MAX ? 65536LL : v; }, nullptr,
     "outside 1 to 4294967295 it is the default, 65536"},
    {"TipCacheBlockSize", V45, Width::UInt32,
     [](long long v, const NumberContext&) { return v < 1 || v > UINT32_MAX ? 4194304LL : v; }, nullptr,
     "outside 1 to 4294967295 it is the default, 4194304"},
    {"InlineSortThreshold", V45, Width::UInt32,
     [](long long v, const NumberContext&) { return v < 0 ? 1000LL : v; }, nullptr,
     "a negative number means the default, 1000"},
    {"MaxStatementCacheSize", V50, Width::Int32,
     [](long long v, const NumberContext&) { return v < 0 ? 2097152LL : v; }, nullptr,
     "a negative number means the default, 2097152"},
    {"MaxParallelWorkers", V50, Width::Int32,
     [](long long v, const NumberContext&) { return std::clamp(v, 1LL, 64LL); }, nullptr, "kept within 1 to 64"},
    {"ParallelWorkers", V50, Width::Int32,
     [](long long v, const NumberContext& c) { return std::clamp(v, 1LL, std::max(c.maxParallelWorkers, 1LL)); },
     nullptr, "at least 1 and at most MaxParallelWorkers"},
    {"StatementTimeout", V45, Width::UInt32, nullptr, nullptr, ""},
    {"ConnectionIdleTimeout", V45, Width::UInt32, nullptr, nullptr, ""},
    {"OnDisconnectTriggerTimeout", V45, Width::UInt32, nullptr, nullptr, ""},
    {"ClientBatchBuffer", V45, Width::UInt32, nullptr, nullptr, ""},
    // A bit mask that may need more than 32 CPUs; its getter's type is not
    // known, so nothing is taken from it.
    {"CpuAffinityMask", V30 | V45, Width::Int64, nullptr, nullptr, ""},
};

const Rule* RuleFor(SettingId id, ServerVersion v) {
  const std::string_view name = SettingInfoOf(id).name;
  for (const Rule& r : kRules)
    if (r.name == name && (r.versions >> IndexOf(v) & 1)) return &r;
  return nullptr;
}

// Where no rule says otherwise, an int: 2.x reads every number with atoi,
// and most 3.0+ getters return one.
Width WidthOf(SettingId id, ServerVersion v) {
  const Rule* r = RuleFor(id, v);
  return r ? r->width : Width::Int32;
}

}  // namespace

long long Atoi(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  // strtol saturates at the long's limits (64 bits on Linux), and atoi keeps
  // the low 32 bits of that.
  unsigned long long magnitude = 0;
  bool saturated = false;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    const unsigned digit = static_cast<unsigned>(text[i] - '0');
    if (magnitude > (ULLONG_MAX - digit) / 10) saturated = true;
    else magnitude = magnitude * 10 + digit;
  }
  long long value;
  if (negative)
    value = saturated || magnitude > 1ULL << 63 ? LLONG_MIN : static_cast<long long>(0 - magnitude);
  else
    value = saturated || magnitude > LLONG_MAX ? LLONG_MAX : static_cast<long long>(magnitude);
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

ReadNumber ReadInteger(std::string_view text, ServerVersion v) {
  ReadNumber n;
  if (GenerationOf(v) == Generation::V2) {
    n.stored = Atoi(text);
    // Exact where the digits are the number kept.
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    const bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
    unsigned long long magnitude = 0;
    for (; i < text.size() && IsDigit(text[i]) && magnitude <= 1ULL << 32; ++i)
      magnitude = magnitude * 10 + static_cast<unsigned>(text[i] - '0');
    n.exact = negative ? magnitude <= 1ULL << 31 : magnitude < 1ULL << 31;
    return n;
  }
  std::size_t i = 0;
  bool negative = false;
  for (; i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '-'); ++i)
    if (text[i] == '-') negative = !negative;
  // The server's arithmetic wraps at 64 bits; the number written may not fit.
  unsigned long long value = 0;
  bool overflow = false;
  const std::size_t digits = i;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    const unsigned digit = static_cast<unsigned>(text[i] - '0');
    overflow |= value > (ULLONG_MAX - digit) / 10;
    value = value * 10 + digit;
  }
  if (i < text.size() && i > digits) {
    const char c = text[i];
    const int shift = c == 'k' || c == 'K' ? 10 : c == 'm' || c == 'M' ? 20 : c == 'g' || c == 'G' ? 30 : -1;
    if (shift < 0) return {false, 0, false};
    overflow |= (value >> (64 - shift)) != 0;
    value <<= shift;
    ++i;
  }
  if (i != text.size()) return {false, 0, false};
  n.stored = static_cast<long long>(negative ? 0 - value : value);
  n.exact = !overflow && (negative ? value <= 1ULL << 63 : value <= static_cast<unsigned long long>(LLONG_MAX));
  return n;
}

UsedNumber UsedInteger(SettingId id, long long stored, ServerVersion v, const NumberContext& context) {
  const Rule* r = RuleFor(id, v);
  const Width width = WidthOf(id, v);
  UsedNumber used;
  used.narrowed = Narrow(stored, width);
  const long long checked = r && r->before ? Narrow(r->before(stored, context), width) : used.narrowed;
  used.value = r && r->after ? r->after(checked, context) : checked;
  if (r) used.why = r->why;
  return used;
}

ValueRange ExactRange(SettingId id, ServerVersion v) { return RangeOf(WidthOf(id, v)); }

std::string_view ExactRangeName(SettingId id, ServerVersion v) {
  switch (WidthOf(id, v)) {
    case Width::Int32:
      return GenerationOf(v) == Generation::V2 ? "an int of 32 bits" : "32 bits";
    case Width::UInt32:
      return "32 bits without a sign";
    case Width::UInt16:
      return "16 bits without a sign";
    case Width::MiBIn32:
      return "a 32-bit count of bytes";
    case Width::Int64:
    case Width::UInt64:
      return "64 bits";
  }
  return "";
}
