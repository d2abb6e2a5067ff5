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
  // What the contents need, not what they would like: a list or a wrapped
  // text would take any room offered.
  const int width = std::max(designed.width(), dialog.minimumSizeHint().width());
  // Wrapped labels need the height for this width, not their one-line hint.
  const int needed = dialog.hasHeightForWidth() ? dialog.heightForWidth(width)
                                                : dialog.minimumSizeHint().height();
  dialog.setFixedSize(width, std::max(designed.height(), needed));
}
