#include "startup.h"

#include "app/form1.h"
#include "app/romanian.h"
#include "app/screenchain.h"
#include "app/serverstart.h"
#include "data/database.h"
#include "data/history.h"
#include "data/personsearch.h"
#include "data/registerfile.h"
#include "reports/dailycopy.h"
#include "screens/common/messages.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProgressDialog>
#include <QLocale>

namespace Startup {

namespace {

// A plain register is the operator's only copy: it stays beside the converted one.
bool convertPlain(const QString &fileName, const QString &title)
{
    const QFileInfo file(fileName);
    QString original = file.completeBaseName() + QStringLiteral("-original.mdb");
    for (int i = 2; QFileInfo::exists(original); ++i)
        original = file.completeBaseName() + QStringLiteral("-original-%1.mdb").arg(i);
    const QString question =
        QStringLiteral("Registrul %1 are forma simplă pe care o scriu programele de conversie "
                       "(de exemplu mdbtools), fără cheile, indexurile si interogările de care "
                       "are nevoie acest program.\n\nÎl aduceti la forma programului ? "
                       "Originalul rămâne alături, ca %2.")
            .arg(fileName, original);
    if (!Messages::askYes(nullptr, question, title, Messages::Icon::Question))
        return false;
    QString problem;
    if (!QFile::copy(fileName, original))
        problem = QStringLiteral("Copia %1 nu a putut fi făcută.").arg(original);
    QProgressDialog progress(QStringLiteral("Registrul este adus la forma programului..."),
                             QString(), 0, 1);
    progress.setWindowTitle(title);
    progress.setMinimumDuration(500);
    const auto step = [&progress](int done, int total) {
        progress.setMaximum(total);
        progress.setValue(done);
    };
    if (problem.isEmpty() && RegisterFile::convert(fileName, step, &problem))
        return true;
    Messages::ok(nullptr, problem + QStringLiteral("\n\nProgramul se va închide."), title,
                 Messages::Icon::Critical);
    return false;
}

// A register made before finding and sorting gains what they need once; on a
// million persons that takes about a minute, so the operator sees it going.
// Should it fail, the register still serves, only finding does not.
void gainSearch(Database &db)
{
    DataError error;
    PersonSearch search(db.connection());
    if (search.isInstalled())
        return;
    QProgressDialog progress(
        QStringLiteral("Registrul este pregătit pentru căutare și ordonare..."), QString(), 0, 1);
    progress.setWindowTitle(QStringLiteral("Evidenta zavonilor"));
    progress.setMinimumDuration(1000);
    progress.setWindowModality(Qt::ApplicationModal);
    if (!search.install(
            [&progress](int done, int total) {
                progress.setMaximum(total);
                progress.setValue(done);
            },
            &error))
        Messages::ok(nullptr,
                     QStringLiteral("Registrul nu a putut fi pregătit pentru căutare.\n%1")
                         .arg(error.describe()),
                     QStringLiteral("Evidenta zavonilor"), Messages::Icon::Critical);
}

bool checkRegister(const QString &fileName)
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
    if (check.status == RegisterFile::Status::Plain && !convertPlain(fileName, title))
        return false;
    if (check.status == RegisterFile::Status::Unusable) {
        Messages::ok(nullptr, check.problem + QStringLiteral("\n\nProgramul se va închide."),
                     title, Messages::Icon::Critical);
        return false;
    }
    // Browsing needs no write: on a read-only register only the saves fail, each
    // saying why.
    const QFileInfo file(fileName);
    if (!file.isWritable() || !QFileInfo(file.absolutePath()).isWritable()) {
        const QString question =
            QStringLiteral("Registrul %1 poate fi doar citit: se află pe un suport doar pentru "
                           "citire sau fără drept de scriere. Îl puteti răsfoi, dar nu si "
                           "modifica.\n\nÎl deschideti doar pentru citire ?")
                .arg(fileName);
        return Messages::askYes(nullptr, question, title, Messages::Icon::Question);
    }
    return true;
}

} // namespace

bool prepareRegister(const QString &fileName)
{
    if (!checkRegister(fileName))
        return false;
    DataError error;
    if (const auto db = Database::open(fileName, &error)) {
        gainSearch(*db);
        // A register made before the history gains its table in a moment. One
        // that cannot be written takes no change to record either.
        History::install(db->connection(), &error);
    }
    return true;
}

void setLanguage(QCoreApplication &app)
{
    static RomanianQtTexts romanian;
    QLocale::setDefault(QLocale(QLocale::Romanian, QLocale::Romania));
    app.installTranslator(&romanian);
}

int run(int &argc, char **argv, const Options &options)
{
    QApplication app(argc, argv);
    setLanguage(app);
    const QString fileName = QStringLiteral("Zavoni.mdb");
    QStringList arguments = app.arguments();
    bool create = false;
    const QString server = ServerStart::address(&arguments, &create);
    if (server.isEmpty() ? !prepareRegister(fileName) : !ServerStart::prepare(server))
        return 1;
    // From here on every screen's Zavoni.mdb is the register on the server.
    Database::setRegisterAddress(server);
    ScreenChain chain;
    Form1 form1(&chain);
    if (server.isEmpty())
        form1.warnIfReadableByOthers(fileName);
    form1.show();
    // The server's copies are the office's, made there (pg_dump).
    if (server.isEmpty())
        DailyCopy::start(&form1, fileName);
    return options.loop ? options.loop(&form1) : app.exec();
}

} // namespace Startup
