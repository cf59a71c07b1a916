// The longer waits: a dossier to PDF, the persons list to CSV, the figures.

#include "programbench.h"
#include "sqlitedb.h"

#include "data/database.h"
#include "data/sourcetexts.h"
#include "output/csvexport.h"
#include "output/progress.h"
#include "reports/dossier.h"
#include "reports/dossiercontent.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QPrinter>
#include <QTableWidget>

using namespace BenchSupport;

namespace {

constexpr int DossierOffences = 50;
constexpr int LongRuns = 3;

qint64 linesOf(const QString &fileName)
{
    QFile file(fileName);
    qint64 lines = file.open(QIODevice::ReadOnly) ? 0 : -1;
    while (lines >= 0 && !file.atEnd())
        lines += file.read(1 << 20).count('\n');
    return lines;
}

// Ends the modal "Statistici" once it has been painted, keeping the total of persons its
// county table shows.
struct StatisticsWatch : QObject
{
    bool painted = false;
    QString total;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *widget = qobject_cast<QWidget *>(watched);
        auto *window = widget ? qobject_cast<QDialog *>(widget->window()) : nullptr;
        if (event->type() != QEvent::Paint || painted || !window
            || window->objectName() != QLatin1String("StatisticsWindow"))
            return false;
        painted = true;
        if (auto *table = window->findChild<QTableWidget *>("PersonsByCountyNumbers")) {
            const int last = table->rowCount() - 1;
            if (table->item(last, 0)->text() == QLatin1String("Total"))
                total = table->item(last, 1)->text();
        }
        QMetaObject::invokeMethod(window, &QDialog::reject, Qt::QueuedConnection);
        return false;
    }
};

} // namespace

void ProgramBench::measureOutput()
{
    QWidget *persons = personsShowing(SourceTexts::Persons);
    const QString pdf = m_folder.filePath(QStringLiteral("dosar.pdf"));
    const QString csv = m_folder.filePath(QStringLiteral("persoane.csv"));
    DossierContent content;
    CsvExport::Outcome exported;
    StatisticsWatch watch;
    const auto dossierFloor = [&] {
        int rows = 0;
        for (const char *sql :
             {"SELECT * FROM TBL_Zavoni WHERE CNP_C = ?",
              "SELECT * FROM TBL_Infractiuni WHERE CNP_C = ?",
              "SELECT c.* FROM TBL_Infractiuni i JOIN TBL_Complicitate l ON l.COD_INFRACTIUNE = "
              "i.COD_infractiune JOIN TBL_Complici c ON c.CNP = l.CNP WHERE i.CNP_C = ?",
              "SELECT a.* FROM TBL_Infractiuni i JOIN TBL_Articole a ON a.Cod_infractiune = "
              "i.COD_infractiune WHERE i.CNP_C = ?"})
            rows += engine().rows(sql, {BenchCnp});
        return Found(-1, rows);
    };
    const Step steps[] = {
        {"dossier_pdf", {0, 0, 0}, LongRuns,
         QStringLiteral("Dossier of a person with 50 offences rendered to a PDF"),
         [&] { QFile::remove(pdf); },
         [&] {
             DataError error;
             const auto db = Database::open(RegisterName, &error);
             expect(db && content.read(*db, BenchCnp, &error), QStringLiteral("dossier read"));
             QPrinter printer(QPrinter::HighResolution);
             Dossier::setUp(&printer, BenchCnp);
             printer.setOutputFormat(QPrinter::PdfFormat);
             printer.setOutputFileName(pdf);
             Dossier::paint(content, &printer);
         },
         [&] {
             qsizetype offences = 0;
             for (const DossierItem &item : content.items())
                 offences += item.kind == DossierItem::Kind::Heading;
             QFile file(pdf);
             expect(offences == DossierOffences && file.open(QIODevice::ReadOnly)
                        && file.readAll().count("/Type /Page\n") > 1,
                    QStringLiteral("a dossier of 50 offences on several pages"));
         },
         dossierFloor, [] { return Found(-1, 1 + DossierOffences * 4); }, {}},
        {"csv_persons", {20000, 1000000, 0}, LongRuns,
         QStringLiteral("\"Listă\", the persons list exported to CSV"),
         [&] { QFile::remove(csv); },
         [&] {
             Progress progress;
             exported = CsvExport::writeSource(RegisterName, data(persons)->recordSource(), {},
                                               csv, &progress);
         },
         [&] {
             expect(exported.kind == CsvExport::Outcome::Done && exported.rows == m_persons
                        && linesOf(csv) == m_persons + 1,
                    QStringLiteral("every person exported"));
         },
         [&] { return Found(-1, engine().rows("SELECT * FROM TBL_Zavoni ORDER BY rowid")); },
         [&] { return Found(-1, int(m_persons)); }, {}},
        {"statistics", {1000, 1000000, 0}, LongRuns,
         QStringLiteral("\"Statistici\" counted and its window painted"),
         [&] { watch.painted = false; },
         [&] {
             qApp->installEventFilter(&watch);
             persons->findChild<QAction *>(QStringLiteral("StatisticsAction"))->trigger();
             qApp->removeEventFilter(&watch);
         },
         [&] {
             expect(watch.painted && watch.total == QString::number(m_persons),
                    QStringLiteral("the figures' total of persons: ") + watch.total);
         },
         [&] {
             SqliteDb &f = engine();
             f.rows("SELECT Infractiune, Pedeapsa, Ispasit, count(*) FROM TBL_Infractiuni "
                    "GROUP BY 1, 2, 3");
             return Found(f.integer("SELECT sum(n) FROM (SELECT count(*) AS n FROM TBL_Zavoni "
                                "GROUP BY Judet)"), 0);
         },
         [&] { return Found(m_persons, 0); }, {}},
    };
    // The person of the dossier: fifty offences, each with two articles and an accomplice.
    m_reference->exec("INSERT INTO TBL_Zavoni (CNP_C, Nume, Prenume, sex, sector) "
                      "VALUES (?, 'ZĂVOIANU', 'ȘTEFAN', 'M', 1)",
                      {BenchCnp});
    addChildren(BenchCnp, DossierOffences);
    measure(steps[0]);
    m_reference->exec("DELETE FROM TBL_Zavoni WHERE CNP_C = ?", {BenchCnp});
    expectDeleted();
    measure(steps[1]);
    measure(steps[2]);
    QFile::remove(csv);
    QFile::remove(pdf);
}
