#include "onelineinput.h"

#include "rules/fieldrules.h"

#include <QLineEdit>

namespace {

QString cleaned(const QString &text)
{
    return FieldRules::oneLine(FieldRules::wholeCharacters(text));
}

// Moves a cut at `at` off the middle of a surrogate pair, towards `step`.
qsizetype outsidePair(const QString &text, qsizetype at, int step)
{
    if (at > 0 && at < text.size() && text.at(at - 1).isHighSurrogate()
        && text.at(at).isLowSurrogate())
        return at + step;
    return at;
}

} // namespace

OneLineInput::OneLineInput(QLineEdit *box, int limit)
    : QValidator(box)
    , m_box(box)
    , m_designLimit(limit)
    , m_limit(limit)
    , m_last(box->text())
{
}

OneLineInput *OneLineInput::of(QLineEdit *box)
{
    if (auto *input = qobject_cast<OneLineInput *>(const_cast<QValidator *>(box->validator())))
        return input;
    auto *input = new OneLineInput(box, box->maxLength());
    // The box itself would cut in UTF-16 units, between the halves of a pair.
    box->setMaxLength(32767);
    box->setValidator(input);
    return input;
}

void OneLineInput::setText(const QString &text)
{
    m_limit = qMax(m_designLimit, int(FieldRules::characterCount(cleaned(text))));
    m_box->setMaxLength(qMax(m_box->maxLength(), int(text.size())));
    m_box->setText(text);
}

QValidator::State OneLineInput::validate(QString &input, int &pos) const
{
    if (cleaned(input) == input && FieldRules::characterCount(input) <= m_limit) {
        m_last = input;
        return Acceptable;
    }
    // What arrived ends at the cursor; the text around it is what the box held.
    qsizetype tail = 0;
    const qsizetype most = qMin(m_last.size(), input.size());
    while (tail < most && tail < input.size() - pos
           && m_last.at(m_last.size() - 1 - tail) == input.at(input.size() - 1 - tail))
        ++tail;
    qsizetype head = 0;
    while (head < most - tail && m_last.at(head) == input.at(head))
        ++head;
    head = outsidePair(input, head, -1);
    tail = input.size() - outsidePair(input, input.size() - tail, 1);

    const QString before = cleaned(input.left(head));
    const QString after = cleaned(input.right(tail));
    const qsizetype room = m_limit - FieldRules::characterCount(before)
                           - FieldRules::characterCount(after);
    const QString arrived =
        FieldRules::firstCharacters(cleaned(input.mid(head, input.size() - head - tail)),
                                    qMax<qsizetype>(0, room));
    input = before + arrived + after;
    pos = int(before.size() + arrived.size());
    m_last = input;
    return Acceptable;
}
