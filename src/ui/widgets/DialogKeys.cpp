#include "ui/widgets/DialogKeys.h"

#include <QPushButton>
#include <QRadioButton>

namespace {

// Only the checked button of a group is reached with Tab; the arrows move
// within the group. Qt does the same itself, but only for a button that
// takes the focus, not for one checked by the program.
void MakeTheTabStop(QRadioButton* checked) {
  QWidget* group = checked->parentWidget();
  if (!group || !checked->autoExclusive()) return;
  for (QRadioButton* radio : group->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly)) {
    if (!radio->autoExclusive()) continue;
    const Qt::FocusPolicy policy = radio->focusPolicy();
    radio->setFocusPolicy(radio == checked
                              ? Qt::FocusPolicy(policy | Qt::TabFocus)
                              : Qt::FocusPolicy(policy & ~Qt::TabFocus));
  }
}

}  // namespace

void UseDialogKeys(QWidget* window) {
  // A push button takes Enter only when it may become a default button,
  // which outside dialogs it must be told; it shows as the default one
  // while it has the focus, as in a dialog.
  for (QPushButton* button : window->findChildren<QPushButton*>()) button->setAutoDefault(true);
  for (QRadioButton* radio : window->findChildren<QRadioButton*>()) {
    QObject::connect(radio, &QRadioButton::toggled, radio, [radio](bool checked) {
      if (checked) MakeTheTabStop(radio);
    });
    if (radio->isChecked()) MakeTheTabStop(radio);
  }
}
