#pragma once

#include "benchsupport.h"

#include <QList>
#include <QString>

// What one run of the whole-program benchmark found over one register, kept
// in a small tab-separated file so that the registers of several sizes can be
// set side by side in one report.
namespace Results {

enum class Kind {
    Startup,     // process start until the start window is painted
    Interactive, // an operator's step on an open screen
    Extra,       // measured beyond the list, judged the same way
    Diagnostic   // the start without one of its steps: what a fix would give
};

struct Operation
{
    QString key;
    Kind kind = Kind::Interactive;
    QString label;
    Measurement::Stats wall;
    Measurement::Stats cpu;
    double paintCpu = -1; // the same window painted again with nothing changed
    Measurement::Stats floorWall;
    Measurement::Stats floorCpu;
};

// One reading of the program's memory, in kB.
struct Reading
{
    qint64 peak = 0;      // VmHWM so far
    qint64 resident = 0;  // VmRSS now
    qint64 cachePeak = 0; // the engine's page cache at its largest so far
    qint64 cacheNow = 0;  // the engine's page cache now
};

struct Memory
{
    qint64 basePersons = 0; // the small register that gives the fixed base
    Reading baseOpen;
    Reading baseScrolled;
    Reading open;     // the persons screen open, its first page painted, then its last
    Reading scrolled; // then its grid's scroll bar dragged to the middle
};

struct Size
{
    qint64 persons = 0;
    int runs = 0;
    double fileMb = 0;
    QString sqliteVersion;
    QList<Operation> operations;
    Memory memory;
};

bool write(const QString &fileName, const Size &size);
bool read(const QString &fileName, Size *size);

// The Markdown report: the sizes side by side, then each size in detail.
QString markdown(const QList<Size> &sizes);

// The size the targets are set for, and the targets.
constexpr qint64 TargetPersons = 1000000;
constexpr double TargetMs = 50.0;
constexpr double TargetRatio = 3.0;
constexpr double TargetStartupMs = 200.0;
constexpr double TargetBytesPerPerson = 16.0;

} // namespace Results
