// The catalogue of every name from 2.0 to 5.0 against the fact sheet's table
// of them (parameters.tsv, read as it is): every name, whether each version
// reads it, its kind and its default.

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "config/format/ConfReading.h"
#include "config/firebird/VersionCatalogue.h"

namespace {

const std::string kTable = PELLISTO_FACTS_DIR "/parameters.tsv";

std::vector<std::string> SplitOn(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::stringstream in(text);
  for (std::string part; std::getline(in, part, separator);) parts.push_back(part);
  return parts;
}

std::string Trimmed(std::string s) {
  const auto b = s.find_first_not_of(" \t");
  const auto e = s.find_last_not_of(" \t");
  return b == std::string::npos ? "" : s.substr(b, e - b + 1);
}

// "2.0.7" as numbers; "≤1.5" as 1.5.0.
std::array<int, 3> Release(const std::string& text) {
  std::array<int, 3> r{0, 0, 0};
  std::smatch m;
  if (std::regex_search(text, m, std::regex(R"((\d+)\.(\d+)(?:\.(\d+))?)")))
    r = {std::stoi(m[1]), std::stoi(m[2]), m[3].matched ? std::stoi(m[3]) : 0};
  return r;
}

std::array<int, 3> Release(ServerVersion v) { return Release(std::string(ReleaseName(v))); }

// Whether a version prefix of a cell ("2.1/2.5", "2.0 and 2.5", "2.1.3+",
// "3.0.5-3.0.10", "4.0.0", "2.0") covers the release.
bool Covers(const std::string& cell, ServerVersion v) {
  const auto release = Release(v);
  std::string normal = std::regex_replace(cell, std::regex(" and "), "/");
  for (const std::string& part : SplitOn(normal, '/')) {
    std::smatch m;
    if (std::regex_match(part, m, std::regex(R"((\d+\.\d+(?:\.\d+)?)\+)"))) {
      if (release >= Release(m[1].str())) return true;
    } else if (std::regex_match(part, m, std::regex(R"((\d+\.\d+\.\d+)-(\d+\.\d+\.\d+))"))) {
      if (release >= Release(m[1].str()) && release <= Release(m[2].str())) return true;
    } else if (std::regex_match(part, m, std::regex(R"(\d+\.\d+\.\d+)"))) {
      if (release == Release(part)) return true;
    } else if (std::regex_match(part, std::regex(R"(\d+\.\d+)"))) {
      if (VersionName(v) == part) return true;
    }
  }
  return false;
}

// The part of a cell that speaks of one version: the segments (split at ";")
// whose version prefix covers it, else those without a prefix.
std::string PartFor(const std::string& cell, ServerVersion v) {
  const std::regex prefixed(R"(^((?:\d+\.\d+(?:\.\d+)?(?:\+|-\d+\.\d+\.\d+)?)(?:(?:/| and )\d+\.\d+(?:\.\d+)?\+?)*):?\s+(.*)$)");
  std::string mine, unprefixed;
  for (std::string segment : SplitOn(cell, ';')) {
    segment = Trimmed(segment);
    std::smatch m;
    if (std::regex_match(segment, m, prefixed)) {
      if (Covers(m[1].str(), v)) mine += m[2].str() + " ";
    } else {
      unprefixed += segment + " ";
    }
  }
  return mine.empty() ? unprefixed : mine;
}

// Sizes written with a suffix in plain bytes, so "128M" meets 134217728.
std::string WithPlainSizes(const std::string& text) {
  std::string out;
  const std::regex size(R"(\b(\d+)([KMG])\b)");
  auto at = text.cbegin();
  for (std::sregex_iterator it(text.begin(), text.end(), size), end; it != end; ++it) {
    out.append(at, (*it)[0].first);
    const int shift = (*it)[2] == "K" ? 10 : (*it)[2] == "M" ? 20 : 30;
    out += std::to_string(std::stoll((*it)[1]) << shift);
    at = (*it)[0].second;
  }
  out.append(at, text.cend());
  return out;
}

bool Mentions(const std::string& text, const std::string& value) {
  if (value.empty()) return text.find("unset") != std::string::npos || text.find("empty") != std::string::npos;
  for (std::size_t at = text.find(value); at != std::string::npos; at = text.find(value, at + 1)) {
    auto word = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '_'; };
    const bool before = at == 0 || !word(text[at - 1]) || (value[0] == '-');
    const bool after = at + value.size() == text.size() || !word(text[at + value.size()]);
    if (before && after) return true;
  }
  return false;
}

std::string KindOfTable(const std::string& kind) {
  if (kind.starts_with("keyword + path list")) return "access policy";
  if (kind.starts_with("path list")) return "folder list";
  if (kind.starts_with("plugin list")) return "plugin list";
  if (kind.starts_with("string")) return "text";
  return SplitOn(SplitOn(kind, ' ')[0], ':')[0];
}

std::size_t ColumnOf(ServerVersion v) { return GenerationOf(v) == Generation::V2 ? 2 : IndexOf(v); }

// The cell's part for the version, with "same as 4.0" and "same [rule]"
// followed to the column they refer to.
std::string Resolved(const std::vector<std::string>& cells, ServerVersion v, std::size_t column) {
  std::string part = PartFor(cells[column], v);
  std::smatch same;
  if (std::regex_search(part, same, std::regex(R"(^same as (\d\.\d))")))
    return part + " " + Resolved(cells, v, IndexOf(*ParseServerVersion(same[1].str())));
  if (part.starts_with("same") && column > 2) return part + " " + Resolved(cells, v, column - 1);
  return part;
}

}  // namespace

TEST(VersionCatalogue, AgreesWithTheFactSheet) {
  std::ifstream in(kTable);
  if (!in) GTEST_SKIP() << "fact sheet not found at " << kTable;
  std::string line;
  std::getline(in, line);  // the column titles
  std::size_t rows = 0;
  while (std::getline(in, line)) {
    const std::vector<std::string> cells = SplitOn(line, '\t');
    ASSERT_GE(cells.size(), 8u) << line;
    ++rows;
    const std::string& name = cells[0];
    SCOPED_TRACE(name);
    const auto id = FindSetting(name);
    ASSERT_TRUE(id.has_value());
    const SettingInfo& s = SettingInfoOf(*id);
    EXPECT_EQ(s.name, name);
    EXPECT_EQ(SettingKindName(s.kind), KindOfTable(cells[1]));
    for (std::string_view k : s.keywords) {
      EXPECT_NE(cells[1].find(std::string(k)), std::string::npos) << k;
    }

    const auto first = Release(cells[6]);
    // "removed in" counts only when it starts with a version ("3.0 [S]"),
    // not a note ("deprecated 4.0", "absent from master").
    const bool removes = !cells[7].empty() && std::isdigit(static_cast<unsigned char>(cells[7][0]));
    const auto removed = Release(cells[7]);
    for (ServerVersion v : kServerVersions) {
      SCOPED_TRACE(std::string(VersionName(v)));
      const std::string& column = cells[ColumnOf(v)];
      const std::string part = Resolved(cells, v, ColumnOf(v));
      const bool dash = Trimmed(part).starts_with("—");
      const bool read = !dash && !Trimmed(part).empty() && Release(v) >= first && !(removes && Release(v) >= removed);
      ASSERT_EQ(ReadBy(*id, v), read) << column;
      if (!read) continue;
      const std::string text = WithPlainSizes(part);
      for (bool super : {true, false}) {
        std::string value(DefaultOf(*id, v, super));
        EXPECT_TRUE(Mentions(text, value)) << "default " << value << " not in: " << column;
      }
    }
  }
  EXPECT_EQ(rows, kSettingCount);
}

TEST(VersionCatalogue, EveryParameterOfThePagesHasItsEntry) {
  for (const auto& p : kParameters) {
    EXPECT_EQ(SettingInfoOf(SettingIdOf(p.key)).name, p.name);
    EXPECT_EQ(ParamKeyOf(SettingIdOf(p.key)), p.key);
  }
  EXPECT_EQ(FindSetting("wirecrypt"), FindSetting("WireCrypt"));
  EXPECT_FALSE(FindSetting("WireCrypto").has_value());
}

TEST(VersionCatalogue, SaysWhenANameCameOrWent) {
  EXPECT_EQ(NotReadReason(*FindSetting("RootDirectory"), ServerVersion::V3_0), "removed in 3.0");
  EXPECT_EQ(NotReadReason(*FindSetting("ParallelWorkers"), ServerVersion::V3_0), "added in 5.0");
  EXPECT_EQ(NotReadReason(*FindSetting("CreateInternalWindow"), ServerVersion::V2_0), "added in 2.1");
  EXPECT_EQ(NotReadReason(*FindSetting("TraceDSQL"), ServerVersion::V2_5), "removed in 2.5");
  EXPECT_EQ(NotReadReason(*FindSetting("TcpNoNagle"), ServerVersion::V5_0), "");
  // Only near names are offered.
  EXPECT_EQ(CloseSetting("TempBlokSize"), FindSetting("TempBlockSize"));
  EXPECT_FALSE(CloseSetting("ServerMod3x").has_value() && SettingInfoOf(*CloseSetting("ServerMod3x")).name != "ServerMode");
  EXPECT_FALSE(CloseSetting("Classic").has_value());
  EXPECT_FALSE(CloseSetting("Foo").has_value());
}
