#pragma once

class QMenu;
class QString;
class QWidget;

// The commands a window gains beyond its designed buttons live in one menu bar
// above its controls. The bar is made with the window's first menu: the
// designed controls move down by its height and the window grows by it, so
// they keep their places relative to each other.
namespace ScreenMenu {

// The menu of that title in the window's bar, made on first use.
QMenu *menu(QWidget *window, const QString &title);

} // namespace ScreenMenu
