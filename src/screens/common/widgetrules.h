#pragma once

#include <QString>

class QLineEdit;
class QPlainTextEdit;

// How the screens hook the field rules to their boxes: the one way a box gets
// its rule for being left.
namespace WidgetRules {

// A rule of FieldRules: what the box keeps of the text typed into it.
using Rule = QString (*)(const QString &text);

// From now on, when the box loses the focus to another control of its own
// window (a message box or another window taking it does not count), its text
// becomes rule(text). A text the rule leaves as it is is not set again, so
// that it raises no change event. A text the rule makes longer than the box's
// limit is kept whole; or, when a refusal title is given (the field can hold
// no more), the box keeps what was typed, says why under that title and takes
// the focus back.
void onLeave(QLineEdit *box, Rule rule, const QString &refusalTitle = {});
void onLeave(QPlainTextEdit *box, Rule rule);

} // namespace WidgetRules
