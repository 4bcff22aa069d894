#pragma once

#include <QColor>
#include <QPalette>

// The colours of the toolbar's menus. With the frame they are the window's
// own; frameless they follow the picture like the controls do: a dark menu
// over a dark picture (white controls), a light one otherwise.
enum class MenuScheme { Window, Dark, Light };

namespace menuscheme {

MenuScheme forStyle(bool frame, const QColor& shownColor);
QPalette palette(MenuScheme scheme, const QPalette& windowPalette);
// Entries that destroy something: the text, icon and highlight colour.
QColor destructiveColour();

} // namespace menuscheme
