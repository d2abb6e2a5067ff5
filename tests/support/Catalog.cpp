#include "support/Catalog.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <cstdint>
#include <map>
#include <sstream>
#include <stdexcept>

#include "support/TempDir.h"

namespace {

#ifdef _WIN32
// The text of a quoted .po string ("a\"b\n" gives a"b and a line end).
std::string Unquote(const std::string& line, const std::string& po) {
  const auto first = line.find('"');
  const auto last = line.rfind('"');
  if (first == std::string::npos || last == first) throw std::runtime_error("bad .po line in " + po);
  std::string text;
  for (auto i = first + 1; i < last; ++i) {
    if (line[i] != '\\' || i + 1 >= last) {
      text += line[i];
      continue;
    }
    const char escaped = line[++i];
    text += escaped == 'n' ? '\n' : escaped == 't' ? '\t' : escaped;
  }
  return text;
}

void PutWord(std::string& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>(value >> (8 * i) & 0xff);
}

// What msgfmt makes of the plain catalogs the tests write (msgid and msgstr,
// continued strings, comments): a GNU .mo file, messages in byte order, no
// hash table. msgfmt itself is a program of the build machine, which a
// Windows program under Wine cannot start.
std::string CompileMo(const std::string& po, const std::string& source) {
  std::map<std::string, std::string> messages;
  std::string id, str, * field = nullptr;
  bool open = false;
  const auto finish = [&] {
    if (open && !str.empty()) messages[id] = str;
    id.clear();
    str.clear();
    open = false;
  };
  std::istringstream lines(po);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("msgid ", 0) == 0) {
      finish();
      open = true;
      field = &id;
      *field = Unquote(line, source);
    } else if (line.rfind("msgstr ", 0) == 0) {
      field = &str;
      *field = Unquote(line, source);
    } else if (line.rfind("\"", 0) == 0 && field) {
      *field += Unquote(line, source);
    }
  }
  finish();

  const auto count = static_cast<std::uint32_t>(messages.size());
  const std::uint32_t originals = 28, translations = originals + 8 * count;
  std::uint32_t offset = translations + 8 * count;
  std::string header, tables[2], strings;
  PutWord(header, 0x950412de);
  PutWord(header, 0);
  PutWord(header, count);
  PutWord(header, originals);
  PutWord(header, translations);
  PutWord(header, 0);
  PutWord(header, offset);
  for (int side = 0; side < 2; ++side)
    for (const auto& [key, value] : messages) {
      const std::string& text = side == 0 ? key : value;
      PutWord(tables[side], static_cast<std::uint32_t>(text.size()));
      PutWord(tables[side], offset);
      strings += text + '\0';
      offset += static_cast<std::uint32_t>(text.size() + 1);
    }
  return header + tables[0] + tables[1] + strings;
}
#endif

}  // namespace

bool CompileCatalog(const std::string& folder, const std::string& code, const std::string& po) {
  const std::string catalogFolder = folder + "locale/" + code + "/LC_MESSAGES";
  const std::string source = folder + code + ".po";
#ifdef _WIN32
  QDir().mkpath(QString::fromStdString(catalogFolder));
  WriteFileBytes(source, po);
  WriteFileBytes(catalogFolder + "/default.mo", CompileMo(po, source));
  return true;
#else
  if (QStandardPaths::findExecutable("msgfmt").isEmpty()) return false;
  QDir().mkpath(QString::fromStdString(catalogFolder));
  WriteFileBytes(source, po);
  const int rc = QProcess::execute("msgfmt", {"-o", QString::fromStdString(catalogFolder + "/default.mo"),
                                              QString::fromStdString(source)});
  if (rc != 0) throw std::runtime_error("msgfmt rejected " + source);
  return true;
#endif
}
