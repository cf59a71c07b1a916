#include "results.h"

#include <QLocale>
#include <QTextStream>

#include <cstdio>

namespace Results {

namespace {

QString number(double value)
{
    return value <= 0 ? QStringLiteral("-") : QString::number(value, 'f', value < 10 ? 2 : 1);
}

QString persons(qint64 n)
{
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(n);
}

double ratio(const Operation &op)
{
    return op.floorWall > 0 ? op.wall / op.floorWall : -1;
}

QString target(const Target &t)
{
    if (t.ms <= 0)
        return QStringLiteral("-");
    const QString ratio = t.ratio > 0 ? QStringLiteral(", <= %1x").arg(t.ratio) : QString();
    return QStringLiteral("< %1 ms%2 at %3").arg(t.ms).arg(ratio, persons(t.persons));
}

// A verdict only at the size the target is set for, when it was measured.
QString verdict(const QList<Size> &sizes, int i)
{
    for (const Size &s : sizes) {
        const Operation &op = s.operations.at(i);
        if (s.persons == op.target.persons)
            return op.wall < op.target.ms
                           && (op.target.ratio <= 0 || ratio(op) <= op.target.ratio)
                       ? QStringLiteral("met")
                       : QStringLiteral("**missed**");
    }
    return QStringLiteral("-");
}

} // namespace

void Size::add(const char *key, const Target &target, int runs, const QString &label,
               const Measurement::Series &program, const Measurement::Series &floor)
{
    using Measurement::median;
    const Operation op{label, target, runs, median(program.wall), median(program.cpu),
                       median(floor.wall)};
    operations << op;
    std::fprintf(stderr, "    %-24s %8.2f ms, processor %.2f (floor %.2f)\n", key, op.wall,
                 op.cpu, op.floorWall);
}

QString markdown(const QList<Size> &sizes)
{
    QString md;
    QTextStream out(&md);
    if (sizes.isEmpty())
        return md;
    out << "### Steps\n\n"
           "Wall time, median of the runs in ms (their number after the step's name), with "
           "the processor time of the same runs after the slash; the floor is the same data "
           "work through SQLite's C interface (its wall median); ratio: the program's wall "
           "median over the floor's. A verdict is given only at the size its target is set "
           "for.\n\n| Operation |";
    for (const Size &s : sizes)
        out << ' ' << persons(s.persons) << ": program | floor | ratio |";
    out << " Target | Verdict |\n|---|" << QStringLiteral("---:|").repeated(3 * sizes.size())
        << "---|---|\n";
    const Size &first = sizes.first();
    for (int i = 0; i < first.operations.size(); ++i) {
        const Operation &op = first.operations.at(i);
        out << "| " << op.label << " (" << op.runs << ") |";
        for (const Size &s : sizes) {
            const Operation &o = s.operations.at(i);
            out << ' ' << number(o.wall) << " / " << number(o.cpu) << " | "
                << number(o.floorWall) << " | " << number(ratio(o)) << " |";
        }
        out << ' ' << target(op.target) << " | " << verdict(sizes, i) << " |\n";
    }

    out << "\n### Memory\n\n"
           "The program in a process of its own: its start, then the persons screen open with "
           "its first page painted and then its last (\"open\"), then its grid's scroll bar "
           "dragged to the middle (\"scrolled\"). Peak: VmHWM. Resident: VmRSS at that "
           "moment. SQLite's page cache, which cache_size bounds at 8 MiB a connection, is "
           "counted in the fixed base: the same process over a register of "
        << persons(first.memory.basePersons)
        << " persons. Growth: bytes a person beyond that base, the page cache taken out; "
           "target < 16 bytes a person.\n\n"
        << "| Persons | Peak (MB) | Resident open (MB) | Resident scrolled (MB) | Base peak / "
           "resident (MB) | Growth of the peak | Growth resident open | Growth resident "
           "scrolled |\n|---:|---:|---:|---:|---:|---:|---:|---:|\n";
    for (const Size &s : sizes) {
        const Memory &m = s.memory;
        // Bytes a person beyond the base register, the engine's page cache taken out:
        // cache_size bounds it, so it belongs to the fixed base. The base's own noise can
        // make it come out below zero.
        const auto growth = [&](qint64 kb, qint64 baseKb) {
            return s.persons <= m.basePersons
                       ? QStringLiteral("-")
                       : QString::number(double(kb - baseKb) * 1024.0
                                             / double(s.persons - m.basePersons), 'f', 1);
        };
        const auto mb = [](qint64 kb) { return number(kb / 1024.0); };
        out << "| " << persons(s.persons) << " | " << mb(m.open.peak) << " | "
            << mb(m.open.resident) << " | " << mb(m.scrolled.resident) << " | "
            << mb(m.baseOpen.peak) << " / " << mb(m.baseOpen.resident) << " | "
            << growth(m.open.peak - m.open.cachePeak, m.baseOpen.peak - m.baseOpen.cachePeak)
            << " | "
            << growth(m.open.resident - m.open.cacheNow,
                      m.baseOpen.resident - m.baseOpen.cacheNow)
            << " | "
            << growth(m.scrolled.resident - m.scrolled.cacheNow,
                      m.baseScrolled.resident - m.baseScrolled.cacheNow)
            << " |\n";
    }
    return md;
}

} // namespace Results
