#include "programbench.h"

#include "sqlitedb.h"

#include "app/form1.h"
#include "app/screenchain.h"
#include "app/startup.h"
#include "common/screensession.h"
#include "data/catalogue.h"
#include "data/personsearch.h"
#include "data/recordset.h"
#include "data/sourcetexts.h"
#include "screens/common/messages.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QScrollBar>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <algorithm>
#include <cstdio>

using namespace BenchSupport;

namespace {

// A register of this many persons gives the fixed base of the memory.
constexpr qint64 BasePersons = 1000;

// Every message box of a run is a failure but the deletion question, which
// the operator answers Yes.
void answerDeletionsOnly()
{
    Messages::setHandler([](QWidget *, const Messages::Request &request) {
        if (request.buttons == Messages::Buttons::YesNo
            && request.title == QLatin1String("Stergere."))
            return Messages::Answer::Yes;
        die(QStringLiteral("unexpected message \"%1\": %2").arg(request.title, request.text));
    });
}

// Peak and resident memory, then the engine's page cache at its largest and now, in kB.
void printMemory()
{
    sqlite3_int64 now = 0, highest = 0;
    sqlite3_status64(SQLITE_STATUS_PAGECACHE_OVERFLOW, &now, &highest, 0);
    QFile file(QStringLiteral("/proc/self/status"));
    const QByteArray status = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    const auto kb = [&](const char *field) {
        const qsizetype at = status.indexOf(field);
        return at < 0 ? -1
                      : status.mid(at + qstrlen(field)).trimmed().split(' ').value(0).toLongLong();
    };
    std::printf("%lld %lld %lld %lld\n", kb("VmHWM:"), kb("VmRSS:"), highest / 1024, now / 1024);
}

// A program built beside this one, run in that folder to its end; what it printed.
QByteArray runBeside(const char *name, const QStringList &arguments, const QString &folder)
{
    QProcess child;
    child.setWorkingDirectory(folder);
    child.start(QDir(QCoreApplication::applicationDirPath()).filePath(QLatin1String(name)),
                arguments);
    if (!child.waitForFinished(600000) || child.exitStatus() != QProcess::NormalExit
        || child.exitCode() != 0)
        die(QLatin1String(name) + QStringLiteral(" failed: ")
            + QString::fromLocal8Bit(child.readAllStandardError()));
    return child.readAllStandardOutput();
}

// The two readings of a memory probe run in that folder.
QList<Results::Reading> probeMemory(const QString &folder)
{
    const QList<QByteArray> v =
        runBeside("zavoni_bench_program", {QStringLiteral("--memory")}, folder)
            .simplified()
            .split(' ');
    if (v.size() != 8)
        die(QStringLiteral("memory probe said nothing"));
    const auto kb = [&](int i) { return v[i].toLongLong(); };
    return {{kb(0), kb(1), kb(2), kb(3)}, {kb(4), kb(5), kb(6), kb(7)}};
}

bool sortsBefore(const QString &a, const QString &b)
{
    return PersonSearch::sortsBefore(PersonSearch::sortKeyText(a), PersonSearch::sortKeyText(b));
}

} // namespace

ProgramBench::ProgramBench(QApplication &app, const QString &fileName, qint64 persons, int runs)
    : m_persons(persons)
    , m_runs(runs)
    , m_folder(QDir::temp().filePath(QStringLiteral("zavoni-bench-XXXXXX")))
{
    const QString absolute = QFileInfo(fileName).absoluteFilePath();
    if (!QFileInfo(absolute).isFile())
        die(absolute + QStringLiteral(" not found"));
    // The program looks for Zavoni.mdb in the current folder. A link keeps the
    // large register where it is; the engine follows it, so its journal lies
    // beside the register whichever name opened it.
    if (!m_folder.isValid() || !QFile::link(absolute, m_folder.filePath(RegisterName)))
        die(QStringLiteral("cannot link the register into a folder of its own"));
    m_oldCurrent = QDir::currentPath();
    QDir::setCurrent(m_folder.path());
    answerDeletionsOnly();
    Startup::setLanguage(app);
    m_reference = std::make_unique<SqliteDb>(RegisterName);
    m_results.persons = persons;
}

ProgramBench::~ProgramBench()
{
    if (m_chain)
        closeFrom(ScreenKind::Persons);
    m_form1.reset();
    m_chain.reset();
    m_floor.reset();
    // Everything the runs wrote goes into the register itself before the
    // folder and its link are removed.
    if (m_reference)
        m_reference->exec("PRAGMA wal_checkpoint(TRUNCATE)");
    m_reference.reset();
    QDir::setCurrent(m_oldCurrent);
    Messages::setHandler({});
}

Results::Size ProgramBench::run()
{
    std::fprintf(stderr, "%lld persons\n", m_persons);
    readExpected();
    m_results.add("startup", {200, 1000000, 0}, m_runs,
                  QStringLiteral("Process start until the start window `Form1` is painted"),
                  Measurement::measureProcess("zavoni_bench_start", m_runs),
                  Measurement::measureProcess("zavoni_bench_startfloor", m_runs));

    m_chain = std::make_unique<ScreenChain>();
    m_form1 = std::make_unique<Form1>(m_chain.get());
    if (!UiDriver::activate(m_form1.get()))
        die(QStringLiteral("the start window cannot be made active"));
    measureScreens();
    measureFinding();
    measureSorted();
    measureOutput();
    closeFrom(ScreenKind::Persons);

    QTemporaryDir base(QDir::temp().filePath(QStringLiteral("zavoni-bench-base-XXXXXX")));
    if (!base.isValid())
        die(QStringLiteral("no folder for the base register"));
    runBeside("zavoni_generate", {RegisterName, QString::number(BasePersons)}, base.path());
    const QList<Results::Reading> small = probeMemory(base.path());
    const QList<Results::Reading> large = probeMemory(m_folder.path());
    m_results.memory = {BasePersons, small[0], small[1], large[0], large[1]};
    return m_results;
}

void ProgramBench::readExpected()
{
    SqliteDb &ref = *m_reference;
    Expected &e = m_expected;
    const char *kept = "SELECT Numar FROM TBL_Numarare WHERE Sursa = ?";
    expect(ref.integer(kept, {Catalogue::Persons}) == m_persons
               && ref.integer("SELECT count(*) FROM TBL_Zavoni") == m_persons,
           QStringLiteral("the register holds %1 persons").arg(m_persons));
    expect(ref.integer("SELECT count(*) FROM TBL_Zavoni WHERE CNP_C = ?", {BenchCnp}) == 0,
           QStringLiteral("no person left by an earlier run"));
    e.firstCnp = ref.text("SELECT CNP_C FROM TBL_Zavoni ORDER BY rowid LIMIT 1");
    e.lastCnp = ref.text("SELECT CNP_C FROM TBL_Zavoni ORDER BY rowid DESC LIMIT 1");
    e.women = ref.integer(kept, {Catalogue::WomenQuery});
    e.men = ref.integer(kept, {Catalogue::MenQuery});
    const char *firstOfSex = "SELECT CNP_C FROM TBL_Zavoni WHERE sex = ? ORDER BY rowid LIMIT 1";
    e.firstWoman = ref.text(firstOfSex, {QStringLiteral("F")});
    e.firstMan = ref.text(firstOfSex, {QStringLiteral("M")});

    // The person in the middle, or the first after it whose first offence
    // has an accomplice, so that every upper screen has rows to show.
    const char *atRank = "SELECT CNP_C FROM TBL_Zavoni ORDER BY rowid LIMIT 1 OFFSET ?";
    for (e.middle = m_persons / 2; e.middle + 1 < m_persons; ++e.middle) {
        e.middleCnp = ref.text(atRank, {e.middle});
        e.firstOffence = ref.integer("SELECT COD_infractiune FROM TBL_Infractiuni "
                                     "WHERE CNP_C = ? ORDER BY rowid LIMIT 1",
                                     {e.middleCnp});
        e.accomplices = ref.integer("SELECT count(*) FROM TBL_Complicitate "
                                    "WHERE COD_INFRACTIUNE = ?",
                                    {e.firstOffence});
        if (e.accomplices > 0)
            break;
    }
    expect(e.accomplices > 0, QStringLiteral("a person with an accomplice"));
    e.middleRowid = ref.integer("SELECT rowid FROM TBL_Zavoni WHERE CNP_C = ?", {e.middleCnp});
    e.nextCnp = ref.text(atRank, {e.middle + 1});
    e.middleName = ref.text("SELECT Nume FROM TBL_Zavoni WHERE CNP_C = ?", {e.middleCnp});
    e.offences = ref.integer("SELECT count(*) FROM TBL_Infractiuni WHERE CNP_C = ?",
                             {e.middleCnp});
    e.articles = ref.integer("SELECT count(*) FROM TBL_Articole WHERE Cod_infractiune = ?",
                             {e.firstOffence});
    e.anyAccomplice = ref.text("SELECT CNP FROM TBL_Complici LIMIT 1");
    // What the list sorted by name must show first and last, in Romanian order.
    const QStringList names = ref.texts("SELECT DISTINCT Nume FROM TBL_Zavoni");
    e.firstName = *std::min_element(names.begin(), names.end(), sortsBefore);
    e.lastName = *std::max_element(names.begin(), names.end(), sortsBefore);
}

// The floor is only a floor if it waits for the disk and caches as the
// program's own connection does.
void ProgramBench::checkSettings()
{
    bool found = false;
    for (const QString &name : QSqlDatabase::connectionNames()) {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        if (!db.isOpen() || db.databaseName() != RegisterName)
            continue;
        found = true;
        for (const char *setting : {"cache_size", "synchronous", "foreign_keys", "journal_mode"}) {
            const QByteArray pragma = QByteArray("PRAGMA ") + setting;
            QSqlQuery q(db);
            expect(q.exec(QString::fromLatin1(pragma)) && q.next()
                       && q.value(0).toString() == m_reference->text(pragma.constData()),
                   QStringLiteral("the floor opens the register as the program does (%1)")
                       .arg(QLatin1String(setting)));
        }
    }
    expect(found, QStringLiteral("the program's connection"));
}

int ProgramBench::memoryProbe(int &argc, char **argv)
{
    answerDeletionsOnly();
    Startup::Options options;
    options.loop = [](QWidget *form1) {
        QCoreApplication::processEvents();
        UiDriver::click(form1, QStringLiteral("Command1"));
        QWidget *persons = nullptr;
        for (QWidget *w : QApplication::topLevelWidgets())
            persons = w->objectName() == QLatin1String("Form2") ? w : persons;
        if (!persons)
            return 1;
        persons->grab();
        UiDriver::click(data(persons), QStringLiteral("Last"));
        persons->grab();
        QCoreApplication::processEvents();
        printMemory();
        // The operator drags the scroll bar to the middle of the list.
        QScrollBar *bar = grid(persons)->verticalScrollBar();
        bar->setValue(bar->maximum() / 2);
        persons->grab();
        QCoreApplication::processEvents();
        printMemory();
        return 0;
    };
    return Startup::run(argc, argv, options);
}

// Closes the screen with "Înapoi", and first every screen above it.
void ProgramBench::closeFrom(ScreenKind kind)
{
    while (m_chain->stack().contains(kind)) {
        const ScreenKind top = m_chain->stack().last();
        UiDriver::click(screen(top), QStringLiteral("Command6"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (screen(top))
            die(QStringLiteral("a screen did not close"));
    }
    QCoreApplication::processEvents();
}

QWidget *ProgramBench::reopenPersons()
{
    closeFrom(ScreenKind::Persons);
    UiDriver::click(m_form1.get(), QStringLiteral("Command1"));
    if (!persons())
        die(QStringLiteral("the persons screen did not open"));
    QCoreApplication::processEvents();
    return persons();
}

// The persons screen open over the given source, nothing above it.
QWidget *ProgramBench::personsShowing(const QString &source)
{
    QWidget *shown = persons() ? persons() : reopenPersons();
    closeFrom(ScreenKind::Offences);
    if (data(shown)->recordSource() != source) {
        const char *button = source == SourceTexts::PersonsWomen ? "Command11"
                             : source == SourceTexts::PersonsMen ? "Command13"
                                                                 : "Command12";
        UiDriver::click(shown, QLatin1String(button));
        QCoreApplication::processEvents();
    }
    expect(data(shown)->recordSource() == source, QStringLiteral("filter ") + source);
    return shown;
}

// The operator has found the person in the middle of the whole list.
QWidget *ProgramBench::personsAtMiddle()
{
    QWidget *shown = personsShowing(SourceTexts::Persons);
    Recordset *rs = data(shown)->recordset();
    if (rs->absolutePosition() != m_expected.middle) {
        rs->moveTo(int(m_expected.middle));
        QCoreApplication::processEvents();
    }
    expect(boxText(shown, "Text1") == m_expected.middleCnp, QStringLiteral("middle person"));
    return shown;
}

QWidget *ProgramBench::offencesOfMiddle()
{
    QWidget *offences = screen(ScreenKind::Offences);
    if (!offences || boxText(persons(), "Text1") != m_expected.middleCnp) {
        UiDriver::click(personsAtMiddle(), QStringLiteral("Command9"));
        QCoreApplication::processEvents();
        offences = screen(ScreenKind::Offences);
    }
    closeFrom(ScreenKind::Accomplices);
    closeFrom(ScreenKind::Articles);
    expect(offences && data(offences)->recordset()->absolutePosition() == 0,
           QStringLiteral("the middle person's offences, the first one current"));
    return offences;
}

// A click, then the window painted whole: the step ends when the operator
// can see its result.
void ProgramBench::clickAndShow(QWidget *window, const char *button)
{
    UiDriver::click(window, QLatin1String(button));
    show(window->window());
}

void ProgramBench::show(QWidget *window)
{
    if (!window)
        die(QStringLiteral("no screen to show"));
    const double before = paintedMs;
    QCoreApplication::processEvents();
    expect(paintedMs > before, QStringLiteral("the step painted nothing"));
}

SqliteDb &ProgramBench::engine()
{
    if (!m_floor)
        m_floor = std::make_unique<SqliteDb>(RegisterName);
    return *m_floor;
}

void ProgramBench::measureInTurn(const std::vector<Step> &steps)
{
    const int runs = steps.front().runs > 0 ? steps.front().runs : m_runs;
    std::vector<Measurement::Timed> program, floor;
    std::vector<Found> found(steps.size());
    for (const Step &s : steps) {
        program.push_back({s.prepare, s.action, s.check});
        Found *mine = &found[program.size() - 1];
        if (s.floor)
            floor.push_back({s.floorPrepare, [mine, &s] { *mine = s.floor(); },
                             [mine, &s] {
                                 expect(*mine == s.floorExpected(),
                                        QLatin1String(s.key) + QStringLiteral(" floor"));
                             }});
    }
    const std::vector<Measurement::Series> times = Measurement::measure(runs, program);
    const std::vector<Measurement::Series> floors = Measurement::measure(runs, floor);
    for (std::size_t i = 0, f = 0; i < steps.size(); ++i) {
        const Step &s = steps[i];
        m_results.add(s.key, s.target, runs, s.label, times[i],
                      s.floor ? floors[f++] : Measurement::Series());
    }
}
