#include "app/FixedDialog.h"

#include <QDialog>
#include <algorithm>

void SetFixedDialogFrame(QDialog& dialog, QSize designed) {
  dialog.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                        Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                        Qt::MSWindowsFixedSizeDialogHint);
  FitFixedDialog(dialog, designed);
}

void FitFixedDialog(QDialog& dialog, QSize designed) {
  const int width = std::max(designed.width(), dialog.sizeHint().width());
  // Wrapped labels need the height for this width, not their one-line hint.
  const int needed =
      dialog.hasHeightForWidth() ? dialog.heightForWidth(width) : dialog.sizeHint().height();
  dialog.setFixedSize(width, std::max(designed.height(), needed));
}
