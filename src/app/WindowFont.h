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

// While it lives, the application's default font is the window's, so that
// the controls built meanwhile never lay text out in the desktop's font: a line edit does so
// once in its constructor, before it takes its parent's font, and the first
// one would load the desktop face's engines only to drop them. Windows built
// meanwhile (the menus) are given the desktop's font back when it ends. Build
// no dialog under it.
class WindowFontAsDefault {
 public:
  explicit WindowFontAsDefault(const QFont& windowFont);
  ~WindowFontAsDefault();
  WindowFontAsDefault(const WindowFontAsDefault&) = delete;
  WindowFontAsDefault& operator=(const WindowFontAsDefault&) = delete;

 private:
  QFont desktop_;
};
