#pragma once

#include <QString>
#include <functional>
#include <vector>

// Timing shared by the benchmarks: every step is run once untimed, to bring
// the file into the system's cache, then timed over a number of runs.
namespace Measurement {

struct Stats
{
    double median = 0;
    double worst = 0;
};

Stats stats(std::vector<double> values);

// Processor time of this process, in ms: on a machine shared with other work
// the wall time of a step longer than a time slice is partly waiting.
double cpuMs();
double wallMs();

struct Series
{
    std::vector<double> wall;
    std::vector<double> cpu;

    Stats wallStats() const { return stats(wall); }
    Stats cpuStats() const { return stats(cpu); }
};

// Times one operation that may be made of several segments, with untimed work
// (the operator typing) between them.
class Stopwatch
{
public:
    void start();
    void stop();
    // Adds the segments timed since the last record() to the series.
    void record(Series *series);

private:
    double m_wallStart = 0;
    double m_cpuStart = 0;
    double m_wall = 0;
    double m_cpu = 0;
};

// Each run starts from the same state (prepare, untimed), then the work is
// timed, then checked: a fast wrong answer must not pass for a result.
Series measure(int runs, const std::function<void()> &prepare,
               const std::function<void()> &work, const std::function<void()> &check);

} // namespace Measurement

// Steps that run as processes of their own: the program's start, its floor,
// and the memory probe, which must not count what the benchmark itself holds.
namespace Processes {

// Times `runs` starts of the program in the current folder after one untimed start;
// the processor time is the child's user and system time.
Measurement::Series measure(const QString &program, int runs);

// The path of a program built beside this one.
QString sibling(const QString &name);

} // namespace Processes

class DataControl;
class DBGrid;
class QTableView;
class QWidget;

// Small helpers of the whole-program benchmark.
namespace BenchSupport {

inline const QString RegisterName = QStringLiteral("Zavoni.mdb");
// A register of this many persons gives the fixed base of the memory.
constexpr qint64 BasePersons = 1000;
// A CNP no generated person has (theirs begin with 1 or 2), added and
// deleted again by every run.
inline const QString BenchCnp = QStringLiteral("9000000000001");

[[noreturn]] void die(const QString &why);
// Wall time spent delivering paint events since the process began, in ms
// (kept by the benchmark's application object).
double paintedMs();
void addPainted(double ms);
// A step whose result is wrong ends the benchmark: it measured nothing.
void expect(bool ok, const QString &what);
// A "VmHWM:"-like field of this process's status, in kB; -1 when unreadable.
qint64 kilobytesOf(const char *field);

DataControl *data(QWidget *screen);
DBGrid *grid(QWidget *screen);
QString boxText(QWidget *screen, const char *name);
QString labelText(QWidget *screen, const char *name);
// How many rows the grid's page shows.
int shownRows(QTableView *view);
// The position in the set of the grid's first shown row.
int firstShown(DBGrid *view);
// Whether the row at this position of the set is on the grid's page, and its first cell.
bool recordShown(DBGrid *view, int record);
QString shownText(DBGrid *view, int record);

} // namespace BenchSupport
