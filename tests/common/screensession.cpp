#include "screensession.h"

#include "widgets/datacontrol.h"
#include "widgets/dbgrid.h"

#include <QtTest>
#include <QtWidgets>

namespace UiDriver {

bool activate(QWidget *window)
{
    window->show();
    window->activateWindow();
    // A window owned by an active one counts as active for Qt before it is
    // itself: wait for the one that takes the keys.
    return QTest::qWaitFor([window] { return QApplication::activeWindow() == window; });
}

static QWidget *child(QWidget *window, const QString &name)
{
    auto *w = window->findChild<QWidget *>(name);
    if (!w)
        qFatal("no control %s", qPrintable(name));
    return w;
}

void click(QWidget *window, const QString &name)
{
    QTest::mouseClick(child(window, name), Qt::LeftButton);
}

void focus(QWidget *window, const QString &name)
{
    child(window, name)->setFocus(Qt::MouseFocusReason);
}

void type(QWidget *window, const QString &name, const QString &text)
{
    QWidget *w = child(window, name);
    auto *line = qobject_cast<QLineEdit *>(w);
    w->setFocus(Qt::MouseFocusReason);
    if (auto *plain = qobject_cast<QPlainTextEdit *>(w))
        plain->selectAll();
    else if (line)
        line->selectAll();
    QTest::keyClick(w, Qt::Key_Delete);
    if (text.startsWith(QLatin1Char('^'))) {
        QApplication::clipboard()->setText(text.mid(1));
        QTest::keyClick(w, Qt::Key_V, Qt::ControlModifier);
    } else if (text.startsWith(QLatin1Char('~'))) {
        QInputMethodEvent commit;
        commit.setCommitString(text.mid(1));
        QApplication::sendEvent(w, &commit);
    } else {
        for (const QChar c : text) {
            if (c.unicode() < 128 && c.isPrint())
                QTest::keyClicks(w, QString(c));
            else if (c.isPrint() || !line)
                QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), {});
            else // a tab or another character no key types into a line: pasted
                line->insert(QString(c));
        }
    }
}

QWidget *climb(ScreenChain &chain, ScreenKind kind, int person, int offence)
{
    if (!chain.screen(ScreenKind::Persons)) {
        chain.open(ScreenKind::Persons);
        QWidget *persons = chain.screen(ScreenKind::Persons);
        activate(persons);
        for (int i = 0; i < person; ++i)
            click(persons, "Next");
        if (person < 0)
            click(persons, "Last");
    }
    if (kind != ScreenKind::Persons && !chain.screen(ScreenKind::Offences)) {
        click(chain.screen(ScreenKind::Persons), "Command9");
        activate(chain.screen(ScreenKind::Offences));
    }
    if (kind > ScreenKind::Offences && !chain.screen(kind)) {
        QWidget *offences = chain.screen(ScreenKind::Offences);
        activate(offences);
        click(offences, "First");
        for (int i = 0; i < offence; ++i)
            click(offences, "Next");
        click(offences, kind == ScreenKind::Accomplices ? "Command7" : "Command8");
    }
    QWidget *screen = chain.screen(kind);
    if (screen)
        activate(screen);
    return screen;
}

} // namespace UiDriver

ScreenSession::~ScreenSession()
{
    // A closed screen is deleted later; its database goes before the file.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

bool ScreenSession::open(ScreenKind kind, int person, int offence)
{
    m_kind = kind;
    return UiDriver::climb(chain, kind, person, offence);
}

void ScreenSession::run(const QString &script)
{
    static const char *tables[] = {"TBL_Zavoni", "TBL_Infractiuni", "TBL_Complici",
                                   "TBL_Articole"};
    for (const QString &step : script.split('|', Qt::SkipEmptyParts)) {
        const qsizetype eq = step.indexOf('=');
        const QString table = tables[int(m_kind)];
        if (step == "!") {
            reg.exec("DROP TRIGGER refuse" + (reg.isServer() ? " ON " + table : QString()));
        } else if (step.startsWith('!')) {
            reg.exec(QString(reg.isServer() ? "CREATE TRIGGER refuse BEFORE %1 ON %2 FOR EACH ROW "
                                              "EXECUTE FUNCTION refuse()"
                                            : "CREATE TRIGGER refuse BEFORE %1 ON %2 BEGIN "
                                              "SELECT RAISE(ABORT, 'refuzat'); END")
                         .arg(step.mid(1), table));
        } else if (step == "?yes") {
            messages.answer(Messages::Answer::Yes);
        } else if (step == "Esc") {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        } else if (step == "X") {
            form()->close();
        } else if (step.startsWith('#')) {
            // As the operator does: the scroll bar brings the row into view.
            auto *grid = form()->findChild<DBGrid *>("DBGrid1");
            const int record = step.mid(1).toInt();
            grid->verticalScrollBar()->setValue(record);
            const QModelIndex index = grid->model()->index(record - grid->topRecord(), 0);
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                              grid->visualRect(index).center());
        } else if (eq > 0) {
            UiDriver::type(form(), step.left(eq), step.mid(eq + 1));
        } else {
            UiDriver::click(form(), step);
        }
    }
}

QString ScreenSession::text(const QString &name) const
{
    const QWidget *w = form()->findChild<QWidget *>(name);
    for (const char *shown : {"plainText", "currentText", "text"}) {
        if (w->property(shown).isValid())
            return w->property(shown).toString();
    }
    return {};
}

QString ScreenSession::counter() const
{
    return form()->findChild<DataControl *>("Data1")->caption();
}

QString ScreenSession::focus() const
{
    return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
}

QString ScreenSession::state(const QString &names) const
{
    if (!form())
        return "closed";
    QStringList on;
    for (const QString &name : names.split(' ')) {
        const QWidget *w = form()->findChild<QWidget *>(name);
        const QVariant readOnly = w->property("readOnly"), locked = w->property("locked");
        if (readOnly.isValid() || locked.isValid() ? !readOnly.toBool() && !locked.toBool()
                                                   : w->isEnabled())
            on << name;
    }
    return on.join(' ');
}

QString ScreenSession::boxes() const
{
    QStringList all;
    for (const Messages::Request &box : messages.shown()) {
        all << (box.icon == Messages::Icon::Critical ? "x " : "! ") + box.title + " "
                   + box.text.section("\n\n", 0, 0)
                   + (box.buttons == Messages::Buttons::Ok            ? " [OK]"
                      : box.defaultAnswer == Messages::Answer::Yes ? " [Yes*/No]"
                                                                   : " [Yes/No*]");
    }
    return all.join(" / ");
}
