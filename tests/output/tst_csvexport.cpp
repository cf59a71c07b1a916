#include "common/testregister.h"

#include "data/sourcetexts.h"
#include "output/csvexport.h"
#include "output/progress.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace {

// RFC 4180 read back independently of the writer.
QList<QStringList> readCsv(const QString &fileName, bool *hadBom)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = file.readAll();
    *hadBom = bytes.startsWith("\xEF\xBB\xBF");
    const QString text = QString::fromUtf8(bytes.mid(*hadBom ? 3 : 0));
    QList<QStringList> rows(1);
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted && c == '"' && i + 1 < text.size() && text.at(i + 1) == '"')
            field += text.at(++i);
        else if (c == '"')
            quoted = !quoted;
        else if (!quoted && c == ',')
            rows.last() << std::exchange(field, {});
        else if (!quoted && c == '\r' && text.mid(i, 2) == "\r\n") {
            rows.last() << std::exchange(field, {});
            rows.append(QStringList());
            ++i;
        } else
            field += c;
    }
    rows.removeLast(); // after the last line break
    return rows;
}

} // namespace

class TestCsvExport : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void sources_data();
    void sources();
    void wholeRegister();
    void nothingLeftBehind_data();
    void nothingLeftBehind();
};

void TestCsvExport::roundTrip_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("comma") << "BLOC 4, SCARA B";
    QTest::newRow("quotes") << "zis \"VULPEA\"";
    QTest::newRow("line breaks") << "rândul unu\r\nrândul doi\nal treilea";
    QTest::newRow("diacritics") << "ȘTEFĂNEȘTI, ȚĂNDĂREI; ăâîșț";
    QTest::newRow("empty") << "";
    QTest::newRow("only a quote") << "\"";
}

void TestCsvExport::roundTrip()
{
    QFETCH(QString, value);
    TestRegister reg;
    reg.addPerson("1800101123456", "POPESCU", "M",
                  {{"Strada", value}, {"Porecla1", value}, {"sector", 3}});
    reg.addPerson("2800101123456", value, "F");
    const QString target = QDir(reg.folder()).filePath("persoane.csv");
    Progress progress;
    const CsvExport::Outcome o =
        CsvExport::writeSource(reg.path(), SourceTexts::Persons, {}, target, &progress);
    QCOMPARE(o.kind, CsvExport::Outcome::Done);
    QCOMPARE(o.rows, 2);
    QCOMPARE(QFile::permissions(target),
             QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser
                 | QFileDevice::WriteUser);
    bool bom = false;
    const QList<QStringList> rows = readCsv(target, &bom);
    QVERIFY(bom);
    QCOMPARE(rows.size(), 3);
    const QStringList heading = rows.at(0);
    QCOMPARE(heading.size(), 20); // every field, not the grid's five
    QCOMPARE(heading.first(), "CNP_C");
    QCOMPARE(rows.at(1).at(heading.indexOf("Strada")), value);
    QCOMPARE(rows.at(1).at(heading.indexOf("Porecla1")), value);
    QCOMPARE(rows.at(1).at(heading.indexOf("sector")), "3");
    QCOMPARE(rows.at(1).at(heading.indexOf("Functia")), "");
    QCOMPARE(rows.at(2).at(heading.indexOf("Nume")), value);
}

void TestCsvExport::sources_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("sortedBy");
    QTest::addColumn<bool>("descending");
    QTest::addColumn<QStringList>("firstColumn");
    QTest::addColumn<int>("fields");
    const QString persons = SourceTexts::Persons;
    const QString accomplices = SourceTexts::AccomplicesOfOffence + "2";
    // Offence codes start at 1 in a fresh register; the fixture makes 1 and 2.
    QTest::newRow("women") << SourceTexts::PersonsWomen << "" << false
                           << QStringList{"2800101123456"} << 20;
    QTest::newRow("persons by name") << persons << "Nume" << false
                                     << QStringList{"2800101123456", "1800101123456",
                                                    "1900101123456"} << 20;
    QTest::newRow("persons by name, reversed") << persons << "Nume" << true
                                               << QStringList{"1900101123456", "1800101123456",
                                                              "2800101123456"} << 20;
    QTest::newRow("men by name, reversed") << SourceTexts::PersonsMen << "Nume" << true
                                           << QStringList{"1900101123456", "1800101123456"}
                                           << 20;
    QTest::newRow("offences of a person")
        << SourceTexts::OffencesOfPerson + SourceTexts::quotedKey("1800101123456") << "" << false
        << QStringList{"1", "2"} << 11;
    QTest::newRow("accomplices of an offence")
        << accomplices << "" << false << QStringList{"1700101123456", "1600101123456"} << 19;
    QTest::newRow("accomplices by name") << accomplices << "Nume" << false
                                         << QStringList{"1600101123456", "1700101123456"} << 19;
    QTest::newRow("articles of an offence")
        << SourceTexts::ArticlesOfOffence + "1" << "" << false << QStringList{"1", "1"} << 5;
}

// A list leaves in the order the screen shows it: its own or the one chosen.
void TestCsvExport::sources()
{
    QFETCH(QString, source);
    QFETCH(QString, sortedBy);
    QFETCH(bool, descending);
    QFETCH(QStringList, firstColumn);
    QFETCH(int, fields);
    TestRegister reg;
    reg.addPerson("1800101123456", "POPESCU", "M");
    reg.addPerson("2800101123456", "IONESCU", "F");
    reg.addPerson("1900101123456", "ȘERBAN", "M");
    const qint64 first = reg.addOffence("1800101123456", "Luare de mită", "A");
    const qint64 second = reg.addOffence("1800101123456", "Dare de mită", "S");
    reg.addAccomplice("1700101123456", "VASILE", "M", second);
    reg.addAccomplice("1600101123456", "ANTON", "M", second);
    reg.addArticle(first, "Gazeta", "Primul");
    reg.addArticle(first, "Ziarul", "Al doilea");
    const QString target = QDir(reg.folder()).filePath("lista.csv");
    Progress progress;
    QCOMPARE(CsvExport::writeSource(reg.path(), source, {sortedBy, descending}, target,
                                     &progress).kind,
             CsvExport::Outcome::Done);
    bool bom = false;
    QList<QStringList> rows = readCsv(target, &bom);
    QCOMPARE(rows.takeFirst().size(), fields);
    QStringList column;
    for (const QStringList &row : rows)
        column << row.first();
    QCOMPARE(column, firstColumn);
}

void TestCsvExport::wholeRegister()
{
    TestRegister reg;
    reg.addPerson("1800101123456", "POPESCU", "M");
    const qint64 offence = reg.addOffence("1800101123456", "Luare de mită", "A");
    reg.addAccomplice("1700101123456", "VASILE", "M", offence);
    reg.addArticle(offence, "Gazeta", "Text");
    const QString folder = QDir(reg.folder()).filePath("export");
    QDir().mkdir(folder);
    Progress progress;
    const CsvExport::Outcome o = CsvExport::writeRegister(reg.path(), folder, &progress);
    QVERIFY2(o.kind == CsvExport::Outcome::Done, qPrintable(o.problem));
    QCOMPARE(o.rows, 5);
    const QStringList files = QDir(folder).entryList(QDir::Files, QDir::Name);
    QCOMPARE(files, QStringList({"TBL_Articole.csv", "TBL_Complici.csv", "TBL_Complicitate.csv",
                                 "TBL_Infractiuni.csv", "TBL_Zavoni.csv"}));
    for (const QString &f : files) {
        bool bom = false;
        QCOMPARE(readCsv(QDir(folder).filePath(f), &bom).size(), 2);
    }
}

void TestCsvExport::nothingLeftBehind_data()
{
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<QString>("target"); // empty: over the register itself
    QTest::newRow("cancelled") << true << "lista.csv";
    QTest::newRow("over the register") << false << "";
}

void TestCsvExport::nothingLeftBehind()
{
    QFETCH(bool, cancel);
    QFETCH(QString, target);
    TestRegister reg;
    reg.addPerson("1800101123456", "POPESCU", "M");
    const QStringList before = QDir(reg.folder()).entryList(QDir::Files | QDir::Hidden);
    Progress progress;
    if (cancel)
        progress.cancel();
    const QString path = target.isEmpty() ? reg.path() : QDir(reg.folder()).filePath(target);
    const CsvExport::Outcome o =
        CsvExport::writeSource(reg.path(), SourceTexts::Persons, {}, path, &progress);
    QCOMPARE(o.kind, cancel ? CsvExport::Outcome::Cancelled : CsvExport::Outcome::Failed);
    QCOMPARE(QDir(reg.folder()).entryList(QDir::Files | QDir::Hidden), before);
    QCOMPARE(reg.count("TBL_Zavoni"), 1);
    QCOMPARE(reg.value("PRAGMA integrity_check").toString(), "ok");
}

QTEST_GUILESS_MAIN(TestCsvExport)
#include "tst_csvexport.moc"
