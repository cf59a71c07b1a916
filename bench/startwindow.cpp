// zavoni_bench_start [--without-sweep]: the program's own start, from main()
// until the start window has been painted, run in a folder that holds
// Zavoni.mdb. The benchmark times it as a child process from its start to its
// exit code. It ends as soon as the window is painted: what follows is the
// operator's. --without-sweep leaves out the removal of orphan accomplices,
// to show what that step costs; the program never starts so.

#include "app/form1.h"
#include "app/romanian.h"
#include "app/screenchain.h"
#include "app/startup.h"
#include "data/registerfile.h"
#include "screens/common/messages.h"

#include <QApplication>
#include <QEvent>
#include <QLocale>

#include <cstdio>
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

    // What main() does, up to the event loop.
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Romanian, QLocale::Romania));
    RomanianQtTexts romanian;
    app.installTranslator(&romanian);
    const QString registerName = QStringLiteral("Zavoni.mdb");
    if (app.arguments().contains(QLatin1String("--without-sweep"))) {
        if (RegisterFile::inspect(registerName).status != RegisterFile::Status::Ok)
            return 1;
    } else if (!Startup::prepareRegister(registerName)) {
        return 1;
    }
    ScreenChain chain;
    Form1 form1(&chain);
    PaintWatch watch;
    form1.installEventFilter(&watch);
    form1.show();
    // The event loop's first passes expose the window and paint it.
    for (int pass = 0; pass < 100 && !watch.painted; ++pass)
        QCoreApplication::processEvents();
    if (!watch.painted || !form1.isVisible())
        return 3;
    _exit(0);
}
