#pragma once

#include <QString>

#include <functional>

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

// What a data screen offers of its list: the list as CSV and, where a person is
// current, that person's dossier (Ctrl+P).
struct ListSource
{
    QString fileStem;                      // the name the CSV is offered under
    std::function<QString()> recordSource; // the list as the screen selects it now
    std::function<QString()> personCnp;    // none on a screen without a person
};
void addListMenu(QMenuBar *bar, QWidget *window, const QString &registerFile,
                 const ListSource &list);

} // namespace RegisterMenu
