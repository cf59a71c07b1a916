// zavoni_bench_start: the program's own start in a folder that holds Zavoni.mdb, timed by the
// benchmark as a process from its creation to its exit code. It ends as soon as the start
// window is painted: what follows is the operator's. A program of its own: the benchmark's
// libraries would slow its start.

#include "app/startup.h"
#include "screens/common/messages.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

#include <cstdio>
#include <unistd.h>

namespace {

struct PaintWatch : QObject
{
    bool painted = false;

    bool eventFilter(QObject *, QEvent *event) override
    {
        painted = painted || event->type() == QEvent::Paint;
        return false;
    }
};

} // namespace

int main(int argc, char *argv[])
{
    // A message box here would wait for a person: the register is not usable.
    Messages::setHandler([](QWidget *, const Messages::Request &request) -> Messages::Answer {
        std::fprintf(stderr, "zavoni_bench_start: %s\n", qPrintable(request.text));
        _exit(2);
    });
    Startup::Options options;
    options.loop = [](QWidget *form1) -> int {
        PaintWatch watch;
        form1->installEventFilter(&watch);
        // The event loop's first passes expose the window and paint it.
        for (int pass = 0; pass < 100 && !watch.painted; ++pass)
            QCoreApplication::processEvents();
        _exit(watch.painted && form1->isVisible() ? 0 : 3);
    };
    return Startup::run(argc, argv, options);
}
