#pragma once

#include "measurement.h"

#include <QString>
#include <QStringList>

// Steps that run as processes of their own: the program's start, its floor,
// and the memory probe, which must not count what the benchmark itself holds.
namespace Processes {

struct Run
{
    double wallMs = 0;
    double cpuMs = 0; // the child's user and system time
    int exitCode = -1;
};

// Starts the program in the current folder and waits for it; the time runs
// from just before the process is created until its exit code is known.
Run run(const QString &program, const QStringList &arguments = {});

// Times `runs` starts of the program after one untimed start.
Measurement::Series measure(const QString &program, int runs,
                            const QStringList &arguments = {});

// The path of a program built beside this one.
QString sibling(const QString &name);

} // namespace Processes
