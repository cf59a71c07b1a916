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
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(n);
}

double ratio(const Operation &op)
{
    return op.floorWall.median > 0 ? op.wall.median / op.floorWall.median : -1;
}

// The step's own work beside the floor: its wall time less its painting.
double unpaintedRatio(const Operation &op)
{
    if (op.floorWall.median <= 0 || op.paintCpu < 0)
        return -1;
    return qMax(0.0, op.wall.median - op.paintCpu) / op.floorWall.median;
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

// Bytes a person beyond the base register, the engine's page cache taken
// out: cache_size bounds it, so it belongs to the fixed base.
double growth(qint64 n, qint64 basePersons, qint64 kb, qint64 baseKb)
{
    if (n <= basePersons)
        return -1;
    return double(kb - baseKb) * 1024.0 / double(n - basePersons);
}

// A growth may come out below zero: the base's own noise is larger than it.
QString bytes(double value, qint64 n, qint64 basePersons)
{
    return n <= basePersons ? QStringLiteral("-") : QString::number(value, 'f', 1);
}

double peakGrowth(const Memory &m, qint64 n)
{
    return growth(n, m.basePersons, m.open.peak - m.open.cachePeak,
                  m.baseOpen.peak - m.baseOpen.cachePeak);
}

double residentGrowth(const Reading &r, const Reading &base, qint64 n, qint64 basePersons)
{
    return growth(n, basePersons, r.resident - r.cacheNow, base.resident - base.cacheNow);
}

QString mb(qint64 kb)
{
    return number(kb / 1024.0);
}

QString reading(const Reading &r)
{
    return QString::number(r.peak) + QLatin1Char('\t') + QString::number(r.resident)
           + QLatin1Char('\t') + QString::number(r.cachePeak) + QLatin1Char('\t')
           + QString::number(r.cacheNow);
}

Reading readingAt(const QStringList &f, int at)
{
    return {f.value(at).toLongLong(), f.value(at + 1).toLongLong(),
            f.value(at + 2).toLongLong(), f.value(at + 3).toLongLong()};
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
        out << "op\t" << op.key << '\t' << int(op.kind) << '\t' << op.label << '\t'
            << op.wall.median << '\t' << op.wall.worst << '\t' << op.cpu.median << '\t'
            << op.cpu.worst << '\t' << op.paintCpu << '\t' << op.floorWall.median << '\t'
            << op.floorWall.worst << '\t' << op.floorCpu.median << '\t' << op.floorCpu.worst
            << '\n';
    }
    const Memory &m = size.memory;
    out << "memory\t" << m.basePersons << '\t' << reading(m.baseOpen) << '\t'
        << reading(m.baseScrolled) << '\t' << reading(m.open) << '\t' << reading(m.scrolled)
        << '\n';
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
        } else if (f.value(0) == QLatin1String("op") && f.size() == 13) {
            Operation op;
            op.key = f[1];
            op.kind = Kind(f[2].toInt());
            op.label = f[3];
            op.wall = {f[4].toDouble(), f[5].toDouble()};
            op.cpu = {f[6].toDouble(), f[7].toDouble()};
            op.paintCpu = f[8].toDouble();
            op.floorWall = {f[9].toDouble(), f[10].toDouble()};
            op.floorCpu = {f[11].toDouble(), f[12].toDouble()};
            size->operations << op;
        } else if (f.value(0) == QLatin1String("memory") && f.size() == 18) {
            size->memory = {f[1].toLongLong(), readingAt(f, 2), readingAt(f, 6),
                            readingAt(f, 10), readingAt(f, 14)};
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
    out << "The program in a process of its own: its start, then the persons screen open with "
           "its first page painted and then its last (\"open\"), then its grid's scroll bar "
           "dragged to the middle (\"scrolled\", beyond the issue's list). Peak: VmHWM. "
           "Resident: VmRSS at that moment. Page cache: SQLite's, which cache_size bounds "
           "at 8 MiB a connection; it is counted in the fixed base and taken out of the "
           "growth. The base is the same process over a register of "
        << persons(first.memory.basePersons)
        << " persons. Growth: bytes a person beyond that base, the page cache taken out.\n\n";
    out << "| Persons | Peak (MB) | of which page cache at its peak (MB) | Resident open (MB) "
           "| of which page cache (MB) | Resident scrolled (MB) | Base peak / resident (MB) | "
           "Growth of the peak | Growth resident open | Growth resident scrolled | Target (< "
        << TargetBytesPerPerson << " bytes a person) |\n";
    out << "|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---|\n";
    for (const Size &s : sizes) {
        const Memory &m = s.memory;
        const double peak = peakGrowth(m, s.persons);
        out << "| " << persons(s.persons) << " | " << mb(m.open.peak) << " | "
            << mb(m.open.cachePeak) << " | " << mb(m.open.resident) << " | "
            << mb(m.open.cacheNow) << " | " << mb(m.scrolled.resident) << " | "
            << mb(m.baseOpen.peak) << " / " << mb(m.baseOpen.resident) << " | "
            << bytes(peak, s.persons, m.basePersons) << " | "
            << bytes(residentGrowth(m.open, m.baseOpen, s.persons, m.basePersons), s.persons,
                     m.basePersons)
            << " | "
            << bytes(residentGrowth(m.scrolled, m.baseScrolled, s.persons, m.basePersons),
                     s.persons, m.basePersons)
            << " | "
            << (s.persons != TargetPersons    ? QStringLiteral("-")
                : peak < TargetBytesPerPerson ? QStringLiteral("met")
                                              : QStringLiteral("**missed**"))
            << " |\n";
    }

    for (const Size &s : sizes) {
        out << "\n### " << persons(s.persons) << " persons in detail (" << number(s.fileMb)
            << " MB)\n\n";
        out << "SQLite " << s.sqliteVersion << "; " << s.runs
            << " runs of each step after one untimed run; ms. Painting: median time the "
               "step spent in paint events (the widgets it changed repainting), which its "
               "floor has no counterpart for; ratio unpainted: wall median less painting, "
               "over the floor. CPU of the start-up: the child process's user and system "
               "time.\n\n";
        out << "| Operation | Wall median | Wall worst | CPU median | CPU worst | Painting | "
               "Floor wall median | Floor wall worst | Floor CPU median | Ratio wall | Ratio "
               "CPU | Ratio unpainted | Target |\n";
        out << "|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---|\n";
        for (const Operation &op : s.operations) {
            out << "| " << op.label << " | " << number(op.wall.median) << " | "
                << number(op.wall.worst) << " | " << number(op.cpu.median) << " | "
                << number(op.cpu.worst) << " | " << number(op.paintCpu) << " | "
                << number(op.floorWall.median) << " | " << number(op.floorWall.worst) << " | "
                << number(op.floorCpu.median) << " | " << number(ratio(op)) << " | "
                << number(cpuRatio(op)) << " | " << number(unpaintedRatio(op)) << " | "
                << verdict(op, s.persons) << " |\n";
        }
    }
    return md;
}

} // namespace Results
