#include "common/screensession.h"

#include "app/form1.h"
#include "app/startup.h"
#include "data/catalogue.h"
#include "data/registerfile.h"

#include <QtSql>
#include <QtTest>
#include <QtWidgets>

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <optional>

namespace {

const QString File = "Zavoni.mdb";

// Another program's connection: keeps what its statements began until it goes.
struct OtherProgram
{
    explicit OtherProgram(const QStringList &statements)
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "other");
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
    ~OtherProgram() { QSqlDatabase::removeDatabase("other"); }

    QStringList rows; // the answer of the last statement, one text a row
};

QStringList runSql(const QStringList &statements)
{
    return OtherProgram(statements).rows;
}

QByteArray digest(const QString &file = File)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly)
               ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256)
               : QByteArray();
}

} // namespace

// What the program does with the file it finds, or does not find, at start.
class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_old = QDir::currentPath();
        m_dir = std::make_unique<QTemporaryDir>();
        QDir::setCurrent(m_dir->path());
    }

    void cleanup()
    {
        QDir::setCurrent(m_old);
        m_dir.reset();
    }

    void missingFile_data() { flag("create", "refused", "created"); }
    void missingFile()
    {
        QFETCH(bool, create);
        // The usual umask: a register made without care would be readable by all.
        ::umask(022);
        ScriptedMessages messages;
        messages.answer(create ? Messages::Answer::Yes : Messages::Answer::No);
        QCOMPARE(Startup::prepareRegister(File), create);
        QVERIFY(messages.last().text.contains("Zavoni.mdb nu a fost găsit în folderul curent"));
        QCOMPARE(messages.last().buttons, Messages::Buttons::YesNo);
        QCOMPARE(RegisterFile::inspect(File).status,
                 create ? RegisterFile::Status::Ok : RegisterFile::Status::Missing);
        if (create)
            QCOMPARE(QFile::permissions(File) & 0x0077, 0); // none for group or others
        // Once there, it opens without a question.
        QCOMPARE(Startup::prepareRegister(File), create);
        QCOMPARE(messages.count(), create ? 1 : 2);
    }

    void badFilesLeftUntouched_data();
    void badFilesLeftUntouched()
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
        // The other program keeps its exclusive lock while the start looks.
        std::optional<OtherProgram> other;
        if (kind == "locked")
            other.emplace(QStringList{"PRAGMA locking_mode = EXCLUSIVE", "BEGIN EXCLUSIVE"});
        // A register left with its log needs a file beside it: the disk has no room.
        rlimit fileSize{};
        getrlimit(RLIMIT_FSIZE, &fileSize);
        if (kind == "full") {
            runSql({"PRAGMA journal_mode = WAL"});
            QFile::remove(File + "-shm");
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit full = fileSize;
            full.rlim_cur = 0;
            setrlimit(RLIMIT_FSIZE, &full);
        }
        const QByteArray before = digest();

        ScriptedMessages messages;
        const bool started = Startup::prepareRegister(File);
        setrlimit(RLIMIT_FSIZE, &fileSize);
        other.reset();
        QVERIFY(!started);
        QCOMPARE(messages.count(), 1);
        QCOMPARE(messages.last().icon, Messages::Icon::Critical);
        QFETCH(QString, named);
        QVERIFY2(messages.last().text.contains(named), qPrintable(messages.last().text));
        QCOMPARE(digest(), before);
    }

    void registerOpens_data() { flag("otherWriting", "alone", "another program saving"); }
    void registerOpens();

    void plainLayout_data() { flag("convert", "left as it is", "converted"); }
    void plainLayout();

    void readableRegisterNamed_data()
    {
        columns<int, bool>("permissions", "warned");
        const int owner = QFile::ReadOwner | QFile::WriteOwner;
        QTest::newRow("owner only") << owner << false;
        QTest::newRow("group may read") << (owner | QFile::ReadGroup) << true;
        QTest::newRow("anyone may read") << (owner | QFile::ReadGroup | QFile::ReadOther) << true;
    }

    // Who else on the machine may read the register is said, not changed; the
    // window grows by the line and no designed control moves.
    void readableRegisterNamed()
    {
        QFETCH(bool, warned);
        TestRegister reg;
        QVERIFY(QFile::setPermissions(reg.path(), QFile::Permissions(cell<int>("permissions"))));
        const QFile::Permissions before = QFile::permissions(reg.path());
        ScreenChain chain;
        Form1 form1(&chain);
        const QSize designed = form1.size();
        const QRect button = form1.findChild<QPushButton *>("Command2")->geometry();
        form1.warnIfReadableByOthers("Zavoni.mdb");
        form1.show();
        auto *warning = form1.findChild<QLabel *>("registerWarning");
        QCOMPARE(warning != nullptr, warned);
        QCOMPARE(QFile::permissions(reg.path()), before);
        if (!warned) {
            QCOMPARE(form1.size(), designed);
            return;
        }
        QVERIFY(warning->isVisible() && warning->text().contains("Zavoni.mdb"));
        QVERIFY(warning->y() >= designed.height());
        QCOMPARE(form1.findChild<QPushButton *>("Command2")->geometry(), button);
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_old;
};

void TestStartup::badFilesLeftUntouched_data()
{
    columns<QString, QStringList, QString>("kind", "statements", "named");
    const auto row = [](const QString &tag, const char *kind, const QStringList &statements,
                        const QString &named) {
        QTest::newRow(qPrintable(tag)) << kind << statements << named;
    };
    const QString other = "CREATE TABLE facturi (nr INTEGER)";
    row("empty", "bytes", {}, "gol");
    row("random bytes", "bytes", {"random"}, "nu este o bază de date");
    row("truncated", "truncated", {}, "trunchiat");
    row("other program", "plain", {other, "PRAGMA application_id = 42"}, "altui program");
    row("other sqlite, no id", "plain", {other}, "TBL_Zavoni");
    row("newer version", "register", {"PRAGMA user_version = 99"}, "versiune mai nouă");
    for (const Catalogue::Object &o : Catalogue::objects())
        row("without " + o.name, "register", {(o.isQuery ? "DROP VIEW " : "DROP TABLE ") + o.name},
            o.name);
    row("without a field", "register", {"ALTER TABLE TBL_Infractiuni DROP Ispasit"}, "Ispasit");
    // A good register that cannot be read now is not called damaged.
    row("locked by another", "locked", {}, "folosit de alt program");
    row("disk full", "full", {}, "discul este plin");
}

// Browsing needs no write: another program's save does not hold the start back.
void TestStartup::registerOpens()
{
    QVERIFY(RegisterFile::create(File, nullptr));
    runSql({"PRAGMA foreign_keys = ON", "INSERT INTO TBL_Zavoni (CNP_C, Nume) VALUES ('1', 'A')",
            "INSERT INTO TBL_Infractiuni (CNP_C) VALUES ('1')",
            "INSERT INTO TBL_Complici (CNP, Nume) VALUES ('7', 'LEGAT')",
            "INSERT INTO TBL_Complicitate (CNP, COD_INFRACTIUNE) VALUES ('7', 1)",
            // An accomplice without a link, as an import or an older register leaves one.
            "INSERT INTO TBL_Complici (CNP, Nume) VALUES ('8', 'NELEGAT')"});
    const QByteArray before = digest();
    std::optional<OtherProgram> other;
    if (cell<bool>("otherWriting"))
        other.emplace(
            QStringList{"BEGIN IMMEDIATE", "INSERT INTO TBL_Zavoni (CNP_C) VALUES ('2')"});
    ScriptedMessages messages;
    QVERIFY(Startup::prepareRegister(File));
    QCOMPARE(messages.count(), 0);
    other.reset();
    QCOMPARE(digest(), before);
    QCOMPARE(runSql({"SELECT group_concat(Nume) FROM TBL_Complici"}),
             QStringList("LEGAT,NELEGAT"));
}

// The tables and stored queries as mdb-schema and mdb-export write an old register.
void TestStartup::plainLayout()
{
    QFETCH(bool, convert);
    QStringList plain;
    for (const Catalogue::Object &o : Catalogue::objects()) {
        QStringList columns;
        for (const Catalogue::Field &f : o.fields)
            columns << '"' + f.name + (f.type == Catalogue::FieldType::Text ? "\" varchar"
                                                                          : "\" INTEGER");
        plain << (o.isQuery ? "CREATE VIEW " + o.name + " AS SELECT * FROM TBL_Zavoni WHERE sex='"
                                  + (o.name == Catalogue::WomenQuery ? "F'" : "M'")
                            : "CREATE TABLE " + o.name + " (" + columns.join(", ") + ")");
    }
    runSql(plain + QStringList{
        "INSERT INTO TBL_Zavoni (CNP_C, Nume, sex) VALUES ('1', 'A', 'F'), ('2', 'B', 'M'), "
        "('3', 'C', 'F')", "DELETE FROM TBL_Zavoni WHERE CNP_C = '2'",
        "INSERT INTO TBL_Infractiuni (COD_infractiune, CNP_C) VALUES (5, '3')",
        "INSERT INTO TBL_Complici (CNP, Nume) VALUES ('7', 'D')",
        "INSERT INTO TBL_Complicitate (CNP, COD_INFRACTIUNE) VALUES ('7', 5)"});
    const QByteArray before = digest();
    ScriptedMessages messages;
    messages.answer(convert ? Messages::Answer::Yes : Messages::Answer::No);
    QCOMPARE(Startup::prepareRegister(File), convert);
    QCOMPARE(messages.count(), 1);
    QVERIFY(messages.last().text.contains("Zavoni-original.mdb"));
    QCOMPARE(QFile::exists("Zavoni-original.mdb"), convert);
    QCOMPARE(digest(convert ? "Zavoni-original.mdb" : File), before);
    if (!convert)
        return;
    QCOMPARE(RegisterFile::inspect(File).status, RegisterFile::Status::Ok);
    // The women, the kept counts (and no doubt about them), the gaps, the link, the file.
    QCOMPARE(runSql({"SELECT (SELECT group_concat(RID || Nume) FROM Q_Zavonii_de_sex_feminin) "
                     "|| (SELECT group_concat(Numar) FROM TBL_Numarare) || (SELECT "
                     "group_concat(Cheie) FROM TBL_Goluri) || (SELECT count(*) FROM "
                     "TBL_Complicitate l JOIN TBL_Infractiuni i USING (COD_infractiune) WHERE "
                     "i.CNP_C = '3') || (SELECT * FROM pragma_integrity_check)"}),
             QStringList("1A,3C2,0,2,021ok"));
    // The persons screen filters on both stored queries without a word.
    ScreenChain chain;
    QWidget *persons = UiDriver::climb(chain, ScreenKind::Persons);
    for (const char *filter : {"Command11", "Command13", "Command11"})
        UiDriver::click(persons, filter);
    UiDriver::click(persons, "Command6");
    QCOMPARE(messages.count(), 1);
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
