#pragma once

#include <QString>

class QWidget;

// Drives the real widgets as an operator would.
namespace UiDriver {

// Makes the window active so that focus moves and lost-focus rules run.
bool activate(QWidget *window);
// Clicks with the mouse, so the focus moves to the button first.
void click(QWidget *window, const QString &name);
// Puts the focus into a box (by a click), clears it and types the text;
// Romanian letters are sent one by one. A text beginning with "^" is pasted
// instead (Ctrl+V), one beginning with "~" committed by an input method.
void type(QWidget *window, const QString &name, const QString &text);
// Moves the focus to another control, as a click there would.
void focus(QWidget *window, const QString &name);

template<typename T>
T *find(QWidget *window, const QString &name);

} // namespace UiDriver

#include <QWidget>

template<typename T>
T *UiDriver::find(QWidget *window, const QString &name)
{
    return window->findChild<T *>(name);
}
