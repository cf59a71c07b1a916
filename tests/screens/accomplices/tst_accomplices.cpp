#include "common/screensession.h"

#include <QtTest>
#include <QtWidgets>

namespace {

const QString Person = "1700101400011";
// The person's offences, in the order the offences screen lists them; codes 1 to 4.
enum Offence { Bribe, Theft, Forgery, Fraud };
const QString IonescuF = "2800202400021";   // bribe and theft; Bucharest, sector 3
const QString MarinescuF = "2800303400032"; // bribe; no sector
const QString VasileM = "1800404400043";    // bribe; Bucharest, sector 5
const QString DobreM = "1800505400054";     // theft
const QString StanF = "2900606400065";      // the only one of the fraud
const QString NewCnp = "1851212400076";
const QString Bribers = "IONESCU MARINESCU VASILE";

const QString Controls = "Command1 Command2 Command3 Command4 Command5 Command6 Command7 "
                         "Command8 Command9 Data1 DBGrid1 Text1 Combo1";
// What takes input: as opened, with "Toti" in force; after an edit,
// which enables the three filters; editing.
const QString Opened = "Command1 Command2 Command5 Command6 Command7 Command8 Data1 DBGrid1";
const QString Browse = "Command1 Command2 Command5 Command6 Command7 Command8 Command9 Data1 "
                       "DBGrid1";
const QString Editing = "Command3 Command4 Command6 Text1 Combo1";
const QString Exists = "! Există deja. Mai există un complice cu acest CNP ! Datele personale ale "
                       "complicelui vor fi preluate din vechea înregistrare. [OK]";
using Boxes::NoName, Boxes::ShortCnp;

// A person with four offences and their accomplices.
void fill(TestRegister &reg)
{
    reg.addPerson(Person, "POPESCU", "M", {{"Prenume", "ION"}});
    for (const QString type : {"LUARE DE MITĂ", "FURT", "UZ DE FALS", "ÎNSELĂCIUNE"})
        reg.addOffence(Person, type, "A");
    reg.addAccomplice(IonescuF, "IONESCU", "F", 1 + Bribe,
                      {{"Localitate", "BUCURESTI"}, {"sector", 3}});
    reg.addAccomplice(MarinescuF, "MARINESCU", "F", 1 + Bribe,
                      {{"Localitate", "CLUJ-NAPOCA"}, {"Prenume", "ANA"}});
    reg.addAccomplice(VasileM, "VASILE", "M", 1 + Bribe,
                      {{"Localitate", "BUCURESTI"}, {"sector", 5}});
    reg.addAccomplice(IonescuF, "IONESCU", "F", 1 + Theft);
    reg.addAccomplice(DobreM, "DOBRE", "M", 1 + Theft, {{"Porecla1", "DUDU"}});
    reg.addAccomplice(StanF, "STAN", "F", 1 + Fraud);
}

// The names in the grid and the counter: "DOBRE IONESCU (2/2)".
QString list(const ScreenSession &s)
{
    QAbstractItemModel *model = s.form()->findChild<QTableView *>("DBGrid1")->model();
    QStringList names;
    for (int row = 0; row < model->rowCount(); ++row)
        names << model->index(row, 0).data().toString();
    return (names.join(' ') + " (" + s.counter() + ")").trimmed();
}

// The current accomplice: name, sex, sector, the sector in brackets when disabled.
QString current(const ScreenSession &s)
{
    const QString sector = s.text("Combo2");
    const bool on = s.form()->findChild<QWidget *>("Combo2")->isEnabled();
    return s.text("Text4") + " " + s.text("Combo1") + " " + (on ? sector : "[" + sector + "]");
}

// The recorded accomplice (name, sex, locality, sector) and the offences linked to it.
QString stored(TestRegister &reg, const QString &cnp)
{
    return reg.value("SELECT ifnull((SELECT printf('%s|%s|%s|%s', Nume, sex, Localitate, "
                     "sector) FROM TBL_Complici WHERE CNP = ?), '') || ifnull(' @' || "
                     "(SELECT group_concat(cod_infractiune) FROM TBL_Complicitate "
                     "WHERE CNP = ?), '')", {cnp, cnp}).toString();
}

} // namespace

class TestAccomplices : public QObject
{
    Q_OBJECT

private slots:
    void operatorScripts_data();
    void operatorScripts()
    {
        QFETCH(QString, state);
        ScreenSession s;
        fill(s.reg);
        QVERIFY(s.open(ScreenKind::Accomplices, 0, cell<int>("offence")));
        s.run(cell<QString>("script"));

        QTEST(s.boxes(), "boxes");
        QCOMPARE(s.state(Controls), state);
        QTEST(stored(s.reg, cell<QString>("cnp")), "stored");
        QTEST(s.reg.count("TBL_Complicitate"), "links");
        QTEST(list(s), "list");
        QTEST(current(s), "current");
    }

};

void TestAccomplices::operatorScripts_data()
{
    columns<int, QString, QString, QString, QString, QString, QString, QString, int>(
        "offence", "script", "boxes", "state", "list", "current", "cnp", "stored", "links");
    const auto row = [](const char *tag, Offence offence, const QString &script,
                        const QString &boxes, const QString &state, const QString &list,
                        const QString &current, const QString &cnp, const QString &stored,
                        int links) {
        QTest::newRow(tag) << int(offence) << script << boxes << state << list << current << cnp
                           << stored << links;
    };
    const QString ionescu = "IONESCU|F|BUCURESTI|3 @1,2";
    const QString marinescu = "MARINESCU|F|CLUJ-NAPOCA| @1";

    // The sex filters; a row without a sector leaves the list showing the one before.
    row("opened", Bribe, "", "", Opened, Bribers + " (1/3)", "IONESCU F 3", IonescuF, ionescu, 6);
    row("women", Bribe, "Command7", "", "Command1 Command2 Command5 Command6 Command8 Command9 "
        "Data1 DBGrid1", "IONESCU MARINESCU (1/2)", "IONESCU F 3", IonescuF, ionescu, 6);
    row("women, then all", Bribe, "Command7|Command9", "", Opened, Bribers + " (1/3)",
        "IONESCU F 3", IonescuF, ionescu, 6);
    row("shared with another offence", Theft, "Command7", "", "Command1 Command2 Command5 "
        "Command6 Command8 Command9 Data1 DBGrid1", "IONESCU (1/1)", "IONESCU F 3", IonescuF,
        ionescu, 6);
    row("no sector", Theft, "Next", "", Opened, "IONESCU DOBRE (2/2)", "DOBRE M [3]", DobreM,
        "DOBRE|M|| @2", 6);
    row("no accomplices", Forgery, "", "", "Command1 Command6 Command7 Command8", "(0/0)", " M [1]",
        NewCnp, "", 6);
    row("filter matching none", Fraud, "Command8", "", "Command1 Command6 Command7 Command9",
        "(0/0)", " F [1]", StanF, "STAN|F|| @4", 6);

    // Adding stores the accomplice, then its link; "Adaugă" presets M and sector 1.
    const QString add = "Command1|Text1=" + NewCnp + "|";
    row("add", Theft, add + "Text4=georgescu|Command3", "", Browse, "IONESCU DOBRE GEORGESCU (3/3)",
        "GEORGESCU M [1]", NewCnp, "GEORGESCU|M||1 @2", 7);
    row("add in sector 4, a woman", Theft,
        add + "Text4=georgescu|Text11=bucuresti|Combo1=F|Combo2=4|Command3", "", Browse,
        "IONESCU DOBRE GEORGESCU (3/3)", "GEORGESCU F 4", NewCnp, "GEORGESCU|F|BUCURESTI|4 @2", 7);
    // Only the save that passes the checks stores a link, with its own CNP.
    row("no name twice, then a name", Bribe,
        "Command1|Text1=2991111400087|Command3|Command3|Text1=" + NewCnp + "|Text6=ana|Command3",
        NoName + " / " + NoName, Browse, Bribers + "  (4/4)", " M [1]", NewCnp, "|M||1 @1", 7);
    // A recorded CNP: the accomplice as recorded, linked once to this offence.
    const QString other = "|Text4=altcineva|Text11=bucuresti|Combo2=6|Command3";
    row("recorded for another offence", Bribe, "Command1|Text1=" + DobreM + other, Exists,
        Browse, Bribers + " DOBRE (4/4)", "DOBRE M [3]", DobreM, "DOBRE|M|| @2,1", 7);
    row("already an accomplice of this offence", Bribe, "Command1|Text1=" + VasileM + other,
        Exists, Browse, Bribers + " (3/3)", "VASILE M 5", VasileM, "VASILE|M|BUCURESTI|5 @1", 6);
    row("recorded, a filter in force", Bribe, "Command7|Command1|Text1=" + DobreM + other, Exists,
        Browse, "IONESCU MARINESCU (2/2)", "MARINESCU F [3]", DobreM, "DOBRE|M|| @2,1", 7);
    // Modifying: the last row current; the CNP of another accomplice stores nothing.
    row("modify", Bribe, "Next|Command2|Text4=marin|Combo1=M|Command3", "", Browse,
        "IONESCU MARIN VASILE (3/3)", "VASILE M 5", MarinescuF, "MARIN|M|CLUJ-NAPOCA|3 @1", 6);
    row("modify to a recorded CNP", Bribe,
        "Next|Command2|Text1=" + IonescuF + "|Text4=marin|Combo1=M|Command3", Exists, Browse,
        Bribers + " (3/3)", "VASILE M 5", MarinescuF, marinescu, 6);

    // Leaving an add; removing an accomplice from the offence.
    const QString typed = add + "Text4=nesalvat|";
    const QString askDelete = Boxes::askDelete("acest complice");
    row("Anulează", Bribe, typed + "Command4", "", Browse, Bribers + " (1/3)", "IONESCU F 3",
        NewCnp, "", 6);
    row("delete a shared one", Bribe, "?yes|Command5", askDelete, Opened,
        "MARINESCU VASILE (2/2)", "VASILE M 5", IonescuF, "IONESCU|F|BUCURESTI|3 @2", 5);
    row("delete the only one", Fraud, "?yes|Command5", askDelete,
        "Command1 Command6 Command7 Command8", "(0/0)", " F [1]", StanF, "", 5);
}

QTEST_MAIN(TestAccomplices)
#include "tst_accomplices.moc"
