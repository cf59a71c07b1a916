#include "lockablecombobox.h"

#include <QKeyEvent>

LockableComboBox::LockableComboBox(QWidget *parent)
    : QComboBox(parent)
{
}

bool LockableComboBox::setListText(const QString &text)
{
    const int index = findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0)
        return false;
    setCurrentIndex(index);
    return true;
}

void LockableComboBox::showPopup()
{
    if (!m_locked)
        QComboBox::showPopup();
}

void LockableComboBox::mousePressEvent(QMouseEvent *event)
{
    if (m_locked) {
        setFocus(Qt::MouseFocusReason);
        return;
    }
    QComboBox::mousePressEvent(event);
}

void LockableComboBox::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_locked)
        QComboBox::mouseReleaseEvent(event);
}

void LockableComboBox::keyPressEvent(QKeyEvent *event)
{
    // Tab and Esc still travel, so a locked list does not trap the focus.
    if (m_locked && event->key() != Qt::Key_Tab && event->key() != Qt::Key_Backtab
        && event->key() != Qt::Key_Escape) {
        event->accept();
        return;
    }
    QComboBox::keyPressEvent(event);
}

void LockableComboBox::wheelEvent(QWheelEvent *event)
{
    if (!m_locked)
        QComboBox::wheelEvent(event);
}
