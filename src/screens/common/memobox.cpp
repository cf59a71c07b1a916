#include "memobox.h"

#include "rules/fieldrules.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextCursor>

MemoBox::MemoBox(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setTabChangesFocus(true);
}

QString MemoBox::fitting(const QString &arriving, const QString &replaced) const
{
    const qsizetype room = m_maxLength - FieldRules::characterCount(toPlainText())
                           + FieldRules::characterCount(textCursor().selectedText())
                           + FieldRules::characterCount(replaced);
    return FieldRules::firstCharacters(FieldRules::wholeCharacters(arriving),
                                       qMax<qsizetype>(0, room));
}

void MemoBox::keyPressEvent(QKeyEvent *event)
{
    const QString typed = event->text();
    const bool printable =
        !typed.isEmpty() && (typed.at(0).isPrint() || typed == QLatin1String("\r"));
    if (!isReadOnly() && printable && !(event->modifiers() & Qt::ControlModifier)
        && fitting(typed) != typed) {
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void MemoBox::insertFromMimeData(const QMimeData *source)
{
    if (!source->hasText())
        return;
    // A pasted CR LF ends one line, and counts as one character as the box holds it.
    QString text = source->text();
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text = fitting(text);
    if (!text.isEmpty())
        insertPlainText(text);
}

void MemoBox::inputMethodEvent(QInputMethodEvent *event)
{
    QTextCursor replaced = textCursor();
    replaced.setPosition(replaced.position() + event->replacementStart());
    replaced.setPosition(replaced.position() + event->replacementLength(),
                         QTextCursor::KeepAnchor);
    const QString kept = fitting(event->commitString(), replaced.selectedText());
    if (kept == event->commitString()) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent fitted(event->preeditString(), event->attributes());
    fitted.setCommitString(kept, event->replacementStart(), event->replacementLength());
    QPlainTextEdit::inputMethodEvent(&fitted);
    event->accept();
}
