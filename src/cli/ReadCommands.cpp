// The commands that read firebird.conf: list, get and check.

#include <algorithm>
#include <ostream>

#include "cli/ExitCode.h"
#include "cli/Json.h"
#include "cli/Session.h"

namespace cli {

namespace {

// An empty value, shown so that it can be seen.
std::string Shown(std::string_view text) { return text.empty() ? std::string("\"\"") : std::string(text); }

// A value the server's build decides is not shown as if it were its value.
bool DependsOnBuild(const ConfSetting& s) { return s.macros == FolderSource::Unknown; }
std::string ServerShown(const ConfSetting& s) { return DependsOnBuild(s) ? "(the server's build)" : Shown(s.value); }

std::string Column(std::string text, std::size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

}  // namespace

int Session::List() {
  Reading r = Read();
  if (Refused(r)) return kFindings;
  ApplyBuildFolders(r.conf);
  if (o_.json)
    ListJson(r);
  else
    ListTable(r);
  return kDone;
}

void Session::ListJson(const Reading& r) {
  const ConfReading& c = r.conf;
  const std::vector<SettingId> ids = SettingsReadBy(c.version);
  out_ << "{\"version\": " << JsonString(VersionName(c.version))
       << ", \"release\": " << JsonString(ReleaseName(c.version))
       << ", \"detectedFrom\": " << JsonString(CueName(r.detected.cue)) << ", \"parameters\": [\n";
  for (std::size_t i = 0; i < ids.size(); ++i) {
    const SettingInfo& info = SettingInfoOf(ids[i]);
    const ConfSetting& s = c.settings[ids[i]];
    const bool inFile = s.state != ValueState::Absent;
    out_ << "  {\"key\": " << JsonString(info.name)
         << ", \"kind\": " << JsonString(SettingKindName(info.kind))
         << ", \"state\": " << JsonString(StateName(s.state))
         << ", \"path\": " << (inFile ? JsonString(c.files[s.file]) : "null")
         << ", \"line\": " << (inFile ? std::to_string(s.line) : "null")
         << ", \"file\": " << (inFile ? JsonString(s.fileText) : "null")
         << ", \"server\": " << (DependsOnBuild(s) ? "null" : JsonString(s.value))
         << ", \"default\": " << (s.usesDefault ? "true" : "false")
         << ", \"expansion\": " << (s.macros == FolderSource::None ? "null" : JsonString(FolderSourceName(s.macros)))
         << "}"
         << (i + 1 == ids.size() ? "\n" : ",\n");
  }
  out_ << "]}\n";
}

void Session::ListTable(const Reading& r) {
  const ConfReading& c = r.conf;
  static const char* const kCues[] = {"as given", "from the file's header", "from the names in the file",
                                      "nothing in the file tells: the version of the editor's pages"};
  const std::vector<SettingId> ids = SettingsReadBy(c.version);
  std::size_t serverWidth = 11;
  for (SettingId id : ids)
    serverWidth = std::max(serverWidth, std::min<std::size_t>(ServerShown(c.settings[id]).size(), 24));
  out_ << "# " << VersionOf(r) << " (" << ReleaseName(c.version) << "), "
       << kCues[static_cast<int>(r.detected.cue)] << "\n";
  out_ << Column("KEY", 32) << Column("STATE", 11) << Column("SERVER USES", serverWidth) << "  FILE\n";
  for (SettingId id : ids) {
    const ConfSetting& s = c.settings[id];
    std::string file;
    if (s.state == ValueState::Commented) file = "#" + s.fileText;
    if (s.state == ValueState::Active) file = Shown(s.fileText);
    if (s.state != ValueState::Absent && s.file != 0)
      file += "  (" + c.files[s.file] + ":" + std::to_string(s.line) + ")";
    std::string line = Column(std::string(SettingInfoOf(id).name), 32) + Column(std::string(StateName(s.state)), 11) +
                       Column(ServerShown(s), serverWidth) + "  " + file;
    while (!line.empty() && line.back() == ' ') line.pop_back();
    out_ << TerminalText(line) << "\n";
  }
}

int Session::Get(const std::vector<std::string>& names) {
  Reading r = Read();
  std::vector<SettingId> ids;
  bool refused = false;
  for (const std::string& name : names)
    if (const auto id = ReadName(name, r.conf.version, refused)) ids.push_back(*id);
  if (refused || Refused(r)) return kFindings;
  ApplyBuildFolders(r.conf, ids);
  for (SettingId id : ids)
    if (const ConfSetting& s = r.conf.settings[id]; DependsOnBuild(s))
      Refuse(std::string(SettingInfoOf(id).name) + ": the value depends on the server's build (" + s.value +
                 "): Pellisto cannot tell the build's folders for " + ConfPath(),
             refused);
  if (refused) return kFindings;
  // Scripts get the bytes; a terminal cannot be steered by them.
  for (SettingId id : ids)
    out_ << (o_.terminal ? TerminalText(r.conf.settings[id].value) : r.conf.settings[id].value) << "\n";
  return kDone;
}

int Session::Check() {
  const Reading r = Read();
  const std::vector<ConfFinding> findings = CheckConf(r.conf);
  const std::vector<std::string>& files = r.conf.files;
  if (o_.json) {
    out_ << "[";
    for (std::size_t i = 0; i < findings.size(); ++i)
      out_ << (i ? ",\n  " : "\n  ") << "{\"path\": " << JsonString(files[findings[i].file])
           << ", \"line\": " << findings[i].line << ", \"key\": " << JsonString(findings[i].key)
           << ", \"message\": " << JsonString(findings[i].message)
           << ", \"refusesFile\": " << (findings[i].refusesFile ? "true" : "false") << "}";
    out_ << (findings.empty() ? "]\n" : "\n]\n");
  } else {
    for (const ConfFinding& f : findings)
      out_ << TerminalText(files[f.file] + ":" + std::to_string(f.line) + ": " + f.message) << "\n";
  }
  return findings.empty() ? kDone : kFindings;
}

}  // namespace cli
