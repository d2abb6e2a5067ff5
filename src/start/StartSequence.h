#pragma once
// How the program starts: everything between creating the application
// object and entering its message loop, in this order: the title, the data
// module, the language, the first-run dialog when no folder is saved, the
// editor window, word of any copy an unfinished write left behind, and the
// quiet update check before that window is shown.

#include <memory>

class QString;
class QWidget;
class TMainFrm;
class TModMainDM;

struct StartedProgram {
  std::unique_ptr<TModMainDM> dataModule;
  // The editor window, created but not shown; null when the first-run
  // dialog was cancelled, which ends the program.
  std::unique_ptr<TMainFrm> mainWindow;

  StartedProgram();
  StartedProgram(StartedProgram&&) noexcept;
  ~StartedProgram();
};

// Sets InstallPath from "Path", asking for the folder in the welcome dialog
// when none is saved. False when that dialog ended other than with Done.
bool CheckFirstRun();

// Offers, for each copy that an in-place write of the Firebird folder's own
// firebird.conf left behind because it did not finish (a crash, a killed
// process), to put it back or remove it: until one of them is done, no save
// touches that file. Before the window opens, so that it shows the file as
// it then is.
void OfferToRecover(const QString& file);
// Tells, in one message box, of every such copy of another file than the
// one offered.
void ReportLeftOverCopies(QWidget* parent, const QString& offered);

// Runs the start on the application object that exists.
StartedProgram StartProgram();
