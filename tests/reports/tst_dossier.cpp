#include "common/testregister.h"

#include "data/database.h"
#include "reports/dossier.h"
#include "reports/dossiercontent.h"

#include <QDir>
#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

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

class TestDossier : public QObject
{
    Q_OBJECT

private slots:
    void sections_data();
    void sections();
    void longDossier();
};

void TestDossier::sections_data()
{
    QTest::addColumn<QVariantMap>("offence");
    QTest::addColumn<QString>("penalty");
    QTest::newRow("fine") << QVariantMap{{"Pedeapsa", "A"}, {"Amenda", "1500"}, {"Ispasit", 1}}
                          << "Pedeapsa: Amendă: 1.500 lei Ispășită: Da";
    QTest::newRow("suspended detention")
        << QVariantMap{{"Pedeapsa", "D"}, {"Detenta1", "24.03.2005"}, {"Detenta2", "23.11.2011"},
                       {"Suspendare", 1}, {"Ispasit", 0}}
        << "Detenție de la 24.03.2005 până la 23.11.2011, cu suspendare Ispășită: Nu";
    QTest::newRow("other sanction")
        << QVariantMap{{"Pedeapsa", "S"}, {"Sanctiune", "Interzicerea dreptului de a ocupa "
                                                        "o funcție publică"}}
        << "Altă sancțiune: Interzicerea dreptului de a ocupa o funcție publică";
}

void TestDossier::sections()
{
    QFETCH(QVariantMap, offence);
    QFETCH(QString, penalty);
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
    const QString text = pages.first();
    const QStringList expected = {
        "Evidenta zavonilor", "Dosarul persoanei ȘERBĂNESCU Î ȚICU (C.N.P. 1800101123456)",
        "C.N.P.: 1800101123456", "Nume: ȘERBĂNESCU", "Initială: Î", "Prenume: ȚICU",
        "Poreclă 1: ȘOIMUL", "Functia: PRIMAR", "Sex: M", "Judetul: BUCURESTI", "Sectorul: 4",
        "Strada: ȘOSEAUA ȘTEFAN CEL MARE", "Apart.: 12", "Infracțiunea 1: " + type,
        "Descriere: A primit foloase necuvenite.", penalty,
        "C.N.P. 1700101123456, PĂTRAȘCU ION, zis ȚÂRU; domiciliul: IAȘI",
        "Gazeta de Sud, Ștefan Mureșan, 01.02.2006: Dosarul primarului",
        "Tipărit la " + QDate::currentDate().toString("dd.MM.yyyy"), "Pagina 1 din 1"};
    for (const QString &s : expected)
        QVERIFY2(text.contains(s), qPrintable(s + "\n---\n" + text));
    QCOMPARE(QFile::permissions(pdf) & 0x0077, 0); // none for group or others
}

void TestDossier::longDossier()
{
    TestRegister reg;
    reg.addPerson("1800101123456", "POPESCU", "M");
    // Descriptions long enough to wrap, each a row no page break may cut.
    reg.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 200) "
             "INSERT INTO TBL_Infractiuni (CNP_C, Infractiune, Pedeapsa, Amenda, Descriere) "
             "SELECT '1800101123456', 'Luare de mită', 'A', 100 * i, 'Fapta numărul ' || i || "
             "' a fost săvârșită în timpul serviciului, cu încălcarea atribuțiilor, "
             "în folosul unei terțe persoane, și sfârșește aici ' || i || '.' FROM n");
    QString pdf;
    const QStringList pages = printedPages(reg, "1800101123456", &pdf);
    QVERIFY(pages.size() > 10);
    int found = 0;
    for (int p = 0; p < pages.size(); ++p) {
        QVERIFY(pages.at(p).contains(QString("Pagina %1 din %2").arg(p + 1).arg(pages.size())));
        QVERIFY(pages.at(p).contains("Evidenta zavonilor"));
        static const QRegularExpression whole("Fapta numărul (\\d+) a fost .*? sfârșește aici "
                                              "\\1\\.");
        for (auto it = whole.globalMatch(pages.at(p)); it.hasNext(); it.next())
            ++found;
    }
    QCOMPARE(found, 200);
    QProcess fonts;
    fonts.start("pdffonts", {pdf});
    fonts.waitForFinished();
    QVERIFY(fonts.readAllStandardOutput().contains(" yes "));
}

QTEST_MAIN(TestDossier)
#include "tst_dossier.moc"
