#pragma once
// Saving as administrator. On a firebird.conf that this user may not write
// (root's /etc/firebird/3.0/firebird.conf opened by the admin's own account),
// the window does not write itself, nor ever runs as root: it asks
// pellisto-save-helper, run as root through pkexec under the polkit action
// org.pellisto.pellisto.save, to make the one save, and the desktop's own
// authentication agent asks for the password. The helper is given the file,
// the SHA-256 of the bytes the window read, and the changed parameters; it
// checks them all again itself (helper/SaveHelper.h). Linux only.

#include <QString>
#include <QStringList>
#include <string>

class QWidget;

class AdminSave {
 public:
  // How a request ended.
  enum class Outcome {
    Saved,      // message: what went wrong after the file was saved, if anything
    Changed,    // the file is not the one read any more; nothing written
    Refused,    // the helper refused the request; message says why
    Failed,     // the save, or running the helper, failed; message says why
    Cancelled,  // no authorisation (dialog dismissed, password refused); message: pkexec's words
  };
  struct Reply {
    Outcome outcome = Outcome::Failed;
    QString message;
  };

  // Whether a save of the file at path goes through the helper: this user
  // may not write it (and is not root), and pkexec and the helper are
  // installed.
  static bool Offered(const std::string& path);
  // Whether it would, but pkexec is not installed.
  static bool WantsPkexec(const std::string& path);

  // Runs the helper with these arguments through pkexec and waits for it,
  // the window repainting but taking no input meanwhile.
  static Reply Run(const QStringList& args);
  // Whether a request is running (the window must not close meanwhile).
  static bool Running();

  // The helper: beside the program (a build folder), else in lib/pellisto/
  // of the prefix it is installed under; empty when there is none.
  static QString HelperPath();
  // pkexec, as found on PATH; empty when it is not installed.
  static QString PkexecPath();
};
