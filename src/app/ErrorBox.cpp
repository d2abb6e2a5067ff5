#include "app/ErrorBox.h"

#include <stdexcept>

#include "app/Functions.h"
#include "app/PlatformServices.h"

QString ErrorBoxText(const QString& text) {
  if (!text.isEmpty() && text.back() > QLatin1Char('.')) return text + QLatin1Char('.');
  return text;
}

QMessageBox::StandardButton ShowMessageBox(QWidget* parent, QMessageBox::Icon icon,
                                           const QString& text,
                                           QMessageBox::StandardButtons buttons,
                                           QMessageBox::StandardButton defaultButton) {
  return Platform().ShowMessage(parent, icon, QStringLiteral("Pellisto"), text, buttons,
                                defaultButton);
}

void ShowErrorBox(const QString& text, QWidget* parent) {
  ShowMessageBox(parent, QMessageBox::Critical, ErrorBoxText(text), QMessageBox::Ok,
                 QMessageBox::Ok);
}

void HandleException(std::exception_ptr error, QWidget* parent) {
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    ShowErrorBox(FromDoc(e.what()), parent);
  } catch (...) {
    ShowErrorBox(QStringLiteral("Unexpected error"), parent);
  }
}
