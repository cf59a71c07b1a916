#include "memobox.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QTextCursor>

MemoBox::MemoBox(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setTabChangesFocus(true);
}

void MemoBox::changeEvent(QEvent *event)
{
    QPlainTextEdit::changeEvent(event);
    // A locked box keeps its text cursor, so that tabbing into it shows where
    // the focus is; the cursor keys move it, and nothing can be typed.
    if (event->type() == QEvent::ReadOnlyChange && isReadOnly())
        setTextInteractionFlags(textInteractionFlags() | Qt::TextSelectableByKeyboard);
}

int MemoBox::room() const
{
    const int selected = int(textCursor().selectedText().size());
    return m_maxLength - int(toPlainText().size()) + selected;
}

void MemoBox::keyPressEvent(QKeyEvent *event)
{
    const QString typed = event->text();
    const bool printable =
        !typed.isEmpty() && (typed.at(0).isPrint() || typed == QLatin1String("\r"));
    if (!isReadOnly() && printable && !(event->modifiers() & Qt::ControlModifier)
        && room() < typed.size()) {
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void MemoBox::insertFromMimeData(const QMimeData *source)
{
    if (!source->hasText())
        return;
    const int space = room();
    if (space <= 0)
        return;
    insertPlainText(source->text().left(space));
}
