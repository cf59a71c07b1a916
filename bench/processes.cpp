#include "processes.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

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
