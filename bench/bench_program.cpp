// zavoni_bench_program FILE N [--runs R] [--out RESULTS.tsv]
//     The whole program over the register FILE of N persons: its start, and
//     the operator's steps through the real screens, each beside its floor.
// zavoni_bench_program --memory
//     Child mode: the program with the persons screen open over Zavoni.mdb in
//     the current folder; prints its peak resident memory.
// zavoni_bench_program --report RESULTS.tsv...
//     Prints the Markdown report of earlier runs, their sizes side by side.

#include "benchsupport.h"
#include "programbench.h"
#include "results.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>

namespace {

QtMessageHandler standardHandler = nullptr;

// The offscreen platform complains of every window it shows; nothing else is dropped.
void quietOffscreen(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message.contains(QLatin1String("propagateSizeHints"))
        || message.contains(QLatin1String("does not support raise()"))
        || message.startsWith(QLatin1String("QStandardPaths:")))
        return;
    standardHandler(type, context, message);
}

int usage()
{
    std::fprintf(stderr, "usage: zavoni_bench_program FILE N [--runs R] [--out FILE]\n"
                         "       zavoni_bench_program --report FILE...\n");
    return 2;
}

} // namespace

// Times the delivery of paint events, to tell the painting of a step from
// the rest of its work. The repaint manager sends them one widget after the
// other; a paint within a paint (a widget rendered into another) counts once.
class PaintTimingApplication : public QApplication
{
public:
    using QApplication::QApplication;

    bool notify(QObject *receiver, QEvent *event) override
    {
        if (event->type() != QEvent::Paint || m_depth > 0)
            return QApplication::notify(receiver, event);
        ++m_depth;
        const double start = Measurement::wallMs();
        const bool done = QApplication::notify(receiver, event);
        BenchSupport::addPainted(Measurement::wallMs() - start);
        --m_depth;
        return done;
    }

private:
    int m_depth = 0;
};

int main(int argc, char *argv[])
{
    standardHandler = qInstallMessageHandler(quietOffscreen);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 2 && std::strcmp(argv[1], "--memory") == 0)
        return ProgramBench::memoryProbe(argc, argv);
    PaintTimingApplication app(argc, argv);
    // A desktop session always has its runtime folder; without one Qt says so
    // on every start of the program the benchmark times.
    QTemporaryDir runtime(QDir::temp().filePath(QStringLiteral("zavoni-bench-runtime-XXXXXX")));
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR") && runtime.isValid()) {
        QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner
                                                  | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    }
    const QStringList args = app.arguments();
    if (args.size() >= 3 && args.at(1) == QLatin1String("--report")) {
        QList<Results::Size> sizes;
        for (int i = 2; i < args.size(); ++i) {
            Results::Size size;
            if (!Results::read(args.at(i), &size)) {
                std::fprintf(stderr, "%s: not a result file\n", qPrintable(args.at(i)));
                return 1;
            }
            sizes << size;
        }
        std::printf("%s", qPrintable(Results::markdown(sizes)));
        return 0;
    }

    bool ok = args.size() >= 3;
    const qint64 persons = ok ? args.at(2).toLongLong(&ok) : 0;
    int runs = 21;
    QString out;
    for (int i = 3; ok && i < args.size(); i += 2) {
        if (i + 1 >= args.size())
            ok = false;
        else if (args.at(i) == QLatin1String("--runs"))
            runs = args.at(i + 1).toInt(&ok);
        else if (args.at(i) == QLatin1String("--out"))
            out = args.at(i + 1);
        else
            ok = false;
    }
    if (!ok || persons <= 0 || runs < 1)
        return usage();
    ProgramBench bench(app, args.at(1), persons, runs);
    return bench.run(out);
}
