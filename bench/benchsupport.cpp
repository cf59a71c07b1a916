#include "benchsupport.h"

#include "widgets/datacontrol.h"
#include "widgets/dbgrid.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

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
