#include "benchsupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char **environ;

namespace Measurement {

namespace {

double untimedWall = 0, untimedCpu = 0; // within the operation being timed

double clockMs(clockid_t clock)
{
    timespec ts;
    clock_gettime(clock, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

double ms(const timeval &t)
{
    return t.tv_sec * 1e3 + t.tv_usec / 1e3;
}

double cpuMs()
{
    return clockMs(CLOCK_PROCESS_CPUTIME_ID);
}

} // namespace

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double wallMs()
{
    return clockMs(CLOCK_MONOTONIC);
}

void untimed(const std::function<void()> &work)
{
    const double wall = wallMs(), cpu = cpuMs();
    work();
    untimedCpu += cpuMs() - cpu;
    untimedWall += wallMs() - wall;
}

std::vector<Series> measure(int runs, const std::vector<Timed> &operations)
{
    std::vector<Series> series(operations.size());
    for (int i = -1; i < runs; ++i) {
        for (std::size_t k = 0; k < operations.size(); ++k) {
            if (operations[k].prepare)
                operations[k].prepare();
            untimedWall = untimedCpu = 0;
            const double wall = wallMs(), cpu = cpuMs();
            operations[k].work();
            const double cpuSpent = cpuMs() - cpu - untimedCpu;
            const double wallSpent = wallMs() - wall - untimedWall;
            operations[k].check();
            if (i >= 0) {
                series[k].wall.push_back(wallSpent);
                series[k].cpu.push_back(cpuSpent);
            }
        }
    }
    return series;
}

Series measureProcess(const char *name, int runs)
{
    const QString program = QDir(QCoreApplication::applicationDirPath()).filePath(name);
    QByteArray path = QFile::encodeName(program);
    char *argv[] = {path.data(), nullptr};
    Series series;
    for (int i = -1; i < runs; ++i) {
        const double start = wallMs();
        pid_t pid = 0;
        int status = 0;
        rusage usage{};
        if (posix_spawn(&pid, path.constData(), nullptr, nullptr, argv, environ) != 0
            || wait4(pid, &status, 0, &usage) != pid)
            BenchSupport::die(QStringLiteral("cannot run ") + program);
        const double wall = wallMs() - start;
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            BenchSupport::die(QStringLiteral("%1 ended with %2").arg(program).arg(status));
        if (i >= 0) {
            series.wall.push_back(wall);
            series.cpu.push_back(ms(usage.ru_utime) + ms(usage.ru_stime));
        }
    }
    return series;
}

} // namespace Measurement

namespace BenchSupport {

void die(const QString &why)
{
    std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, qPrintable(why));
    std::exit(1);
}

void expect(bool ok, const QString &what)
{
    if (!ok)
        die(QStringLiteral("wrong result: ") + what);
}

int shownRows(QTableView *view)
{
    const int top = view->rowAt(0);
    const int bottom = view->rowAt(view->viewport()->height() - 1);
    return top < 0 ? 0 : (bottom < 0 ? view->model()->rowCount() - 1 : bottom) - top + 1;
}

bool recordShown(DBGrid *view, int record)
{
    const QModelIndex index = view->model()->index(record - view->topRecord(), 0);
    return index.isValid() && view->viewport()->rect().intersects(view->visualRect(index));
}

QString shownText(DBGrid *view, int record)
{
    return view->model()->index(record - view->topRecord(), 0).data().toString();
}

} // namespace BenchSupport
