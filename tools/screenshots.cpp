// Opens the start window and the four screens of the real program over a small
// register made here, and saves each window as a PNG for the README. Run it
// headless (QT_QPA_PLATFORM=offscreen) by tools/screenshots.sh.
#include "common/scriptedmessages.h"
#include "common/testregister.h"
#include "common/screensession.h"

#include "app/form1.h"
#include "app/romanian.h"
#include "app/screenchain.h"

#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QTest>

#include <cstdio>

namespace {

void fill(TestRegister &reg)
{
    const QVariantMap address = {{"Judet", "CLUJ"}, {"Localitate", "CLUJ-NAPOCA"},
                                 {"Strada", "MEMORANDUMULUI"}, {"Numar", "12"},
                                 {"Bloc", "B4"}, {"Scara", "2"}, {"Apartament", "31"}};
    QVariantMap ion = address;
    ion.insert({{"Serie_buletin", "KX"}, {"Numar_buletin", "482913"}, {"Initiala", "V"},
                {"Prenume", "ION"}, {"Porecla1", "VULPEA"}, {"Data_nasterii", "14.03.1961"},
                {"Functia", "DIRECTOR"}, {"Profesia", "INGINER"}});
    reg.addPerson("1610314120011", "POPESCU", "M", ion);
    reg.addPerson("2700922400027", "IONESCU", "F",
                  {{"Prenume", "MARIA"}, {"Initiala", "D"}, {"Judet", "BUCURESTI"},
                   {"Localitate", "BUCURESTI"}, {"sector", 3}, {"Functia", "CONTABIL SEF"}});
    reg.addPerson("1550707220038", "GEORGESCU", "M",
                  {{"Prenume", "VASILE"}, {"Initiala", "T"}, {"Porecla1", "PROFESORUL"},
                   {"Judet", "IASI"}, {"Localitate", "PASCANI"}});
    reg.addPerson("2811130050042", "STAN", "F", {{"Prenume", "ELENA"}, {"Initiala", "M"}});

    const qint64 bribe = reg.addOffence(
        "1610314120011", "LUARE DE MITĂ", "D",
        {{"Descriere", "A CERUT 5000 LEI PENTRU AVIZUL DE CONSTRUIRE."},
         {"Detenta1", "02.05.2019"}, {"Detenta2", "02.05.2022"}, {"Suspendare", 1}});
    reg.addOffence("1610314120011", "ABUZ ÎN FUNCTIE", "A",
                   {{"Descriere", "A ATRIBUIT UN CONTRACT FĂRĂ LICITATIE."},
                    {"Amenda", "12000"}, {"Ispasit", 1}});
    reg.addAccomplice("1700101120055", "MUNTEANU", "M", bribe,
                      {{"Prenume", "DAN"}, {"Initiala", "C"}, {"Porecla1", "SOFERUL"},
                       {"Judet", "CLUJ"}, {"Localitate", "TURDA"}});
    reg.addAccomplice("2750505120066", "RUSU", "F", bribe,
                      {{"Prenume", "ANA"}, {"Initiala", "P"}});
    reg.addArticle(bribe, "GAZETA DE CLUJ", "Directorul a fost prins în flagrant.",
                   {{"Autor", "A. MARIN"}, {"Data_aparitiei", "05.05.2019"}});
    reg.addArticle(bribe, "ZIUA DE NORD", "Ancheta continuă la primărie.",
                   {{"Autor", "R. DOBRE"}, {"Data_aparitiei", "12.05.2019"}});
}

bool save(QWidget *window, const QDir &folder, const QString &name)
{
    QApplication::processEvents();
    const QString path = folder.filePath(name + QStringLiteral(".png"));
    if (window && window->grab().save(path))
        return true;
    std::fprintf(stderr, "cannot save %s\n", qPrintable(path));
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const QDir folder(QDir::current().absoluteFilePath(QString::fromLocal8Bit(argv[1])));
    if (!folder.mkpath(QStringLiteral(".")))
        return 1;
    QLocale::setDefault(QLocale(QLocale::Romanian, QLocale::Romania));
    RomanianQtTexts romanian;
    app.installTranslator(&romanian);

    TestRegister reg;
    fill(reg);
    ScriptedMessages messages;
    ScreenChain chain;
    Form1 form1(&chain);
    form1.show();
    bool ok = UiDriver::activate(&form1) && save(&form1, folder, QStringLiteral("start"));

    UiDriver::click(&form1, QStringLiteral("Command1"));
    QWidget *persons = chain.screen(ScreenKind::Persons);
    ok = ok && save(persons, folder, QStringLiteral("persons"));
    UiDriver::click(persons, QStringLiteral("Command9"));
    QWidget *offences = chain.screen(ScreenKind::Offences);
    ok = ok && save(offences, folder, QStringLiteral("offences"));
    UiDriver::click(offences, QStringLiteral("Command7"));
    QWidget *accomplices = chain.screen(ScreenKind::Accomplices);
    ok = ok && save(accomplices, folder, QStringLiteral("accomplices"));
    accomplices->close();
    UiDriver::click(offences, QStringLiteral("Command8"));
    ok = ok && save(chain.screen(ScreenKind::Articles), folder, QStringLiteral("articles"));
    // A box the program did not expect would show on a screenshot as a wrong state.
    if (messages.count() != 0) {
        std::fprintf(stderr, "unexpected message: %s\n", qPrintable(messages.last().text));
        ok = false;
    }
    return ok ? 0 : 1;
}
