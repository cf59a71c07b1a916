#pragma once

class QWidget;

// A screen's window over its designed controls. The window opens centred
// over the window that opened it (or where the operator last moved it,
// relative to that window), at the size it last had. It may grow: the grid
// takes the extra width and height, the controls below the grid move down
// with its bottom edge, and the others keep their places. It never shows
// its content smaller than designed: on a display too small for that the
// window fits the display and its content scrolls.
namespace ScreenWindow {

// Before the window is first shown; grid may be null. A menu bar made by
// ScreenMenu stays above the designed controls.
void place(QWidget *window, QWidget *grid);
// When the window closes: its size and place are remembered.
void remember(const QWidget *window);

} // namespace ScreenWindow
