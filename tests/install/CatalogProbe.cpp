// Placed beside an installed pellisto by the install test and run there:
// prints the folder the catalogs are loaded from, the text of "Cancel" once
// Spanish is selected, and the codes the language dialog offers.

#include <QApplication>
#include <QTableWidget>
#include <iostream>

#include "i18n/Gettext.h"
#include "i18n/SelectLanguage.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  i18n::SelectLanguage(QStringLiteral("es"));
  std::cout << i18n::CatalogFolder().toStdString() << '\n'
            << i18n::Translate(QStringLiteral("Cancel")).toStdString() << '\n';
  TSelectLanguageFrm dialog;
  const auto* grid = dialog.findChild<QTableWidget*>(QStringLiteral("VLE_Language"));
  for (int row = 0; grid && row < grid->rowCount(); ++row)
    std::cout << grid->item(row, 0)->text().toStdString() << ' ';
  std::cout << '\n';
  return 0;
}
