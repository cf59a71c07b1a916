#include "messages.h"

#include "data/dataerror.h"

#include <QAbstractButton>
#include <QMessageBox>

namespace Messages {

namespace {

Handler &handler()
{
    static Handler h;
    return h;
}

Answer realBox(QWidget *parent, const Request &request)
{
    QMessageBox box(parent);
    box.setWindowTitle(request.title);
    box.setText(request.text);
    switch (request.icon) {
    case Icon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case Icon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case Icon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    }
    // Debian ships no Romanian translation of Qt: the buttons are named here.
    if (request.buttons == Buttons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.button(QMessageBox::Yes)->setText(QStringLiteral("Da"));
        box.button(QMessageBox::No)->setText(QStringLiteral("Nu"));
        box.setDefaultButton(request.defaultAnswer == Answer::No ? QMessageBox::No
                                                                 : QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
        box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    }
    const int result = box.exec();
    if (request.buttons == Buttons::Ok)
        return Answer::Ok;
    return result == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

} // namespace

Answer show(QWidget *parent, const Request &request)
{
    if (handler())
        return handler()(parent, request);
    return realBox(parent, request);
}

void ok(QWidget *parent, const QString &text, const QString &title, Icon icon)
{
    show(parent, {title, text, icon, Buttons::Ok, Answer::Ok});
}

bool askYes(QWidget *parent, const QString &text, const QString &title, Icon icon,
            Answer defaultAnswer)
{
    return show(parent, {title, text, icon, Buttons::YesNo, defaultAnswer}) == Answer::Yes;
}

void dataError(QWidget *parent, const QString &what, const DataError &error)
{
    ok(parent, what + QStringLiteral("\n\n") + error.describe(), QStringLiteral("Eroare."),
       Icon::Critical);
}

void setHandler(Handler h)
{
    handler() = std::move(h);
}

} // namespace Messages
