#pragma once

#include "widgets/datacontrol.h"
#include "widgets/dbgrid.h"

#include <QLineEdit>

#include <functional>
#include <vector>

// Timing: every step runs once untimed, to bring the file into the system's cache, then is
// timed over a number of runs. Beside the wall time, the processor time: on a machine shared
// with other work the wall time of a step longer than a time slice is partly waiting.
namespace Measurement {

double median(std::vector<double> values);
double wallMs();

struct Series
{
    std::vector<double> wall, cpu;
};

// Each run starts from the same state (prepare, untimed), then the work is timed, then
// checked: a fast wrong answer must not pass for a result.
struct Timed
{
    std::function<void()> prepare, work, check;
};
// Each run times the operations in turn, each starting from the state the one before left.
std::vector<Series> measure(int runs, const std::vector<Timed> &operations);
// Work within a timed one that its time leaves out: the operator typing.
void untimed(const std::function<void()> &work);

// Starts of a program built beside this one, in the current folder, timed from just before
// the process is created until its exit code is known; the processor time is the child's.
Series measureProcess(const char *name, int runs);

} // namespace Measurement

namespace BenchSupport {

inline const QString RegisterName = QStringLiteral("Zavoni.mdb");
// A CNP no generated person has (theirs begin with 1 or 2), added and deleted again by every
// run.
inline const QString BenchCnp = QStringLiteral("9000000000001");
// Wall time spent delivering paint events, in ms (kept by the benchmark's application).
inline double paintedMs = 0;

[[noreturn]] void die(const QString &why);
// A step whose result is wrong ends the benchmark: it measured nothing.
void expect(bool ok, const QString &what);

template<typename T>
T *child(QWidget *screen, const char *name)
{
    T *found = screen ? screen->findChild<T *>(QLatin1String(name)) : nullptr;
    if (!found)
        die(QStringLiteral("no ") + QLatin1String(name));
    return found;
}
inline DataControl *data(QWidget *screen) { return child<DataControl>(screen, "Data1"); }
inline DBGrid *grid(QWidget *screen) { return child<DBGrid>(screen, "DBGrid1"); }
inline QString boxText(QWidget *screen, const char *name)
{
    return child<QLineEdit>(screen, name)->text();
}
int shownRows(QTableView *view);
// The position in the set of the grid's first shown row.
inline int firstShown(DBGrid *view) { return view->topRecord() + view->rowAt(0); }
// Whether the row at this position of the set is on the grid's page, and its first cell.
bool recordShown(DBGrid *view, int record);
QString shownText(DBGrid *view, int record);

} // namespace BenchSupport
