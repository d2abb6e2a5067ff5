#pragma once
// TVantrel: one firebird.conf in memory. It keeps the file as its lines, reads
// the value of every known parameter, records changes as pending and, on
// saving, rewrites only the lines of the changed parameters.

#include <array>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "config/fs/AtomicFile.h"
#include "config/format/ConfLines.h"
#include "config/firebird/ParameterCatalogue.h"
#include "config/fs/SaveTarget.h"
#include "config/firebird/ServerVersion.h"
#include "config/firebird/VersionCatalogue.h"
#include "config/format/VersionDetection.h"


class TVantrel {
 public:
  using ModifiedHandler = std::function<void(TVantrel& sender, bool modified)>;

  TVantrel();
  ~TVantrel();
  TVantrel(const TVantrel&) = delete;
  TVantrel& operator=(const TVantrel&) = delete;

  // Reads <folder>firebird.conf (empty folder: the document's Folder).
  // Throws FileError "Cannot open file "<path>". <reason>"; on failure nothing
  // in the document changes.
  void Load(const std::string& folder);
  // The same, read as the given version reads it rather than the one the
  // file shows.
  void Load(const std::string& folder, ServerVersion version);
  // Reads the file of a save target, which a later Save into it finds
  // again (as pellisto-conf does from reading the file to replacing it).
  void Load(conf::SaveTarget& file, std::optional<ServerVersion> version = std::nullopt);

  // The server version the file was taken for (or given). A 2.x file keeps
  // the editor's rule: a parameter's line is the last one holding
  // "<Key> =". On a 3.0+ file it is the line that version's server reads:
  // the first active one, its key compared ignoring case, with or without
  // blanks around "="; else the last commented "#Key =" line.
  ServerVersion Version() const;
  // How Version() was found: given, from the header, from the names.
  VersionCue VersionFoundBy() const;
  Generation FileGeneration() const { return generation_; }

  // Writes the pending changes into their lines and the file as one step
  // (empty folder: the document's Folder). No pending change: nothing
  // written. It works on the file as a SaveTarget does (found once, the
  // writers' lock held, replaced by a rename or in place) and, when the file
  // is the one the document read or last wrote, first checks that the file
  // still holds exactly those bytes; if not, it throws FileChangedError.
  // Other failures throw FileError (or LockTimeout). Whatever fails, the
  // lines, the pending changes and Modified stay as they were. Returns what
  // went wrong after the new text was complete (SaveTarget::Replace).
  std::string Save(const std::string& folder);
  // The same into a target the caller holds.
  std::string Save(conf::SaveTarget& file);

  // A pending change that meets another program's change of the same
  // parameter: the value now in the file and the document's own.
  struct Conflict {
    SettingId id;
    std::string fileValue;
    std::string ownValue;
  };
  // The file as it is on disk now, read into a new document that carries
  // this document's changes on top of it: every pending change that means
  // something else than the value it replaced (MeansTheSame), in the same
  // order. The folder and RootDirectory stay this document's. conflicts gets
  // the changed parameters whose value in the file changed as well, to
  // something else than ours. Throws FileError when the file cannot be read;
  // this document does not change.
  std::unique_ptr<TVantrel> Reread(std::vector<Conflict>& conflicts) const;
  // Drops the pending change of the name; it takes the file's value again.
  void DiscardChange(SettingId id);
  // The same for a change the user took back: once no change is pending
  // and nothing else marked the document modified (SetModified(true)), the
  // document is unmodified again.
  void WithdrawChange(SettingId id);
  // The value form the key has in the lines as last read or written.
  std::string LoadedValue(ParamKey key) const;
  // The names of the pending changes a save leaves out because the file has
  // no line for them (its version of Firebird does not know them, or another
  // program took the line away), in the order changed. RootDirectory is not
  // among them: its change moves the folder saved into, which a save does.
  std::vector<SettingId> PendingWithoutLine() const;

  bool Modified() const { return modified_; }
  void SetModified(bool value);
  ModifiedHandler OnModified;

  const std::string& Folder() const { return folder_; }
  // The file the text comes from: the one read, or the one last written
  // (empty: none).
  const std::string& DiskPath() const { return diskPath_; }
  // The bytes of the file as read, or as last written.
  std::string_view Text() const { return {text_.get(), textSize_}; }
  // The lines of the file as loaded, with the lines of saved changes replaced.
  std::vector<std::string> Lines() const;
  // The lines a Save would write now; the document does not change.
  std::vector<std::string> LinesAfterSave() const;
  // Entries "Key=value", one per key, in first-change order.
  const std::vector<std::string>& PendingChanges() const { return pending_; }

  // Value of one parameter: the value text, "#" + value text (commented line)
  // or "*" (no line for the key).
  const std::string& Value(ParamKey key) const {
    return values_[static_cast<std::size_t>(key)];
  }
  // The setter of a key; throws std::logic_error for a key without one.
  void SetValue(ParamKey key, const std::string& value);

  // Any name of the catalogue, by the same value forms and rules: the 46
  // parameters go through Value and SetValue, the others are read from
  // their lines when asked for. DummyPacketInterval cannot be set.
  std::string ValueOf(SettingId id) const;
  void SetValueOf(SettingId id, const std::string& value);

  // For every catalogue name, the index of the line a save rewrites for it
  // (the rule of Version() above), or -1 when the file has none; found in
  // one pass over the lines.
  PerSetting<long> SettingLines() const;

  // One read-only property per key, named like the key, and one setter per
  // key that has one (DummyPacketInterval has none).
#define PELLISTO_GETTER(Key) \
  const std::string& Key() const { return Value(ParamKey::Key); }
  PELLISTO_PARAMETERS(PELLISTO_GETTER, PELLISTO_GETTER)
#undef PELLISTO_GETTER
#define PELLISTO_SETTER(Key) \
  void Set##Key(const std::string& v) { SetValue(ParamKey::Key, v); }
#define PELLISTO_NO_SETTER(Key)
  PELLISTO_PARAMETERS(PELLISTO_SETTER, PELLISTO_NO_SETTER)
#undef PELLISTO_SETTER
#undef PELLISTO_NO_SETTER

 private:
  void RecordChange(const std::string& entry);
  void PendingChanged();
  void LoadFile(const std::string& path, std::optional<ServerVersion> version = std::nullopt);
  // The value form of a name from the lines, by the file's rule.
  std::string LoadedValueOf(std::string_view name) const;
  std::string PathOf(const std::string& folder) const;
  void LoadText(conf::FileBuffer file, const std::string& path, std::optional<ServerVersion> version);

  // The file is kept whole and its lines are views into it (or into the
  // rewritten lines), so a large file costs one buffer, not one per line.
  // After a save the buffer is the text written.
  std::unique_ptr<char[]> text_;
  std::size_t textSize_ = 0;
  std::deque<std::string> rewritten_;
  std::vector<std::string_view> lines_;
  std::vector<conf::LineEnd> ends_;  // how each line ends in the file
  std::vector<std::string> pending_;
  bool modified_ = false;
  // Modified by SetModified(true) rather than by a recorded change.
  bool marked_ = false;
  std::array<std::string, kParameterCount> values_;
  // Values set for the names beyond the 46.
  std::map<SettingId, std::string> otherValues_;
  Generation generation_ = Generation::V2;
  // Given, or found at loading (a 2.x header leaves which 2.x to when it is
  // asked for).
  mutable std::optional<ServerVersion> version_;
  mutable VersionCue cue_ = VersionCue::None;
  bool versionGiven_ = false;
  std::string folder_;
  // The file that holds exactly text_ (empty: none): the file read, or the
  // file last written, whose bytes then replace the ones read.
  std::string diskPath_;
};

namespace conf {
// Copies <folder>firebird.conf.default over <folder>firebird.conf as a save
// writes it (SaveTarget), with the line ends a save writes (WrittenEnd). Throws
// FileError; returns what went wrong after the copy was complete.
std::string ResetToDefaults(const std::string& folder, const SaveTarget::Options& options = {});
}  // namespace conf
