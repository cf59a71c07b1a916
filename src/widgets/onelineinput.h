#pragma once

#include <QValidator>

class QLineEdit;

// What a one-line box keeps of the text that reaches it, whichever way it
// comes: typed, pasted, dropped, committed by an input method or put in by
// the program. A line break becomes a blank, a half character the
// replacement character, and the box holds at most its limit of characters
// (counted whole, not in UTF-16 units); of a text too long only what arrived
// is cut, and only between whole characters.
class OneLineInput : public QValidator
{
    Q_OBJECT

public:
    // The box's rules, set up on first use: its designed maxLength becomes
    // the limit in characters.
    static OneLineInput *of(QLineEdit *box);

    int limit() const { return m_limit; }
    // Puts a text of the program's into the box whole: the limit grows to hold
    // a longer one and is the designed one again for the next text that fits.
    void setText(const QString &text);

    State validate(QString &input, int &pos) const override;

private:
    OneLineInput(QLineEdit *box, int limit);

    QLineEdit *m_box;
    int m_designLimit;
    int m_limit;
    // What the box held after the last change, to tell what arrived.
    mutable QString m_last;
};
