#include "uidriver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

namespace UiDriver {

bool activate(QWidget *window)
{
    window->show();
    window->activateWindow();
    // A window owned by an active one counts as active for Qt before it is
    // itself: wait for the one that takes the keys.
    return QTest::qWaitFor([window] { return QApplication::activeWindow() == window; });
}

void click(QWidget *window, const QString &name)
{
    auto *button = window->findChild<QAbstractButton *>(name);
    if (!button)
        qFatal("no button %s", qPrintable(name));
    QTest::mouseClick(button, Qt::LeftButton);
}

void focus(QWidget *window, const QString &name)
{
    auto *w = window->findChild<QWidget *>(name);
    if (!w)
        qFatal("no control %s", qPrintable(name));
    w->setFocus(Qt::MouseFocusReason);
}

void type(QWidget *window, const QString &name, const QString &text)
{
    auto *w = window->findChild<QWidget *>(name);
    if (!w)
        qFatal("no box %s", qPrintable(name));
    w->setFocus(Qt::MouseFocusReason);
    if (auto *line = qobject_cast<QLineEdit *>(w))
        line->selectAll();
    else if (auto *plain = qobject_cast<QPlainTextEdit *>(w))
        plain->selectAll();
    QTest::keyClick(w, Qt::Key_Delete);
    for (const QChar c : text) {
        if (c.unicode() < 128 && c.isPrint())
            QTest::keyClicks(w, QString(c));
        else
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

} // namespace UiDriver
