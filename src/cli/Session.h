#pragma once
// One run of a pellisto-conf command on a Firebird folder: the commands that
// read the file (ReadCommands.cpp: list, get, check) and those that change
// it (WriteCommands.cpp: set, reset), and what they share (Session.cpp):
// how the file is read, the names checked, and the messages.

#include <iosfwd>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/CommandLine.h"
#include "config/ConfReading.h"

class TVantrel;

namespace cli {

class Session {
 public:
  Session(const Options& o, std::string folder, std::ostream& out, std::ostream& err)
      : o_(o), folder_(std::move(folder)), out_(out), err_(err) {}

  // Runs the command the operands name; its exit code.
  int Dispatch();

 private:
  // The file as the server of its version reads it.
  struct Reading {
    DetectedVersion detected{kAssumedVersion, VersionCue::None};
    ConfReading conf;
  };
  using Changes = std::vector<std::pair<SettingId, std::string>>;

  bool Expect(bool operandsFit, bool jsonFits, bool dryRunFits);
  int Usage(const std::string& message);
  int Fail(const std::string& message, int code);
  // Reports one refused key or value; the command goes on to report the rest.
  void Refuse(const std::string& message, bool& refused);

  std::string ConfPath() const { return folder_ + "firebird.conf"; }
  Reading Read() const;
  static std::string VersionOf(const Reading& r);
  // A 3.0+ server that refuses the file uses none of its values.
  bool Refused(const Reading& r);
  // A name of the catalogue that the version reads, or the reason why not.
  std::optional<SettingId> ReadName(const std::string& name, ServerVersion v, bool& refused);

  int List();
  void ListJson(const Reading& r);
  void ListTable(const Reading& r);
  int Get(const std::vector<std::string>& names);
  int Check();

  int Set(const std::vector<std::string>& pairs);
  // The pairs given as values written in a form the version reads; every
  // one that cannot be written is refused.
  Changes CheckedChanges(const std::vector<std::pair<std::string, std::string>>& given, ServerVersion v,
                         bool& refused);
  // Refuses the changes of a file the server refuses as it is, and of names
  // it has no line for.
  // (current: the file as it is, read by the document's version).
  void RefuseWhatCannotBeWritten(const TVantrel& doc, const ConfReading& current, const Changes& changes,
                                 bool& refused);
  // Refuses what, once written, would not be read as meant (changed: the
  // file as the save would write it).
  void RefuseWhatWouldNotTakeEffect(const TVantrel& doc, const ConfReading& current, const ConfReading& changed,
                                    const Changes& changes, bool& refused);
  // What set --json reports: the file's lines and readings before and after,
  // and the index of the line each name given has.
  struct SetResult {
    const std::vector<std::string>& before;
    const std::vector<std::string>& after;
    const ConfReading& current;
    const ConfReading& changed;
    std::vector<std::pair<SettingId, long>> lines = {};
  };
  void SetJson(ServerVersion v, const SetResult& r, bool written);
  int Reset();

  const Options& o_;
  std::string folder_;
  std::ostream& out_;
  std::ostream& err_;
};

}  // namespace cli
