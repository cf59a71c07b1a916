#include "common/screensession.h"
#include "data/recordset.h"
#include "screens/common/lockablecombobox.h"
#include "widgets/datacontrol.h"

#include <QTest>
#include <QWheelEvent>

namespace {

const QString Controls = "Command1 Command2 Command3 Command4 Command5 Command6 Command9 "
                         "Command11 Command13 Command12 Data1 DBGrid1";
const QString Browse = "Command1 Command2 Command5 Command6 Command9 Command11 Command13 Data1 "
                       "DBGrid1";
const QString BrowseEmpty = "Command1 Command6 Command11 Command13 DBGrid1";
const QString Editing = "Command3 Command4 Command6";
const QString NewCnp = "2791231123456";
const QString P0 = "1800101123400", P1 = "1800101123401";
const QString Emoji = "\U0001F600";

const QString MissingCnp = "x Cheia primară. Obligatoriu trebuie specificat CNP-ul ! [OK]";
const QString Duplicate = "! CNP identic. Mai există un zavon cu acest CNP ! [OK]";
const QString AskDelete = Boxes::askDelete("acest zavon");
using Boxes::AskClose, Boxes::NoName, Boxes::ShortCnp;

// P0 a man in sector 1, P1 a woman in sector 2, the third a man without a CNP.
void addPersons(TestRegister &reg, int persons)
{
    if (persons > 0)
        reg.addPerson(P0, "P0", "M", {{"sector", 1}});
    if (persons > 1)
        reg.addPerson(P1, "P1", "F", {{"sector", 2}});
    if (persons > 2)
        reg.addPerson("", "", "M", {{"Prenume", "ION"}});
}

// The stored person, one text: Nume|Prenume|Porecla2|Localitate|sex|sector.
QString stored(TestRegister &reg, const QString &cnp)
{
    return reg.value("SELECT ifnull(Nume, '') || '|' || ifnull(Prenume, '') || '|' "
                     "|| ifnull(Porecla2, '') || '|' || ifnull(Localitate, '') || '|' "
                     "|| ifnull(sex, '') || '|' || ifnull(sector, '') "
                     "FROM TBL_Zavoni WHERE CNP_C = ?", {cnp}).toString();
}

} // namespace

class TestPersons : public QObject
{
    Q_OBJECT

private slots:
    void operatorScripts_data();
    void operatorScripts()
    {
        QFETCH(int, persons);
        QFETCH(QString, state);
        QFETCH(QString, focus);
        ScreenSession s;
        addPersons(s.reg, persons);
        QVERIFY(s.open(ScreenKind::Persons));
        QCOMPARE(s.focus(), QStringLiteral("Command1"));
        QFETCH(QString, script);
        s.run(script);

        QTEST(s.boxes(), "boxes");
        if (!focus.isEmpty())
            QCOMPARE(s.focus(), focus);
        QCOMPARE(s.state(Controls), state);
        QFETCH(QString, cnp);
        QTEST(stored(s.reg, cnp), "stored");
        if (state == "closed")
            return;
        QTEST(s.counter(), "counter");
        const QVariant sex = s.form()->findChild<DataControl *>("Data1")->recordset()->value("sex");
        QTEST(sex.toString(), "sex");
        if (state == Browse)
            QCOMPARE(s.text("Combo1"), sex.toString());
    }

    void browsingStoresNothing_data()
    {
        QTest::addColumn<QString>("sex");
        QTest::addColumn<QVariant>("sector");
        QTest::addColumn<QString>("sexShown");
        QTest::addColumn<QString>("sectorShown");

        QTest::newRow("values of the lists") << "F" << QVariant(5) << "F" << "5";
        QTest::newRow("lower-case sex") << "f" << QVariant(3) << "" << "3";
        QTest::newRow("no sector") << "F" << QVariant() << "F" << "";
        QTest::newRow("sector 9") << "M" << QVariant(9) << "M" << "";
    }

    void browsingStoresNothing()
    {
        QFETCH(QString, sex);
        QFETCH(QVariant, sector);
        ScreenSession s;
        s.reg.addPerson(P0, "popescu ", "F", {{"Localitate", "Bucuresti"}, {"sector", 6}});
        s.reg.addPerson(P1, "B", sex, {{"Localitate", "Iasi"}, {"sector", sector}});
        QVERIFY(s.open(ScreenKind::Persons));
        QCOMPARE(s.state("Combo2"), QString());
        // Tabbing through locked boxes shows the normal form...
        UiDriver::focus(s.form(), "Text4");
        UiDriver::focus(s.form(), "Text6");
        QCOMPARE(s.text("Text4"), QStringLiteral("POPESCU"));

        s.run("Last");
        QCOMPARE(s.text("Text4"), QStringLiteral("B"));
        QTEST(s.text("Combo1"), "sexShown");
        QTEST(s.text("Combo2"), "sectorShown");
        QVERIFY(!s.form()->findChild<QWidget *>("Combo2")->isEnabled());
        s.run("First");
        QCOMPARE(s.text("Combo2"), QStringLiteral("6"));
        // ...but only shows it.
        QCOMPARE(s.text("Text4"), QStringLiteral("popescu "));
        QCOMPARE(stored(s.reg, P0), QStringLiteral("popescu |||Bucuresti|F|6"));
        QCOMPARE(stored(s.reg, P1), "B|||Iasi|" + sex + "|" + sector.toString());
    }

    void fieldRules_data();
    void fieldRules()
    {
        QFETCH(bool, accomplices);
        QFETCH(QString, box);
        QFETCH(QString, typed);
        ScreenSession s;
        addPersons(s.reg, 1);
        s.reg.addOffence(P0, "FURT", "A");
        QVERIFY(s.open(accomplices ? ScreenKind::Accomplices : ScreenKind::Persons));
        const QString locality = accomplices ? "Text11" : "Text13";
        s.run("Command1|" + locality + "=bucuresti|Combo2=3|" + box + "=" + typed);
        QCOMPARE(s.text(box), typed);
        QTEST(s.form()->findChild<QWidget *>("Combo2")->isEnabled(), "sectorEnabled");
        UiDriver::focus(s.form(), accomplices ? "Combo1" : "Text6");
        QTEST(s.text(box), "shown");
        // The rule never touches the value itself.
        QCOMPARE(s.text("Combo2"), QStringLiteral("3"));
    }

    void lockedListRefuses_data()
    {
        QTest::addColumn<QString>("input");
        QTest::newRow("arrow key") << "down";
        QTest::newRow("letter key") << "F";
        QTest::newRow("wheel") << "wheel";
    }

    // While browsing the sex list shows the person's sex and takes the focus, but
    // no key and no wheel changes it; in edit mode the same input does.
    void lockedListRefuses()
    {
        QFETCH(QString, input);
        ScreenSession s;
        addPersons(s.reg, 1);
        QVERIFY(s.open(ScreenKind::Persons));
        auto *list = s.form()->findChild<LockableComboBox *>("Combo1");
        const auto send = [&] {
            UiDriver::focus(s.form(), "Combo1");
            if (input == "down") {
                QTest::keyClick(list, Qt::Key_Down);
            } else if (input == "wheel") {
                const QPointF at = list->rect().center();
                QWheelEvent wheel(at, list->mapToGlobal(at), {}, {0, -120}, Qt::NoButton,
                                  Qt::NoModifier, Qt::NoScrollPhase, false);
                QApplication::sendEvent(list, &wheel);
            } else {
                QTest::keyClicks(list, input);
            }
        };
        QVERIFY(list->isLocked());
        send();
        QCOMPARE(list->currentText(), QStringLiteral("M"));
        s.run("Command2");
        QVERIFY(!list->isLocked());
        send();
        QCOMPARE(list->currentText(), QStringLiteral("F"));
    }
};

void TestPersons::operatorScripts_data()
{
    columns<int, QString, QString, QString, QString, QString, QString, QString, QString>(
        "persons", "script", "boxes", "focus", "state", "counter", "sex", "cnp", "stored");
    const auto row = [](const char *tag, int persons, const QString &script, const QString &boxes,
                        const QString &focus, const QString &state, const QString &counter,
                        const QString &sex, const QString &cnp, const QString &stored) {
        QTest::newRow(tag) << persons << script << boxes << focus << state << counter << sex
                           << cnp << stored;
    };
    const QString p0 = "P0||||M|1";
    row("empty table", 0, "", "", "", BrowseEmpty, "0/0", "", P0, "");
    row("women, then men", 3, "Command11|Command13", "", "", "Command1 Command2 Command5 Command6 "
        "Command9 Command11 Command12 Data1 DBGrid1", "1/2", "M", P0, p0);
    row("no woman", 1, "Command11", "", "", "Command1 Command6 Command13 Command12 DBGrid1", "0/0",
        "", P0, p0);
    // An edit ended with no rows leaves the grid off; a filter bringing rows
    // back enables the navigator only, the end of the next edit the grid.
    const QString empty = "Command11|Command1|Command4|Command12";
    row("rows back after an empty edit", 1, empty, "", "", "Command1 Command2 Command5 Command6 "
        "Command9 Command11 Command13 Data1", "1/1", "M", P0, p0);
    row("then an edit ends", 1, empty + "|Command2|Command4", "", "", Browse, "1/1", "M", P0, p0);

    // "Salvează": the checks in their order, each leaving the screen in edit mode.
    // Leaving the CNP box writes 0 there: only a stored empty CNP, never entered, is missing.
    row("CNP never entered", 3, "Last|Command2|Text6=|Combo1=F|Command3", MissingCnp, "Text1",
        Editing, "3/3", "M", "", "|ION|||M|");
    row("CNP left empty", 3, "Command1|Text1=|Command3", ShortCnp, "Text1", Editing, "1/3", "",
        NewCnp, "");
    // Sex and sector are in the pending row although the names check failed after them.
    row("no name", 3, "Command1|Text1=" + NewCnp + "|Combo1=F|Command3", NoName, "Text4", Editing,
        "1/3", "F", NewCnp, "");
    row("an empty cell pasted as the name", 3, "Command1|Text1=" + NewCnp + "|Text4=^\r\n|Command3",
        NoName, "Text4", Editing, "1/3", "M", NewCnp, "");
    row("CNP written out longer than a CNP", 3, "Command1|Text1=9e14|Text4", "! Cheia primară. "
        "Valoarea 900000000000000 are 15 caractere, dar câmpul poate avea cel mult 13. Corectați "
        "ce ați introdus. [OK]", "Text1", Editing, "1/3", "", NewCnp, "");

    // Storing, from the woman in sector 2, so that what "Adaugă" presets shows.
    const QString add = "Next|Command1|Text1=" + NewCnp + "|Text8=zed |";
    // Outside Bucharest the list is disabled and keeps the 1 that "Adaugă" put there.
    row("add outside Bucharest", 3, add + "Text13=Cluj|Command3", "", "", Browse, "4/4", "M",
        NewCnp, "||ZED|CLUJ|M|1");
    row("add in sector 4, a woman", 3, add + "Text13=bucuresti|Combo1=F|Combo2=4|Command3", "", "",
        Browse, "4/4", "F", NewCnp, "||ZED|BUCURESTI|F|4");
    // Capitals that grow are kept whole; pasted cells lose their line break and
    // are cut to the limit between whole characters.
    row("grown, pasted", 3, add + "Text4=Großmann-Schönberger|Text6=^abcdefghijklmnopqrs" + Emoji
        + Emoji + "|Text8=^zed\r\n|Command3", "", "", Browse, "4/4", "M", NewCnp,
        "GROSSMANN-SCHÖNBERGER|ABCDEFGHIJKLMNOPQRS" + Emoji + "|ZED||M|1");
    // Any failure but a repeated CNP keeps the pending row for another try.
    row("engine refuses, then accepts", 3, "!INSERT|" + add + "Command3|!|Command3", "", "",
        Browse, "4/4", "M", NewCnp, "||ZED||M|1");
    // The last person becomes current, not the one changed.
    row("modify the first", 3, "Command2|Text6=ion|Command3", "", "", Browse, "3/3", "M", P0,
        "P0|ION|||M|1");
    row("duplicate CNP on add", 3, add + "Text1=" + P0 + "|Command3", Duplicate, "", Browse, "2/3",
        "F", P0, p0);
    row("duplicate CNP on modify", 3, "Next|Command2|Text4=nou|Text1=" + P0 + "|Command3",
        Duplicate, "", Browse, "2/3", "F", P1, "P1||||F|2");
    row("cancel an add", 3, add + "Command4", "", "", Browse, "2/3", "F", NewCnp, "");

    row("delete, No", 3, "Command5", AskDelete, "", Browse, "1/3", "M", P0, p0);
    row("delete, Yes", 3, "?yes|Command5", AskDelete, "", Browse, "2/2", "M", P0, "");
    row("delete the only one", 1, "?yes|Command5", AskDelete, "", BrowseEmpty, "0/0", "", P0, "");
    const QString typed = "Command1|Text1=" + NewCnp + "|Text4=ion|";
    row("close while adding, No, then save", 1, typed + "Esc|Command3", AskClose, "", Browse,
        "2/2", "M", NewCnp, "ION||||M|1");
    row("Înapoi while adding, Yes", 1, "?yes|" + typed + "Command6", AskClose, "", "closed", "",
        "", NewCnp, "");
}

void TestPersons::fieldRules_data()
{
    // The persons and the accomplices screens share their boxes' rules.
    QTest::addColumn<bool>("accomplices");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("sectorEnabled");
    QTest::addColumn<QString>("shown");

    const auto row = [](const char *tag, bool accomplices, const char *box, const QString &typed,
                        bool sectorEnabled, const QString &shown) {
        QTest::newRow(tag) << accomplices << box << typed << sectorEnabled << shown;
    };
    row("surname, comma-below letters", false, "Text4", "  ăâîșț x ", true, "ĂÂÎȘȚ X");
    row("nickname, cedilla letters", false, "Text7", "şţ ab", true, "ŞŢ AB");
    // Only spaces are trimmed: a tab stays where it is, with the spaces inside it.
    row("surname, tabs kept", false, "Text4", " \t ion\t ", true, "\t ION\t");
    row("card number: trim only", false, "Text3", " ab1\t ", true, "ab1\t");
    row("birth date: as typed", false, "Text9", " 1.2.1970 ", true, " 1.2.1970 ");
    row("CNP, letters", false, "Text1", "12A45", true, "12");
    row("CNP, empty", false, "Text1", "", true, "0");
    row("CNP, leading zero", false, "Text1", "012", true, "12");
    row("CNP, 13 digits", false, "Text1", NewCnp, true, NewCnp);
    row("CNP, blanks inside", false, "Text1", " 279 1231 12", true, "279123112");
    row("CNP, exponent", false, "Text1", "1e3", true, "1000");
    // The sector rule follows each change of the locality, before it is left.
    row("Bucharest, blanks around", false, "Text13", "  Bucuresti  ", true, "BUCURESTI");
    row("Bucharest and more", false, "Text13", "bucuresti 2", false, "BUCURESTI 2");
    row("Bucharest after a tab", false, "Text13", "\tbucuresti", false, "\tBUCURESTI");
    row("comma-below s", false, "Text13", " bucurești", false, "BUCUREȘTI");
    row("accomplice, CNP after a space", true, "Text1", " 123456789012", true, "123456789012");
    row("accomplice, card number", true, "Text3", " ab12 ", true, "AB12");
    row("accomplice, name after a tab", true, "Text4", " \tion ", true, "\tION");
    row("accomplice, flat", true, "Text16", " 12b", true, "12B");
    row("accomplice, Bucharest", true, "Text11", " BucuResti ", true, "BUCURESTI");
    row("accomplice, locality emptied", true, "Text11", "", false, "");
}

QTEST_MAIN(TestPersons)
#include "tst_persons.moc"
