#include "uidriver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

namespace UiDriver {

bool activate(QWidget *window)
{
    window->show();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
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
    if (text.startsWith(QLatin1Char('^'))) {
        QApplication::clipboard()->setText(text.mid(1));
        QTest::keyClick(w, Qt::Key_V, Qt::ControlModifier);
        return;
    }
    if (text.startsWith(QLatin1Char('~'))) {
        QInputMethodEvent commit;
        commit.setCommitString(text.mid(1));
        QApplication::sendEvent(w, &commit);
        return;
    }
    for (const QChar c : text) {
        if (c.unicode() < 128 && c.isPrint())
            QTest::keyClicks(w, QString(c));
        else
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

} // namespace UiDriver
