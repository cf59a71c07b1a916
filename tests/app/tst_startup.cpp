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
    void missingFileRefused();
    void missingFileCreated();
    void badFilesLeftUntouched_data();
    void badFilesLeftUntouched();
    void registerOpens();

private:
    void runSql(const QString &file, const QStringList &statements);
    QByteArray digest(const QString &file);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_old;
};

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

void TestStartup::runSql(const QString &file, const QStringList &statements)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "prepare");
        db.setDatabaseName(file);
        QVERIFY(db.open());
        QSqlQuery q(db);
        for (const QString &s : statements)
            QVERIFY2(q.exec(s), qPrintable(s));
        db.close();
    }
    QSqlDatabase::removeDatabase("prepare");
}

QByteArray TestStartup::digest(const QString &file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

void TestStartup::missingFileRefused()
{
    ScriptedMessages messages;
    messages.answer(Messages::Answer::No);
    QVERIFY(!Startup::prepareRegister("Zavoni.mdb"));
    QCOMPARE(messages.count(), 1);
    QVERIFY(messages.last().text.contains("Zavoni.mdb nu a fost găsit în folderul curent"));
    QCOMPARE(messages.last().buttons, Messages::Buttons::YesNo);
    QVERIFY(!QFile::exists("Zavoni.mdb"));
}

void TestStartup::missingFileCreated()
{
    ScriptedMessages messages;
    messages.answer(Messages::Answer::Yes);
    QVERIFY(Startup::prepareRegister("Zavoni.mdb"));
    QCOMPARE(RegisterFile::inspect("Zavoni.mdb").status, RegisterFile::Status::Ok);
    // Once there, it opens without a question.
    QVERIFY(Startup::prepareRegister("Zavoni.mdb"));
    QCOMPARE(messages.count(), 1);
}

void TestStartup::badFilesLeftUntouched_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("named");

    QTest::newRow("empty") << "empty" << "gol";
    QTest::newRow("random bytes") << "random" << "nu este o bază de date";
    QTest::newRow("truncated") << "truncated" << "trunchiat";
    QTest::newRow("other program") << "other" << "altui program";
    QTest::newRow("other sqlite, no id") << "plain" << "TBL_Zavoni";
    QTest::newRow("newer version") << "newer" << "versiune mai nouă";
    for (const Catalogue::Object &o : Catalogue::objects())
        QTest::newRow(qPrintable("without " + o.name)) << "drop:" + o.name << o.name;
    QTest::newRow("without a field") << "nofield" << "Ispasit";
}

void TestStartup::badFilesLeftUntouched()
{
    QFETCH(QString, kind);
    QFETCH(QString, named);
    const QString file = "Zavoni.mdb";
    if (kind == "empty") {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
    } else if (kind == "random") {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QByteArray bytes;
        for (int i = 0; i < 8192; ++i)
            bytes.append(char((i * 7919 + 13) % 251));
        f.write(bytes);
    } else if (kind == "other") {
        runSql(file, {"CREATE TABLE facturi (nr INTEGER)", "PRAGMA application_id = 42"});
    } else if (kind == "plain") {
        runSql(file, {"CREATE TABLE facturi (nr INTEGER)"});
    } else {
        QString problem;
        QVERIFY(RegisterFile::create(file, &problem));
        if (kind == "truncated") {
            runSql(file, {"PRAGMA journal_mode = DELETE"});
            QFile f(file);
            QVERIFY(f.size() > 8192);
            QVERIFY(f.resize(8192));
        } else if (kind == "newer") {
            runSql(file, {"PRAGMA user_version = 99"});
        } else if (kind == "nofield") {
            runSql(file, {"ALTER TABLE TBL_Infractiuni DROP COLUMN Ispasit"});
        } else if (kind.startsWith("drop:")) {
            const Catalogue::Object *o = Catalogue::find(kind.mid(5));
            runSql(file, {QString("DROP %1 %2").arg(o->isQuery ? "VIEW" : "TABLE", o->name)});
        }
    }
    const QByteArray before = digest(file);

    ScriptedMessages messages;
    QVERIFY(!Startup::prepareRegister(file));
    QCOMPARE(messages.count(), 1);
    QCOMPARE(messages.last().icon, Messages::Icon::Critical);
    QVERIFY2(messages.last().text.contains(named), qPrintable(messages.last().text));
    QCOMPARE(digest(file), before);
}

void TestStartup::registerOpens()
{
    QString problem;
    QVERIFY(RegisterFile::create("Zavoni.mdb", &problem));
    runSql("Zavoni.mdb", {"PRAGMA foreign_keys = ON",
                          "INSERT INTO TBL_Zavoni (CNP_C, Nume) VALUES ('1', 'A')",
                          "INSERT INTO TBL_Infractiuni (CNP_C) VALUES ('1')",
                          "INSERT INTO TBL_Complici (CNP, Nume) VALUES ('7', 'LEGAT')",
                          "INSERT INTO TBL_Complicitate (CNP, COD_INFRACTIUNE) VALUES ('7', 1)",
                          "INSERT INTO TBL_Complici (CNP, Nume) VALUES ('8', 'ORFAN')"});
    ScriptedMessages messages;
    QVERIFY(Startup::prepareRegister("Zavoni.mdb"));
    QCOMPARE(messages.count(), 0);
    // An accomplice left without a link by a save cut short does not linger.
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "check");
    db.setDatabaseName("Zavoni.mdb");
    QVERIFY(db.open());
    QSqlQuery q(db);
    QVERIFY(q.exec("SELECT group_concat(Nume) FROM TBL_Complici") && q.next());
    QCOMPARE(q.value(0).toString(), QString("LEGAT"));
    QVERIFY(q.exec("PRAGMA journal_mode") && q.next());
    QCOMPARE(q.value(0).toString(), QString("wal"));
    q.finish();
    db.close();
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
