#include "serverstart.h"

#include "app/serverlogin.h"
#include "data/database.h"
#include "data/registercopy.h"
#include "data/registerfile.h"
#include "data/registerserver.h"
#include "screens/common/messages.h"

#include <QUrl>

#include <cstdio>

namespace ServerStart {

namespace {

// The address without a password, should one be written in it.
QString shown(const QString &address)
{
    return QUrl(address).toString(QUrl::RemovePassword);
}

int createFromTerminal(const QString &address)
{
    const RegisterFile::Check check = RegisterServer::inspect(address);
    QString problem;
    if (check.status == RegisterFile::Status::Missing
        && RegisterServer::create(address, &problem)) {
        std::fprintf(stdout, "Registrul a fost creat pe serverul %s.\n",
                     qPrintable(shown(address)));
        return 0;
    }
    if (check.status == RegisterFile::Status::Ok)
        problem = QStringLiteral("Pe serverul %1 registrul există deja.").arg(shown(address));
    else if (check.status == RegisterFile::Status::Unusable)
        problem = check.problem;
    std::fprintf(stderr, "%s\n", qPrintable(problem));
    return 1;
}

// The file is looked at, and then read, without a byte of it written.
int copyFromTerminal(const QString &address)
{
    const QString fileName = QStringLiteral("Zavoni.mdb");
    const RegisterFile::Check file = RegisterFile::inspect(fileName);
    QString problem = file.problem;
    if (file.status == RegisterFile::Status::Plain)
        problem = QStringLiteral("Fișierul %1 nu are încă forma folosită de program: "
                                 "deschideți-l o dată cu programul, apoi copiați-l.")
                      .arg(fileName);
    if (file.status == RegisterFile::Status::Ok) {
        const RegisterFile::Check check = RegisterServer::inspect(address);
        problem = check.problem;
        if (check.status == RegisterFile::Status::Missing
            && RegisterServer::create(address, &problem)) {
            std::fprintf(stdout, "Registrul a fost creat pe serverul %s.\n",
                         qPrintable(shown(address)));
            problem.clear();
        }
        const auto progress = [](const QString &text) {
            std::fprintf(stdout, "%s\n", qPrintable(text));
            std::fflush(stdout);
        };
        if (problem.isEmpty() && RegisterCopy::copy(fileName, address, progress, &problem)) {
            std::fprintf(stdout, "Registrul din %s a fost copiat pe serverul %s.\n",
                         qPrintable(fileName), qPrintable(shown(address)));
            return 0;
        }
    }
    std::fprintf(stderr, "%s\n", qPrintable(problem));
    return 1;
}

} // namespace

QString address(QStringList *arguments, bool *create)
{
    QString found = qEnvironmentVariable("ZAVONI_SERVER");
    *create = arguments->removeAll(QStringLiteral("--create")) > 0;
    const qsizetype at = arguments->indexOf(QStringLiteral("--server"));
    if (at >= 0 && at + 1 < arguments->size()) {
        found = arguments->at(at + 1);
        arguments->remove(at, 2);
    }
    return found;
}

int fromTerminal(QStringList arguments)
{
    QString target;
    const qsizetype at = arguments.indexOf(QStringLiteral("--copy-to-server"));
    if (at >= 0) {
        if (at + 1 < arguments.size() && !arguments.at(at + 1).startsWith(QLatin1String("--")))
            target = arguments.takeAt(at + 1);
        arguments.removeAt(at);
    }
    bool create = false;
    const QString server = address(&arguments, &create);
    if (target.isEmpty())
        target = server;
    // No dialog without a display: the password comes from where libpq looks.
    DataError error;
    if (!target.isEmpty() && !Database::open(target, &error)
        && error.number == EngineError::LoginRefused) {
        std::fprintf(stderr, "%s\n", qPrintable(ServerLogin::terminalHint()));
        return 1;
    }
    if (!target.isEmpty())
        return at >= 0 ? copyFromTerminal(target) : createFromTerminal(target);
    std::fprintf(stderr, "%s cere și adresa serverului: postgresql://utilizator@server:port/baza "
                         "(sau variabila ZAVONI_SERVER).\n",
                 at >= 0 ? "--copy-to-server" : "--create");
    return 2;
}

bool prepare(const QString &address)
{
    if (!ServerLogin::ensure(address))
        return false;
    const QString title = QStringLiteral("Evidenta zavonilor");
    const RegisterFile::Check check = RegisterServer::inspect(address);
    if (check.status == RegisterFile::Status::Ok)
        return true;
    if (check.status == RegisterFile::Status::Missing) {
        const QString question =
            QStringLiteral("Pe serverul %1 nu există încă registrul.\n\nÎl creați acum, gol ?")
                .arg(shown(address));
        if (!Messages::askYes(nullptr, question, title, Messages::Icon::Question))
            return false;
        QString problem;
        if (RegisterServer::create(address, &problem))
            return true;
        Messages::ok(nullptr, problem, title, Messages::Icon::Critical);
        return false;
    }
    Messages::ok(nullptr,
                 QStringLiteral("Registrul de pe serverul %1 nu poate fi folosit.\n%2\n\n"
                                "Programul se va închide.")
                     .arg(shown(address), check.problem),
                 title, Messages::Icon::Critical);
    return false;
}

} // namespace ServerStart
