#include "outputactions.h"

#include "backgroundwork.h"

#include "output/csvexport.h"
#include "screens/common/messages.h"

#include <QDir>
#include <QFileDialog>
#include <QStandardPaths>

namespace OutputActions {

namespace {

const QString CsvTitle = QStringLiteral("Export CSV.");

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
                const QString &suggestedName)
{
    const QString target = QFileDialog::getSaveFileName(
        parent, QStringLiteral("Exportă lista"),
        QDir(documentsFolder()).filePath(suggestedName + QStringLiteral(".csv")),
        QStringLiteral("Fișiere CSV (*.csv)"));
    if (target.isEmpty())
        return;
    CsvExport::Outcome outcome;
    BackgroundWork::run(parent, QStringLiteral("Se exportă lista..."), [&](Progress *p) {
        outcome = CsvExport::writeSource(registerFile, recordSource, target, p);
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

} // namespace OutputActions
