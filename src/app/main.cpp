#include "app/form1.h"
#include "app/romanian.h"
#include "app/screenchain.h"
#include "app/startup.h"
#include "reports/dailycopy.h"

#include <QApplication>
#include <QLocale>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // The register reads the same on any machine: Romanian, whatever LANG says.
    QLocale::setDefault(QLocale(QLocale::Romanian, QLocale::Romania));
    RomanianQtTexts romanian;
    app.installTranslator(&romanian);
    if (!Startup::prepareRegister(QStringLiteral("Zavoni.mdb")))
        return 1;
    ScreenChain chain;
    Form1 form1(&chain);
    form1.show();
    DailyCopy::start(&form1, QStringLiteral("Zavoni.mdb"));
    return app.exec();
}
