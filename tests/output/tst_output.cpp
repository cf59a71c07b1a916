#include "common/columns.h"
#include "common/testregister.h"

#include "data/sourcetexts.h"
#include "output/backup.h"
#include "output/csvexport.h"
#include "output/progress.h"

#include <QtSql>
#include <QtTest>

#include <atomic>
#include <thread>

namespace {

const QFileDevice::Permissions OwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                           | QFileDevice::ReadUser | QFileDevice::WriteUser;

// RFC 4180 read back independently of the writer; the byte-order mark is required.
QList<QStringList> readCsv(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    if (!bytes.startsWith("\xEF\xBB\xBF"))
        return {{"no byte-order mark"}};
    const QString text = QString::fromUtf8(bytes.mid(3));
    QList<QStringList> rows(1);
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted && c == '"' && i + 1 < text.size() && text.at(i + 1) == '"') {
            field += text.at(++i);
        } else if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && c == ',') {
            rows.last() << std::exchange(field, {});
        } else if (!quoted && text.mid(i, 2) == "\r\n") {
            rows.last() << std::exchange(field, {});
            rows.append(QStringList());
            ++i;
        } else {
            field += c;
        }
    }
    rows.removeLast(); // after the last line break
    return rows;
}

// Another copy of the program saving persons; counts the commits returned.
class Saver
{
public:
    explicit Saver(const QString &file) : m_thread([this, file] { run(file); }) {}
    ~Saver()
    {
        m_stop = true;
        m_thread.join();
    }
    int confirmed() const { return m_confirmed; }

private:
    void run(const QString &file)
    {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "saver");
            db.setDatabaseName(file);
            db.setConnectOptions("QSQLITE_BUSY_TIMEOUT=5000");
            db.open();
            QSqlQuery q(db);
            q.prepare("INSERT INTO TBL_Zavoni (CNP_C, Nume, sex) VALUES (?, 'SALVAT', 'F')");
            for (int i = 0; !m_stop; m_confirmed = ++i) {
                q.addBindValue(QString::number(2900000000000LL + i));
                if (!q.exec())
                    qFatal("save failed");
            }
        }
        QSqlDatabase::removeDatabase("saver");
    }
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_confirmed{0};
    std::thread m_thread;
};

QVariant valueIn(const QString &file, const QString &sql)
{
    QVariant result;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "copy");
        db.setDatabaseName(file);
        db.open();
        QSqlQuery q(sql, db);
        if (q.next())
            result = q.value(0);
    }
    QSqlDatabase::removeDatabase("copy");
    return result;
}

} // namespace

// The register's copies and its exports to CSV files.
class TestOutput : public QObject
{
    Q_OBJECT

private slots:
    // Each field comes back as it was: a comma, quotes, line breaks of both kinds
    // with diacritics, a lone quote, an empty text and NULL.
    void csvRoundTrip()
    {
        const QStringList values{"BLOC 4, SCARA B", "zis \"VULPEA\"", "unu\r\ndoi\nȘȚĂ", "\"", ""};
        TestRegister reg;
        reg.addPerson("1800101123456", "POPESCU", "M",
                      {{"Strada", values[0]}, {"Porecla1", values[2]}, {"Porecla2", values[3]},
                       {"Prenume", values[4]}, {"sector", 3}});
        reg.addPerson("2800101123456", values[1], "F");
        const QString target = QDir(reg.folder()).filePath("persoane.csv");
        Progress progress;
        const CsvExport::Outcome o =
            CsvExport::writeSource(reg.path(), SourceTexts::Persons, {}, target, &progress);
        QCOMPARE(o.kind, CsvExport::Outcome::Done);
        QCOMPARE(o.rows, 2);
        QCOMPARE(QFile::permissions(target), OwnerOnly);
        const QList<QStringList> rows = readCsv(target);
        QCOMPARE(rows.size(), 3);
        const QStringList heading = rows.at(0);
        QCOMPARE(heading.size(), 20); // every field, not the grid's five
        const auto at = [&](int row, const char *field) {
            return rows.at(row).at(heading.indexOf(field));
        };
        QCOMPARE(QStringList({at(1, "Strada"), at(2, "Nume"), at(1, "Porecla1"), at(1, "Porecla2"),
                              at(1, "Prenume"), at(1, "Functia"), at(1, "sector")}),
                 (values + QStringList{"", "3"}));
    }

    void csvSources_data();
    // A list leaves in the order the screen shows it: its own or the one chosen.
    void csvSources()
    {
        QFETCH(QString, source);
        QFETCH(QString, sortedBy);
        QFETCH(bool, descending);
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
                                         &progress).kind, CsvExport::Outcome::Done);
        QList<QStringList> rows = readCsv(target);
        QTEST(int(rows.takeFirst().size()), "fields");
        QStringList column;
        for (const QStringList &row : rows)
            column << row.first();
        QTEST(column, "firstColumn");
    }

    void copyWhileSaving();

    void nothingLeftBehind_data();
    void nothingLeftBehind();

    // "Registru": the five tables, each in a file of its own, at one moment.
    void csvWholeRegister()
    {
        TestRegister reg;
        reg.addPerson("1800101123456", "POPESCU", "M");
        const qint64 offence = reg.addOffence("1800101123456", "Luare de mită", "A");
        reg.addAccomplice("1700101123456", "VASILE", "M", offence);
        reg.addArticle(offence, "Gazeta", "Text");
        const QDir folder(reg.folder());
        Progress progress;
        const CsvExport::Outcome o = CsvExport::writeRegister(reg.path(), folder.path(), &progress);
        QVERIFY2(o.kind == CsvExport::Outcome::Done, qPrintable(o.problem));
        QCOMPARE(o.rows, 5);
        for (const char *table : {"TBL_Articole", "TBL_Complici", "TBL_Complicitate",
                                  "TBL_Infractiuni", "TBL_Zavoni"})
            QCOMPARE(readCsv(folder.filePath(QString(table) + ".csv")).size(), 2);
    }

    // A copy a day at the first start of the day, the last seven kept, private.
    void dailyCopiesRotate()
    {
        TestRegister reg;
        reg.addPerson("1800101123456", "POPESCU");
        const QDate first(2026, 12, 25);
        for (int day = 0; day < 9; ++day) {
            QVERIFY(Backup::dailyCopyDue(reg.path(), first.addDays(day)));
            Progress progress;
            QVERIFY(Backup::keepDailyCopy(reg.path(), first.addDays(day), &progress).ok);
        }
        QVERIFY(!Backup::dailyCopyDue(reg.path(), first.addDays(8)));
        const QDir folder(Backup::dailyFolder(reg.path()));
        const QStringList kept = folder.entryList(QDir::Files | QDir::Hidden, QDir::Name);
        QCOMPARE(kept.size(), 7);
        QCOMPARE(kept.first(), "Zavoni-2026-12-27.mdb");
        QCOMPARE(kept.last(), "Zavoni-2027-01-02.mdb");
        QCOMPARE(QFile::permissions(folder.path()) & 0x0077, 0); // none for group or others
    }
};

void TestOutput::csvSources_data()
{
    columns<QString, QString, bool, QStringList, int>("source", "sortedBy", "descending",
                                                      "firstColumn", "fields");
    const QString persons = SourceTexts::Persons;
    const QString accomplices = SourceTexts::AccomplicesOfOffence + "2";
    const QString p1 = "1800101123456", p2 = "2800101123456", p3 = "1900101123456";
    // Offence codes start at 1 in a fresh register; the fixture makes 1 and 2.
    QTest::newRow("women") << SourceTexts::PersonsWomen << "" << false << QStringList{p2} << 20;
    QTest::newRow("persons by name") << persons << "Nume" << false << QStringList{p2, p1, p3} << 20;
    QTest::newRow("men by name, reversed")
        << SourceTexts::PersonsMen << "Nume" << true << QStringList{p3, p1} << 20;
    QTest::newRow("offences of a person")
        << SourceTexts::OffencesOfPerson + SourceTexts::quotedKey(p1) << "" << false
        << QStringList{"1", "2"} << 11;
    QTest::newRow("accomplices of an offence")
        << accomplices << "" << false << QStringList{"1700101123456", "1600101123456"} << 19;
    QTest::newRow("accomplices by name") << accomplices << "Nume" << false
                                         << QStringList{"1600101123456", "1700101123456"} << 19;
    QTest::newRow("articles of an offence")
        << SourceTexts::ArticlesOfOffence + "1" << "" << false << QStringList{"1", "1"} << 5;
}

void TestOutput::copyWhileSaving()
{
    TestRegister reg;
    // Enough pages that the copy takes many steps, with saves between them.
    reg.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 40000) "
             "INSERT INTO TBL_Zavoni (CNP_C, Nume, Strada, sex) "
             "SELECT 1800000000000 + i, 'POPESCU', printf('%.60c', 'X'), 'M' FROM n");
    const QString target = QDir(reg.folder()).filePath("copie.mdb");
    int before = 0, after = 0;
    Backup::Outcome outcome;
    {
        Saver saver(reg.path());
        while (saver.confirmed() < 10)
            QThread::msleep(1);
        before = saver.confirmed();
        Progress progress;
        outcome = Backup::copyTo(reg.path(), target, &progress);
        after = saver.confirmed();
    }
    QVERIFY2(outcome.ok, qPrintable(outcome.problem));
    QCOMPARE(QFile::permissions(target), OwnerOnly);
    QCOMPARE(valueIn(target, "PRAGMA integrity_check").toString(), "ok");
    const int saved = valueIn(target, "SELECT count(*) FROM TBL_Zavoni WHERE Nume = 'SALVAT'")
                          .toInt();
    QVERIFY2(saved >= before && saved <= after,
             qPrintable(QString("%1 <= %2 <= %3").arg(before).arg(saved).arg(after)));
    // The saves it holds are the first ones, each whole with its kept count.
    QCOMPARE(valueIn(target, "SELECT max(CNP_C) FROM TBL_Zavoni WHERE Nume = 'SALVAT'")
                 .toLongLong(), 2900000000000LL + saved - 1);
    QCOMPARE(valueIn(target, "SELECT Numar FROM TBL_Numarare WHERE Sursa = 'TBL_Zavoni'").toInt(),
             40000 + saved);
}

void TestOutput::nothingLeftBehind_data()
{
    columns<bool, QString, bool, QString>("csv", "target", "cancel", "problem");
    QTest::newRow("list, cancelled") << true << "lista.csv" << true << "";
    QTest::newRow("list over the register") << true << "Zavoni.mdb" << false << "";
    QTest::newRow("copy, missing folder") << false << "lipsa/copie.mdb" << false
                                          << "folderul nu există";
    QTest::newRow("copy over the register") << false << "Zavoni.mdb" << false << "peste registru";
    QTest::newRow("copy over the register by another path")
        << false << "./lipsa/../Zavoni.mdb" << false << "peste registru";
    QTest::newRow("copy over the register's log")
        << false << "Zavoni.mdb-wal" << false << "peste registru";
    QTest::newRow("copy, cancelled") << false << "copie.mdb" << true << "";
}

// A copy or a list that fails or is cancelled leaves no file and the register as it was.
void TestOutput::nothingLeftBehind()
{
    QFETCH(QString, target);
    QFETCH(bool, cancel);
    TestRegister reg;
    reg.addPerson("1800101123456", "POPESCU");
    const QDir folder(reg.folder());
    const QStringList before = folder.entryList(QDir::Files | QDir::Hidden);
    Progress progress;
    if (cancel)
        progress.cancel();
    QString said;
    if (cell<bool>("csv")) {
        const CsvExport::Outcome o = CsvExport::writeSource(reg.path(), SourceTexts::Persons, {},
                                                            folder.filePath(target), &progress);
        QCOMPARE(o.kind, cancel ? CsvExport::Outcome::Cancelled : CsvExport::Outcome::Failed);
        said = o.problem;
    } else {
        const Backup::Outcome o = Backup::copyTo(reg.path(), folder.filePath(target), &progress);
        QVERIFY(!o.ok);
        QCOMPARE(o.cancelled, cancel);
        said = o.problem;
    }
    QVERIFY2(said.contains(cell<QString>("problem")), qPrintable(said));
    QCOMPARE(folder.entryList(QDir::Files | QDir::Hidden), before);
    QCOMPARE(reg.count("TBL_Zavoni"), 1);
    QCOMPARE(reg.value("PRAGMA integrity_check").toString(), "ok");
}

QTEST_GUILESS_MAIN(TestOutput)
#include "tst_output.moc"
