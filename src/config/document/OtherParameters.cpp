#include "config/document/OtherParameters.h"

#include <algorithm>
#include <set>

#include "config/format/ConfReading.h"
#include "format/GenerationReaders.h"
#include "config/base/Text.h"
#include "config/document/TVantrel.h"

namespace {

bool IsCommentLine(std::string_view line) {
  const std::string_view text = conf::TrimServerBlanks(line);
  return !text.empty() && text[0] == '#';
}

// A line of nothing but "#" and blanks: it opens or closes a block.
bool IsBareHash(std::string_view line) {
  return std::all_of(line.begin(), line.end(),
                     [](char c) { return c == '#' || conf::IsServerBlank(c); });
}

std::vector<std::string> CommentAbove(const std::vector<std::string>& lines, std::size_t line) {
  std::size_t first = line;
  while (first > 0 && IsCommentLine(lines[first - 1])) --first;
  std::size_t last = line;
  while (first < last && IsBareHash(lines[first])) ++first;
  while (last > first && IsBareHash(lines[last - 1])) --last;
  return {lines.begin() + static_cast<long>(first), lines.begin() + static_cast<long>(last)};
}

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = conf::AsciiLower(c);
  return lower;
}

// What the server makes of the file as it is now, its included files too
// (found from the file read, as the guard before saving finds them), with
// the build's folders in the built-in values.
ConfReading ServerReading(const TVantrel& document, const std::vector<std::string>& lines) {
  const std::string& read = document.DiskPath();
  ConfReading reading = ReadConf(conf::JoinLines(lines), read.empty() ? document.Folder() + "firebird.conf" : read,
                                 document.Version());
  ApplyBuildFolders(reading);
  return reading;
}

}  // namespace

std::vector<OtherParameter> OtherParametersOf(const TVantrel& document) {
  const std::vector<std::string> lines = document.Lines();
  const ServerVersion version = document.Version();
  const bool v2 = GenerationOf(version) == Generation::V2;
  const ConfReading reading = ServerReading(document, lines);
  const auto lineOf = document.SettingLines();

  std::vector<OtherParameter> found;
  for (const SettingId id : AllSettings()) {
    if (ParamKeyOf(id) || !ReadBy(id, version) || lineOf[id] < 0) continue;
    OtherParameter p;
    p.id = id;
    p.name = SettingInfoOf(id).name;
    p.line = static_cast<std::size_t>(lineOf[id]);
    p.value = conf::ValueForm(lines[p.line], p.name, GenerationOf(version));
    const ConfSetting& s = reading.settings[id];
    p.serverValue = s.value;
    // A keyword the server does not know leaves it its built-in one.
    p.usesDefault = s.usesDefault || s.state != ValueState::Active ||
                    (SettingInfoOf(id).kind == SettingKind::Keyword && !KeywordOf(id, s.fileText, version));
    p.defaultValue = DefaultValueOf(id, version, reading.superMode);
    found.push_back(std::move(p));
  }

  // Lines the server reads but ignores: once per name (names ignore case).
  std::set<std::string> seen;
  for (const ConfEntry& e : reading.entries) {
    if (e.kind != ConfEntry::Kind::Setting || e.file != 0 || e.key.empty()) continue;
    if (e.id && (ReadBy(*e.id, version) || ParamKeyOf(*e.id))) continue;
    if (!seen.insert(Lower(e.key)).second) continue;
    OtherParameter p;
    p.status = e.id ? OtherParameter::Status::NotRead : OtherParameter::Status::Unknown;
    p.id = e.id;
    p.name = e.id ? std::string(SettingInfoOf(*e.id).name) : e.key;
    p.line = e.line - 1;
    // As written: the 3.0+ reader has replaced macros and braces.
    p.value = v2 ? e.value : conf::ValueForm3(lines[p.line]);
    if (e.id) p.notRead = WhyNotRead(*e.id, version);
    found.push_back(std::move(p));
  }

  std::sort(found.begin(), found.end(),
            [](const OtherParameter& a, const OtherParameter& b) { return a.line < b.line; });
  for (OtherParameter& p : found) p.comment = CommentAbove(lines, p.line);
  return found;
}
