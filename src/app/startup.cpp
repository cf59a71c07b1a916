#include "startup.h"

#include "app/form1.h"
#include "app/romanian.h"
#include "app/screenchain.h"
#include "data/database.h"
#include "data/personsearch.h"
#include "data/registerfile.h"
#include "screens/common/messages.h"

#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QProgressDialog>

namespace Startup {

namespace {

// A register made before finding and sorting gains what they need once; on a
// million persons that takes about a minute, so the operator sees it going.
// Should it fail, the register still serves, only finding does not.
void gainSearch(const QString &fileName)
{
    DataError error;
    auto db = Database::open(fileName, &error);
    if (!db)
        return;
    PersonSearch search(db->connection());
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

} // namespace

bool prepareRegister(const QString &fileName)
{
    if (!checkRegister(fileName))
        return false;
    gainSearch(fileName);
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
    if (options.sweep ? !prepareRegister(fileName)
                      : RegisterFile::inspect(fileName).status != RegisterFile::Status::Ok)
        return 1;
    ScreenChain chain;
    Form1 form1(&chain);
    form1.warnIfReadableByOthers(fileName);
    form1.show();
    return options.loop ? options.loop(&form1) : app.exec();
}

} // namespace Startup
