#pragma once
// The few colours the windows are drawn with beyond the desktop's palette:
// the grey of read-only boxes, blue links and red warnings. On a light
// palette they are exactly the designed ones. On a dark palette those
// would be hard to read (white text on light grey, dark blue on near black),
// so there they are derived from the palette: every text keeps at least the
// contrast it has in the light design.

#include <QColor>
#include <QPalette>

class QWidget;

// Dark when the palette's window colour is (HSL lightness below one half).
bool IsDarkPalette(const QPalette& palette);

// The contrast ratio of two colours as the WCAG defines it: 1 (none) to 21.
double ContrastRatio(const QColor& a, const QColor& b);

// The background of a read-only box (the install folder, an edit whose
// parameter the file lacks): RGB 239 grey on a light palette; on a dark one
// the palette's field colour moved towards its text until the text has lost
// the share of its contrast that black text loses on that grey.
QColor ReadOnlyFieldColour(const QPalette& palette);

// Link text: blue RGB (0, 0, 255) on a light palette.
QColor LinkColour(const QPalette& palette);

// Warning text: red RGB (255, 0, 0) on a light palette, drawn on the window
// colour or, with QPalette::Base, on a field's.
QColor WarningColour(const QPalette& palette, QPalette::ColorRole background = QPalette::Window);

// Sets a label's text colour (WindowText) or a box's field colour (Base).
void SetTextColour(QWidget* widget, const QColor& colour);
void SetFieldColour(QWidget* widget, const QColor& colour);
