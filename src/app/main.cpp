#include "app/serverstart.h"
#include "app/startup.h"

#include <QCoreApplication>
#include <QtGlobal>

#include <cstdio>
#include <cstring>

namespace {

// Qt's window-system plug-in aborts, in English, when it finds no display. Told
// which one to use, Qt is left to judge; else it needs an X or a Wayland display.
bool displayNamed(int argc, char *argv[])
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return true;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0)
            return true;
    }
    return !qEnvironmentVariableIsEmpty("DISPLAY")
           || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

} // namespace

int main(int argc, char *argv[])
{
    // Building the register on a server, or copying a file into it, is done
    // from a terminal, with no display.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--create") == 0
            || std::strcmp(argv[i], "--copy-to-server") == 0) {
            QCoreApplication app(argc, argv);
            return ServerStart::fromTerminal(app.arguments());
        }
    }
    if (!displayNamed(argc, argv)) {
        std::fputs("Evidenta zavonilor are nevoie de un ecran grafic: nu este setată nici "
                   "DISPLAY, nici WAYLAND_DISPLAY. Porniți programul dintr-o sesiune grafică.\n"
                   "Evidenta zavonilor needs a graphical display: neither DISPLAY nor "
                   "WAYLAND_DISPLAY is set. Start it from a desktop session.\n",
                   stderr);
        return 1;
    }
    return Startup::run(argc, argv);
}
