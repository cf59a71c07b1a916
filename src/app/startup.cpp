#include "startup.h"

#include "data/registerfile.h"
#include "screens/common/messages.h"

#include <QDir>

namespace Startup {

bool prepareRegister(const QString &fileName)
{
    const RegisterFile::Check check = RegisterFile::inspect(fileName);
    const QString title = QStringLiteral("Evidenta zavonilor");
    if (check.status == RegisterFile::Status::Missing) {
        // The folder stands on its own line, its spaces and hyphens unbreakable, so
        // the box wraps it only after a separator, never inside a folder's name.
        QString folder = QDir::toNativeSeparators(QDir::currentPath());
        folder.replace(QLatin1Char(' '), QChar(0x00A0)).replace(QLatin1Char('-'), QChar(0x2011));
        const QString question =
            QStringLiteral("Fisierul %1 nu a fost găsit în folderul curent:\n%2\n\n"
                           "Creati aici un registru gol ?")
                .arg(fileName, folder);
        if (!Messages::askYes(nullptr, question, title, Messages::Icon::Question))
            return false;
        QString problem;
        if (!RegisterFile::create(fileName, &problem)) {
            Messages::ok(nullptr, problem, title, Messages::Icon::Critical);
            return false;
        }
        return true;
    }
    if (check.status == RegisterFile::Status::Unusable) {
        Messages::ok(nullptr, check.problem + QStringLiteral("\n\nProgramul se va închide."),
                     title, Messages::Icon::Critical);
        return false;
    }
    QString problem;
    if (!RegisterFile::sweepOrphans(fileName, &problem)) {
        Messages::ok(nullptr,
                     QStringLiteral("Registrul %1 nu poate fi deschis pentru scriere.\n%2")
                         .arg(fileName, problem),
                     title, Messages::Icon::Critical);
        return false;
    }
    return true;
}

} // namespace Startup
