// zavoni_bench_program [--runs R] FILE N [FILE N ...]
//     The whole program over each register FILE of N persons: its start, and the operator's
//     steps through the real screens, each beside its floor; prints the Markdown report, the
//     sizes side by side.
// zavoni_bench_program --memory
//     Child mode: the program with the persons screen open over Zavoni.mdb in the current
//     folder; prints its peak resident memory.

#include "programbench.h"

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
    if (!message.contains(QLatin1String("propagateSizeHints"))
        && !message.contains(QLatin1String("does not support raise()"))
        && !message.startsWith(QLatin1String("QStandardPaths:")))
        standardHandler(type, context, message);
}

// Times the delivery of paint events: a step that paints nothing is an error. A paint within
// a paint (a widget rendered into another) counts once.
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
        BenchSupport::paintedMs += Measurement::wallMs() - start;
        --m_depth;
        return done;
    }

private:
    int m_depth = 0;
};

} // namespace

int main(int argc, char *argv[])
{
    standardHandler = qInstallMessageHandler(quietOffscreen);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 2 && std::strcmp(argv[1], "--memory") == 0)
        return ProgramBench::memoryProbe(argc, argv);
    PaintTimingApplication app(argc, argv);
    // A desktop session always has its runtime folder; without one Qt says so on every start
    // of the program the benchmark times.
    QTemporaryDir runtime(QDir::temp().filePath(QStringLiteral("zavoni-bench-runtime-XXXXXX")));
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR") && runtime.isValid()) {
        QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner
                                                  | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    }
    QStringList args = app.arguments().mid(1);
    bool ok = true;
    const int runs = args.value(0) == QLatin1String("--runs") ? args.value(1).toInt(&ok) : 21;
    args = args.mid(args.value(0) == QLatin1String("--runs") ? 2 : 0);
    QList<Results::Size> sizes;
    for (int i = 0; ok && runs > 0 && args.size() % 2 == 0 && i < args.size(); i += 2) {
        const qint64 persons = args.at(i + 1).toLongLong(&ok);
        if (ok && persons > 0)
            sizes << ProgramBench(app, args.at(i), persons, runs).run();
    }
    if (sizes.isEmpty() || sizes.size() * 2 != args.size()) {
        std::fprintf(stderr, "usage: zavoni_bench_program [--runs R] FILE N [FILE N ...]\n");
        return 2;
    }
    std::printf("%s", qPrintable(Results::markdown(sizes)));
    return 0;
}
