#include "benchsupport.h"

#include "widgets/datacontrol.h"
#include "widgets/dbgrid.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

namespace Measurement {

Stats stats(std::vector<double> values)
{
    if (values.empty())
        return {};
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return {n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2, values.back()};
}

namespace {

double clockMs(clockid_t clock)
{
    timespec ts;
    clock_gettime(clock, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

} // namespace

double cpuMs()
{
    return clockMs(CLOCK_PROCESS_CPUTIME_ID);
}

double wallMs()
{
    return clockMs(CLOCK_MONOTONIC);
}

void Stopwatch::start()
{
    m_wallStart = wallMs();
    m_cpuStart = cpuMs();
}

void Stopwatch::stop()
{
    m_cpu += cpuMs() - m_cpuStart;
    m_wall += wallMs() - m_wallStart;
}

void Stopwatch::record(Series *series)
{
    if (series) {
        series->wall.push_back(m_wall);
        series->cpu.push_back(m_cpu);
    }
    m_wall = 0;
    m_cpu = 0;
}

Series measure(int runs, const std::function<void()> &prepare,
               const std::function<void()> &work, const std::function<void()> &check)
{
    Series series;
    Stopwatch watch;
    for (int i = -1; i < runs; ++i) {
        prepare();
        watch.start();
        work();
        watch.stop();
        check();
        watch.record(i < 0 ? nullptr : &series);
    }
    return series;
}

} // namespace Measurement

extern char **environ;

namespace Processes {

Measurement::Series measure(const QString &program, int runs)
{
    QByteArray path = QFile::encodeName(program);
    char *argv[] = {path.data(), nullptr};

    Measurement::Series series;
    for (int i = -1; i < runs; ++i) {
        // From just before the process is created until its exit code is known.
        const double start = Measurement::wallMs();
        pid_t pid = 0;
        int status = 0;
        rusage usage{};
        if (posix_spawn(&pid, path.constData(), nullptr, nullptr, argv, environ) != 0
            || wait4(pid, &status, 0, &usage) != pid)
            BenchSupport::die(QStringLiteral("cannot run ") + program);
        const double wall = Measurement::wallMs() - start;
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            BenchSupport::die(QStringLiteral("%1 ended with %2").arg(program).arg(status));
        if (i < 0)
            continue;
        series.wall.push_back(wall);
        series.cpu.push_back((usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3
                             + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3);
    }
    return series;
}

QString sibling(const QString &name)
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(name);
}

} // namespace Processes

namespace BenchSupport {

namespace {
double painted = 0;
}

double paintedMs()
{
    return painted;
}

void addPainted(double ms)
{
    painted += ms;
}

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

namespace {

template<typename T>
T *child(QWidget *screen, const char *name)
{
    T *found = screen ? screen->findChild<T *>(QLatin1String(name)) : nullptr;
    if (!found)
        die(QStringLiteral("no ") + QLatin1String(name));
    return found;
}

} // namespace

DataControl *data(QWidget *screen)
{
    return child<DataControl>(screen, "Data1");
}

DBGrid *grid(QWidget *screen)
{
    return child<DBGrid>(screen, "DBGrid1");
}

QString boxText(QWidget *screen, const char *name)
{
    return child<QLineEdit>(screen, name)->text();
}

QString labelText(QWidget *screen, const char *name)
{
    return child<QLabel>(screen, name)->text();
}

int firstShown(DBGrid *view)
{
    return view->topRecord() + view->rowAt(0);
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

int shownRows(QTableView *view)
{
    const int top = view->rowAt(0);
    if (top < 0)
        return 0;
    int bottom = view->rowAt(view->viewport()->height() - 1);
    if (bottom < 0)
        bottom = view->model()->rowCount() - 1;
    return bottom - top + 1;
}

qint64 kilobytesOf(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

} // namespace BenchSupport
