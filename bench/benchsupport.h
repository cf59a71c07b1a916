#pragma once

#include <QString>

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
