#include "app/form1.h"
#include "app/romanian.h"
#include "app/screenchain.h"
#include "app/startup.h"

#include <QApplication>
#include <QLocale>

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
    if (!displayNamed(argc, argv)) {
        std::fputs("Evidenta zavonilor are nevoie de un ecran grafic: nu este setată nici "
                   "DISPLAY, nici WAYLAND_DISPLAY. Porniți programul dintr-o sesiune grafică.\n"
                   "Evidenta zavonilor needs a graphical display: neither DISPLAY nor "
                   "WAYLAND_DISPLAY is set. Start it from a desktop session.\n",
                   stderr);
        return 1;
    }
    QApplication app(argc, argv);
    // The register reads the same on any machine: Romanian, whatever LANG says.
    QLocale::setDefault(QLocale(QLocale::Romanian, QLocale::Romania));
    RomanianQtTexts romanian;
    app.installTranslator(&romanian);
    const QString registerFile = QStringLiteral("Zavoni.mdb");
    if (!Startup::prepareRegister(registerFile))
        return 1;
    ScreenChain chain;
    Form1 form1(&chain);
    form1.warnIfReadableByOthers(registerFile);
    form1.show();
    return app.exec();
}
