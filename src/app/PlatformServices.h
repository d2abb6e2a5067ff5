#pragma once
// Everything the program asks of the desktop sits behind this one interface,
// so that tests can answer dialogs and record links without a real desktop.

#include <QMessageBox>
#include <QString>

class QDialog;
class QWidget;

class PlatformServices {
 public:
  virtual ~PlatformServices() = default;

  // The folder chooser, opened at start (the home folder when it is empty
  // or missing): the chosen folder's path, or an empty text on cancel.
  virtual QString ChooseFolder(QWidget* owner, const QString& title, const QString& start) = 0;

  // Shows a dialog modally and returns its result (QDialog::Accepted or
  // QDialog::Rejected). Tests drive the dialog here instead of a modal loop.
  virtual int ExecDialog(QDialog& dialog) = 0;

  // A modal message box; returns the button pressed.
  virtual QMessageBox::StandardButton ShowMessage(
      QWidget* parent, QMessageBox::Icon icon, const QString& title,
      const QString& text, QMessageBox::StandardButtons buttons,
      QMessageBox::StandardButton defaultButton) = 0;

  // Opens an address in the default browser (or mail client); never blocks,
  // never reports a failure.
  virtual void OpenUrl(const QString& url) = 0;

  // Opens a text file in the desktop's text editor, without waiting.
  virtual void OpenInTextEditor(const QString& path) = 0;

  // The Firebird folder the system names, or empty: FIREBIRD, else on
  // Windows the folder registered by the installer (DefaultInstance), and
  // elsewhere /opt/firebird/ when it holds firebird.conf, else the newest
  // /etc/firebird/<version>/ that holds one.
  virtual QString RegisteredFirebirdFolder() = 0;

  // Full path of the running executable (its version is read from it).
  virtual QString ExecutablePath() = 0;

  // Folder of the executable, ending with the separator. Config.ini lives here when
  // the folder is writable; the catalogs are looked for here first.
  virtual QString ApplicationFolder() = 0;

  // Whether a file can be created in the folder right now (an installed
  // program's folder cannot: its settings then go to the user's folder).
  virtual bool CanWriteInFolder(const QString& folder) = 0;

  // Address of the published current-version document.
  virtual QString VersionDocumentUrl() = 0;
};

// The services in use; the real desktop's unless a test substituted its own.
PlatformServices& Platform();
// Substitutes the services (tests); nullptr restores the real ones. The
// caller keeps ownership.
void SetPlatform(PlatformServices* services);

// The real implementation, for tests that want to extend it.
class DesktopServices : public PlatformServices {
 public:
  QString ChooseFolder(QWidget* owner, const QString& title, const QString& start) override;
  int ExecDialog(QDialog& dialog) override;
  QMessageBox::StandardButton ShowMessage(
      QWidget* parent, QMessageBox::Icon icon, const QString& title,
      const QString& text, QMessageBox::StandardButtons buttons,
      QMessageBox::StandardButton defaultButton) override;
  void OpenUrl(const QString& url) override;
  void OpenInTextEditor(const QString& path) override;
  QString RegisteredFirebirdFolder() override;
  QString ExecutablePath() override;
  QString ApplicationFolder() override;
  bool CanWriteInFolder(const QString& folder) override;
  QString VersionDocumentUrl() override;

 protected:
  // The program that opens a text file: Notepad on Windows, the desktop's
  // opener elsewhere.
  virtual QString TextEditorLauncher();
};
