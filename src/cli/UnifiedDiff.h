#pragma once
// The changes of a save shown as a unified diff.

#include <string>
#include <string_view>
#include <vector>

// A unified diff without context lines between two versions of a file that
// differ only in replaced lines (both have the same number of lines). Runs of
// neighbouring changed lines make one hunk. Empty when nothing differs.
std::string UnifiedDiff(std::string_view label, const std::vector<std::string>& before,
                        const std::vector<std::string>& after);

// A unified diff without context lines between any two texts' lines: the
// common start and end are left out and the rest is matched line by line
// (a longest common subsequence, where the rest is small enough for that;
// else the rest is shown removed and added whole, so that no input costs
// more than a bounded amount of work).
std::string LinesDiff(std::string_view fromLabel, std::string_view toLabel, const std::vector<std::string>& from,
                      const std::vector<std::string>& to);
