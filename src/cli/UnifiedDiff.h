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
