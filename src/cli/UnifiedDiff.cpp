#include "cli/UnifiedDiff.h"

#include <algorithm>
#include <stdexcept>

namespace {

// "@@ -5 +5 @@" for one line, "@@ -5,2 +5,2 @@" for more.
std::string HunkHeader(std::size_t first, std::size_t count) {
  std::string range = std::to_string(first + 1);
  if (count != 1) range += "," + std::to_string(count);
  return "@@ -" + range + " +" + range + " @@\n";
}

}  // namespace

std::string UnifiedDiff(std::string_view label, const std::vector<std::string>& before,
                        const std::vector<std::string>& after) {
  if (before.size() != after.size())
    throw std::logic_error("a save replaces lines; it never adds or removes them");
  std::string out;
  for (std::size_t i = 0; i < before.size();) {
    if (before[i] == after[i]) {
      ++i;
      continue;
    }
    std::size_t end = i;
    while (end < before.size() && before[end] != after[end]) ++end;
    if (out.empty()) out.append("--- ").append(label).append("\n+++ ").append(label).append("\n");
    out += HunkHeader(i, end - i);
    for (std::size_t k = i; k < end; ++k) out.append("-").append(before[k]).append("\n");
    for (std::size_t k = i; k < end; ++k) out.append("+").append(after[k]).append("\n");
    i = end;
  }
  return out;
}

namespace {

// "@@ -5,2 +7,3 @@", with a run of no lines placed before the line it
// stands at.
std::string Range(std::size_t first, std::size_t count) {
  std::string range = std::to_string(count == 0 ? first : first + 1);
  if (count != 1) range += "," + std::to_string(count);
  return range;
}

// One edit of the middle parts: a line kept, removed or added.
enum class Edit { Keep, Remove, Add };

// The edits that turn a into b along a longest common subsequence.
std::vector<Edit> Edits(const std::vector<std::string>& a, std::size_t a0, std::size_t an,
                        const std::vector<std::string>& b, std::size_t b0, std::size_t bn) {
  const std::size_t n = an - a0, m = bn - b0;
  std::vector<Edit> edits;
  constexpr std::size_t kMaxCells = 4'000'000;
  if (n == 0 || m == 0 || n > kMaxCells / m) {
    edits.insert(edits.end(), n, Edit::Remove);
    edits.insert(edits.end(), m, Edit::Add);
    return edits;
  }
  // lcs[i][j]: the longest common subsequence of a[i..] and b[j..].
  std::vector<unsigned> lcs((n + 1) * (m + 1), 0);
  const auto at = [&](std::size_t i, std::size_t j) -> unsigned& { return lcs[i * (m + 1) + j]; };
  for (std::size_t i = n; i-- > 0;)
    for (std::size_t j = m; j-- > 0;)
      at(i, j) = a[a0 + i] == b[b0 + j] ? at(i + 1, j + 1) + 1 : std::max(at(i + 1, j), at(i, j + 1));
  std::size_t i = 0, j = 0;
  while (i < n || j < m) {
    if (i < n && j < m && a[a0 + i] == b[b0 + j]) {
      edits.push_back(Edit::Keep);
      ++i, ++j;
    } else if (j < m && (i == n || at(i, j + 1) >= at(i + 1, j))) {
      edits.push_back(Edit::Add);
      ++j;
    } else {
      edits.push_back(Edit::Remove);
      ++i;
    }
  }
  return edits;
}

}  // namespace

std::string LinesDiff(std::string_view fromLabel, std::string_view toLabel, const std::vector<std::string>& from,
                      const std::vector<std::string>& to) {
  std::size_t start = 0;
  while (start < from.size() && start < to.size() && from[start] == to[start]) ++start;
  std::size_t fromEnd = from.size(), toEnd = to.size();
  while (fromEnd > start && toEnd > start && from[fromEnd - 1] == to[toEnd - 1]) --fromEnd, --toEnd;
  if (start == fromEnd && start == toEnd) return {};

  std::string out = "--- " + std::string(fromLabel) + "\n+++ " + std::string(toLabel) + "\n";
  const std::vector<Edit> edits = Edits(from, start, fromEnd, to, start, toEnd);
  std::size_t i = start, j = start;
  for (std::size_t e = 0; e < edits.size();) {
    if (edits[e] == Edit::Keep) {
      ++e, ++i, ++j;
      continue;
    }
    // A hunk: the removals and additions up to the next kept line.
    std::size_t end = e, removed = 0, added = 0;
    for (; end < edits.size() && edits[end] != Edit::Keep; ++end) (edits[end] == Edit::Remove ? removed : added)++;
    out += "@@ -" + Range(i, removed) + " +" + Range(j, added) + " @@\n";
    for (std::size_t k = 0; k < removed; ++k) out += "-" + from[i + k] + "\n";
    for (std::size_t k = 0; k < added; ++k) out += "+" + to[j + k] + "\n";
    i += removed, j += added, e = end;
  }
  return out;
}
