// The icons of the main window: the freedesktop icon names of a consistent set (the Tango theme
// when the desktop names none), with the style's own icons as the fallback.
#pragma once

#include <QIcon>
#include <QStyle>

namespace gui {

// Chooses the icon theme once: the desktop's, else Tango when it is installed.
void SelectIconTheme();
QIcon ThemedIcon(const char* name, QStyle::StandardPixmap fallback);

// Quenby's own icon (the window's and the desktop entry's): the pictures rendered from its SVG at
// 16 to 256 pixels, so that every size and screen scale has a sharp one.
QIcon ApplicationIcon();

} // namespace gui
