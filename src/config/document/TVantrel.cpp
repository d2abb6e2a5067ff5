#include "config/document/TVantrel.h"

#include <string_view>
#include <utility>

#include "config/fs/AtomicFile.h"
#include "config/fs/SaveTarget.h"
#include "format/GenerationReaders.h"
#include "config/firebird/ParameterRules.h"

namespace {

const char kFileName[] = "firebird.conf";

// Whether a pending entry "Key=value" is the one of the key.
bool IsEntryOf(std::string_view entry, std::string_view name) {
  return entry.size() > name.size() && entry[name.size()] == '=' && entry.starts_with(name);
}

}  // namespace

namespace conf {

std::string ResetToDefaults(const std::string& folder, const SaveTarget::Options& options) {
  const std::string defaults = ReadWholeFile(folder + kFileName + ".default");
  SaveTarget target(folder + kFileName, options);
  return target.Replace(WithWrittenEnds(defaults));
}

}  // namespace conf

TVantrel::TVantrel() = default;
TVantrel::~TVantrel() = default;

std::string TVantrel::PathOf(const std::string& folder) const {
  return (folder.empty() ? folder_ : folder) + kFileName;
}

void TVantrel::Load(const std::string& folder) { LoadFile(PathOf(folder)); }

void TVantrel::Load(const std::string& folder, ServerVersion version) {
  LoadFile(PathOf(folder), version);
  versionGiven_ = true;
}

ServerVersion TVantrel::Version() const {
  if (!version_) {
    const DetectedVersion detected = DetectServerVersion({text_.get(), textSize_});
    version_ = detected.version;
    cue_ = detected.cue;
  }
  return *version_;
}

VersionCue TVantrel::VersionFoundBy() const {
  Version();
  return cue_;
}

void TVantrel::LoadFile(const std::string& path, std::optional<ServerVersion> version) {
  LoadText(conf::ReadWholeFileBuffer(path), path, version);
}

void TVantrel::Load(conf::SaveTarget& file, std::optional<ServerVersion> version) {
  LoadText(file.Read(), file.Path(), version);
  versionGiven_ = version.has_value();
}

void TVantrel::LoadText(conf::FileBuffer file, const std::string& path, std::optional<ServerVersion> version) {
  const std::string_view text = file.view();

  // The rules: the version given, else the one the header names; a 2.x
  // header needs no more, a file without one its names.
  VersionCue cue = VersionCue::Given;
  if (!version) {
    const conf::Header header = conf::HeaderOf(text);
    cue = VersionCue::Header;
    if (header.version) {
      version = header.version;
    } else if (!header.found) {
      const DetectedVersion detected = DetectServerVersion(text);
      version = detected.version;
      cue = detected.cue;
    }
  }
  const Generation generation = version ? GenerationOf(*version) : Generation::V2;

  conf::LineIndex index = conf::IndexLines(text, generation);
  std::array<std::string, kParameterCount> values;
  for (const auto& p : kParameters) {
    long at = index.lineOf[static_cast<std::size_t>(p.key)];
    values[static_cast<std::size_t>(p.key)] =
        at < 0 ? std::string("*") : conf::ValueForm(index.lines[at], p.name, generation);
  }

  text_ = std::move(file.data);  // the views keep pointing into the same buffer
  textSize_ = file.size;
  lines_ = std::move(index.lines);
  ends_ = std::move(index.ends);
  rewritten_.clear();
  values_ = std::move(values);
  otherValues_.clear();
  generation_ = generation;
  version_ = version;
  cue_ = cue;
  versionGiven_ = false;
  folder_ = RootDirectory();
  diskPath_ = path;
}

std::string TVantrel::LoadedValueOf(std::string_view name) const {
  const long at = conf::ParameterLine(lines_, name, generation_);
  return at < 0 ? std::string("*") : conf::ValueForm(lines_[static_cast<std::size_t>(at)], name, generation_);
}

std::string TVantrel::Save(const std::string& folder) {
  if (pending_.empty()) return {};
  conf::SaveTarget target(PathOf(folder));
  return Save(target);
}

std::string TVantrel::Save(conf::SaveTarget& file) {
  if (pending_.empty()) return {};
  const std::string& path = file.Path();
  // Another folder is a file this document never read: replacing it is what
  // the caller asked for.
  if (path == diskPath_ && !file.Holds({text_.get(), textSize_}))
    throw FileChangedError("The file \"" + path +
                           "\" was changed by another program after it was read; nothing was written");

  // Lines are changed in place and put back if the file cannot be written, so
  // a failed save leaves the document as it was.
  std::vector<std::pair<std::size_t, std::string_view>> replaced;
  conf::MergePending(pending_, generation_, lines_, rewritten_, replaced);
  std::vector<conf::LineEnd> ends(ends_.size());
  for (std::size_t i = 0; i < ends.size(); ++i) ends[i] = conf::WrittenEnd(ends_[i]);
  conf::FileBuffer written;
  std::string late;
  try {
    written = conf::JoinToBuffer(lines_, ends);
    late = file.Replace(written.view());
  } catch (...) {
    // Newest first: a line rewritten twice gets its first rewrite back and
    // then its original, and each rewrite is dropped only once no line
    // points into it.
    for (auto it = replaced.rbegin(); it != replaced.rend(); ++it) {
      lines_[it->first] = it->second;
      rewritten_.pop_back();
    }
    throw;
  }
  // From now on the document's text is the file's: the lines point into what
  // was written, and the buffer read before and the rewritten lines go.
  ends_ = std::move(ends);
  std::size_t at = 0;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    lines_[i] = std::string_view(written.data.get() + at, lines_[i].size());
    at += lines_[i].size() + conf::SizeOf(ends_[i]);
  }
  text_ = std::move(written.data);
  textSize_ = written.size;
  rewritten_.clear();
  diskPath_ = path;
  return late;
}

std::string TVantrel::LoadedValue(ParamKey key) const { return LoadedValueOf(KeyName(key)); }

std::vector<SettingId> TVantrel::PendingWithoutLine() const {
  std::vector<SettingId> left;
  for (const std::string& entry : pending_) {
    const std::string_view name = std::string_view(entry).substr(0, entry.find('='));
    const auto id = FindSetting(name);
    if (id && ParamKeyOf(*id) != ParamKey::RootDirectory &&
        Decode(LoadedValueOf(name)).state == ValueState::Absent)
      left.push_back(*id);
  }
  return left;
}

std::unique_ptr<TVantrel> TVantrel::Reread(std::vector<Conflict>& conflicts) const {
  auto fresh = std::make_unique<TVantrel>();
  // Read by the same rules as this document.
  fresh->LoadFile(diskPath_.empty() ? PathOf("") : diskPath_, versionGiven_ ? version_ : std::nullopt);
  fresh->versionGiven_ = versionGiven_;
  // Where the document saves does not move with what the file says.
  fresh->folder_ = folder_;
  fresh->values_[static_cast<std::size_t>(ParamKey::RootDirectory)] = RootDirectory();
  fresh->modified_ = modified_;
  fresh->marked_ = marked_;
  conflicts.clear();
  for (const std::string& entry : pending_) {
    const std::size_t eq = entry.find('=');
    const std::string_view name = std::string_view(entry).substr(0, eq);
    const std::string own = entry.substr(eq + 1);
    const SettingId id = *FindSetting(name);
    const std::optional<ParamKey> key = ParamKeyOf(id);
    // The 46 compare by meaning: a list composed again is no change.
    const auto same = [&](std::string_view a, std::string_view b) {
      return key ? MeansTheSame(*key, a, b) : a == b;
    };
    const std::string before = LoadedValueOf(name);
    if (same(own, before)) continue;
    const std::string now = fresh->ValueOf(id);
    if (Decode(now).state != ValueState::Absent && !same(now, before) && !same(now, own))
      conflicts.push_back({id, now, own});
    if (key)
      fresh->values_[static_cast<std::size_t>(*key)] = own;
    else
      fresh->otherValues_[id] = own;
    fresh->pending_.push_back(entry);
  }
  return fresh;
}

void TVantrel::DiscardChange(SettingId id) {
  const std::string_view name = SettingInfoOf(id).name;
  for (auto it = pending_.begin(); it != pending_.end(); ++it) {
    if (IsEntryOf(*it, name)) {
      pending_.erase(it);
      if (const auto key = ParamKeyOf(id))
        values_[static_cast<std::size_t>(*key)] = LoadedValue(*key);
      else
        otherValues_.erase(id);
      return;
    }
  }
}

void TVantrel::WithdrawChange(SettingId id) {
  DiscardChange(id);
  if (pending_.empty() && modified_ && !marked_) SetModified(false);
}

PerSetting<long> TVantrel::SettingLines() const { return conf::SettingLines(lines_, generation_); }

std::vector<std::string> TVantrel::LinesAfterSave() const {
  std::vector<std::string_view> lines = lines_;
  std::deque<std::string> store;
  std::vector<std::pair<std::size_t, std::string_view>> replaced;
  conf::MergePending(pending_, generation_, lines, store, replaced);
  return std::vector<std::string>(lines.begin(), lines.end());
}

std::vector<std::string> TVantrel::Lines() const {
  return std::vector<std::string>(lines_.begin(), lines_.end());
}

void TVantrel::SetModified(bool value) {
  modified_ = value;
  marked_ = value;
  if (!value) pending_.clear();
  if (OnModified) OnModified(*this, value);
}

void TVantrel::SetValue(ParamKey key, const std::string& value) {
  const ParameterInfo& info = ParameterOf(key);
  if (!info.hasSetter)
    throw std::logic_error(std::string(info.name) + " cannot be changed");
  std::string& current = values_[static_cast<std::size_t>(key)];
  if (current == value) return;
  current = value;
  std::string entry(info.name);
  entry += '=';
  entry += value;
  RecordChange(entry);
  if (key == ParamKey::RootDirectory) folder_ = value;
}

void TVantrel::RecordChange(const std::string& entry) {
  std::string_view name = std::string_view(entry).substr(0, entry.find('='));
  bool replaced = false;
  for (auto& pending : pending_) {
    if (IsEntryOf(pending, name)) {
      pending = entry;
      replaced = true;
      break;
    }
  }
  if (!replaced) pending_.push_back(entry);
  PendingChanged();
}

void TVantrel::PendingChanged() {
  // SetModified(true), without marking the document modified beyond its
  // pending changes.
  modified_ = true;
  if (OnModified) OnModified(*this, true);
}

std::string TVantrel::ValueOf(SettingId id) const {
  if (const auto key = ParamKeyOf(id)) return Value(*key);
  if (const auto set = otherValues_.find(id); set != otherValues_.end()) return set->second;
  return LoadedValueOf(SettingInfoOf(id).name);
}

void TVantrel::SetValueOf(SettingId id, const std::string& value) {
  if (const auto key = ParamKeyOf(id)) return SetValue(*key, value);
  if (ValueOf(id) == value) return;
  otherValues_[id] = value;
  RecordChange(std::string(SettingInfoOf(id).name) + "=" + value);
}
