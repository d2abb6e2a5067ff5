#pragma once
// The error box: errors raised inside a user action end here and are shown in
// a stop-icon box titled "Pellisto" (see also PellistoApplication::notify).

#include <QMessageBox>
#include <QString>
#include <exception>

class QWidget;

// A modal message box titled with the program's name "Pellisto".
QMessageBox::StandardButton ShowMessageBox(QWidget* parent, QMessageBox::Icon icon,
                                           const QString& text,
                                           QMessageBox::StandardButtons buttons,
                                           QMessageBox::StandardButton defaultButton);

// Adds a final "." when the text's last character sorts after ".".
QString ErrorBoxText(const QString& text);
// Shows the error box (through the platform services).
void ShowErrorBox(const QString& text, QWidget* parent = nullptr);
// Shows the error box for the exception in flight (or given).
void HandleException(std::exception_ptr error, QWidget* parent = nullptr);

// Runs an action, showing any error it raises in the error box; returns false
// when it raised. Handlers connected to widgets run through this, so the
// action stops where the error arose and the program carries on.
template <typename F>
bool RunGuarded(F&& action, QWidget* parent = nullptr) {
  try {
    action();
    return true;
  } catch (...) {
    HandleException(std::current_exception(), parent);
    return false;
  }
}
