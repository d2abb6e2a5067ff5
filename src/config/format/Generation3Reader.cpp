// firebird.conf as a 3.0, 4.0 or 5.0 server reads it: lines end at LF and
// are trimmed of blanks, TABs and CRs; a line starting with "#" is a comment,
// elsewhere a "#" outside double quotes starts one; the first "=" splits key
// and value; the value loses its quotes; "{{" and "}}" stand for "{" and "}";
// $(name) macros are replaced by the folders of the server's build
// (BuildFolders.h); "include <path>" reads other files at its place, relative
// to the including file, with * in any part (and ? on Windows), at most 64
// deep; an included folder reads as empty. A line the server cannot take (a
// quote before "=", a third or unclosed quote, text after the closing quote,
// an empty key, an unknown macro, a missing include) makes it refuse the
// whole file. Pellisto itself reads regular files only, none larger than
// kLargestFileRead, and at most kMostFilesRead of them for one firebird.conf.

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "config/fs/AtomicFile.h"
#include "config/firebird/BuildFolders.h"
#include "format/GenerationReaders.h"
#include "config/base/Text.h"
#include "config/base/Utf8Path.h"

namespace conf {
namespace {

namespace fs = std::filesystem;

constexpr int kMaxIncludeDepth = 64;

#ifdef _WIN32
constexpr bool kQuestionMarkMatches = true;
#else
// The server's own matcher on POSIX knows "*" only; "?" still makes the path
// a pattern, but matches nothing but itself.
constexpr bool kQuestionMarkMatches = false;
#endif

std::string Unbrace(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    out += text[i];
    if ((text[i] == '{' || text[i] == '}') && i + 1 < text.size() && text[i + 1] == text[i]) ++i;
  }
  return out;
}

bool Matches(std::string_view pattern, std::string_view name) {
  // "*" (and on Windows "?") as a shell matches them, on one part of a path.
  std::size_t p = 0, n = 0, star = std::string_view::npos, resume = 0;
  while (n < name.size()) {
    if (p < pattern.size() && ((kQuestionMarkMatches && pattern[p] == '?') || pattern[p] == name[n])) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

bool HasWildcard(std::string_view s) { return s.find_first_of("*?") != std::string_view::npos; }

// The names a wildcard path stands for, in the order the folders list them
// (the server reads them in that order too, not sorted by name).
std::vector<fs::path> ExpandPattern(const fs::path& pattern, bool skipDotNames) {
  std::vector<fs::path> found{pattern.root_path()};
  for (const fs::path& part : pattern.relative_path()) {
    const std::string p = Utf8Of(part);
    std::vector<fs::path> next;
    for (const fs::path& base : found) {
      if (!HasWildcard(p)) {
        next.push_back(base / part);
        continue;
      }
      std::error_code ec;
      for (fs::directory_iterator it(base.empty() ? fs::path(".") : base, ec), end; !ec && it != end;
           it.increment(ec)) {
        const std::string name = Utf8Of(it->path().filename());
        if (skipDotNames && name.starts_with('.') && !p.starts_with('.')) continue;
        if (Matches(p, name)) next.push_back(base / it->path().filename());
      }
    }
    found = std::move(next);
  }
  return found;
}

// The macros of one value or include path, replaced.
struct Expanded {
  std::string text;
  FolderSource source = FolderSource::None;
  const char* problem = nullptr;
  std::string unknown;  // a macro that cannot be replaced: the value depends on the server's build
};

class Reader {
 public:
  Reader(ConfReading& reading, const std::string& path) : reading_(reading), path_(path) {}

  // One file, known by the name the server opens it by.
  struct File {
    std::size_t index;
    std::string name;
    int depth;
  };

  void Read(std::string_view text, const File& f) {
    std::size_t number = 0;
    ForEachServerLine(text, [&](std::size_t start, std::size_t end) {
      ++number;
      if (!reading_.refusedAt) ReadLine(text.substr(start, end - start), f, number);
    });
  }

 private:
  // Found once, when a line first needs them.
  const BuildFolders& Folders() {
    if (!folders_) folders_ = BuildFoldersFor(path_, reading_.version);
    return *folders_;
  }
  // Only Debian's server opens firebird.conf by another name than its own.
  bool Renamed(const File& f) const { return f.index == 0 && IsDebianPlace(path_, reading_.version); }
  std::string Base(const File& f) { return Renamed(f) ? Folders().includeBase : FolderOf(f.name); }
  std::string This(const File& f) { return Renamed(f) ? Folders().thisFolder : ThisFolderOf(f.name); }

  Expanded Expand(std::string_view text, const File& f) {
    Expanded e;
    std::size_t at = 0;
    while (true) {
      const std::size_t open = text.find("$(", at);
      if (open == std::string_view::npos) break;
      const std::size_t close = text.find(')', open + 2);
      if (close == std::string_view::npos) {
        e.problem = "a macro without its closing \")\"";
        return e;
      }
      e.text.append(text.substr(at, open - at));
      const std::string_view name = text.substr(open + 2, close - open - 2);
      const std::string_view rest = text.substr(close + 1);
      if (name == "this") {
        AppendFolder(e.text, This(f), rest);
        e.source = Combined(e.source, FolderSource::ThisFile);
      } else if (const auto macro = BuildMacroNamed(name)) {
        const BuildFolder& folder = Folders()[*macro];
        if (folder.source == FolderSource::Unknown) {
          if (e.unknown.empty()) e.unknown = "$(" + std::string(name) + ")";
          e.text.append(text.substr(open, close - open + 1));
        } else {
          AppendFolder(e.text, folder.text, rest);
        }
        e.source = Combined(e.source, folder.source);
      } else {
        problem_ = "unknown macro $(" + std::string(name) + ")";
        e.problem = problem_.c_str();
        return e;
      }
      at = close + 1;
    }
    e.text.append(text.substr(at));
    return e;
  }

  ConfEntry& Add(ConfEntry::Kind kind, std::size_t file, std::size_t line, std::string_view key) {
    ConfEntry& entry = reading_.entries.emplace_back();
    entry.kind = kind;
    entry.file = file;
    entry.line = line;
    entry.key = key;
    entry.id = FindSetting(entry.key);
    return entry;
  }

  void Refuse(std::size_t file, std::size_t line, std::string_view key, std::string problem) {
    reading_.refusedAt = reading_.entries.size();
    Add(ConfEntry::Kind::Refused, file, line, key).problem = std::move(problem);
  }

  void ReadLine(std::string_view raw, const File& f, std::size_t number) {
    const Line3 line = SplitLine3(raw);
    switch (line.kind) {
      case Line3::Kind::Blank:
        return;
      case Line3::Kind::Comment:
        return NoteMentions(line.value, f.index, number, reading_);
      case Line3::Kind::Include:
        return Include(line.value, f, number);
      case Line3::Kind::BareName:
        Add(ConfEntry::Kind::BareName, f.index, number, line.key);
        return;
      case Line3::Kind::Refused:
        return Refuse(f.index, number, line.key, std::string(line.problem));
      case Line3::Kind::Setting:
        break;
    }
    Expanded value = Expand(Unbrace(line.value), f);
    if (value.problem) return Refuse(f.index, number, line.key, value.problem);
    ConfEntry& e = Add(ConfEntry::Kind::Setting, f.index, number, Unbrace(line.key));
    e.value = std::move(value.text);
    e.macros = value.unknown.empty() ? value.source : FolderSource::Unknown;
  }

  void Include(std::string_view target, const File& f, std::size_t number) {
    const Expanded expanded = Expand(target, f);
    if (expanded.problem) return Refuse(f.index, number, "include", expanded.problem);
    if (!expanded.unknown.empty()) {
      // Where it leads depends on the server's build: nothing is read.
      ConfEntry& e = Add(ConfEntry::Kind::UnreadInclude, f.index, number, "include");
      e.value = expanded.text;
      e.macros = FolderSource::Unknown;
      return;
    }
    if (f.depth + 1 > kMaxIncludeDepth) return Refuse(f.index, number, "include", "includes nested too deep");
    fs::path path = PathFromUtf8(expanded.text);
    if (path.is_relative()) path = PathFromUtf8(Base(f)) / path;

    const bool pattern = HasWildcard(Utf8Of(path));
    // 3.0 passes over hidden files unless the pattern names them; later
    // versions only over "." and "..".
    const std::vector<fs::path> names =
        pattern ? ExpandPattern(path, reading_.version == ServerVersion::V3_0) : std::vector<fs::path>{path};
    for (const fs::path& name : names) {
      const std::optional<FileBuffer> content = Open(Utf8Of(name), f, number);
      if (!content) {
        // A name a pattern found may be gone already; a plain one must be there.
        if (pattern) continue;
        return Refuse(f.index, number, "include", "file to include not found: " + Utf8Of(name));
      }
      reading_.files.push_back(Utf8Of(name.lexically_normal()));
      Read(content->view(), {reading_.files.size() - 1, Utf8Of(name), f.depth + 1});
      if (reading_.refusedAt) return;
    }
  }

  // An included file's bytes, within the bounds of one reading; a folder
  // reads as empty, as the server reads it.
  std::optional<FileBuffer> Open(const std::string& name, const File& from, std::size_t line) {
    const std::string where = "line " + std::to_string(line) + " of " + reading_.files[from.index];
    if (from.depth == 0) topLine_ = line;
    if (++opened_ > kMostFilesRead)
      throw FileError("Cannot read \"" + path_ + "\": the include on line " + std::to_string(topLine_) +
                      " takes more than " + std::to_string(kMostFilesRead) + " files in all (the last one by " +
                      where + "), the most Pellisto reads for one firebird.conf");
    try {
      return ReadIncludedFile(name);
    } catch (const FileError& e) {
      throw FileError(std::string(e.what()) + " (included by " + where + ")");
    }
  }

  ConfReading& reading_;
  std::string path_;
  std::optional<BuildFolders> folders_;
  std::string problem_;
  std::size_t opened_ = 1;  // firebird.conf itself
  std::size_t topLine_ = 0;  // the include line of firebird.conf being read
};

// Where a 3.0+ value ends (before its comment), or what makes the line
// one the server refuses. Quotes may enclose a "#"; after the closing quote
// only blanks or a comment may follow.
const char* ValueEnd3(std::string_view rest, std::size_t& end) {
  int quotes = 0;
  for (std::size_t i = 0; i < rest.size(); ++i) {
    const char c = rest[i];
    if (c == '"') {
      if (++quotes > 2) return "a third quote";
    } else if (c == '#' && quotes != 1) {
      end = i;
      break;
    } else if (quotes == 2 && c != ' ' && c != '\t' && c != '\r') {
      return "text after the closing quote";
    }
  }
  return quotes == 1 ? "a quote that is not closed" : nullptr;
}

}  // namespace

Line3 SplitLine3(std::string_view raw) {
  Line3 result;
  const std::string_view line = TrimServerBlanks(raw);
  if (line.empty()) return result;
  if (line[0] == '#') {
    result.kind = Line3::Kind::Comment;
    result.value = line.substr(1);
    return result;
  }
  if (line.size() > 8 && EqualsIgnoringCase(line.substr(0, 7), "include") && (line[7] == ' ' || line[7] == '\t')) {
    result.kind = Line3::Kind::Include;
    result.value = TrimServerBlanks(line.substr(8));
    return result;
  }
  auto refuse = [&](std::string_view problem) {
    result.kind = Line3::Kind::Refused;
    result.problem = problem;
    return result;
  };

  // The key: up to "=", or to a comment on a line without one.
  std::size_t eq = 0;
  while (eq < line.size() && line[eq] != '=' && line[eq] != '#' && line[eq] != '"') ++eq;
  result.key = TrimServerBlanks(line.substr(0, eq));
  if (eq < line.size() && line[eq] == '"') return refuse("a quote before \"=\"");
  if (eq == line.size() || line[eq] == '#') {
    result.kind = Line3::Kind::BareName;
    return result;
  }
  if (result.key.empty()) return refuse("\"=\" without a name before it");

  const std::string_view rest = line.substr(eq + 1);
  std::size_t end = rest.size();
  if (const char* problem = ValueEnd3(rest, end)) return refuse(problem);
  std::string_view value = TrimServerBlanks(rest.substr(0, end));
  while (!value.empty() && value.front() == '"') value.remove_prefix(1);
  while (!value.empty() && value.back() == '"') value.remove_suffix(1);
  result.kind = Line3::Kind::Setting;
  result.value = value;
  result.comment = end < rest.size() ? static_cast<std::size_t>(rest.data() + end - raw.data()) : raw.size();
  return result;
}

bool CommentedSetting3(std::string_view line, std::string_view& name, std::string_view& value,
                       std::size_t& valueEnd) {
  std::size_t i = 0;
  while (i < line.size() && IsServerBlank(line[i])) ++i;
  if (i == line.size() || line[i] != '#') return false;
  ++i;
  while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
  const std::size_t nameStart = i;
  while (i < line.size() && (std::isalnum(static_cast<unsigned char>(line[i])) || line[i] == '_')) ++i;
  name = line.substr(nameStart, i - nameStart);
  while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
  if (name.empty() || i == line.size() || line[i] != '=') return false;
  valueEnd = std::min(line.find('#', i + 1), line.size());
  value = TrimServerBlanks(line.substr(i + 1, valueEnd - i - 1));
  return true;
}

std::optional<NamedLine3> NameOfLine3(std::string_view line) {
  const Line3 split = SplitLine3(line);
  std::string_view name = split.key, value;
  std::size_t valueEnd = 0;
  const bool commented = split.kind == Line3::Kind::Comment && CommentedSetting3(line, name, value, valueEnd);
  if (split.kind != Line3::Kind::Setting && !commented) return std::nullopt;
  const auto id = FindSetting(name);
  if (!id) return std::nullopt;
  return NamedLine3{*id, !commented};
}

std::string ValueForm3(std::string_view line) {
  const Line3 split = SplitLine3(line);
  if (split.kind == Line3::Kind::Setting) return std::string(split.value);
  std::string_view name, value;
  std::size_t end = 0;
  if (CommentedSetting3(line, name, value, end)) return "#" + std::string(value);
  return {};
}

std::string RewriteLine3(std::string_view line, std::string_view name, std::string_view value) {
  std::string updated;
  updated.append(name).append(" = ").append(value);
  std::size_t comment = line.size();
  const Line3 split = SplitLine3(line);
  std::string_view key, old;
  std::size_t end = 0;
  if (split.kind == Line3::Kind::Setting)
    comment = split.comment;
  else if (CommentedSetting3(line, key, old, end))
    comment = end;
  if (comment < line.size()) updated.append(" ").append(line.substr(comment));
  return updated;
}

void ReadGeneration3(std::string_view text, const std::string& path, ConfReading& reading) {
  reading.files = {path};
  Reader(reading, path).Read(text, {0, path, 0});
}

}  // namespace conf
