#include "common/testregister.h"

#include "output/backup.h"
#include "output/progress.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

#include <atomic>
#include <thread>

namespace {

const QFileDevice::Permissions OwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                           | QFileDevice::ReadUser | QFileDevice::WriteUser;

// Saves persons one by one on a connection of its own, as another copy of the
// program would; counts those whose commit has returned.
class Saver
{
public:
    explicit Saver(const QString &file)
        : m_thread([this, file] { run(file); })
    {
    }
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
            q.exec("PRAGMA synchronous = FULL");
            q.prepare("INSERT INTO TBL_Zavoni (CNP_C, Nume, sex) VALUES (?, 'SALVAT', 'F')");
            for (int i = 0; !m_stop; ++i) {
                q.addBindValue(QString::number(2900000000000LL + i));
                if (!q.exec())
                    qFatal("save failed");
                m_confirmed = i + 1;
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

class TestBackup : public QObject
{
    Q_OBJECT

private slots:
    void copyWhileSaving();
    void nothingLeftBehind_data();
    void nothingLeftBehind();
    void dailyCopiesRotate();
};

void TestBackup::copyWhileSaving()
{
    TestRegister reg;
    // Enough pages that the copy takes many steps, with saves between them.
    reg.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 40000) "
             "INSERT INTO TBL_Zavoni (CNP_C, Nume, Strada, sex) "
             "SELECT 1800000000000 + i, 'POPESCU', printf('%.60c', 'X'), 'M' FROM n");
    const QString target = QDir(reg.folder()).filePath("copie.mdb");
    int before = 0;
    int after = 0;
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
    QVERIFY2(saved >= before && saved <= after, qPrintable(QString("%1 <= %2 <= %3")
                                                               .arg(before).arg(saved).arg(after)));
    // The saves it holds are the first ones, each whole with its kept count.
    QCOMPARE(valueIn(target, QString("SELECT max(CNP_C) FROM TBL_Zavoni WHERE Nume = 'SALVAT'"))
                 .toLongLong(),
             2900000000000LL + saved - 1);
    QCOMPARE(valueIn(target, "SELECT Numar FROM TBL_Numarare WHERE Sursa = 'TBL_Zavoni'").toInt(),
             40000 + saved);
}

void TestBackup::nothingLeftBehind_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<QString>("problem");
    QTest::newRow("missing folder") << "lipsa/copie.mdb" << false << "folderul nu există";
    QTest::newRow("the register itself") << "Zavoni.mdb" << false << "peste registru";
    QTest::newRow("the register by another path") << "./lipsa/../Zavoni.mdb" << false
                                                   << "peste registru";
    QTest::newRow("the register's log") << "Zavoni.mdb-wal" << false << "peste registru";
    QTest::newRow("cancelled") << "copie.mdb" << true << "";
}

void TestBackup::nothingLeftBehind()
{
    QFETCH(QString, target);
    QFETCH(bool, cancel);
    QFETCH(QString, problem);
    TestRegister reg;
    reg.addPerson("1800101123456", "POPESCU");
    QDir folder(reg.folder());
    const QStringList before = folder.entryList(QDir::Files | QDir::Hidden);
    Progress progress;
    if (cancel)
        progress.cancel();
    const Backup::Outcome o = Backup::copyTo(reg.path(), folder.filePath(target), &progress);
    QVERIFY(!o.ok);
    QCOMPARE(o.cancelled, cancel);
    QVERIFY2(o.problem.contains(problem), qPrintable(o.problem));
    QCOMPARE(folder.entryList(QDir::Files | QDir::Hidden), before);
    QCOMPARE(reg.count("TBL_Zavoni"), 1);
}

void TestBackup::dailyCopiesRotate()
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
    QCOMPARE(folder.entryList(QDir::Files | QDir::Hidden, QDir::Name),
             QStringList({"Zavoni-2026-12-27.mdb", "Zavoni-2026-12-28.mdb",
                          "Zavoni-2026-12-29.mdb", "Zavoni-2026-12-30.mdb",
                          "Zavoni-2026-12-31.mdb", "Zavoni-2027-01-01.mdb",
                          "Zavoni-2027-01-02.mdb"}));
    QCOMPARE(QFile::permissions(folder.path()) & 0x0077, 0); // none for group or others
    QCOMPARE(valueIn(folder.filePath("Zavoni-2027-01-02.mdb"), "SELECT Nume FROM TBL_Zavoni")
                 .toString(),
             "POPESCU");
}

QTEST_GUILESS_MAIN(TestBackup)
#include "tst_backup.moc"
