#pragma once
// The face every window is laid out for: Tahoma 8 pt.

#include <QFont>

// Tahoma where it is installed. Elsewhere the free, metric-compatible Tahoma
// that Debian ships in fonts-wine is loaded into this process (once), so the
// pages keep the text metrics they were designed for; without either, the
// desktop's sans font at the same size, whose wider glyphs the scrolling
// pages absorb.
QFont WindowFont(int pointSize = 8);

// True when the Tahoma face (installed or loaded) is what WindowFont gives.
bool WindowFontIsTahoma();
