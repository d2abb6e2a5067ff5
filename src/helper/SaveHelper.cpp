#include "helper/SaveHelper.h"

#include <optional>
#include <stdexcept>

#include <pwd.h>
#include <sys/stat.h>

#include "config/fs/AtomicFile.h"
#include "config/document/CheckedChanges.h"
#include "config/format/ConfLines.h"
#include "config/fs/SaveTarget.h"
#include "config/base/Sha256.h"
#include "config/document/TVantrel.h"

namespace helper {
namespace {

const char kConfName[] = "firebird.conf";
const char kDefaultsName[] = "firebird.conf.default";
// The account the Firebird server runs as, which owns its files on some
// installations.
const char kServiceAccount[] = "firebird";

// A request this program does not carry out.
struct Refusal : std::runtime_error {
  using std::runtime_error::runtime_error;
};

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsSha256(const std::string& text) {
  return text.size() == 64 && text.find_first_not_of("0123456789abcdef") == std::string::npos;
}

void CheckName(const std::string& path, const char* name) {
  if (BaseName(path) != name)
    throw Refusal(Quoted(path) + " is not a " + name + ": no other file is written as administrator");
}

// The file a target found, links followed: named as it must be, and a
// regular file (the target reads nothing else either; said here in words).
void CheckFound(const conf::SaveTarget& target, const char* name) {
  CheckName(target.Target(), name);
  struct stat st {};
  if (::lstat(target.Target().c_str(), &st) != 0)
    throw Refusal("There is no file " + Quoted(target.Path()) + ": only an existing " + name + " is written");
  if (!S_ISREG(st.st_mode)) throw Refusal(Quoted(target.Path()) + " is not a regular file");
}

// The owner of the file read: root, or the Firebird service account.
void CheckOwner(const conf::SaveTarget& target) {
  const std::uint32_t owner = target.OwnerOfChecked();
  if (owner == 0) return;
  const passwd* service = ::getpwnam(kServiceAccount);
  if (service && service->pw_uid == owner) return;
  const passwd* user = ::getpwuid(owner);
  throw Refusal(Quoted(target.Target()) + " belongs to " +
                (user ? "the user " + std::string(user->pw_name) : "the user id " + std::to_string(owner)) +
                ", not to root or to " + kServiceAccount + ": its owner may save it without a password");
}

[[noreturn]] void Changed(const std::string& path) {
  throw FileChangedError("The file " + Quoted(path) +
                         " was changed by another program after it was read; nothing was written");
}

// The file's bytes must still be the ones the window read.
void CheckUnchanged(std::string_view bytes, const std::string& sha, const std::string& path) {
  if (conf::Sha256Hex(bytes) != sha) Changed(path);
}

conf::SaveTarget::Options Unlocked() {
  conf::SaveTarget::Options options;
  options.lock = false;
  return options;
}

struct Request {
  enum class Kind { Set, From, Defaults } kind = Kind::Set;
  std::string source, sourceSha, file, sha;
  conf::GivenPairs pairs;
};

Request Parse(const std::vector<std::string>& args, Result& result) {
  Request r;
  std::size_t at = 0;
  const auto next = [&]() -> const std::string& {
    if (at == args.size())
      throw Refusal(
          "Usage: pellisto-save-helper FILE SHA256 [--from SOURCE SHA256 | --defaults] [KEY=VALUE...]");
    return args[at++];
  };
  r.file = next();
  result.file = r.file;
  r.sha = next();
  if (at < args.size() && args[at] == "--from") {
    r.kind = Request::Kind::From;
    ++at;
    r.source = next();
    r.sourceSha = next();
  } else if (at < args.size() && args[at] == "--defaults") {
    r.kind = Request::Kind::Defaults;
    ++at;
  }
  for (; at < args.size(); ++at) {
    const std::size_t eq = args[at].find('=');
    if (r.kind == Request::Kind::Defaults || eq == std::string::npos)
      throw Refusal(Quoted(args[at]) + " is not KEY=VALUE");
    r.pairs.emplace_back(args[at].substr(0, eq), args[at].substr(eq + 1));
    result.names.push_back(r.pairs.back().first);
  }
  if (!IsSha256(r.sha) || (r.kind == Request::Kind::From && !IsSha256(r.sourceSha)))
    throw Refusal("A SHA-256 is given as 64 lower-case hexadecimal digits");
  return r;
}

// The checked changes set in the document, or why not.
conf::CheckedChanges Checked(TVantrel& doc, const Request& r) {
  conf::CheckedChanges checked = conf::CheckAndApply(doc, r.pairs, r.file);
  if (!checked.refusals.empty()) {
    std::string text;
    for (const std::string& refusal : checked.refusals) text += refusal + "\n";
    throw Refusal(text + "Nothing was written");
  }
  return checked;
}

std::string SaveChanges(const Request& r) {
  CheckName(r.file, kConfName);
  conf::SaveTarget target(r.file);
  CheckFound(target, kConfName);
  TVantrel doc;
  doc.Load(target);
  CheckOwner(target);
  CheckUnchanged(doc.Text(), r.sha, r.file);
  const conf::CheckedChanges checked = Checked(doc, r);
  // Values the file already holds leave it as it is, as set does.
  if (checked.after == checked.before) return {};
  return doc.Save(target);
}

std::string SaveFrom(const Request& r) {
  CheckName(r.source, kConfName);
  CheckName(r.file, kConfName);
  TVantrel doc;
  {
    conf::SaveTarget source(r.source, Unlocked());
    CheckFound(source, kConfName);
    doc.Load(source);
    CheckOwner(source);
    CheckUnchanged(doc.Text(), r.sourceSha, r.source);
  }
  conf::SaveTarget target(r.file);
  CheckFound(target, kConfName);
  const conf::FileBuffer now = target.Read();
  CheckOwner(target);
  CheckUnchanged(now.view(), r.sha, r.file);
  const conf::CheckedChanges checked = Checked(doc, r);
  // Compared again just before it is replaced.
  if (!target.Holds(now.view())) Changed(r.file);
  return target.Replace(conf::JoinLines(checked.after));
}

std::string SaveDefaults(const Request& r) {
  CheckName(r.file, kConfName);
  conf::SaveTarget target(r.file);
  CheckFound(target, kConfName);
  const conf::FileBuffer now = target.Read();
  CheckOwner(target);
  CheckUnchanged(now.view(), r.sha, r.file);
  std::string defaults;
  {
    conf::SaveTarget source(r.file + ".default", Unlocked());
    CheckFound(source, kDefaultsName);
    defaults = std::string(source.Read().view());
    CheckOwner(source);
  }
  if (!target.Holds(now.view())) Changed(r.file);
  return target.Replace(conf::WithWrittenEnds(defaults));
}

}  // namespace

Result Save(const std::vector<std::string>& args) {
  Result result;
  try {
    const Request r = Parse(args, result);
    switch (r.kind) {
      case Request::Kind::Set:
        result.message = SaveChanges(r);
        break;
      case Request::Kind::From:
        result.message = SaveFrom(r);
        break;
      case Request::Kind::Defaults:
        result.message = SaveDefaults(r);
        break;
    }
    result.outcome = Outcome::Saved;
  } catch (const Refusal& e) {
    result = {Outcome::Refused, e.what(), result.file, result.names};
  } catch (const UnsafeFolderError& e) {
    result = {Outcome::Refused, e.what(), result.file, result.names};
  } catch (const FileChangedError& e) {
    result = {Outcome::Changed, e.what(), result.file, result.names};
  } catch (const std::bad_alloc&) {
    result = {Outcome::Failed, "Out of memory; nothing was written", result.file, result.names};
  } catch (const std::exception& e) {
    result = {Outcome::Failed, e.what(), result.file, result.names};
  }
  return result;
}

const char* OutcomeWord(Outcome outcome) {
  switch (outcome) {
    case Outcome::Saved:
      return "saved";
    case Outcome::Refused:
      return "refused";
    case Outcome::Changed:
      return "changed";
    case Outcome::Failed:
      break;
  }
  return "failed";
}

std::string LogLine(const std::string& requester, const Result& result) {
  std::string line = requester + " asked to save " + Quoted(result.file);
  if (!result.names.empty()) {
    line += " (";
    for (std::size_t i = 0; i < result.names.size(); ++i) line += (i ? ", " : "") + result.names[i];
    line += ")";
  }
  line += ": ";
  line += OutcomeWord(result.outcome);
  if (!result.message.empty()) line += ": " + result.message;
  std::string escaped;
  static const char kDigits[] = "0123456789abcdef";
  for (const char c : line) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 32 || byte == 127) {
      escaped += c == '\n' ? std::string(" / ") : std::string("\\x") + kDigits[byte >> 4] + kDigits[byte & 15];
    } else {
      escaped += c;
    }
  }
  return escaped;
}

}  // namespace helper
