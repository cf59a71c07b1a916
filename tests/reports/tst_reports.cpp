#include "common/screensession.h"

#include "data/database.h"
#include "output/backup.h"
#include "reports/dailycopy.h"
#include "reports/dossier.h"
#include "reports/dossiercontent.h"
#include "reports/statisticswindow.h"

#include <QChartView>
#include <QPrinter>
#include <QtTest>
#include <QtWidgets>

namespace {

// The dossier printed to a PDF file, read back by poppler one page at a time.
QStringList printedPages(TestRegister &reg, const QString &cnp, QString *pdf)
{
    DataError error;
    const auto db = Database::open(reg.path(), &error);
    DossierContent content;
    if (!content.read(*db, cnp, &error))
        return {};
    QPrinter printer(QPrinter::HighResolution);
    Dossier::setUp(&printer, cnp);
    *pdf = QDir(reg.folder()).filePath("dosar.pdf");
    printer.setOutputFileName(*pdf);
    Dossier::paint(content, &printer);
    QProcess poppler;
    poppler.start("pdftotext", {"-layout", "-enc", "UTF-8", *pdf, "-"});
    poppler.waitForFinished();
    QStringList pages = QString::fromUtf8(poppler.readAllStandardOutput()).split('\f');
    pages.removeLast(); // after the last page's form feed
    for (QString &page : pages)
        page = page.simplified(); // a wrapped line reads as one
    return pages;
}

} // namespace

// The statistics, the dossier, the daily copy and the background work.
class TestReports : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void figures_data()
    {
        columns<QString, QString, QString, QString>("chart", "label", "table", "where");
        const auto row = [](const char *chart, const char *label, const char *where) {
            QTest::newRow(label) << chart << label
                                 << (QString(chart) == "PersonsByCounty" ? "TBL_Zavoni"
                                                                          : "TBL_Infractiuni")
                                 << where;
        };
        row("OffencesByType", "Luare de mită", "Infractiune = 'Luare de mită'");
        row("PenaltiesByKind", "Amendă", "Pedeapsa = 'A'");
        row("Served", "Neispășită", "Ispasit = 0");
        row("PersonsByCounty", "IAȘI", "Judet = 'IAȘI'");
        row("PersonsByCounty", "(necompletat)", "Judet IS NULL");
        row("PersonsByCounty", "Total", "1");
    }

    void figures();

    void dossierSections_data();
    void dossierSections();
    void longDossier();

    void dailyCopy_data() { flag("closeAtOnce", "window stays", "window closed at once"); }
    void dailyCopy()
    {
        TestRegister reg;
        reg.addPerson("1800101123456", "POPESCU");
        const QString today = Backup::defaultName(QDate::currentDate());
        auto window = std::make_unique<QWidget>();
        DailyCopy::start(window.get(), reg.path());
        const QDir folder(Backup::dailyFolder(reg.path()));
        if (cell<bool>("closeAtOnce")) {
            window.reset(); // waits for the copy, cut short or whole
            const QStringList left = folder.entryList(QDir::Files | QDir::Hidden);
            QVERIFY2(left.isEmpty() || left == QStringList(today), qPrintable(left.join(' ')));
            return;
        }
        QTRY_VERIFY(!window->findChild<DailyCopy *>());
        QCOMPARE(folder.entryList(QDir::Files | QDir::Hidden), QStringList(today));
        DailyCopy::start(window.get(), reg.path()); // once a day
        QVERIFY(!window->findChild<DailyCopy *>());
    }

private:
    std::unique_ptr<TestRegister> m_reg;
    Figures::Register m_figures;
};

void TestReports::initTestCase()
{
    m_reg = std::make_unique<TestRegister>();
    m_reg->addPerson("1800101123456", "POPESCU", "M", {{"Judet", "IAȘI"}});
    m_reg->addPerson("2800101123456", "IONESCU", "F", {{"Judet", "IAȘI"}});
    m_reg->addPerson("1800101123457", "VASILE", "M", {{"Judet", "TIMIȘ"}});
    m_reg->addPerson("1800101123458", "MARIN", "M");
    const char *types[] = {"Luare de mită", "Luare de mită", "Abuz în serviciu", "Dare de mită",
                           "Luare de mită"};
    for (int i = 0; i < 5; ++i)
        m_reg->addOffence("1800101123456", types[i], QString("ADSAA").at(i), {{"Ispasit", i % 2}});
    DataError error;
    QVERIFY(Figures::read(*Database::open(m_reg->path(), &error), &m_figures, &error));
}

void TestReports::figures()
{
    QFETCH(QString, label);
    QFETCH(QString, table);
    QFETCH(QString, where);
    StatisticsWindow window(m_figures);
    auto *numbers = window.findChild<QTableWidget *>(cell<QString>("chart") + "Numbers");
    QVERIFY(numbers);
    const QList<QTableWidgetItem *> found = numbers->findItems(label, Qt::MatchExactly);
    QCOMPARE(found.size(), 1);
    QCOMPARE(numbers->item(found.first()->row(), 1)->text().toInt(), m_reg->count(table, where));
}

void TestReports::dossierSections_data()
{
    columns<QVariantMap, QString>("offence", "penalty");
    QTest::newRow("fine") << QVariantMap{{"Pedeapsa", "A"}, {"Amenda", "1500"}, {"Ispasit", 1}}
                          << "Pedeapsa: Amendă: 1.500 lei Ispășită: Da";
    QTest::newRow("suspended detention")
        << QVariantMap{{"Pedeapsa", "D"}, {"Detenta1", "24.03.2005"}, {"Detenta2", "23.11.2011"},
                       {"Suspendare", 1}, {"Ispasit", 0}}
        << "Detenție de la 24.03.2005 până la 23.11.2011, cu suspendare Ispășită: Nu";
    const QString other = "Interzicerea dreptului de a ocupa o funcție publică";
    QTest::newRow("other sanction") << QVariantMap{{"Pedeapsa", "S"}, {"Sanctiune", other}}
                                    << "Altă sancțiune: " + other;
}

void TestReports::dossierSections()
{
    QFETCH(QVariantMap, offence);
    TestRegister reg;
    reg.addPerson("1800101123456", "ȘERBĂNESCU", "M",
                  {{"Prenume", "ȚICU"}, {"Initiala", "Î"}, {"Porecla1", "ȘOIMUL"},
                   {"Functia", "PRIMAR"}, {"Judet", "BUCURESTI"}, {"sector", 4},
                   {"Strada", "ȘOSEAUA ȘTEFAN CEL MARE"}, {"Apartament", "12"}});
    const QString type = offence.value("Pedeapsa") == "S" ? "Abuz în serviciu" : "Luare de mită";
    offence.insert("Descriere", "A primit foloase necuvenite.");
    const qint64 code = reg.addOffence("1800101123456", type, offence.take("Pedeapsa").toString(),
                                       offence);
    reg.addAccomplice("1700101123456", "PĂTRAȘCU", "M", code,
                      {{"Prenume", "ION"}, {"Porecla1", "ȚÂRU"}, {"Localitate", "IAȘI"}});
    reg.addArticle(code, "Gazeta de Sud", "Dosarul primarului",
                   {{"Autor", "Ștefan Mureșan"}, {"Data_aparitiei", "01.02.2006"}});
    QString pdf;
    const QStringList pages = printedPages(reg, "1800101123456", &pdf);
    QCOMPARE(pages.size(), 1);
    const QStringList expected = {
        "Evidenta zavonilor", "Dosarul persoanei ȘERBĂNESCU Î ȚICU (C.N.P. 1800101123456)",
        "C.N.P.: 1800101123456", "Nume: ȘERBĂNESCU", "Initială: Î", "Prenume: ȚICU",
        "Poreclă 1: ȘOIMUL", "Functia: PRIMAR", "Sex: M", "Judetul: BUCURESTI", "Sectorul: 4",
        "Strada: ȘOSEAUA ȘTEFAN CEL MARE", "Apart.: 12", "Infracțiunea 1: " + type,
        "Descriere: A primit foloase necuvenite.", cell<QString>("penalty"),
        "C.N.P. 1700101123456, PĂTRAȘCU ION, zis ȚÂRU; domiciliul: IAȘI",
        "Gazeta de Sud, Ștefan Mureșan, 01.02.2006: Dosarul primarului",
        "Tipărit la " + QDate::currentDate().toString("dd.MM.yyyy"), "Pagina 1 din 1"};
    for (const QString &s : expected)
        QVERIFY2(pages.first().contains(s), qPrintable(s + "\n---\n" + pages.first()));
    QCOMPARE(QFile::permissions(pdf) & 0x0077, 0); // none for group or others
}

// Header and "Pagina N din M" on every page of a long dossier; descriptions long
// enough to wrap, each a row no page break may cut.
void TestReports::longDossier()
{
    TestRegister reg;
    reg.addPerson("1800101123456", "POPESCU", "M");
    reg.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 200) "
             "INSERT INTO TBL_Infractiuni (CNP_C, Infractiune, Pedeapsa, Amenda, Descriere) "
             "SELECT '1800101123456', 'Luare de mită', 'A', 100 * i, 'Fapta numărul ' || i || "
             "' a fost săvârșită în timpul serviciului, cu încălcarea atribuțiilor, "
             "în folosul unei terțe persoane, și sfârșește aici ' || i || '.' FROM n");
    QString pdf;
    const QStringList pages = printedPages(reg, "1800101123456", &pdf);
    QVERIFY(pages.size() > 10);
    static const QRegularExpression whole("Fapta numărul (\\d+) a fost .*? "
                                          "sfârșește aici \\1\\.");
    int found = 0;
    for (int p = 0; p < pages.size(); ++p) {
        QVERIFY(pages.at(p).contains(QString("Pagina %1 din %2").arg(p + 1).arg(pages.size())));
        QVERIFY(pages.at(p).contains("Evidenta zavonilor"));
        for (auto it = whole.globalMatch(pages.at(p)); it.hasNext(); it.next())
            ++found;
    }
    QCOMPARE(found, 200);
}

QTEST_MAIN(TestReports)
#include "tst_reports.moc"
