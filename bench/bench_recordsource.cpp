// zavoni_bench_data FILE N [--runs R]
//
// How long the persons list takes to select its rows, to move to its last row
// and to switch to each sex filter, with the grid painted, beside the same
// reads made directly through the engine's C interface, the floor: what the
// work costs with nothing between the program and the engine. The floor reads
// the row counts the register keeps, as the program does. Prints a Markdown
// table on standard output.

#include "benchsupport.h"
#include "measurement.h"
#include "registergenerator.h"

#include "widgets/datacontrol.h"
#include "widgets/dbgrid.h"
#include "data/recordset.h"
#include "data/sourcetexts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <memory>
#include <vector>

using namespace BenchSupport;
using Measurement::cpuMs;
using Measurement::Stats;
using Measurement::stats;

namespace {

constexpr int PageRows = 30;
constexpr qint64 SmallPersons = 1000;
constexpr double TargetMs = 50.0;
constexpr double TargetRatio = 3.0;
constexpr qint64 TargetPersons = 1000000; // the size the targets are set for

const char *const PersonColumns =
    "CNP_C, Serie_buletin, Numar_buletin, Nume, Initiala, Prenume, Porecla1, Porecla2, "
    "Data_nasterii, Functia, Profesia, sex, Judet, Localitate, sector, Strada, Numar, Bloc, "
    "Scara, Apartament";

struct Measured
{
    Stats wall;
    Stats cpu;
    Stats repaintCpu; // the same page painted again from rows already read
};

// Every run starts from the same state (prepare, not timed), then the work is
// timed, then checked, so a fast wrong answer cannot pass for a result. One
// untimed run first brings the file into the system's cache.
Measured measure(int runs, const std::function<void()> &prepare,
                 const std::function<void()> &work, const std::function<void()> &check,
                 const std::function<void()> &repaint = {})
{
    std::vector<double> wallMs, cpu, repaintCpu;
    for (int i = -1; i < runs; ++i) {
        prepare();
        QElapsedTimer timer;
        timer.start();
        const double cpuStart = cpuMs();
        work();
        const double cpuEnd = cpuMs();
        const double elapsed = timer.nsecsElapsed() / 1e6;
        check();
        if (i < 0)
            continue;
        wallMs.push_back(elapsed);
        cpu.push_back(cpuEnd - cpuStart);
        if (repaint) {
            const double repaintStart = cpuMs();
            repaint();
            repaintCpu.push_back(cpuMs() - repaintStart);
        }
    }
    return {stats(wallMs), stats(cpu), stats(repaintCpu)};
}

class PaintCounter : public QObject
{
public:
    using QObject::QObject;
    int count = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return QObject::eventFilter(watched, event);
    }
};

// The persons screen as the data layer sees it: the grid with the persons
// screen's columns, a page of rows high, over the navigator whose caption
// follows every reposition.
class PersonsView
{
public:
    explicit PersonsView(const QString &fileName)
        : m_data(new DataControl(&m_window))
        , m_grid(new DBGrid(&m_window))
        , m_paints(new PaintCounter(&m_window))
    {
        m_data->setObjectName(QStringLiteral("Data1"));
        m_grid->setObjectName(QStringLiteral("DBGrid1"));
        m_data->setDatabaseName(fileName);
        m_grid->setCaptions({QStringLiteral("Nume"), QStringLiteral("Initială"),
                             QStringLiteral("Prenume"), QStringLiteral("Poreclă 1"),
                             QStringLiteral("Poreclă 2")});
        m_grid->setFields({QStringLiteral("Nume"), QStringLiteral("Initiala"),
                           QStringLiteral("Prenume"), QStringLiteral("Porecla1"),
                           QStringLiteral("Porecla2")});
        m_grid->setDataControl(m_data);
        QObject::connect(m_data, &DataControl::reposition, m_data,
                         [this] { m_data->setCaption(m_data->counterText()); });
        m_grid->viewport()->installEventFilter(m_paints);

        auto *layout = new QVBoxLayout(&m_window);
        layout->addWidget(m_grid);
        layout->addWidget(m_data);
        m_grid->setFixedSize(720, m_grid->verticalHeader()->defaultSectionSize() * PageRows
                                      + m_grid->horizontalHeader()->sizeHint().height()
                                      + 2 * m_grid->frameWidth());
        m_window.show();
        QCoreApplication::processEvents();
    }

    DataControl *data() const { return m_data; }
    DBGrid *grid() const { return m_grid; }
    Recordset *recordset() const { return m_data->recordset(); }

    void select(const QString &source)
    {
        m_data->setRecordSource(source);
        if (!m_data->refresh())
            die(QStringLiteral("%1: %2").arg(source, m_data->lastError().describe()));
    }

    // What the event loop does after a change; the rows are read as they are
    // painted, so a pass that painted nothing is followed by a paint.
    void paint()
    {
        const int before = m_paints->count;
        QCoreApplication::processEvents();
        if (m_paints->count == before)
            m_grid->viewport()->repaint();
    }

    // The same page painted again, its rows already read.
    void repaintGrid() { m_grid->viewport()->repaint(); }

    // The rows at the top and the bottom of the painted page.
    int firstShownRow() const { return m_grid->topRecord() + m_grid->rowAt(0); }
    int lastShownRow() const
    {
        const int row = m_grid->rowAt(m_grid->viewport()->height() - 1);
        return m_grid->topRecord() + (row < 0 ? m_grid->model()->rowCount() - 1 : row);
    }

private:
    QWidget m_window;
    DataControl *m_data;
    DBGrid *m_grid;
    PaintCounter *m_paints;
};

// The floor: the same reads straight through the engine, on a connection
// opened the same way, every text value taken as the grid takes it.
class Engine
{
public:
    Engine(const QString &fileName, qint64 cacheSize)
    {
        const QByteArray path = QFile::encodeName(fileName);
        if (sqlite3_open_v2(path.constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr)
            != SQLITE_OK)
            die(QStringLiteral("%1: %2").arg(fileName, QString::fromUtf8(sqlite3_errmsg(m_db))));
        sqlite3_busy_timeout(m_db, 5000);
        // Which index pages stay cached between two steps decides much of a
        // count, so the floor keeps as many as the program's connection.
        const QByteArray pragma = "PRAGMA cache_size = " + QByteArray::number(cacheSize);
        sqlite3_exec(m_db, pragma.constData(), nullptr, nullptr, nullptr);
    }
    ~Engine() { sqlite3_close(m_db); }
    Engine(const Engine &) = delete;
    Engine &operator=(const Engine &) = delete;

    qint64 count(const char *where, const char *sex)
    {
        const QByteArray sql = QByteArray("SELECT count(*) FROM TBL_Zavoni") + where;
        qint64 n = -1;
        run(sql, sex, [&n](sqlite3_stmt *stmt) { n = sqlite3_column_int64(stmt, 0); });
        return n;
    }

    // The row count the register keeps for a source selected whole, which is
    // what the program reads instead of counting.
    qint64 kept(const QString &source)
    {
        const QByteArray name = source.toUtf8();
        qint64 n = -1;
        run("SELECT Numar FROM TBL_Numarare WHERE Sursa = ?", name.constData(),
            [&n](sqlite3_stmt *stmt) { n = sqlite3_column_int64(stmt, 0); });
        return n;
    }

    // A page of rows in the set's order, each column read as text.
    int page(const char *where, const char *sex, const char *order)
    {
        const QByteArray sql = QByteArray("SELECT ") + PersonColumns + " FROM TBL_Zavoni" + where
                               + " ORDER BY rowid " + order + " LIMIT "
                               + QByteArray::number(PageRows);
        int rows = 0;
        run(sql, sex, [&rows](sqlite3_stmt *stmt) {
            ++rows;
            for (int c = 0, n = sqlite3_column_count(stmt); c < n; ++c)
                sqlite3_column_text(stmt, c);
        });
        return rows;
    }

    // The CNP of the first or last row of the set, to check the program's current row.
    QString edgeKey(const char *where, const char *sex, const char *order)
    {
        const QByteArray sql = QByteArray("SELECT CNP_C FROM TBL_Zavoni") + where
                               + " ORDER BY rowid " + order + " LIMIT 1";
        QString key;
        run(sql, sex, [&key](sqlite3_stmt *stmt) {
            key = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)));
        });
        return key;
    }

private:
    void run(const QByteArray &sql, const char *sex,
             const std::function<void(sqlite3_stmt *)> &onRow)
    {
        sqlite3_stmt *stmt = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.constData(), -1, &stmt, nullptr) != SQLITE_OK)
            die(QString::fromUtf8(sqlite3_errmsg(m_db)));
        if (sex)
            sqlite3_bind_text(stmt, 1, sex, -1, SQLITE_STATIC);
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
            onRow(stmt);
        if (rc != SQLITE_DONE)
            die(QString::fromUtf8(sqlite3_errmsg(m_db)));
        sqlite3_finalize(stmt);
    }

    sqlite3 *m_db = nullptr;
};

struct Row
{
    QString operation;
    Measured program;
    Measured floor;
};

// Child mode: the persons set open over the file, its first page painted and
// then its last, and the peak resident memory of the whole process.
int memoryProbe(const QString &fileName)
{
    PersonsView view(fileName);
    view.select(SourceTexts::Persons);
    view.paint();
    view.recordset()->moveLast();
    view.paint();
    // Qt's driver uses the same engine library, so this is the connection's
    // own peak: mostly its page cache, which cache_size bounds.
    std::printf("%lld %lld\n", kilobytesOf("VmHWM:"),
                static_cast<long long>(sqlite3_memory_highwater(0) / 1024));
    return 0;
}

struct Peak
{
    qint64 process = 0; // kB
    qint64 engine = 0;  // kB
};

Peak probeMemory(const QString &fileName)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--memory"), fileName});
    if (!child.waitForFinished(600000) || child.exitCode() != 0)
        die(QStringLiteral("memory probe failed: ")
            + QString::fromLocal8Bit(child.readAllStandardError()));
    const QList<QByteArray> values = child.readAllStandardOutput().simplified().split(' ');
    return {values.value(0).toLongLong(), values.value(1).toLongLong()};
}

QString ms(double value)
{
    return QString::number(value, 'f', value < 10 ? 2 : 1);
}

// The page cache of the program's own connection to the file, as its
// database layer set it.
qint64 programCacheSize(const QString &fileName)
{
    const QStringList names = QSqlDatabase::connectionNames();
    for (const QString &name : names) {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        if (db.isOpen() && db.databaseName() == fileName) {
            QSqlQuery q(db);
            if (q.exec(QStringLiteral("PRAGMA cache_size")) && q.next())
                return q.value(0).toLongLong();
        }
    }
    die(QStringLiteral("the program's connection to %1 was not found").arg(fileName));
}

int benchmark(const QString &fileName, qint64 persons, int runs)
{
    if (!QFileInfo(fileName).isFile())
        die(fileName + QStringLiteral(" not found"));
    const QString all = QString::number(persons);
    PersonsView view(fileName);
    view.select(SourceTexts::Persons);
    const qint64 cacheSize = programCacheSize(fileName);
    QString firstKey, lastKey;
    {
        Engine engine(fileName, cacheSize);
        firstKey = engine.edgeKey("", nullptr, "ASC");
        lastKey = engine.edgeKey("", nullptr, "DESC");
    }
    QList<Row> rows;

    // Selecting the table: what "Evidentă zavoni" does once the screen is
    // built, its own connection to the file included.
    {
        std::unique_ptr<PersonsView> view;
        Row row{QStringLiteral("Select `TBL_Zavoni`: row 1, counter 1/N, grid page"), {}, {}};
        row.program = measure(
            runs,
            [&] {
                view.reset();
                view = std::make_unique<PersonsView>(fileName);
            },
            [&] {
                view->select(SourceTexts::Persons);
                view->paint();
            },
            [&] {
                expect(view->data()->caption() == QStringLiteral("1/") + all,
                       view->data()->caption());
                expect(view->recordset()->value(QStringLiteral("CNP_C")).toString() == firstKey,
                       QStringLiteral("row 1 current"));
                expect(view->firstShownRow() == 0, QStringLiteral("first page shown"));
            },
            [&] { view->repaintGrid(); });
        std::unique_ptr<Engine> engine;
        row.floor = measure(
            runs, [&] { engine.reset(); },
            [&] {
                engine = std::make_unique<Engine>(fileName, cacheSize);
                expect(engine->kept(SourceTexts::Persons) == persons,
                       QStringLiteral("floor count"));
                expect(engine->page("", nullptr, "ASC") == int(qMin<qint64>(persons, PageRows)),
                       QStringLiteral("floor page"));
            },
            [] {});
        rows << row;
    }

    // The steps below start, as the program's do, from the whole table selected.
    Engine engine(fileName, cacheSize);
    const auto countAll = [&] { engine.kept(SourceTexts::Persons); };
    {
        Row row{QStringLiteral("MoveLast: last row, counter N/N, last grid page"), {}, {}};
        row.program = measure(
            runs,
            [&] {
                view.select(SourceTexts::Persons);
                view.paint();
            },
            [&] {
                view.recordset()->moveLast();
                view.paint();
            },
            [&] {
                expect(view.data()->caption() == all + QLatin1Char('/') + all,
                       view.data()->caption());
                expect(view.recordset()->value(QStringLiteral("CNP_C")).toString() == lastKey,
                       QStringLiteral("last row current"));
                expect(view.lastShownRow() == persons - 1, QStringLiteral("last page shown"));
            },
            [&] { view.repaintGrid(); });
        row.floor = measure(
            runs, countAll, [&] { engine.page("", nullptr, "DESC"); }, [] {});
        rows << row;
    }

    const struct
    {
        QString source;
        const char *sex;
    } filters[] = {{SourceTexts::PersonsWomen, "F"}, {SourceTexts::PersonsMen, "M"}};
    for (const auto &filter : filters) {
        const qint64 expected = engine.count(" WHERE sex = ?", filter.sex);
        const QString filterFirstKey = engine.edgeKey(" WHERE sex = ?", filter.sex, "ASC");
        Row row{QStringLiteral("Select `%1`: row 1, counter, grid page").arg(filter.source),
                {},
                {}};
        row.program = measure(
            runs,
            [&] {
                view.select(SourceTexts::Persons);
                view.paint();
            },
            [&] {
                view.select(filter.source);
                view.paint();
            },
            [&] {
                expect(view.data()->caption() == QStringLiteral("1/%1").arg(expected),
                       view.data()->caption());
                expect(view.recordset()->value(QStringLiteral("CNP_C")).toString()
                           == filterFirstKey,
                       QStringLiteral("row 1 current"));
                expect(view.firstShownRow() == 0, QStringLiteral("first page shown"));
            },
            [&] { view.repaintGrid(); });
        row.floor = measure(
            runs, countAll,
            [&] {
                expect(engine.kept(filter.source) == expected, QStringLiteral("floor count"));
                engine.page(" WHERE sex = ?", filter.sex, "ASC");
            },
            [] {});
        rows << row;
    }

    // Memory is measured in fresh processes, so that nothing above counts.
    QTemporaryDir dir;
    const QString small = dir.filePath(QStringLiteral("small.mdb"));
    QString problem;
    if (!RegisterGenerator::generate(small, SmallPersons, 1, nullptr, &problem))
        die(problem);
    const Peak smallPeak = probeMemory(small);
    const Peak peak = probeMemory(fileName);
    const double rowsMore = double(persons - SmallPersons);
    const double perRow = persons > SmallPersons
                              ? (peak.process - smallPeak.process) * 1024.0 / rowsMore
                              : 0.0;
    const double perRowBeyondEngine =
        persons > SmallPersons ? ((peak.process - peak.engine)
                                  - (smallPeak.process - smallPeak.engine)) * 1024.0 / rowsMore
                               : 0.0;

    std::printf("### %s persons (`%s`, %.0f MB)\n\n", qPrintable(QLocale::c().toString(persons)),
                qPrintable(QFileInfo(fileName).fileName()),
                QFileInfo(fileName).size() / 1048576.0);
    std::printf("SQLite %s, through Qt's driver for the program and directly for the floor. ",
                sqlite3_libversion());
    std::printf("%d runs each after one untimed run; times in ms. Wall: elapsed time. CPU: "
                "processor time of the process, which is what the wall time would be on an idle "
                "machine. Painting: processor time to paint the same grid page again once its "
                "rows are read. Ratio: median against the floor's median. The targets hold for "
                "1,000,000 persons and are judged on the wall time.\n\n",
                runs);
    std::printf("| Operation | Wall median | Wall worst | CPU median | Painting | Floor wall "
                "median | Floor wall worst | Floor CPU median | Ratio wall | Ratio CPU "
                "| Target (<%.0f ms, <=%.0fx) |\n",
                TargetMs, TargetRatio);
    std::printf("|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---|\n");
    for (const Row &row : std::as_const(rows)) {
        const Measured &program = row.program;
        const Measured &floor = row.floor;
        const double ratio = program.wall.median / floor.wall.median;
        const double cpuRatio = program.cpu.median / floor.cpu.median;
        const bool met = program.wall.median < TargetMs && ratio <= TargetRatio;
        const char *verdict = persons < TargetPersons ? "-" : met ? "met" : "**missed**";
        std::printf("| %s | %s | %s | %s | %s | %s | %s | %s | %.1f | %.1f | %s |\n",
                    qPrintable(row.operation), qPrintable(ms(program.wall.median)),
                    qPrintable(ms(program.wall.worst)), qPrintable(ms(program.cpu.median)),
                    qPrintable(ms(program.repaintCpu.median)), qPrintable(ms(floor.wall.median)),
                    qPrintable(ms(floor.wall.worst)), qPrintable(ms(floor.cpu.median)), ratio,
                    cpuRatio, verdict);
    }
    std::printf("\nPeak resident memory (VmHWM) with the persons set open, first and last page "
                "painted: %.1f MB, of which the engine's peak %.1f MB; over a register of %lld "
                "persons: %.1f MB, of which the engine's %.1f MB. Growth %.1f bytes a person "
                "(target < 16): %s; %.1f bytes a person beyond the engine's page cache, which "
                "its cache_size bounds.\n\n",
                peak.process / 1024.0, peak.engine / 1024.0, SmallPersons,
                smallPeak.process / 1024.0, smallPeak.engine / 1024.0, perRow,
                persons < TargetPersons ? "-"
                : perRow < 16           ? "met"
                                        : "**missed**",
                perRowBeyondEngine);
    return 0;
}

QtMessageHandler standardHandler = nullptr;

// The offscreen platform complains of every window it shows; nothing else is dropped.
void quietOffscreen(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message.contains(QLatin1String("propagateSizeHints"))
        || message.startsWith(QLatin1String("QStandardPaths:")))
        return;
    standardHandler(type, context, message);
}

} // namespace

int main(int argc, char *argv[])
{
    standardHandler = qInstallMessageHandler(quietOffscreen);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args.at(1) == QLatin1String("--memory"))
        return memoryProbe(args.at(2));

    bool ok = args.size() >= 3;
    const qint64 persons = ok ? args.at(2).toLongLong(&ok) : 0;
    int runs = 21;
    if (ok && args.size() == 5 && args.at(3) == QLatin1String("--runs"))
        runs = args.at(4).toInt(&ok);
    else if (args.size() != 3)
        ok = false;
    if (!ok || persons <= 0 || runs < 1) {
        std::fprintf(stderr, "usage: zavoni_bench_data FILE N [--runs R]\n");
        return 2;
    }
    return benchmark(args.at(1), persons, runs);
}
