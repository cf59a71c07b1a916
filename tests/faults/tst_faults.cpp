#include "app/screenchain.h"
#include "common/scriptedmessages.h"
#include "common/testregister.h"
#include "common/uidriver.h"
#include "data/catalogue.h"
#include "widgets/datacontrol.h"
#include "data/registerfile.h"

#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QToolButton>

#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <memory>

// The register failing under an operator in the middle of a change, and rows
// that another tool wrote into it. The screens must keep running, keep what
// was typed, say what went wrong, treat every stored text as data and never
// lose what anybody saved.
class TestFaults : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void faultDuringSave_data();
    void faultDuringSave();
    void linkRefused();
    void badRows_data();
    void badRows();

private:
    enum Fault { Deleted, Replaced, ReadOnly, DiskFull, Locked, OtherDeletes, OtherChanges };
    void fill(const QVariant &text, const QString &cnp, const QVariantMap &extra = {});
    void inject(Fault fault);
    void lift();
    QStringList row(ScreenKind kind, const QVariantMap &extra = {});
    bool allObjectsThere();

    std::unique_ptr<TestRegister> m_register;
    std::unique_ptr<ScriptedMessages> m_messages;
    std::unique_ptr<ScreenChain> m_chain;
    qint64 m_rows[4] = {};
    rlimit m_fileSize{};
    bool m_locked = false;
};

namespace {

const QString Cnp = QStringLiteral("1700101400011");
const QString OtherCopyPerson = QStringLiteral("2990101400010");

struct Edit
{
    QString box;
    QString column;
    QString text; // as typed, and as the box keeps it once left
};

// A data screen: two changes an operator makes there, the first words of its
// failure message (the persons and accomplices screens fail a save silently),
// a one-line box that shows a stored text, and the title of its own check
// that refuses a row without any text.
struct Subject
{
    const char *name;
    ScreenKind kind;
    QString table;
    Edit first;
    Edit second;
    QString failure;
    QString lineBox;
    QString refusal;
};

const QList<Subject> &subjects()
{
    static const QList<Subject> all{
        {"persons", ScreenKind::Persons, "TBL_Zavoni", {"Text4", "Nume", "NOUL"},
         {"Text12", "Judet", "ILFOV"}, {}, "Text14", {}},
        {"offences", ScreenKind::Offences, "TBL_Infractiuni", {"Text3", "Amenda", "750"},
         {"Text1", "Descriere", "descriere noua"}, "Infractiunea nu a putut fi salvată.",
         "Text4", "Descrierea infractiunii."},
        {"accomplices", ScreenKind::Accomplices, "TBL_Complici", {"Text4", "Nume", "COMPLICE"},
         {"Text10", "Judet", "ILFOV"}, {}, "Text12", {}},
        {"articles", ScreenKind::Articles, "TBL_Articole", {"Text2", "Publicatie", "ZIARUL NOU"},
         {"Text3", "Autor", "AUTOR NOU"}, "Articolul nu a putut fi salvat.", "Text3",
         "Text articol."},
    };
    return all;
}

// Up the chain by its buttons, opening only what is not open yet. The case's
// person is the register's last one.
QWidget *openUpTo(ScreenChain &chain, ScreenKind kind)
{
    if (!chain.screen(ScreenKind::Persons)) {
        chain.open(ScreenKind::Persons);
        QTest::mouseClick(chain.screen(ScreenKind::Persons)->findChild<QToolButton *>("Last"),
                          Qt::LeftButton);
    }
    const std::pair<ScreenKind, const char *> road[] = {
        {ScreenKind::Offences, "Command9"},
        {kind, kind == ScreenKind::Accomplices ? "Command7" : "Command8"}};
    const int steps = kind == ScreenKind::Persons ? 0 : kind == ScreenKind::Offences ? 1 : 2;
    QWidget *screen = chain.screen(ScreenKind::Persons);
    for (int i = 0; i < steps && screen; ++i) {
        if (!chain.screen(road[i].first)) {
            UiDriver::activate(screen);
            UiDriver::click(screen, road[i].second);
        }
        screen = chain.screen(road[i].first);
    }
    if (screen)
        UiDriver::activate(screen);
    return screen;
}

bool editing(QWidget *screen)
{
    return screen->findChild<QWidget *>("Command3")->isEnabled();
}

QString shown(QWidget *screen, const QString &box)
{
    if (auto *line = screen->findChild<QLineEdit *>(box))
        return line->text();
    return screen->findChild<QPlainTextEdit *>(box)->toPlainText();
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

// Root writes to any file; without these capabilities in force it obeys the
// file's mode like everyone else. They stay permitted, so they can come back.
bool overridePermissions(bool on)
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2]{};
    if (syscall(SYS_capget, &header, data) != 0)
        return false;
    const quint32 bits = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);
    data[0].effective = on ? (data[0].effective | bits) : (data[0].effective & ~bits);
    return syscall(SYS_capset, &header, data) == 0;
}

} // namespace

void TestFaults::init()
{
    getrlimit(RLIMIT_FSIZE, &m_fileSize);
    m_register = std::make_unique<TestRegister>();
    m_messages = std::make_unique<ScriptedMessages>();
    m_chain = std::make_unique<ScreenChain>();
}

void TestFaults::cleanup()
{
    m_chain.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    lift();
    m_messages.reset();
    m_register.reset();
}

// A person, one offence with an accomplice and an article: every free-text
// column holds the given text, the coded columns valid codes unless overridden.
void TestFaults::fill(const QVariant &text, const QString &cnp, const QVariantMap &extra)
{
    const auto values = [&](const QString &table, QVariantMap fixed) {
        const Catalogue::Object &object = *Catalogue::find(table);
        for (const Catalogue::Field &field : object.fields) {
            if (field.type == Catalogue::FieldType::Text && !fixed.contains(field.name))
                fixed.insert(field.name, text);
        }
        for (auto it = extra.begin(); it != extra.end(); ++it) {
            if (Catalogue::findField(object, it.key()))
                fixed.insert(it.key(), it.value());
        }
        return fixed;
    };
    TestRegister &r = *m_register;
    r.addPerson("1600101400019", "IONESCU");
    m_rows[0] = r.insert("TBL_Zavoni", values("TBL_Zavoni", {{"CNP_C", cnp}, {"sex", "M"},
                                                            {"sector", 1}}));
    m_rows[1] = r.insert("TBL_Infractiuni",
                         values("TBL_Infractiuni", {{"CNP_C", cnp}, {"Infractiune", "FURT"},
                                                    {"Pedeapsa", "A"}, {"Suspendare", 1},
                                                    {"Ispasit", 0}}));
    m_rows[2] = r.insert("TBL_Complici", values("TBL_Complici", {{"CNP", cnp}, {"sex", "M"},
                                                                {"sector", 1}}));
    r.insert("TBL_Complicitate", {{"CNP", cnp}, {"COD_INFRACTIUNE", m_rows[1]}});
    m_rows[3] = r.insert("TBL_Articole", values("TBL_Articole", {{"Cod_infractiune", m_rows[1]}}));
}

// The stored row as text, NULL told apart from empty. Fields the case gave a
// value no list or option holds are left out: the screen writes its own there.
QStringList TestFaults::row(ScreenKind kind, const QVariantMap &extra)
{
    const QString table = subjects().at(int(kind)).table;
    QStringList fields;
    for (const Catalogue::Field &field : Catalogue::find(table)->fields) {
        if (extra.contains(field.name))
            continue;
        const QVariant v = m_register->value(
            QStringLiteral("SELECT \"%1\" FROM \"%2\" WHERE rowid = ?").arg(field.name, table),
            {m_rows[int(kind)]});
        fields << field.name + '=' + (v.isNull() ? QStringLiteral("NULL") : v.toString());
    }
    return fields;
}

// Nothing the rows hold ran as SQL: every table and stored query is still there.
bool TestFaults::allObjectsThere()
{
    for (const Catalogue::Object &object : Catalogue::objects()) {
        if (m_register->count("sqlite_master", "name = ?", {object.name}) != 1)
            return false;
    }
    return true;
}

void TestFaults::inject(Fault fault)
{
    const QString file = m_register->path();
    if (fault == Deleted) {
        for (const char *suffix : {"", "-wal", "-shm"})
            QFile::remove(file + suffix);
    } else if (fault == Replaced) {
        // Another register moved into its place, as a restore from a backup would.
        const QString other = m_register->folder() + "/Copie.mdb";
        if (!RegisterFile::create(other, nullptr)
            || std::rename(qPrintable(other), qPrintable(file)) != 0)
            qFatal("cannot replace the register");
    } else if (fault == ReadOnly) {
        QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        QFile::setPermissions(m_register->folder(), QFile::ReadOwner | QFile::ExeOwner);
    } else if (fault == DiskFull) {
        // The log starts empty and may not grow: the next write meets a full disk.
        m_register->value("PRAGMA wal_checkpoint(TRUNCATE)");
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit full = m_fileSize;
        full.rlim_cur = 0;
        setrlimit(RLIMIT_FSIZE, &full);
    } else if (fault == Locked) {
        // Another copy of the program in the middle of its own save.
        m_register->exec("BEGIN IMMEDIATE");
        m_register->addPerson(OtherCopyPerson, "ALTA COPIE", "F");
        m_locked = true;
    }
}

void TestFaults::lift()
{
    setrlimit(RLIMIT_FSIZE, &m_fileSize);
    if (geteuid() == 0)
        overridePermissions(true);
    QFile::setPermissions(m_register->folder(),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile::setPermissions(m_register->path(), QFile::ReadOwner | QFile::WriteOwner);
    if (m_locked)
        m_register->exec("COMMIT");
    m_locked = false;
}

void TestFaults::faultDuringSave_data()
{
    QTest::addColumn<int>("subject");
    QTest::addColumn<int>("fault");
    const char *faults[] = {"file deleted", "file replaced", "file read-only", "disk full",
                            "other copy saving", "other copy deletes the row",
                            "other copy changes the row"};
    for (const Subject &s : subjects()) {
        for (int fault = Deleted; fault <= OtherChanges; ++fault)
            QTest::addRow("%s, %s", s.name, faults[fault]) << int(s.kind) << fault;
    }
}

void TestFaults::faultDuringSave()
{
    QFETCH(int, subject);
    QFETCH(int, fault);
    const Subject &s = subjects().at(subject);
    fill("TEXT", Cnp, {{"Amenda", "100"}});
    if (fault == ReadOnly) {
        if (geteuid() == 0 && !overridePermissions(false))
            QSKIP("root cannot give up its right to write to read-only files here");
        // An open file stays writable: the screen's own connection opens after.
        if (s.kind != ScreenKind::Persons)
            openUpTo(*m_chain, s.kind == ScreenKind::Offences ? ScreenKind::Persons
                                                               : ScreenKind::Offences);
        inject(ReadOnly);
    }
    QWidget *screen = openUpTo(*m_chain, s.kind);
    QVERIFY(screen);
    const QStringList before = row(s.kind);
    UiDriver::click(screen, "Command2");
    UiDriver::type(screen, s.first.box, s.first.text);
    ScreenChain other;
    if (fault == OtherDeletes || fault == OtherChanges) {
        QWidget *theirs = openUpTo(other, s.kind);
        if (fault == OtherDeletes) {
            m_messages->answer(Messages::Answer::Yes);
            UiDriver::click(theirs, "Command5");
        } else {
            QVERIFY(change(theirs, s.second));
        }
        UiDriver::activate(screen);
    } else if (fault != ReadOnly) {
        inject(Fault(fault));
    }
    m_messages->clear();
    UiDriver::click(screen, "Command3");
    QCOMPARE(m_chain->screen(s.kind), screen);

    // A row the other copy changed or deleted meanwhile is not written, and
    // every screen says so.
    const bool meanwhile = fault == OtherDeletes || fault == OtherChanges;
    QVERIFY(editing(screen));
    QCOMPARE(shown(screen, s.first.box), s.first.text);
    QCOMPARE(m_messages->count(), int(meanwhile || !s.failure.isEmpty()));
    const Messages::Request box = m_messages->last();
    QVERIFY2(m_messages->count() == 0
                 || (box.title == "Eroare." && box.icon == Messages::Icon::Critical
                     && box.text.startsWith(s.failure) && box.text.contains("\n\nEroarea 3")
                     && box.text.contains("altcineva") == meanwhile),
             qPrintable(box.text));

    // Once the fault is gone the typed data saves as it is. A connection opened
    // read-only stays so and a deleted row is gone: the operator gives up.
    lift();
    const bool recovers = fault == DiskFull || fault == Locked;
    UiDriver::click(screen, recovers ? "Command3" : "Command4");
    QVERIFY(!editing(screen));
    if (fault == OtherChanges)
        QCOMPARE(row(s.kind), with(before, s.second));
    else if (fault != OtherDeletes)
        QCOMPARE(row(s.kind), recovers ? with(before, s.first) : before);
    QCOMPARE(m_register->count("TBL_Zavoni", "CNP_C = ?", {OtherCopyPerson}), int(fault == Locked));
    QCOMPARE(m_register->value("PRAGMA integrity_check").toString(), QString("ok"));
    for (int i = 0; i < 4 && !m_chain->stack().isEmpty(); ++i)
        UiDriver::click(m_chain->screen(m_chain->stack().last()), "Command6");
    QVERIFY(m_chain->stack().isEmpty());
}

// An accomplice and its link are two rows; when the second cannot be written
// the first must not stay behind, unreachable from any offence.
void TestFaults::linkRefused()
{
    fill("TEXT", Cnp, {{"Amenda", "100"}});
    QWidget *screen = openUpTo(*m_chain, ScreenKind::Accomplices);
    m_register->exec("CREATE TRIGGER refuse BEFORE INSERT ON TBL_Complicitate "
                     "BEGIN SELECT RAISE(ABORT, 'disk I/O error'); END");
    UiDriver::click(screen, "Command1");
    UiDriver::type(screen, "Text1", "2850505123457");
    UiDriver::type(screen, "Text4", "COMPLICE");
    UiDriver::click(screen, "Command3");
    QVERIFY(editing(screen));
    QCOMPARE(shown(screen, "Text4"), QString("COMPLICE"));
    QCOMPARE(m_register->count("TBL_Complici", "CNP = '2850505123457'"), 0);

    m_register->exec("DROP TRIGGER refuse");
    UiDriver::click(screen, "Command3");
    QCOMPARE(m_register->count("TBL_Complicitate", "CNP = '2850505123457'"), 1);
}

void TestFaults::badRows_data()
{
    QTest::addColumn<QVariant>("text");
    QTest::addColumn<QString>("cnp");
    QTest::addColumn<QVariantMap>("extra");

    const QString controls = QStringLiteral("\tA\x01" "B\r\nC\x1b[31mD\x7f") + QChar(0) + "E ";
    const QVariantMap none;
    QTest::newRow("double quotes") << QVariant("\"POPESCU\" \"ION\"") << Cnp << none;
    QTest::newRow("apostrophes") << QVariant("O'BRIEN D'ARC '") << Cnp << none;
    QTest::newRow("semicolons") << QVariant("A;B;C; END; --") << "170010;140001" << none;
    QTest::newRow("SQL text") << QVariant("'); DROP TABLE TBL_Articole; --")
                              << "1\"; DROP TABLE TBL_Zavoni; --" << none;
    QTest::newRow("control characters") << QVariant(controls) << "17001\t01400\x01" "1" << none;
    QTest::newRow("far too long") << QVariant(QString(1000, QChar(u'Ă')) + "SFÂRSIT")
                                  << QString(300, '7') << none;
    QTest::newRow("NULL everywhere")
        << QVariant() << Cnp
        << QVariantMap{{"sex", {}}, {"sector", {}}, {"Infractiune", {}}, {"Pedeapsa", {}},
                       {"Suspendare", {}}, {"Ispasit", {}}};
    QTest::newRow("dates that are no dates") << QVariant("31.02.2023 ieri") << Cnp << none;
    QTest::newRow("sector 0") << QVariant("ION") << Cnp << QVariantMap{{"sector", 0}};
    QTest::newRow("sector 99") << QVariant("ION") << Cnp << QVariantMap{{"sector", 99}};
    QTest::newRow("sex X") << QVariant("ION") << Cnp << QVariantMap{{"sex", "X"}};
    QTest::newRow("Pedeapsa X") << QVariant("ION") << Cnp << QVariantMap{{"Pedeapsa", "X"}};
    QTest::newRow("offence type not in the list")
        << QVariant("ION") << Cnp << QVariantMap{{"Infractiune", "SANTAJ ÎN FORMĂ CONTINUATĂ"}};
}

// Down the chain: each screen shows the row whole, then one box of it changes
// and only that box is stored; the others keep what the other tool wrote.
void TestFaults::badRows()
{
    QFETCH(QVariant, text);
    QFETCH(QString, cnp);
    QFETCH(QVariantMap, extra);
    fill(text, cnp, extra);

    for (const Subject &s : subjects()) {
        QWidget *screen = openUpTo(*m_chain, s.kind);
        QVERIFY(screen);
        QVERIFY(allObjectsThere());
        QCOMPARE(screen->findChild<DataControl *>("Data1")->caption(),
                 QString(s.kind == ScreenKind::Persons ? "2/2" : "1/1"));
        screen->grab();
        QCOMPARE(shown(screen, s.lineBox), text.toString());
        if (s.kind == ScreenKind::Persons || s.kind == ScreenKind::Accomplices)
            QCOMPARE(shown(screen, "Text1"), cnp);

        const QStringList before = row(s.kind, extra);
        const bool refused = text.isNull() && !s.refusal.isEmpty();
        QCOMPARE(change(screen, s.first), !refused);
        if (refused) {
            QCOMPARE(m_messages->last().title, s.refusal);
            UiDriver::click(screen, "Command4");
        }
        QCOMPARE(row(s.kind, extra), refused ? before : with(before, s.first));
        if (s.kind == ScreenKind::Accomplices)
            UiDriver::click(screen, "Command6");
    }
    QVERIFY(allObjectsThere());
    QCOMPARE(m_register->count("TBL_Zavoni"), 2);
    QCOMPARE(m_messages->count(), text.isNull() ? 2 : 0);
}

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
