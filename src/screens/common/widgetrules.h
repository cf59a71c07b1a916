#pragma once

#include <QString>

#include <functional>

class QLineEdit;
class QPlainTextEdit;
class QWidget;

// How the screens hook their rules to the boxes.
namespace WidgetRules {

// Calls handler when the box loses the focus to another control of its own
// window; a message box or another window taking the focus does not count.
void onLostFocus(QWidget *box, std::function<void()> handler);

// The common rule of most boxes: trim and upper-case on leaving.
void trimUpperOnLeave(QLineEdit *box);
void trimOnLeave(QLineEdit *box);
void trimOnLeave(QPlainTextEdit *box);
// The CNP box: trim, upper case, then its numeric form.
void cnpOnLeave(QLineEdit *box);

// Sets a box's text only when it differs, so that unchanged text raises no
// change event.
void setText(QLineEdit *box, const QString &text);

} // namespace WidgetRules
