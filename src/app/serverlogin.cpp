#include "serverlogin.h"

#include "data/database.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QUrl>

namespace ServerLogin {

namespace {

bool refused(const QString &address, DataError *error)
{
    return !Database::open(address, error) && error->number == EngineError::LoginRefused;
}

} // namespace

bool ensure(const QString &address)
{
    DataError error;
    if (!refused(address, &error))
        return true;
    const QUrl url(address);
    QDialog dialog;
    dialog.setObjectName(QStringLiteral("serverLoginDialog"));
    dialog.setWindowTitle(QStringLiteral("Conectare la server"));
    auto *layout = new QFormLayout(&dialog);
    layout->addRow(QStringLiteral("Serverul:"),
                   new QLabel(url.port() > 0 ? QStringLiteral("%1:%2").arg(url.host())
                                                   .arg(url.port())
                                             : url.host()));
    layout->addRow(QStringLiteral("Baza de date:"), new QLabel(url.path().mid(1)));
    auto *user = new QLineEdit(url.userName());
    user->setObjectName(QStringLiteral("userEdit"));
    layout->addRow(QStringLiteral("Utilizator:"), user);
    auto *password = new QLineEdit;
    password->setObjectName(QStringLiteral("passwordEdit"));
    password->setEchoMode(QLineEdit::Password);
    layout->addRow(QStringLiteral("Parola:"), password);
    auto *problem = new QLabel;
    problem->setObjectName(QStringLiteral("loginProblemLabel"));
    problem->setWordWrap(true);
    problem->hide();
    layout->addRow(problem);
    auto *buttons = new QDialogButtonBox;
    QPushButton *connect = buttons->addButton(QStringLiteral("Conectare"),
                                              QDialogButtonBox::AcceptRole);
    connect->setObjectName(QStringLiteral("connectButton"));
    connect->setDefault(true);
    buttons->addButton(QStringLiteral("Renunță"), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("cancelButton"));
    layout->addRow(buttons);
    password->setFocus();
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        Database::setServerLogin(user->text(), password->text());
        DataError error;
        if (Database::open(address, &error) || error.number != EngineError::LoginRefused) {
            dialog.accept();
            return;
        }
        problem->setText(error.text);
        problem->show();
        password->clear();
        password->setFocus();
    });
    if (dialog.exec() == QDialog::Accepted)
        return true;
    Database::setServerLogin({}, {});
    return false;
}

QString terminalHint()
{
    return QStringLiteral("Parola sau utilizatorul nu sunt acceptate de server. Din terminal "
                          "parola se ia din fișierul ~/.pgpass sau din variabila PGPASSWORD.");
}

} // namespace ServerLogin
