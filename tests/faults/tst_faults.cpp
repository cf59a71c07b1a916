#include "common/screensession.h"
#include "data/database.h"

#include <QtTest>

#include <sys/resource.h>

#include <csignal>
#include <cstdio>
#include <memory>

namespace {

const QString Cnp = QStringLiteral("1700101400011");
const QString OtherCopyPerson = QStringLiteral("2990101400010");

struct Edit
{
    QString box;
    QString column;
    QString text; // as typed, and as the box keeps it once left
};

// A data screen, two changes made there and its failure message (none: silent).
struct Subject
{
    const char *name;
    ScreenKind kind;
    QString table;
    Edit first;
    Edit second;
    QString failure;
};

const QList<Subject> &subjects()
{
    static const QList<Subject> all{
        {"persons", ScreenKind::Persons, "TBL_Zavoni", {"Text4", "Nume", "NOUL"},
         {"Text12", "Judet", "ILFOV"}, {}},
        {"offences", ScreenKind::Offences, "TBL_Infractiuni", {"Text3", "Amenda", "750"},
         {"Text1", "Descriere", "descriere noua"}, "Infractiunea nu a putut fi salvată."},
        {"accomplices", ScreenKind::Accomplices, "TBL_Complici", {"Text4", "Nume", "COMPLICE"},
         {"Text10", "Judet", "ILFOV"}, {}},
        {"articles", ScreenKind::Articles, "TBL_Articole", {"Text2", "Publicatie", "ZIARUL NOU"},
         {"Text3", "Autor", "AUTOR NOU"}, "Articolul nu a putut fi salvat."},
    };
    return all;
}

// The case's rows: the register's last person, its offence, accomplice and article.
const qint64 Rows[4] = {2, 1, 1, 1};

bool editing(QWidget *screen)
{
    return screen->findChild<QWidget *>("Command3")->isEnabled();
}

bool change(QWidget *screen, const Edit &edit)
{
    UiDriver::click(screen, "Command2");
    UiDriver::type(screen, edit.box, edit.text);
    UiDriver::click(screen, "Command3");
    return !editing(screen);
}

QStringList with(QStringList fields, const Edit &edit)
{
    for (QString &field : fields) {
        if (field.startsWith(edit.column + '='))
            field = edit.column + '=' + edit.text;
    }
    return fields;
}

} // namespace

// The register failing in the middle of a change: the screens keep running and
// what was typed, say what went wrong and never lose what anybody saved.
class TestFaults : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Another copy's save holds the lock: the screen's save is to fail soon.
        Database::setBusyTimeout(100);
    }

    void init()
    {
        getrlimit(RLIMIT_FSIZE, &m_fileSize);
        m_session = std::make_unique<ScreenSession>();
        TestRegister &r = m_session->reg;
        r.addPerson("1600101400019", "IONESCU");
        r.addPerson(Cnp, "TEXT", "M", {{"sector", 1}, {"Judet", "TEXT"}});
        r.addOffence(Cnp, "FURT", "A", {{"Amenda", "100"}, {"Descriere", "TEXT"},
                                        {"Suspendare", 1}, {"Ispasit", 0}});
        r.addAccomplice(Cnp, "TEXT", "M", 1, {{"sector", 1}, {"Judet", "TEXT"}});
        r.addArticle(1, "TEXT", "TEXT", {{"Autor", "TEXT"}});
    }

    void cleanup()
    {
        lift();
        m_session.reset();
    }

    void faultDuringSave_data()
    {
        columns<int, int>("subject", "fault");
        const char *faults[] = {"file deleted", "disk full", "other copy saving",
                                "other copy deletes the row", "other copy changes the row"};
        for (const Subject &s : subjects()) {
            for (int fault = Deleted; fault <= OtherChanges; ++fault)
                QTest::addRow("%s, %s", s.name, faults[fault]) << int(s.kind) << fault;
        }
    }

    void faultDuringSave();

    void registerPutBack_data() { flag("renamed", "copied over", "moved into place"); }
    void registerPutBack();

    void linkRefused_data()
    {
        columns<QString>("refusal");
        QTest::newRow("disk error") << "CREATE TRIGGER refuse BEFORE INSERT ON TBL_Complicitate "
                                       "BEGIN SELECT RAISE(ABORT, 'disk I/O error'); END";
        QTest::newRow("offence deleted meanwhile") << "DELETE FROM TBL_Infractiuni";
        QTest::newRow("locked") << "BEGIN IMMEDIATE";
    }

    // An accomplice and its link are two rows: when the second cannot be written
    // the first must not stay behind, unreachable from any offence.
    void linkRefused()
    {
        QFETCH(QString, refusal);
        QVERIFY(m_session->open(ScreenKind::Accomplices, -1));
        m_session->reg.exec(refusal);
        m_locked = refusal.startsWith("BEGIN");
        m_session->run("Command1|Text1=2850505123457|Text4=COMPLICE|Command3");
        QCOMPARE(m_session->text("Text4"), QString("COMPLICE"));
        lift();
        for (const char *table : {"TBL_Complici", "TBL_Complicitate"})
            QCOMPARE(m_session->reg.count(table, "CNP = '2850505123457'"), 0);
        m_session->run("Command4");
        QCOMPARE(m_session->counter(), QString("1/1"));
    }

private:
    enum Fault { Deleted, DiskFull, Locked, OtherDeletes, OtherChanges };
    void inject(Fault fault)
    {
        const QString file = m_session->reg.path();
        if (fault == Deleted) {
            for (const char *suffix : {"", "-wal", "-shm"})
                QFile::remove(file + suffix);
        } else if (fault == DiskFull) {
            // The log starts empty and may not grow: the next write meets a full disk.
            m_session->reg.value("PRAGMA wal_checkpoint(TRUNCATE)");
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit full = m_fileSize;
            full.rlim_cur = 0;
            setrlimit(RLIMIT_FSIZE, &full);
        } else if (fault == Locked) {
            // Another copy of the program in the middle of its own save.
            m_session->reg.exec("BEGIN IMMEDIATE");
            m_session->reg.addPerson(OtherCopyPerson, "ALTA COPIE", "F");
            m_locked = true;
        }
    }

    void lift()
    {
        setrlimit(RLIMIT_FSIZE, &m_fileSize);
        if (m_locked)
            m_session->reg.exec("COMMIT");
        m_locked = false;
    }

    QStringList row(ScreenKind kind)
    {
        return m_session->reg.row(subjects().at(int(kind)).table, Rows[int(kind)]);
    }

    // "Înapoi" down the chain: every screen closes after what went wrong.
    void closeAll()
    {
        ScreenChain &chain = m_session->chain;
        for (int i = 0; i < 4 && !chain.stack().isEmpty(); ++i)
            UiDriver::click(chain.screen(chain.stack().last()), "Command6");
        QVERIFY(chain.stack().isEmpty());
    }

    std::unique_ptr<ScreenSession> m_session;
    rlimit m_fileSize{};
    bool m_locked = false;
};

void TestFaults::faultDuringSave()
{
    QFETCH(int, fault);
    const Subject &s = subjects().at(cell<int>("subject"));
    QVERIFY(m_session->open(s.kind, -1));
    QWidget *screen = m_session->form();
    const QStringList before = row(s.kind);
    UiDriver::click(screen, "Command2");
    UiDriver::type(screen, s.first.box, s.first.text);
    ScreenChain other;
    if (fault == OtherDeletes || fault == OtherChanges) {
        QWidget *theirs = UiDriver::climb(other, s.kind, -1);
        if (fault == OtherDeletes) {
            m_session->messages.answer(Messages::Answer::Yes);
            UiDriver::click(theirs, "Command5");
        } else {
            QVERIFY(change(theirs, s.second));
        }
        UiDriver::activate(screen);
    } else {
        inject(Fault(fault));
    }
    m_session->messages.clear();
    UiDriver::click(screen, "Command3");
    QCOMPARE(m_session->chain.screen(s.kind), screen);

    // A row the other copy changed or deleted meanwhile is not written, and
    // every screen says so.
    const bool meanwhile = fault >= OtherDeletes;
    QVERIFY(editing(screen));
    QCOMPARE(m_session->text(s.first.box), s.first.text);
    QCOMPARE(m_session->messages.count(), int(meanwhile || !s.failure.isEmpty()));
    const Messages::Request box = m_session->messages.last();
    QVERIFY2(m_session->messages.count() == 0
                 || (box.title == "Eroare." && box.icon == Messages::Icon::Critical
                     && box.text.startsWith(s.failure) && box.text.contains("\n\nEroarea 3")
                     && box.text.contains("altcineva") == meanwhile),
             qPrintable(box.text));

    // Once the fault is gone the typed data saves as it is; a deleted file or
    // row is gone: the operator gives up.
    lift();
    const bool recovers = fault == DiskFull || fault == Locked;
    UiDriver::click(screen, recovers ? "Command3" : "Command4");
    QVERIFY(!editing(screen));
    if (fault == OtherChanges)
        QCOMPARE(row(s.kind), with(before, s.second));
    else if (fault != OtherDeletes)
        QCOMPARE(row(s.kind), recovers ? with(before, s.first) : before);
    TestRegister &reg = m_session->reg;
    QCOMPARE(reg.count("TBL_Zavoni", "CNP_C = ?", {OtherCopyPerson}), int(fault == Locked));
    QCOMPARE(reg.value("PRAGMA integrity_check").toString(), QString("ok"));
    closeAll();
}

// A backup put back while the screens are open is the operator's: the program
// stops using the file and never writes a byte of it.
void TestFaults::registerPutBack()
{
    const QString file = m_session->reg.path();
    const QString backup = m_session->reg.folder() + "/Copie.mdb";
    QVERIFY(QFile::copy(file, backup));
    QVERIFY(m_session->open(ScreenKind::Persons, -1));
    QWidget *persons = m_session->form();
    QVERIFY(change(persons, subjects().at(0).first));
    // The save is in the register file alone: a copy of it holds the person.
    QVERIFY(QFile::copy(file, m_session->reg.folder() + "/Stick.mdb"));
    QVERIFY(m_session->reg.value("ATTACH 'Stick.mdb' AS stick").isNull());
    QCOMPARE(m_session->reg.value("SELECT Nume FROM stick.TBL_Zavoni WHERE CNP_C = '" + Cnp + "'")
                 .toString(), subjects().at(0).first.text);
    m_session->reg.exec("DETACH stick");

    const auto bytes = [](const QString &path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    const QByteArray put = bytes(backup);
    if (cell<bool>("renamed")) {
        QVERIFY(std::rename(qPrintable(backup), qPrintable(file)) == 0);
    } else {
        QFile target(file);
        QVERIFY(target.open(QIODevice::WriteOnly | QIODevice::Truncate) && target.write(put));
    }
    m_session->messages.clear();
    UiDriver::climb(m_session->chain, ScreenKind::Accomplices, -1);
    QVERIFY(!change(persons, subjects().at(0).second));
    QVERIFY(m_session->messages.count() > 0);
    for (const Messages::Request &box : m_session->messages.shown())
        QVERIFY2(box.text.contains("înlocuit"), qPrintable(box.text));
    UiDriver::click(persons, "Command4");
    closeAll();
    QVERIFY(bytes(file) == put);
}

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
