#pragma once

#include <QString>
#include <QWidget>

#include <functional>
#include <vector>

class DataControl;
class DBGrid;
class QTableView;

// Timing: every step runs once untimed, to bring the file into the system's
// cache, then is timed over a number of runs.
namespace Measurement {

double median(std::vector<double> values);
// Processor time of this process, in ms: on a machine shared with other work
// the wall time of a step longer than a time slice is partly waiting.
double cpuMs();
double wallMs();

struct Series
{
    std::vector<double> wall, cpu;
};

// Times one operation that may be made of several segments, with untimed work
// (the operator typing) between them.
class Stopwatch
{
public:
    void start();
    void stop();
    // Files the segments timed since the last record(); nullptr throws them away.
    void record(Series *series);

private:
    double m_wallStart = 0, m_cpuStart = 0, m_wall = 0, m_cpu = 0;
};

// Each run starts from the same state (prepare, untimed), then the work is
// timed, then checked: a fast wrong answer must not pass for a result.
Series measure(int runs, const std::function<void()> &prepare,
               const std::function<void()> &work, const std::function<void()> &check);

// Starts of a program built beside this one, in the current folder, timed from just
// before the process is created until its exit code is known; the processor time is
// the child's.
Series measureProcess(const char *name, int runs);

} // namespace Measurement

namespace BenchSupport {

inline const QString RegisterName = QStringLiteral("Zavoni.mdb");
// A CNP no generated person has (theirs begin with 1 or 2), added and
// deleted again by every run.
inline const QString BenchCnp = QStringLiteral("9000000000001");
// Wall time spent delivering paint events, in ms (kept by the benchmark's application).
inline double paintedMs = 0;

[[noreturn]] void die(const QString &why);
// A step whose result is wrong ends the benchmark: it measured nothing.
void expect(bool ok, const QString &what);
// A "VmHWM:"-like field of this process's status, in kB; -1 when unreadable.
qint64 kilobytesOf(const char *field);

template<typename T>
T *child(QWidget *screen, const char *name)
{
    T *found = screen ? screen->findChild<T *>(QLatin1String(name)) : nullptr;
    if (!found)
        die(QStringLiteral("no ") + QLatin1String(name));
    return found;
}
DataControl *data(QWidget *screen);
DBGrid *grid(QWidget *screen);
QString boxText(QWidget *screen, const char *name);
int shownRows(QTableView *view);
// The position in the set of the grid's first shown row.
int firstShown(DBGrid *view);
// Whether the row at this position of the set is on the grid's page, and its first cell.
bool recordShown(DBGrid *view, int record);
QString shownText(DBGrid *view, int record);

} // namespace BenchSupport
