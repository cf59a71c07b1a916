#include "common/scriptedmessages.h"

#include "app/startup.h"
#include "data/catalogue.h"
#include "data/registerfile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

// What the program does with the file it finds, or does not find, at start.
class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void missingFile_data();
    void missingFile();
    void badFilesLeftUntouched_data();
    void badFilesLeftUntouched();
    void registerOpens();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_old;
};

namespace {

const QString File = "Zavoni.mdb";

// Runs the statements on the file; the answer of the last, one text a row.
QStringList runSql(const QStringList &statements)
{
    QStringList rows;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "prepare");
        db.setDatabaseName(File);
        db.open();
        QSqlQuery q(db);
        for (const QString &s : statements) {
            if (!q.exec(s))
                qFatal("%s", qPrintable(s));
        }
        while (q.next())
            rows << q.value(0).toString();
    }
    QSqlDatabase::removeDatabase("prepare");
    return rows;
}

QByteArray digest()
{
    QFile f(File);
    return f.open(QIODevice::ReadOnly)
               ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256)
               : QByteArray();
}

} // namespace

void TestStartup::init()
{
    m_old = QDir::currentPath();
    m_dir = std::make_unique<QTemporaryDir>();
    QDir::setCurrent(m_dir->path());
}

void TestStartup::cleanup()
{
    QDir::setCurrent(m_old);
    m_dir.reset();
}

void TestStartup::missingFile_data()
{
    QTest::addColumn<bool>("create");
    QTest::newRow("refused") << false;
    QTest::newRow("created") << true;
}

void TestStartup::missingFile()
{
    QFETCH(bool, create);
    ScriptedMessages messages;
    messages.answer(create ? Messages::Answer::Yes : Messages::Answer::No);
    QCOMPARE(Startup::prepareRegister(File), create);
    QVERIFY(messages.last().text.contains("Zavoni.mdb nu a fost găsit în folderul curent"));
    QCOMPARE(messages.last().buttons, Messages::Buttons::YesNo);
    QCOMPARE(RegisterFile::inspect(File).status,
             create ? RegisterFile::Status::Ok : RegisterFile::Status::Missing);
    // Once there, it opens without a question.
    QCOMPARE(Startup::prepareRegister(File), create);
    QCOMPARE(messages.count(), create ? 1 : 2);
}

void TestStartup::badFilesLeftUntouched_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QStringList>("statements");
    QTest::addColumn<QString>("named");

    QTest::newRow("empty") << "bytes" << QStringList() << "gol";
    QTest::newRow("random bytes") << "bytes" << QStringList("random") << "nu este o bază de date";
    QTest::newRow("truncated") << "truncated" << QStringList() << "trunchiat";
    QTest::newRow("other program") << "plain" << QStringList{"CREATE TABLE facturi (nr INTEGER)",
                                                             "PRAGMA application_id = 42"}
                                   << "altui program";
    QTest::newRow("other sqlite, no id") << "plain"
                                         << QStringList("CREATE TABLE facturi (nr INTEGER)")
                                         << "TBL_Zavoni";
    QTest::newRow("newer version") << "register" << QStringList("PRAGMA user_version = 99")
                                   << "versiune mai nouă";
    for (const Catalogue::Object &o : Catalogue::objects()) {
        QTest::newRow(qPrintable("without " + o.name))
            << "register" << QStringList((o.isQuery ? "DROP VIEW " : "DROP TABLE ") + o.name)
            << o.name;
    }
    QTest::newRow("without a field") << "register"
                                     << QStringList("ALTER TABLE TBL_Infractiuni DROP Ispasit")
                                     << "Ispasit";
}

void TestStartup::badFilesLeftUntouched()
{
    QFETCH(QString, kind);
    QFETCH(QStringList, statements);
    if (kind == "bytes") {
        QFile f(File);
        QVERIFY(f.open(QIODevice::WriteOnly));
        for (int i = 0; !statements.isEmpty() && i < 8192; ++i)
            f.putChar(char((i * 7919 + 13) % 251));
    } else if (kind != "plain") {
        QVERIFY(RegisterFile::create(File, nullptr));
    }
    if (kind == "truncated") {
        runSql({"PRAGMA journal_mode = DELETE"});
        QFile f(File);
        QVERIFY(f.size() > 8192 && f.resize(8192));
    } else if (kind != "bytes") {
        runSql(statements);
    }
    const QByteArray before = digest();

    ScriptedMessages messages;
    QVERIFY(!Startup::prepareRegister(File));
    QCOMPARE(messages.count(), 1);
    QCOMPARE(messages.last().icon, Messages::Icon::Critical);
    QFETCH(QString, named);
    QVERIFY2(messages.last().text.contains(named), qPrintable(messages.last().text));
    QCOMPARE(digest(), before);
}

void TestStartup::registerOpens()
{
    QVERIFY(RegisterFile::create(File, nullptr));
    runSql({"PRAGMA foreign_keys = ON", "INSERT INTO TBL_Zavoni (CNP_C, Nume) VALUES ('1', 'A')",
            "INSERT INTO TBL_Infractiuni (CNP_C) VALUES ('1')",
            "INSERT INTO TBL_Complici (CNP, Nume) VALUES ('7', 'LEGAT')",
            "INSERT INTO TBL_Complicitate (CNP, COD_INFRACTIUNE) VALUES ('7', 1)",
            "INSERT INTO TBL_Complici (CNP, Nume) VALUES ('8', 'ORFAN')"});
    ScriptedMessages messages;
    QVERIFY(Startup::prepareRegister(File));
    QCOMPARE(messages.count(), 0);
    // An accomplice left without a link by a save cut short does not linger.
    QCOMPARE(runSql({"SELECT group_concat(Nume) FROM TBL_Complici"}), QStringList("LEGAT"));
    QCOMPARE(runSql({"PRAGMA journal_mode"}), QStringList("wal"));
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
