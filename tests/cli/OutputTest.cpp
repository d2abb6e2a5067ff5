// The command line's JSON strings and diffs.

#include <gtest/gtest.h>

#include "cli/Json.h"
#include "cli/UnifiedDiff.h"

TEST(Json, EscapesControlsAndKeepsOnlyValidUtf8) {
  struct Row {
    std::string bytes;
    std::string json;
  };
  const Row rows[] = {
      {"C:\\db\\", "\"C:\\\\db\\\\\""},
      {"say \"hi\"", "\"say \\\"hi\\\"\""},
      {"a\tb\r\n", "\"a\\tb\\r\\n\""},
      {std::string("\0\x1f\x7f", 3), "\"\\u0000\\u001f\\u007f\""},
      {"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x90\xa6", "\"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x90\xa6\""},
      {"caf\xe9", "\"caf\\u00e9\""},                   // Latin-1, not UTF-8
      {"\xc3", "\"\\u00c3\""},                         // cut short
      {"\xc0\xaf", "\"\\u00c0\\u00af\""},              // overlong
      {"\xed\xa0\x80", "\"\\u00ed\\u00a0\\u0080\""},   // a surrogate
      {"\xf4\x90\x80\x80", "\"\\u00f4\\u0090\\u0080\\u0080\""},  // past U+10FFFF
  };
  for (const Row& row : rows) EXPECT_EQ(JsonString(row.bytes), row.json) << row.bytes;
}

TEST(UnifiedDiff, NeighbouringChangesShareAHunk) {
  const std::vector<std::string> before = {"a", "b", "c", "d", "e"};
  EXPECT_EQ(UnifiedDiff("f", before, before), "");
  EXPECT_EQ(UnifiedDiff("f", before, {"A", "B", "c", "d", "E"}),
            "--- f\n+++ f\n@@ -1,2 +1,2 @@\n-a\n-b\n+A\n+B\n@@ -5 +5 @@\n-e\n+E\n");
  EXPECT_THROW(UnifiedDiff("f", before, {"a"}), std::logic_error);
}
