#pragma once
// Two keys the editor window handles as a Windows dialog does, although it
// is a main window, which Qt leaves without them: Enter presses the push
// button that has the focus (Done, Cancel, Apply and the others; nowhere
// else does Enter press one), and Tab into a group of radio buttons lands
// on the checked one, not on the first.

class QWidget;

// For every push button and radio button inside the window.
void UseDialogKeys(QWidget* window);
