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

Run run(const QString &program, const QStringList &arguments)
{
    const QByteArray path = QFile::encodeName(program);
    QList<QByteArray> args{path};
    for (const QString &a : arguments)
        args << a.toLocal8Bit();
    std::vector<char *> argv;
    for (QByteArray &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    Run result;
    const double start = Measurement::wallMs();
    pid_t pid = 0;
    if (posix_spawn(&pid, path.constData(), nullptr, nullptr, argv.data(), environ) != 0) {
        std::fprintf(stderr, "cannot start %s\n", path.constData());
        std::exit(1);
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) {
        std::fprintf(stderr, "lost %s\n", path.constData());
        std::exit(1);
    }
    result.wallMs = Measurement::wallMs() - start;
    result.cpuMs = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3
                   + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

Measurement::Series measure(const QString &program, int runs, const QStringList &arguments)
{
    Measurement::Series series;
    for (int i = -1; i < runs; ++i) {
        const Run r = run(program, arguments);
        if (r.exitCode != 0) {
            std::fprintf(stderr, "%s ended with %d\n", qPrintable(program), r.exitCode);
            std::exit(1);
        }
        if (i < 0)
            continue;
        series.wall.push_back(r.wallMs);
        series.cpu.push_back(r.cpuMs);
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

DataControl *data(QWidget *screen)
{
    auto *control = screen ? screen->findChild<DataControl *>(QStringLiteral("Data1")) : nullptr;
    if (!control)
        die(QStringLiteral("no Data1"));
    return control;
}

DBGrid *grid(QWidget *screen)
{
    auto *view = screen ? screen->findChild<DBGrid *>(QStringLiteral("DBGrid1")) : nullptr;
    if (!view)
        die(QStringLiteral("no DBGrid1"));
    return view;
}

QString boxText(QWidget *screen, const char *name)
{
    auto *box = screen ? screen->findChild<QLineEdit *>(QLatin1String(name)) : nullptr;
    if (!box)
        die(QStringLiteral("no box ") + QLatin1String(name));
    return box->text();
}

QString labelText(QWidget *screen, const char *name)
{
    auto *label = screen ? screen->findChild<QLabel *>(QLatin1String(name)) : nullptr;
    if (!label)
        die(QStringLiteral("no label ") + QLatin1String(name));
    return label->text();
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
