#pragma once
// The frame every dialog of the program has: a title, the system menu and a
// close box, no minimise or maximise box, and a fixed size.

#include <QSize>

class QDialog;

// Sets the frame and fixes the size at the designed one, grown only where
// the contents need more (a wider desktop font, a longer text).
void SetFixedDialogFrame(QDialog& dialog, QSize designed);
// Fixes the size again after texts have changed.
void FitFixedDialog(QDialog& dialog, QSize designed);
