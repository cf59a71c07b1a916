// zavoni_generate FILE N [seed]: writes a synthetic register of N persons.
// zavoni_generate --check FILE N: whether FILE is such a register, as this
// version of the program keeps it.

#include "registergenerator.h"

#include "data/registerfile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>

#include <cstdio>
#include <ctime>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args.at(1) == QLatin1String("--check")) {
        QString problem;
        if (RegisterGenerator::check(args.at(2), args.at(3).toLongLong(), &problem))
            return 0;
        std::fprintf(stderr, "zavoni_generate: %s: %s\n", qPrintable(args.at(2)),
                     qPrintable(problem));
        return 1;
    }
    bool sizeOk = false, seedOk = true;
    const qint64 persons = args.size() >= 3 ? args.at(2).toLongLong(&sizeOk) : 0;
    const quint64 seed = args.size() >= 4 ? args.at(3).toULongLong(&seedOk) : 1;
    if (args.size() < 3 || args.size() > 4 || !sizeOk || !seedOk || persons < 0) {
        std::fprintf(stderr, "usage: zavoni_generate FILE N [seed]\n"
                             "       zavoni_generate --check FILE N\n");
        return 2;
    }
    const QString fileName = args.at(1);

    QElapsedTimer timer;
    timer.start();
    const std::clock_t cpuStart = std::clock();
    RegisterGenerator::Counts counts;
    QString problem;
    if (!RegisterGenerator::generate(fileName, persons, seed, &counts, &problem)) {
        std::fprintf(stderr, "zavoni_generate: %s\n", qPrintable(problem));
        return 1;
    }
    const double seconds = timer.nsecsElapsed() / 1e9;
    const double cpuSeconds = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;

    // The program must take the result for one of its own registers.
    const RegisterFile::Check check = RegisterFile::inspect(fileName);
    if (check.status != RegisterFile::Status::Ok) {
        std::fprintf(stderr, "zavoni_generate: %s\n", qPrintable(check.problem));
        return 1;
    }
    std::printf("persons %lld, offences %lld, accomplices %lld, links %lld, articles %lld\n",
                counts.persons, counts.offences, counts.accomplices, counts.links,
                counts.articles);
    std::printf("generated in %.1f s (processor %.1f s), file %.1f MB\n", seconds, cpuSeconds,
                QFileInfo(fileName).size() / 1048576.0);
    return 0;
}
