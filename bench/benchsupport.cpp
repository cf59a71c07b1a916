#include "benchsupport.h"

#include "widgets/datacontrol.h"
#include "widgets/dbgrid.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>

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

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

namespace {

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
    m_wall = m_cpu = 0;
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

} // namespace BenchSupport
