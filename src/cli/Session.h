#pragma once
// One run of a pellisto-conf command on a Firebird folder: the commands that
// read the file (ReadCommands.cpp: list, get, check) and those that change
// it (WriteCommands.cpp: set, reset), and what they share (Session.cpp):
// how the file is read, the names checked, and the messages.

#include <array>
#include <iosfwd>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/CommandLine.h"
#include "config/document/CheckedChanges.h"
#include "config/format/ConfReading.h"
#include "config/fs/SafetyCopy.h"
#include "config/fs/SaveTarget.h"

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

  // The options a command takes besides --folder and --server-version.
  struct Takes {
    bool json = false;
    bool dryRun = false;
    bool trustFolders = false;
    bool choice = false;  // recover's --restore and --discard
  };
  bool Expect(bool operandsFit, Takes takes);
  int Usage(const std::string& message);
  int Fail(const std::string& message, int code);
  // Says what went wrong after a change was complete: it stands.
  void Warn(const std::string& message);
  // How a save of this run finds the file (SaveTarget).
  conf::SaveTarget::Options TargetOptions() const;
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
  void SetJson(ServerVersion v, const conf::CheckedChanges& r, bool written);
  int Reset();
  int Recover();
  int ShowCopies(conf::SaveTarget& target, const std::vector<conf::LeftOverCopy>& copies);

  const Options& o_;
  std::string folder_;
  std::ostream& out_;
  std::ostream& err_;
};

}  // namespace cli
