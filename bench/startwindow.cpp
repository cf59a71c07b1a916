// zavoni_bench_start [--without-sweep]: the program's own start, from main()
// until the start window has been painted, run in a folder that holds
// Zavoni.mdb. The benchmark times it as a child process from its start to its
// exit code. It ends as soon as the window is painted: what follows is the
// operator's. --without-sweep leaves out the removal of orphan accomplices,
// to show what that step costs; the program never starts so.

#include "app/startup.h"
#include "screens/common/messages.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

class PaintWatch : public QObject
{
public:
    bool painted = false;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted = true;
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

int main(int argc, char *argv[])
{
    // A message box here would wait for a person: the register is not usable.
    Messages::setHandler([](QWidget *, const Messages::Request &request) {
        std::fprintf(stderr, "zavoni_bench_start: %s\n", qPrintable(request.text));
        std::fflush(stderr);
        _exit(2);
        return Messages::Answer::No;
    });
    Startup::Options options;
    options.sweep = !(argc > 1 && std::strcmp(argv[1], "--without-sweep") == 0);
    options.loop = [](QWidget *form1) {
        PaintWatch watch;
        form1->installEventFilter(&watch);
        // The event loop's first passes expose the window and paint it.
        for (int pass = 0; pass < 100 && !watch.painted; ++pass)
            QCoreApplication::processEvents();
        if (!watch.painted || !form1->isVisible())
            return 3;
        _exit(0);
    };
    return Startup::run(argc, argv, options);
}
