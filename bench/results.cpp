#include "results.h"

#include <QFile>
#include <QLocale>
#include <QTextStream>

namespace Results {

namespace {

QString number(double value)
{
    if (value < 0)
        return QStringLiteral("-");
    return QString::number(value, 'f', value < 10 ? 2 : 1);
}

QString persons(qint64 n)
{
    return QLocale::c().toString(n);
}

QString kindName(Kind kind)
{
    switch (kind) {
    case Kind::Startup:
        return QStringLiteral("startup");
    case Kind::Interactive:
        return QStringLiteral("interactive");
    case Kind::Extra:
        return QStringLiteral("extra");
    case Kind::Diagnostic:
        return QStringLiteral("diagnostic");
    }
    return {};
}

Kind kindOf(const QString &name)
{
    if (name == QLatin1String("startup"))
        return Kind::Startup;
    if (name == QLatin1String("extra"))
        return Kind::Extra;
    if (name == QLatin1String("diagnostic"))
        return Kind::Diagnostic;
    return Kind::Interactive;
}

double ratio(const Operation &op)
{
    return op.floorWall.median > 0 ? op.wall.median / op.floorWall.median : -1;
}

double cpuRatio(const Operation &op)
{
    return op.floorCpu.median > 0 ? op.cpu.median / op.floorCpu.median : -1;
}

// The verdict only means something at the size the targets are set for.
QString verdict(const Operation &op, qint64 n)
{
    if (n != TargetPersons)
        return QStringLiteral("-");
    bool met;
    if (op.kind == Kind::Startup || op.kind == Kind::Diagnostic)
        met = op.wall.median < TargetStartupMs;
    else
        met = op.wall.median < TargetMs && ratio(op) <= TargetRatio;
    if (op.kind == Kind::Diagnostic)
        return met ? QStringLiteral("would be met") : QStringLiteral("would be missed");
    return met ? QStringLiteral("met") : QStringLiteral("**missed**");
}

QString target(const Operation &op)
{
    if (op.kind == Kind::Startup || op.kind == Kind::Diagnostic)
        return QStringLiteral("< %1 ms").arg(TargetStartupMs);
    return QStringLiteral("< %1 ms, <= %2x").arg(TargetMs).arg(TargetRatio);
}

// Bytes a person beyond a fixed base, the base being a register of a
// thousand persons; with the engine's peak taken out, or not.
double growth(const Memory &m, qint64 n, bool withoutEngine)
{
    if (n <= m.basePersons)
        return -1;
    double kb = m.peakKb - m.basePeakKb;
    if (withoutEngine)
        kb -= m.engineKb - m.baseEngineKb;
    return kb * 1024.0 / double(n - m.basePersons);
}

} // namespace

bool write(const QString &fileName, const Size &size)
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QTextStream out(&file);
    out << "size\t" << size.persons << '\t' << size.runs << '\t' << size.fileMb << '\t'
        << size.sqliteVersion << '\n';
    for (const Operation &op : size.operations) {
        out << "op\t" << op.key << '\t' << kindName(op.kind) << '\t' << op.label << '\t'
            << op.wall.median << '\t' << op.wall.worst << '\t' << op.cpu.median << '\t'
            << op.cpu.worst << '\t' << op.paintCpu << '\t' << op.floorWall.median << '\t'
            << op.floorWall.worst << '\t' << op.floorCpu.median << '\t' << op.floorCpu.worst
            << '\n';
    }
    const Memory &m = size.memory;
    out << "memory\t" << m.peakKb << '\t' << m.engineKb << '\t' << m.basePersons << '\t'
        << m.basePeakKb << '\t' << m.baseEngineKb << '\n';
    return out.status() == QTextStream::Ok;
}

bool read(const QString &fileName, Size *size)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    *size = Size();
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QStringList f = in.readLine().split(QLatin1Char('\t'));
        if (f.value(0) == QLatin1String("size") && f.size() == 5) {
            size->persons = f[1].toLongLong();
            size->runs = f[2].toInt();
            size->fileMb = f[3].toDouble();
            size->sqliteVersion = f[4];
        } else if (f.value(0) == QLatin1String("op") && f.size() == 14) {
            Operation op;
            op.key = f[1];
            op.kind = kindOf(f[2]);
            op.label = f[3];
            op.wall = {f[4].toDouble(), f[5].toDouble()};
            op.cpu = {f[6].toDouble(), f[7].toDouble()};
            op.paintCpu = f[8].toDouble();
            op.floorWall = {f[9].toDouble(), f[10].toDouble()};
            op.floorCpu = {f[11].toDouble(), f[12].toDouble()};
            size->operations << op;
        } else if (f.value(0) == QLatin1String("memory") && f.size() == 6) {
            size->memory = {f[1].toLongLong(), f[2].toLongLong(), f[3].toLongLong(),
                            f[4].toLongLong(), f[5].toLongLong()};
        } else if (!f.value(0).isEmpty()) {
            return false;
        }
    }
    return size->persons > 0;
}

QString markdown(const QList<Size> &sizes)
{
    QString md;
    QTextStream out(&md);
    if (sizes.isEmpty())
        return md;
    const Size &first = sizes.first();
    const Size &last = sizes.last();

    out << "### Side by side\n\n";
    out << "Wall time, median of " << first.runs
        << " runs in ms, with the processor time of the same runs after the slash; the "
           "floor is the same data work through SQLite's C interface; ratio: program's wall "
           "median over the floor's. "
        << persons(last.persons) << " / " << persons(first.persons)
        << ": how much slower the step is on the largest register than on the smallest "
           "(about 1 when it does not depend on the register's size, near "
        << QString::number(double(last.persons) / double(first.persons), 'f', 0)
        << " when it grows with it).\n\n";
    out << "| Operation |";
    for (const Size &s : sizes)
        out << ' ' << persons(s.persons) << ": program | floor | ratio |";
    out << ' ' << persons(last.persons) << " / " << persons(first.persons)
        << " | Target | At " << persons(TargetPersons) << " |\n";
    out << "|---|";
    for (int i = 0; i < sizes.size(); ++i)
        out << "---:|---:|---:|";
    out << "---:|---|---|\n";
    for (int i = 0; i < first.operations.size(); ++i) {
        const Operation &op = first.operations.at(i);
        out << "| " << op.label << (op.kind == Kind::Extra ? " (beyond the issue's list)" : "")
            << " |";
        for (const Size &s : sizes) {
            const Operation &o = s.operations.value(i);
            out << ' ' << number(o.wall.median) << " / " << number(o.cpu.median) << " | "
                << number(o.floorWall.median) << " | " << number(ratio(o)) << " |";
        }
        const Operation &big = last.operations.value(i);
        out << ' '
            << QString::number(op.wall.median > 0 ? big.wall.median / op.wall.median : 0, 'f',
                               1)
            << " | " << target(op) << " | " << verdict(big, last.persons) << " |\n";
    }

    out << "\n### Memory\n\n";
    out << "Peak resident memory (VmHWM) of the program with the persons screen open, its "
           "first page painted and then its last. The engine's part is SQLite's own peak "
           "allocation (sqlite3_memory_highwater), almost all of it page cache, which "
           "cache_size bounds at 8 MiB a connection: it is counted in the fixed base. The "
           "base is the same process over a register of "
        << persons(first.memory.basePersons) << " persons.\n\n";
    out << "| Persons | VmHWM (MB) | of which the engine (MB) | Base VmHWM (MB) | Base engine "
           "(MB) | Growth a person (bytes) | Beyond the engine's cache (bytes) | Target (< "
        << TargetBytesPerPerson << " bytes beyond a fixed base) |\n";
    out << "|---:|---:|---:|---:|---:|---:|---:|---|\n";
    for (const Size &s : sizes) {
        const Memory &m = s.memory;
        const double beyond = growth(m, s.persons, true);
        out << "| " << persons(s.persons) << " | " << number(m.peakKb / 1024.0) << " | "
            << number(m.engineKb / 1024.0) << " | " << number(m.basePeakKb / 1024.0) << " | "
            << number(m.baseEngineKb / 1024.0) << " | "
            << number(growth(m, s.persons, false)) << " | " << number(beyond) << " | "
            << (s.persons != TargetPersons  ? QStringLiteral("-")
                : beyond < TargetBytesPerPerson ? QStringLiteral("met")
                                                : QStringLiteral("**missed**"))
            << " |\n";
    }
    if (sizes.size() > 1) {
        const double slope = (last.memory.peakKb - first.memory.peakKb) * 1024.0
                             / double(last.persons - first.persons);
        const double slopeBeyond = ((last.memory.peakKb - last.memory.engineKb)
                                    - (first.memory.peakKb - first.memory.engineKb))
                                   * 1024.0 / double(last.persons - first.persons);
        out << "\nFrom " << persons(first.persons) << " to " << persons(last.persons)
            << " persons the peak grows by " << number(slope) << " bytes a person, "
            << number(slopeBeyond) << " beyond the engine's cache.\n";
    }

    for (const Size &s : sizes) {
        out << "\n### " << persons(s.persons) << " persons in detail (" << number(s.fileMb)
            << " MB)\n\n";
        out << "SQLite " << s.sqliteVersion << "; " << s.runs
            << " runs of each step after one untimed run; ms. Painting: processor time to "
               "paint the same window again with nothing changed, the part of the step that "
               "does not depend on the data. CPU of the start-up: the child process's user "
               "and system time.\n\n";
        out << "| Operation | Wall median | Wall worst | CPU median | CPU worst | Painting | "
               "Floor wall median | Floor wall worst | Floor CPU median | Ratio wall | Ratio "
               "CPU | Target |\n";
        out << "|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---|\n";
        for (const Operation &op : s.operations) {
            out << "| " << op.label << " | " << number(op.wall.median) << " | "
                << number(op.wall.worst) << " | " << number(op.cpu.median) << " | "
                << number(op.cpu.worst) << " | " << number(op.paintCpu) << " | "
                << number(op.floorWall.median) << " | " << number(op.floorWall.worst) << " | "
                << number(op.floorCpu.median) << " | " << number(ratio(op)) << " | "
                << number(cpuRatio(op)) << " | " << verdict(op, s.persons) << " |\n";
        }
    }
    return md;
}

} // namespace Results
