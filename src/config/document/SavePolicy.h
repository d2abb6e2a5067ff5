#pragma once
// How a document's pending changes are saved, the same for the window and
// pellisto-conf: the checks that refuse a save before anything is written,
// and, when another program changed the file since it was read, the pending
// changes put on top of the file as it is now, asking which value to keep
// where both changed the same parameter.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/document/TVantrel.h"

namespace conf {

// How the values of the 46 are checked. The window's pages write them as the
// user typed them (their controls hold them to the pages' rules, as a 2.x
// server reads them); a value given on a command line is checked as the
// file's version reads it, whatever the name. The names beyond the 46 are
// always checked as their version reads them.
enum class PageValues { AsTyped, AsTheirVersionReads };

// Why the value cannot be saved for the name in a file of the version; a
// number the server would not keep as written is refused either way.
std::optional<std::string> SaveValueProblem(SettingId id, std::string_view value, ServerVersion v,
                                            PageValues pageValues);

// What refuses a save of the document's pending changes.
struct SaveRefusal {
  // "<Key>: <problem>" of the first pending change whose value cannot be saved.
  std::optional<std::string> value;
  // One message per parameter the changes are not about whose reading by
  // the server the save would change.
  std::vector<std::string> untouched;
  bool Refused() const { return value || !untouched.empty(); }
};
SaveRefusal CheckBeforeSave(const TVantrel& document, PageValues pageValues);

// What a save did.
struct SaveOutcome {
  bool changed = false;              // a parameter changed in the file
  std::vector<SettingId> leftOut;    // changes the file has no line for
  // The document written, where it is not the one given: after a merge (or
  // after a save by another process, read back by the caller).
  std::unique_ptr<TVantrel> merged;
  bool mergedOthers = false;         // the save went on top of another program's changes
  std::string late;                  // what went wrong after the file was saved
};

// One write of a document: what went wrong after it was saved. Throws
// FileChangedError when the file is not the one the document read.
using DocumentWriter = std::function<std::string(TVantrel&)>;
// The question to the user where another program changed a parameter the
// document changed too: true keeps the document's value, false the file's.
using KeepOwnValue = std::function<bool(const TVantrel::Conflict&)>;
// The checks before each write; throws to refuse it (nothing written).
using SaveCheck = std::function<void(const TVantrel&)>;

// Merges after this many writes that met a file changed again.
inline constexpr int kMergeAttempts = 5;

// Checks and writes the document. When the file changed on disk since it
// was read, the pending changes go on top of the file as it is now
// (TVantrel::Reread), each conflict is put to keepOwn, the result is checked
// again and written, up to kMergeAttempts times before the FileChangedError
// is let through. The document given stays as it was after a merge; the
// one written comes back in merged.
SaveOutcome SaveMergingChangesOnDisk(TVantrel& document, const DocumentWriter& write, const SaveCheck& check,
                                     const KeepOwnValue& keepOwn);

}  // namespace conf
