#pragma once
// firebird.conf as the document keeps it, as lines: splitting and joining
// them, finding a parameter's line and reading its value form, and writing
// pending changes into their lines. A 2.x file keeps the editor's rule (a
// parameter's line is the last one holding "<Key> ="); a 3.0+ file the line
// its server reads (GenerationReaders.h).

#include <array>
#include <deque>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "config/fs/AtomicFile.h"
#include "config/firebird/ParameterCatalogue.h"
#include "config/firebird/ServerVersion.h"
#include "config/firebird/VersionCatalogue.h"

namespace conf {

// Splits at LF (a CR right before it belongs to the line end; a lone CR
// stays in its line); a final line end adds no empty line.
std::vector<std::string> SplitLines(const std::string& text);
// Joins with CR LF after every line, the last one included: a text to read,
// which reads as the file does whatever its line ends.
std::string JoinLines(const std::vector<std::string>& lines);

// How a line of the file ends: the last one may have no end.
enum class LineEnd : unsigned char { None, Lf, CrLf };
// The end a save writes after a line that ended so in the file. On Windows
// every line ends with CR LF, as Firebird's own files there do. Elsewhere a
// line keeps its own end, and a rewritten line the end of the line it
// replaces, so that a save changes no byte of the lines it leaves alone (a
// Linux file has LF ends, and etckeeper, git or dpkg would otherwise show
// every line as changed).
LineEnd WrittenEnd(LineEnd had);
// The lines joined, each followed by its end, in a buffer that is not
// cleared first, as a file read is.
FileBuffer JoinToBuffer(const std::vector<std::string_view>& lines, const std::vector<LineEnd>& ends);
// The text as a save writes it: every line with its WrittenEnd.
std::string WithWrittenEnds(std::string_view text);
inline std::size_t SizeOf(LineEnd end) { return static_cast<std::size_t>(end); }

// Index of the last line containing "<key> =", or -1.
template <class Line>
long FindLast(const std::vector<Line>& lines, std::string_view key) {
  std::string pattern(key);
  pattern += " =";
  for (std::size_t i = lines.size(); i-- > 0;)
    if (std::string_view(lines[i]).find(pattern) != std::string_view::npos) return static_cast<long>(i);
  return -1;
}
long FindParameterLine(const std::vector<std::string>& lines, std::string_view key);
// The value form of one parameter line of the given key.
std::string ExtractValue(std::string_view line, std::string_view key);

// The line a save rewrites for the name, by the generation's rule: on 2.x
// FindLast, on 3.0+ ParameterLine3; -1 when there is none.
long ParameterLine(const std::vector<std::string_view>& lines, std::string_view name, Generation generation);
// The value form of a parameter line of the name: its value, or "#" and the
// value of a commented one.
std::string ValueForm(std::string_view line, std::string_view name, Generation generation);

// A file split into its lines, with the line of each of the 46 keys (-1:
// none), found in one pass.
struct LineIndex {
  std::vector<std::string_view> lines;  // views into the text
  std::vector<LineEnd> ends;            // how each line ends
  std::array<long, kParameterCount> lineOf;
};
LineIndex IndexLines(std::string_view text, Generation generation);
// The line of every catalogue name (-1: none), in one pass over the lines.
PerSetting<long> SettingLines(const std::vector<std::string_view>& lines, Generation generation);

// Writes each pending entry ("Key=value") into its parameter line, one
// after the other (a later entry sees the lines the earlier ones wrote).
// The new lines go into store; replaced gets each line's index and its
// previous text, in order.
void MergePending(const std::vector<std::string>& pending, Generation generation,
                  std::vector<std::string_view>& lines, std::deque<std::string>& store,
                  std::vector<std::pair<std::size_t, std::string_view>>& replaced);

}  // namespace conf
