#include "support/FakePlatform.h"

#include <QCoreApplication>
#include <QDialog>

FakePlatform::FakePlatform(const QString& folder) : applicationFolder(folder) {
  SetPlatform(this);
}

FakePlatform::~FakePlatform() { SetPlatform(nullptr); }

QString FakePlatform::ChooseFolder(QWidget*, const QString& title, const QString& start) {
  chooserTitles << title;
  chooserStarts << start;
  if (folderChoices.empty()) return {};
  QString choice = folderChoices.front();
  folderChoices.pop_front();
  return choice;
}

QMessageBox::StandardButton FakePlatform::ShowMessage(
    QWidget*, QMessageBox::Icon icon, const QString& title, const QString& text,
    QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton) {
  messages.push_back({icon, title, text, buttons, defaultButton});
  if (onMessage) onMessage(messages.back());
  if (answers.empty()) return defaultButton;
  auto answer = answers.front();
  answers.pop_front();
  return answer;
}

int FakePlatform::ExecDialog(QDialog& dialog) {
  shownDialogs << dialog.objectName();
  dialog.setResult(QDialog::Rejected);
  dialog.show();
  QCoreApplication::processEvents();
  if (!dialogHandlers.empty()) {
    auto handler = std::move(dialogHandlers.front());
    dialogHandlers.pop_front();
    handler(dialog);
  }
  if (dialog.isVisible()) dialog.reject();
  return dialog.result();
}
