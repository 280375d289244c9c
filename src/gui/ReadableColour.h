// Colours that stay readable under the desktop's palette, light or dark: texts that the program
// draws in a colour of its own (keywords, headings, ON/OFF) keep their hue but are lightened on
// a dark background and darkened on a light one until they stand out. User-interface thread.
#pragma once

#include <QColor>

namespace gui {

// The contrast ratio of two colours, from 1 (equal luminance) to 21 (black on white).
double ContrastRatio(const QColor& a, const QColor& b);

// The lowest contrast a coloured text keeps against its background.
inline constexpr double kReadableContrast = 4.5;

// `wanted` itself when it contrasts enough with `background`, else `wanted` mixed towards white
// (on a dark background) or black (on a light one) until it does.
QColor ReadableOn(const QColor& wanted, const QColor& background);

} // namespace gui
