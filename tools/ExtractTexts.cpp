// Collects every text the program translates into the catalog template
// po/default.pot: the texts of the window layouts (src/**/*.ui) that are not
// marked untranslatable, and the texts marked N_("...") in the code.
//
//   pellisto_extract_texts <source root>           writes po/default.pot
//   pellisto_extract_texts --check <source root>   fails when it is out of date
//
// Memo texts are looked up one line at a time, so they are collected one
// line at a time; empty lines are never looked up.

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QSaveFile>
#include <QXmlStreamReader>
#include <cctype>
#include <cstdio>
#include <vector>

namespace {

struct Entry {
  QString text;
  QStringList files;
};

class Template {
 public:
  void Add(const QString& text, const QString& file) {
    if (text.isEmpty()) return;
    for (Entry& entry : entries_)
      if (entry.text == text) {
        if (!entry.files.contains(file)) entry.files << file;
        return;
      }
    entries_.push_back({text, {file}});
  }

  QByteArray Render() const {
    QByteArray out =
        "# Texts of Pellisto's windows, to be translated.\n"
        "# Made by scripts/update-catalogs.sh from the window layouts and the code.\n"
        "msgid \"\"\n"
        "msgstr \"\"\n"
        "\"Project-Id-Version: Pellisto\\n\"\n"
        "\"MIME-Version: 1.0\\n\"\n"
        "\"Content-Type: text/plain; charset=UTF-8\\n\"\n"
        "\"Content-Transfer-Encoding: 8bit\\n\"\n";
    for (const Entry& entry : entries_) {
      out += "\n#: " + entry.files.join(QLatin1Char(' ')).toUtf8() + "\n";
      out += "msgid " + Quote(entry.text) + "\n";
      out += "msgstr \"\"\n";
    }
    return out;
  }

 private:
  // A text with line breaks is written one line per string, as gettext's
  // own tools write it.
  static QByteArray Quote(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    QList<QByteArray> pieces;
    QByteArray piece;
    for (const char c : utf8) {
      switch (c) {
        case '\\': piece += "\\\\"; break;
        case '"': piece += "\\\""; break;
        case '\t': piece += "\\t"; break;
        case '\r': piece += "\\r"; break;
        case '\n':
          piece += "\\n";
          pieces << piece;
          piece.clear();
          break;
        default: piece += c;
      }
    }
    if (!piece.isEmpty()) pieces << piece;
    if (pieces.size() == 1) return '"' + pieces.first() + '"';
    QByteArray quoted = "\"\"";
    for (const QByteArray& p : pieces) quoted += "\n\"" + p + '"';
    return quoted;
  }

  std::vector<Entry> entries_;
};

// Properties whose texts the window translator looks up.
bool Translated(const QString& property) {
  static const QStringList kProperties = {
      QStringLiteral("text"),        QStringLiteral("toolTip"),   QStringLiteral("statusTip"),
      QStringLiteral("whatsThis"),   QStringLiteral("title"),     QStringLiteral("windowTitle"),
      QStringLiteral("iconText"),    QStringLiteral("plainText"), QStringLiteral("placeholderText"),
  };
  return kProperties.contains(property);
}

bool ReadLayout(const QString& path, const QString& name, Template& pot) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
    return false;
  }
  QXmlStreamReader xml(&file);
  QStringList properties;  // names of the open <property>/<attribute> elements
  while (!xml.atEnd()) {
    xml.readNext();
    if (xml.isStartElement()) {
      const QStringView element = xml.name();
      if (element == u"property" || element == u"attribute") {
        properties << xml.attributes().value(QStringLiteral("name")).toString();
      } else if (element == u"string") {
        const bool untranslatable = xml.attributes().value(QStringLiteral("notr")) == u"true";
        const QString property = properties.value(properties.size() - 1);
        const QString text = xml.readElementText();
        if (untranslatable || !Translated(property)) continue;
        if (property == u"plainText") {
          for (const QString& line : text.split(QLatin1Char('\n'))) pot.Add(line, name);
        } else {
          pot.Add(text, name);
        }
      }
    } else if (xml.isEndElement() && (xml.name() == u"property" || xml.name() == u"attribute")) {
      properties.removeLast();
    }
  }
  if (xml.hasError()) {
    std::fprintf(stderr, "%s: %s\n", qPrintable(path), qPrintable(xml.errorString()));
    return false;
  }
  return true;
}

// The C string literal that starts at text[i] (after its opening quote).
QString ReadLiteral(const QByteArray& text, qsizetype& i) {
  QByteArray value;
  for (; i < text.size() && text[i] != '"'; ++i) {
    if (text[i] != '\\' || i + 1 >= text.size()) {
      value += text[i];
      continue;
    }
    switch (text[++i]) {
      case 'n': value += '\n'; break;
      case 't': value += '\t'; break;
      case 'r': value += '\r'; break;
      default: value += text[i];  // \" \\ \'
    }
  }
  return QString::fromUtf8(value);
}

bool ReadCode(const QString& path, const QString& name, Template& pot) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
    return false;
  }
  const QByteArray code = file.readAll();
  static const QByteArray kMarker = "N_(\"";
  for (qsizetype at = code.indexOf(kMarker); at >= 0; at = code.indexOf(kMarker, at)) {
    // Not part of a longer name, nor the marker's own definition.
    const bool word = at == 0 || !(std::isalnum(static_cast<unsigned char>(code[at - 1])) ||
                                   code[at - 1] == '_');
    qsizetype i = at + kMarker.size();
    const QString text = ReadLiteral(code, i);
    if (word) pot.Add(text, name);
    at = i;
  }
  return true;
}

QStringList Files(const QDir& root, const QStringList& patterns) {
  QStringList files;
  QDirIterator it(root.filePath(QStringLiteral("src")), patterns, QDir::Files,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) files << root.relativeFilePath(it.next());
  files.sort();  // the same template whatever order the file system lists
  return files;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QStringList args = app.arguments().mid(1);
  const bool check = args.removeAll(QStringLiteral("--check")) > 0;
  if (args.size() != 1) {
    std::fprintf(stderr, "usage: %s [--check] <source root>\n", argv[0]);
    return 2;
  }
  const QDir root(args[0]);
  const QString potPath = root.filePath(QStringLiteral("po/default.pot"));

  Template pot;
  for (const QString& name : Files(root, {QStringLiteral("*.ui")}))
    if (!ReadLayout(root.filePath(name), name, pot)) return 1;
  for (const QString& name : Files(root, {QStringLiteral("*.cpp"), QStringLiteral("*.h")}))
    if (!ReadCode(root.filePath(name), name, pot)) return 1;
  const QByteArray rendered = pot.Render();

  if (check) {
    QFile current(potPath);
    if (current.open(QIODevice::ReadOnly) && current.readAll() == rendered) return 0;
    std::fprintf(stderr,
                 "%s does not hold the texts of the layouts and the code: "
                 "run scripts/update-catalogs.sh\n",
                 qPrintable(potPath));
    return 1;
  }
  QSaveFile out(potPath);
  if (!out.open(QIODevice::WriteOnly) || out.write(rendered) != rendered.size() || !out.commit()) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(potPath));
    return 1;
  }
  return 0;
}
