// The findings of a check: lines a server of the file's version reads
// differently from what they most likely mean, or not at all.

#include <algorithm>

#include "config/format/ConfReading.h"
#include "config/base/Text.h"
#include "config/fs/NativeFile.h"

namespace {

bool IsWholeNumber(std::string_view text) {
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) text.remove_prefix(1);
  return conf::AllDigits(text);
}

class Checker {
 public:
  explicit Checker(const ConfReading& r) : r_(r), version_("Firebird " + std::string(VersionName(r.version))) {
    context_.superMode = r.superMode;
    if (const SettingId most = *FindSetting("MaxParallelWorkers"); ReadBy(most, r.version))
      context_.maxParallelWorkers = std::stoll(r.settings[most].value);
  }

  std::vector<ConfFinding> Run() {
    if (r_.refusedAt) Refused(r_.entries[*r_.refusedAt]);
    const bool v2 = GenerationOf(r_.version) == Generation::V2;
    PerSetting<const ConfEntry*> first{}, last{};
    for (const ConfEntry& e : r_.entries) {
      if (e.kind == ConfEntry::Kind::Refused) continue;
      if (e.kind == ConfEntry::Kind::UnreadInclude) {
        Add(e, "include " + e.value + ": where it leads depends on the server's build, which Pellisto cannot tell "
                                      "for this file: what it includes is not read");
        continue;
      }
      if (e.kind == ConfEntry::Kind::Setting) ControlCharacters(e);
      if (!e.id) {
        Unknown(e);
      } else if (!ReadBy(*e.id, r_.version)) {
        Add(e, NotReadMessage(e.key, *e.id, r_.version));
      } else if (e.kind == ConfEntry::Kind::BareName) {
        Bare(e);
        if (!first[*e.id]) first[*e.id] = &e;
      } else {
        Value(e);
        if (!first[*e.id]) first[*e.id] = &e;
        last[*e.id] = &e;
      }
    }
    for (const ConfEntry& e : r_.entries) {
      if (!e.id || e.kind == ConfEntry::Kind::Refused || e.kind == ConfEntry::Kind::UnreadInclude ||
          !ReadBy(*e.id, r_.version))
        continue;
      const ConfEntry* wins = v2 ? last[*e.id] : first[*e.id];
      if (!wins || wins == &e || (v2 && e.kind == ConfEntry::Kind::BareName)) continue;
      if (v2)
        Add(e, e.key + " is set again on " + Where(*wins, e) + ", which the server uses");
      else if (wins->kind == ConfEntry::Kind::BareName)
        Add(e, e.key + " is named without \"=\" on " + Where(*wins, e) +
                   ", which hides this line: the server keeps its default");
      else
        Add(e, e.key + " is already set on " + Where(*wins, e) + ": the server uses that one");
    }
    if (v2) EditorShowsAnother(last);

    std::stable_sort(findings_.begin(), findings_.end(), [](const ConfFinding& a, const ConfFinding& b) {
      if (a.refusesFile != b.refusesFile) return a.refusesFile;
      return a.file != b.file ? a.file < b.file : a.line < b.line;
    });
    return std::move(findings_);
  }

 private:
  void Add(const ConfEntry& e, std::string message, bool refuses = false) {
    findings_.push_back({e.file, e.line, e.key, std::move(message), refuses});
  }

  // "line 7", or "line 7 of <file>" when it is in another file than the
  // line the finding is about.
  std::string Where(const ConfEntry& at, const ConfEntry& from) const {
    std::string where = "line " + std::to_string(at.line);
    if (at.file != from.file) where += " of " + r_.files[at.file];
    return where;
  }

  void ControlCharacters(const ConfEntry& e) {
    const std::string_view value = UpToNul(e.value);
    if (value.size() < e.value.size())
      Add(e, e.key + ": a NUL byte ends the value for the server, which reads " + conf::Quoted(value));
    else if (const auto found = ControlCharacterIn(e.value))
      Add(e, e.key + ": the value holds the control character " + *found + ", which the server reads as part of it");
  }

  void Refused(const ConfEntry& e) {
    Add(e, version_ + " refuses the whole file because of this line (" + e.problem +
               "): the server does not start with it", true);
  }

  void Unknown(const ConfEntry& e) {
    if (e.key.empty()) return Add(e, "\"=\" without a parameter name before it");
    if (e.kind == ConfEntry::Kind::BareName) return Bare(e);
    Add(e, UnknownNameMessage(e.key, r_.version));
  }

  void Bare(const ConfEntry& e) {
    switch (r_.version) {
      case ServerVersion::V2_0:
      case ServerVersion::V2_1:
        return Add(e, "no \"=\" on this line: a " + version_ + " server refuses to start on it", true);
      case ServerVersion::V2_5:
        return Add(e, "no \"=\" on this line: a " + version_ +
                          " server skips it, but then serves no network connections", true);
      default:
        break;
    }
    if (!e.id) return Add(e, "no \"=\" on this line: the server ignores it");
    std::string message = e.key + " without \"=\": " + version_;
    message += r_.version == ServerVersion::V3_0 ? " (release 3.0.11)" : "";
    message += " ignores this line, but a later " + e.key + " line then no longer counts";
    if (r_.version == ServerVersion::V3_0)
      message += "; Debian's 3.0.11.33637 build and 3.0.10 and older read it as an empty value "
                 "(0, false or nothing)";
    Add(e, message);
  }

  void Value(const ConfEntry& e) {
    const SettingId id = *e.id;
    const SettingInfo& s = SettingInfoOf(id);
    const bool v2 = V2();
    const std::string read = ServerValueOf(id, e.value, r_.version, context_);
    const std::string fallback = DefaultValueOf(id, r_.version, r_.superMode);
    if (e.value.empty()) {
      // 2.x takes the built-in value; 3.0+ reads 0, false or nothing.
      if (!v2 && (s.kind == SettingKind::Integer || s.kind == SettingKind::Boolean) && read != fallback) {
        const std::string empty = s.kind == SettingKind::Integer ? "0" : "false";
        Add(e, e.key + " has an empty value: " + version_ + " reads " + empty + ", not its default " + fallback +
                   (read != empty ? ", and uses " + read : ""));
      }
      return;
    }
    if (v2 && e.value.size() > 1 && e.value.front() == '"' && e.value.back() == '"')
      Add(e, Written(e) + ": a " + version_ + " server keeps the quotes as part of the value");
    switch (s.kind) {
      case SettingKind::Integer:
        return IntegerValue(e, s, read);
      case SettingKind::Boolean:
        return BooleanValue(e, read);
      case SettingKind::Keyword:
        return KeywordValue(e, s, fallback);
      case SettingKind::AccessPolicy:
        if (!TakesAccessPolicy(UpToNul(e.value), r_.version))
          Add(e, Written(e) + ": " + version_ + " takes None, Full, or Restrict followed by folders" +
                     (conf::native::kWindows || v2 ? "" : ", with these capitals") + "; the server uses None");
        return;
      case SettingKind::Text:
      case SettingKind::PluginList:
      case SettingKind::PathList:
        break;
    }
  }

  // Whether the server takes the name's value from this line.
  bool Wins(const ConfEntry& e) const {
    const ConfSetting& s = r_.settings[*e.id];
    return s.state == ValueState::Active && s.file == e.file && s.line == e.line;
  }

  bool V2() const { return GenerationOf(r_.version) == Generation::V2; }
  static std::string Written(const ConfEntry& e) { return e.key + " = " + e.value; }

  void IntegerValue(const ConfEntry& e, const SettingInfo& s, const std::string& read) {
    const bool v2 = V2();
    const std::string_view text = UpToNul(e.value);
    if (v2 ? !IsWholeNumber(text) : !StrictInteger(text)) return Add(e, Written(e) + ": the server reads " + read);
    const ReadNumber n = ReadInteger(text, r_.version);
    const std::string stored = std::to_string(n.stored);
    const std::string uses = read != stored ? ", and uses " + read : "";
    if (!n.exact)
      return Add(e, Written(e) + ": too large for " + (v2 ? "the int" : "the 64 bits") +
                        " the server reads it into: it reads " + stored + uses);
    if (s.range && !s.range->Contains(n.stored))
      return Add(e, RangeMessage(e.key + " = " + stored, *s.range, RangeWording::Finding) +
                        (read != stored ? "; the server uses " + read : ""));
    const UsedNumber used = UsedInteger(*e.id, n.stored, r_.version, context_);
    if (used.narrowed != n.stored)
      return Add(e, Written(e) + ": the server keeps it in " + std::string(ExactRangeName(*e.id, r_.version)) +
                        ", which makes it " + std::to_string(used.narrowed) +
                        (used.value != used.narrowed ? ", and uses " + read : ""));
    // What the server does with the value it uses.
    if (used.value != n.stored && Wins(e))
      Add(e, Written(e) + ": the server uses " + read + " (" + std::string(used.why) + ")");
  }

  void BooleanValue(const ConfEntry& e, const std::string& read) {
    const bool v2 = V2();
    const std::string_view text = UpToNul(e.value);
    // Digits, unless the server's int cannot hold them (4294967296 is 0).
    bool plain = conf::AllDigits(text) && (Atoi(text) != 0) == (text.find_first_not_of('0') != std::string_view::npos);
    if (!v2)
      for (std::string_view word : {"true", "yes", "y", "false", "no", "n"})
        plain |= conf::EqualsIgnoringCase(text, word);
    if (!plain)
      Add(e, Written(e) + ": the server reads " + (v2 ? (read == "1" ? "1 (on)" : "0 (off)") : read) +
                 (conf::AllDigits(text) ? ", keeping the number in 32 bits" : ""));
  }

  void KeywordValue(const ConfEntry& e, const SettingInfo& s, const std::string& fallback) {
    if (KeywordOf(*e.id, e.value, r_.version)) return;
    bool otherCase = false;
    for (std::string_view k : s.keywords) otherCase |= conf::EqualsIgnoringCase(e.value, k);
    Add(e, Written(e) + (otherCase ? ": " + version_ + " reads this word only as written in its list (" +
                                         conf::Join(s.keywords, ", ") + ")"
                                   : ": not one of " + conf::Join(s.keywords, ", ")) +
               (fallback.empty() ? "" : "; the server uses " + fallback));
  }

  // The editor shows a parameter from the last line holding "<Key> =", which
  // on a 2.x file may be a commented copy below the active line.
  void EditorShowsAnother(const PerSetting<const ConfEntry*>& last) {
    for (const SettingId id : AllSettings()) {
      const ConfEntry* active = last[id];
      const ConfMention& below = r_.commented[id];
      if (!active || !ParamKeyOf(id) || below.line <= active->line) continue;
      const std::string line = std::to_string(active->line);
      const std::string name(SettingInfoOf(id).name);
      findings_.push_back({below.file, below.line, name,
                           name + " appears again below its active line " + line +
                               ": the server uses line " + line + ", the editor shows this one"});
    }
  }

  const ConfReading& r_;
  const std::string version_;
  NumberContext context_;
  std::vector<ConfFinding> findings_;
};

}  // namespace

std::vector<ConfFinding> CheckConf(const ConfReading& reading) { return Checker(reading).Run(); }
