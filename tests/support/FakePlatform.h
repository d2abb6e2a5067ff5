#pragma once
// Test double for the desktop: message boxes are answered from a queue and
// recorded, folder choices come from a queue, links and editors are recorded.

#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

#include "app/PlatformServices.h"

struct RecordedMessage {
  QMessageBox::Icon icon;
  QString title;
  QString text;
  QMessageBox::StandardButtons buttons;
  QMessageBox::StandardButton defaultButton;
};

class FakePlatform : public PlatformServices {
 public:
  // Installs itself as the platform services; the application folder is
  // the given one (it must end with "/").
  explicit FakePlatform(const QString& applicationFolder);
  ~FakePlatform() override;

  QString ChooseFolder(QWidget* owner, const QString& title, const QString& start) override;
  // Shows the dialog without a modal loop and hands it to the next handler,
  // which drives it as a user would; a dialog still open afterwards is
  // closed as by Esc. Without a handler the dialog is closed at once.
  int ExecDialog(QDialog& dialog) override;
  QMessageBox::StandardButton ShowMessage(
      QWidget* parent, QMessageBox::Icon icon, const QString& title,
      const QString& text, QMessageBox::StandardButtons buttons,
      QMessageBox::StandardButton defaultButton) override;
  void OpenUrl(const QString& url) override { openedUrls.push_back(url); }
  void OpenInTextEditor(const QString& path) override { editedFiles.push_back(path); }
  QString RegisteredFirebirdFolder() override { return registeredFolder; }
  QString ExecutablePath() override { return executablePath; }
  QString ApplicationFolder() override { return applicationFolder; }
  // Every folder counts as writable unless listed in readOnlyFolders, so a
  // test never reaches the real user's settings by accident.
  bool CanWriteInFolder(const QString& folder) override {
    return !readOnlyFolders.contains(folder);
  }
  QString VersionDocumentUrl() override { return versionDocumentUrl; }

  // Answers for the next message boxes, in order; when the queue is empty a
  // box is answered with its default button.
  std::deque<QMessageBox::StandardButton> answers;
  // Results of the next folder choices; empty queue means "cancelled".
  std::deque<QString> folderChoices;
  // Told of each message box as it is shown, before it is answered: what
  // happens meanwhile elsewhere (another program writing the file).
  std::function<void(const RecordedMessage&)> onMessage;
  // Drivers for the next dialogs, in order.
  std::deque<std::function<void(QDialog&)>> dialogHandlers;

  std::vector<RecordedMessage> messages;
  QStringList chooserTitles;
  QStringList chooserStarts;  // the folder each chooser opened at
  QStringList shownDialogs;  // object names, in order
  QStringList openedUrls;
  QStringList editedFiles;
  QString registeredFolder;
  QString executablePath;
  QString applicationFolder;
  QStringList readOnlyFolders;
  QString versionDocumentUrl;
};
