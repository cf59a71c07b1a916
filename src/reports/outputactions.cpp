#include "outputactions.h"

#include "backgroundwork.h"

#include "output/backup.h"
#include "output/csvexport.h"
#include "screens/common/messages.h"

#include <QDate>
#include <QDir>
#include <QFileDialog>
#include <QStandardPaths>

namespace OutputActions {

namespace {

const QString CsvTitle = QStringLiteral("Export CSV.");
const QString BackupTitle = QStringLiteral("Copie de siguranță.");

void tell(QWidget *parent, const CsvExport::Outcome &outcome, const QString &where)
{
    if (outcome.kind == CsvExport::Outcome::Done)
        Messages::ok(parent,
                     QStringLiteral("Au fost scrise %1 rânduri în %2.")
                         .arg(outcome.rows)
                         .arg(QDir::toNativeSeparators(where)),
                     CsvTitle, Messages::Icon::Information);
    else if (outcome.kind == CsvExport::Outcome::Failed)
        Messages::ok(parent,
                     QStringLiteral("Exportul nu a fost făcut: %1").arg(outcome.problem),
                     CsvTitle, Messages::Icon::Exclamation);
}

} // namespace

QString documentsFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return documents.isEmpty() ? QDir::homePath() : documents;
}

void exportList(QWidget *parent, const QString &registerFile, const QString &recordSource,
                const PersonSearch::Order &order, const QString &suggestedName)
{
    const QString target = QFileDialog::getSaveFileName(
        parent, QStringLiteral("Exportă lista"),
        QDir(documentsFolder()).filePath(suggestedName + QStringLiteral(".csv")),
        QStringLiteral("Fișiere CSV (*.csv)"));
    if (target.isEmpty())
        return;
    CsvExport::Outcome outcome;
    BackgroundWork::run(parent, QStringLiteral("Se exportă lista..."), [&](Progress *p) {
        outcome = CsvExport::writeSource(registerFile, recordSource, order, target, p);
    });
    tell(parent, outcome, target);
}

void exportRegister(QWidget *parent, const QString &registerFile)
{
    const QString folder = QFileDialog::getExistingDirectory(
        parent, QStringLiteral("Folderul în care se exportă registrul"), documentsFolder());
    if (folder.isEmpty())
        return;
    CsvExport::Outcome outcome;
    BackgroundWork::run(parent, QStringLiteral("Se exportă registrul..."), [&](Progress *p) {
        outcome = CsvExport::writeRegister(registerFile, folder, p);
    });
    tell(parent, outcome, folder);
}

void backUp(QWidget *parent, const QString &registerFile)
{
    const QString target = QFileDialog::getSaveFileName(
        parent, QStringLiteral("Copie de siguranță"),
        QDir(documentsFolder()).filePath(Backup::defaultName(QDate::currentDate())),
        QStringLiteral("Registre (*.mdb)"));
    if (target.isEmpty())
        return;
    Backup::Outcome outcome;
    BackgroundWork::run(parent, QStringLiteral("Se copiază registrul..."), [&](Progress *p) {
        outcome = Backup::copyTo(registerFile, target, p);
    });
    if (outcome.ok)
        Messages::ok(parent,
                     QStringLiteral("Copia registrului a fost scrisă în %1.")
                         .arg(QDir::toNativeSeparators(target)),
                     BackupTitle, Messages::Icon::Information);
    else if (!outcome.cancelled)
        Messages::ok(parent, outcome.problem, BackupTitle, Messages::Icon::Exclamation);
}

} // namespace OutputActions
