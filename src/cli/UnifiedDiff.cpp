#include "cli/UnifiedDiff.h"

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
