// Arbitrary bytes as firebird.conf, a few changes, a save and a reload: every
// line that no changed key owns must come back byte for byte, the save must
// write what its preview showed, and each generation's reading, check, the JSON
// text and pellisto-conf's own set must take whatever the file holds.
//
// The input is the file; the changes are taken from its end (FuzzedDataProvider
// reads numbers from the back), so plain firebird.conf files make good seeds.

#include <fuzzer/FuzzedDataProvider.h>

#include <cctype>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "cli/Commands.h"
#include "cli/Json.h"
#include "config/fs/AtomicFile.h"
#include "config/format/ConfReading.h"
#include "config/document/TVantrel.h"

namespace {

void Require(bool condition, const char* what) {
  if (!condition) {
    fprintf(stderr, "broken: %s\n", what);
    abort();
  }
}

// A scratch folder in memory when the machine has one.
const std::string& Folder() {
  static const std::string folder = [] {
    std::string base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string path = base + "/pellisto-fuzz-" + std::to_string(getpid()) + "/";
    mkdir(path.c_str(), 0700);
    return path;
  }();
  return folder;
}

const char* const kValues[] = {
    "2048", "", "0", "1", "Full", "None", "Restrict /db;/srv/db", "Restrict UDF", "combined",
    "64M", "a # b", "x\r\ny", " padded ", "TempBlockSize = 7", "=", "#", "*",
};

// Values that read back as they were written: no comment, no line break, no
// "=" that could make another key's line, nothing trimmed away.
bool ReadsBack(const std::string& v) {
  auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };  // trimmed on reading
  return !v.empty() && v.find_first_of("#=\r\n*") == std::string::npos && !blank(v.front()) &&
         !blank(v.back());
}

void CheckJson(const std::string& bytes) {
  const std::string json = JsonString(bytes);
  for (char c : json) Require(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F, "raw control in JSON");
}

// Each generation's reading and check take any text; their lines exist.
void CheckServerReading(const std::string& text, std::size_t lineCount) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (ServerVersion v : {ServerVersion::V2_1, ServerVersion::V3_0}) {
    // A 3.0+ include would read whatever the machine holds at that path.
    if (GenerationOf(v) == Generation::V3 && lower.find("include") != std::string::npos) continue;
    const ConfReading reading = ReadConf(text, Folder() + "firebird.conf", v);
    for (const ConfSetting& s : reading.settings) Require(s.line <= lineCount, "reader line out of range");
    for (const ConfFinding& f : CheckConf(reading)) {
      Require(f.line >= 1 && f.line <= lineCount, "finding line out of range");
      CheckJson(f.message);
    }
  }
  DetectServerVersion(text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider provider(data, size);
  struct Change {
    ParamKey key;
    std::string value;
  };
  std::vector<Change> changes;
  for (int n = provider.ConsumeIntegralInRange(0, 4); n > 0; --n) {
    const auto key = static_cast<ParamKey>(provider.ConsumeIntegralInRange<std::size_t>(0, kParameterCount - 1));
    const std::size_t pick = provider.ConsumeIntegralInRange<std::size_t>(0, std::size(kValues));
    std::string value = pick < std::size(kValues) ? kValues[pick] : provider.ConsumeRandomLengthString(12);
    if (ParameterOf(key).hasSetter) changes.push_back({key, value});
  }
  const std::string text = provider.ConsumeRemainingBytesAsString();
  const std::string path = Folder() + "firebird.conf";
  conf::WriteFileAtomically(path, text);

  TVantrel doc;
  doc.Load(Folder());
  const std::vector<std::string> before = doc.Lines();
  Require(before == conf::SplitLines(text), "loaded lines differ from the file's");
  CheckServerReading(text, before.size());

  bool allReadBack = true;
  for (const Change& c : changes) {
    doc.SetValue(c.key, c.value);
    allReadBack = allReadBack && ReadsBack(c.value);
  }
  const std::vector<std::string> preview = doc.LinesAfterSave();
  Require(preview.size() == before.size(), "a save adds or removes lines");
  for (std::size_t i = 0; i < before.size(); ++i) {
    if (preview[i] == before[i]) continue;
    // A changed line belongs to a changed key: it held "<Key> =" and now starts with it.
    bool owned = false;
    for (const Change& c : changes) {
      const std::string pattern = std::string(KeyName(c.key)) + " =";
      owned = owned || (before[i].find(pattern) != std::string::npos) ||
              preview[i].rfind(std::string(KeyName(c.key)) + " = ", 0) == 0;
    }
    Require(owned, "a line of an unchanged key was rewritten");
  }

  doc.Save(Folder());
  TVantrel reloaded;
  reloaded.Load(Folder());
  const std::vector<std::string> after = reloaded.Lines();
  Require(after == preview, "the saved file differs from the preview");
  // Plain values read back, unless two changed keys share a line (the first
  // rewrite then carries or drops the other key's text).
  bool separateLines = true;
  for (const Change& a : changes)
    for (const Change& b : changes) {
      const long line = conf::FindParameterLine(before, KeyName(a.key));
      if (a.key != b.key && line >= 0 &&
          before[static_cast<std::size_t>(line)].find(std::string(KeyName(b.key)) + " =") != std::string::npos)
        separateLines = false;
    }
  if (allReadBack && separateLines)
    for (const Change& c : changes)
      if (conf::FindParameterLine(before, KeyName(c.key)) >= 0)
        Require(reloaded.Value(c.key) == doc.Value(c.key), "a plain value did not read back");
  const std::string saved = conf::ReadWholeFile(path);
  CheckServerReading(saved, after.size());

  // pellisto-conf's set on the same file, without writing.
  if (!changes.empty()) {
    std::vector<std::string> args = {"--folder", Folder(), "set", "--dry-run"};
    for (const Change& c : changes) args.push_back(std::string(KeyName(c.key)) + "=" + c.value);
    std::ostringstream out, err;
    const int code = cli::Run(args, nullptr, out, err);
    // An include may name what Pellisto does not read (a device, a pipe).
    std::string lower(saved);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const bool includes = lower.find("include") != std::string::npos;
    Require(code == cli::kDone || code == cli::kFindings || (includes && code == cli::kFileError),
            "set failed oddly");
    Require(conf::ReadWholeFile(path) == saved, "a dry run wrote the file");
  }
  return 0;
}
