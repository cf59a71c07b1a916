#pragma once

#include "benchsupport.h"

#include <QList>
#include <QString>

// What the whole-program benchmark found over each register: each step said on the standard
// error as it is measured, and the one Markdown report that sets the sizes side by side.
namespace Results {

// A step's target: under `ms` at `persons`, and within `ratio` times its floor when a ratio
// is set.
struct Target
{
    double ms = 50;
    qint64 persons = 1000000;
    double ratio = 3;
};

// Medians of the runs, in ms; a floor of 0: the step has none.
struct Operation
{
    QString label;
    Target target;
    int runs = 0;
    double wall = 0, cpu = 0, floorWall = 0;
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
    Reading baseOpen, baseScrolled;
    Reading open;     // the persons screen open, its first page painted, then its last
    Reading scrolled; // then its grid's scroll bar dragged to the middle
};

struct Size
{
    qint64 persons = 0;
    QList<Operation> operations;
    Memory memory;

    void add(const char *key, const Target &target, int runs, const QString &label,
             const Measurement::Series &program, const Measurement::Series &floor);
};

QString markdown(const QList<Size> &sizes);

} // namespace Results
