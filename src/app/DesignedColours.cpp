#include "app/DesignedColours.h"

#include <QWidget>
#include <algorithm>
#include <cmath>

namespace {

// The colours the design puts those texts on: the window's grey and the
// white of a field.
const QColor kDesignedWindow(240, 240, 240);
const QColor kDesignedField(255, 255, 255);
const QColor kReadOnlyGrey(239, 239, 239);
const QColor kLinkBlue(0, 0, 255);
const QColor kWarningRed(255, 0, 0);

double Luminance(const QColor& colour) {
  const auto linear = [](double c) {
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  const QColor rgb = colour.toRgb();
  return 0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF()) +
         0.0722 * linear(rgb.blueF());
}

// The designed colour, or, where it does not stand out from the background
// as much as from the designed one, the same hue and saturation lightened
// (on a dark background) or darkened (on a light one) just enough to.
QColor Legible(const QColor& designed, const QColor& designedBackground,
               const QColor& background) {
  const double wanted = ContrastRatio(designed, designedBackground);
  if (ContrastRatio(designed, background) >= wanted) return designed;
  float hue = 0, saturation = 0, lightness = 0, alpha = 1;
  designed.toHsl().getHslF(&hue, &saturation, &lightness, &alpha);
  const bool lighten = background.toHsl().lightnessF() < 0.5f;
  constexpr int kSteps = 256;
  QColor candidate = designed;
  for (int step = 1; step <= kSteps; ++step) {
    const float towards = lighten ? 1.0f : 0.0f;
    const float l = lightness + (towards - lightness) * static_cast<float>(step) / kSteps;
    candidate = QColor::fromHslF(hue, saturation, l, alpha);
    if (ContrastRatio(candidate, background) >= wanted) break;
  }
  return candidate.toRgb();
}

QColor Blend(const QColor& from, const QColor& to, double share) {
  const QColor a = from.toRgb(), b = to.toRgb();
  const auto mix = [share](int x, int y) {
    return static_cast<int>(std::lround(x + (y - x) * share));
  };
  return QColor(mix(a.red(), b.red()), mix(a.green(), b.green()), mix(a.blue(), b.blue()));
}

}  // namespace

bool IsDarkPalette(const QPalette& palette) {
  return palette.color(QPalette::Window).toHsl().lightnessF() < 0.5f;
}

double ContrastRatio(const QColor& a, const QColor& b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor ReadOnlyFieldColour(const QPalette& palette) {
  if (!IsDarkPalette(palette)) return kReadOnlyGrey;
  // The grey takes from black text a share of the contrast white gives it;
  // the field takes the same share from the palette's text on its field.
  const QColor text = palette.color(QPalette::Text);
  const QColor base = palette.color(QPalette::Base);
  const double wanted = ContrastRatio(text, base) * ContrastRatio(Qt::black, kReadOnlyGrey) /
                        ContrastRatio(Qt::black, kDesignedField);
  constexpr int kSteps = 256;
  QColor field = base;
  for (int step = 1; step <= kSteps; ++step) {
    const QColor candidate = Blend(base, text, static_cast<double>(step) / kSteps);
    if (ContrastRatio(text, candidate) < wanted) break;
    field = candidate;
  }
  return field;
}

QColor LinkColour(const QPalette& palette) {
  if (!IsDarkPalette(palette)) return kLinkBlue;
  return Legible(kLinkBlue, kDesignedWindow, palette.color(QPalette::Window));
}

QColor WarningColour(const QPalette& palette, QPalette::ColorRole background) {
  if (!IsDarkPalette(palette)) return kWarningRed;
  return Legible(kWarningRed, background == QPalette::Base ? kDesignedField : kDesignedWindow,
                 palette.color(background));
}

void SetTextColour(QWidget* widget, const QColor& colour) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::WindowText, colour);
  widget->setPalette(palette);
}

void SetFieldColour(QWidget* widget, const QColor& colour) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Base, colour);
  widget->setPalette(palette);
}
