#pragma once

#include <QString>

class QMenuBar;
class QWidget;

// The commands that take the register out of the program, in a menu bar that a
// window laid out by hand can take on without its designed controls moving
// relative to each other: they move down by the bar's height, and so does the
// window's foot.
namespace RegisterMenu {

// A bar holding "Registru" ("Statistici", "Copie de siguranță...", the whole
// register to CSV); a screen adds its own menus to it.
QMenuBar *addMenuBar(QWidget *window, const QString &registerFile);

} // namespace RegisterMenu
