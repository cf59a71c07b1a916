#include "common/screensession.h"
#include "widgets/cnphint.h"
#include "data/recordset.h"
#include "widgets/datacontrol.h"

#include <QtTest>
#include <QtWidgets>

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

// Five persons to find, and three accomplices of the first one's offence.
struct Session : ScreenSession
{
    explicit Session(bool accomplices)
    {
        const QList<QStringList> persons = {{"1850315401231", "ȘTEFAN", "ION", "M"},
                                            {"2850315401234", "POPESCU", "ANA", "F"},
                                            {"2850315401235", "ŞTEFĂNESCU", "MARIA", "F"},
                                            {"1850315401236", "ȚIRIAC", "ION", "M"},
                                            {"2850315401237", "ALBU", "ŞTEFANIA", "F"}};
        for (const QStringList &p : persons)
            reg.addPerson(p[0], p[1], p[3], {{"Prenume", p[2]}});
        const qint64 offence = reg.addOffence(persons[0][0], "FURT", "A");
        reg.addAccomplice("1700101400011", "POPA", "M", offence);
        reg.addAccomplice("1700101400012", "ŞERBAN", "M", offence);
        reg.addAccomplice("2700101400013", "ȚONE", "F", offence);
        open(accomplices ? ScreenKind::Accomplices : ScreenKind::Persons);
    }
    // A key sequence ("Ctrl+F", "F3", "Esc"...) to the focused control,
    // "find=text" typed into the strip, "goto=N" typed after Ctrl+G and
    // Enter, "sql=..." run by another connection, anything else clicked.
    void play(const QString &script)
    {
        QWidget *form = this->form();
        for (const QString &step : script.split('|', Qt::SkipEmptyParts)) {
            const QString arg = step.section('=', 1);
            QWidget *focus = QApplication::focusWidget() ? QApplication::focusWidget() : form;
            if (step.startsWith("find=")) {
                UiDriver::type(form, "FindText", arg);
            } else if (step.startsWith("goto=")) {
                QTest::keySequence(focus, QKeySequence("Ctrl+G"));
                auto *box = form->findChild<QLineEdit *>("Data1Position");
                QTest::keyClicks(box, arg);
                QTest::keyClick(box, Qt::Key_Return);
            } else if (step.startsWith("sort=")) {
                auto *grid = form->findChild<QTableView *>("DBGrid1");
                QHeaderView *heading = grid->horizontalHeader();
                const int x = heading->sectionViewportPosition(arg.toInt()) + 5;
                QTest::mouseClick(heading->viewport(), Qt::LeftButton, {}, QPoint(x, 5));
            } else if (step.startsWith("sql=")) {
                reg.exec(arg);
            } else if (step.startsWith("Command")) {
                UiDriver::click(form, step);
            } else {
                QTest::keySequence(focus, QKeySequence(step));
            }
        }
    }
};


} // namespace

class TestPersons : public QObject
{
    Q_OBJECT

private slots:
    void operatorScripts_data();
    void operatorScripts()
    {
        QFETCH(QString, state);
        QFETCH(QString, focus);
        ScreenSession s;
        addPersons(s.reg, cell<int>("persons"));
        QVERIFY(s.open(ScreenKind::Persons));
        s.run(cell<QString>("script"));

        QTEST(s.boxes(), "boxes");
        if (!focus.isEmpty())
            QCOMPARE(s.focus(), focus);
        QCOMPARE(s.state(Controls), state);
        QTEST(stored(s.reg, cell<QString>("cnp")), "stored");
        if (state == "closed")
            return;
        QTEST(s.counter(), "counter");
        const QVariant sex = s.form()->findChild<DataControl *>("Data1")->recordset()->value("sex");
        QTEST(sex.toString(), "sex");
        if (state == Browse)
            QCOMPARE(s.text("Combo1"), sex.toString());
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

    // Finding and jumping on the persons and accomplices screens by keys: what
    // becomes current, what the strip says, and that the screen's reposition ran.
    void findAndJump_data();
    void findAndJump()
    {
        if (TestRegister::isServer())
            QSKIP("finding is not on the server yet");
        QFETCH(bool, accomplices);
        QFETCH(QString, script);
        QFETCH(QString, name);

        Session s(accomplices);
        QVERIFY(s.form());
        // Where a button lies against the navigation bar, both below the growing grid.
        const auto placed = [&s] {
            return s.form()->findChild<QWidget *>("Command1")->geometry().translated(
                -s.form()->findChild<QWidget *>("Data1")->pos());
        };
        const QRect designed = placed();
        const int height = s.form()->height();
        s.play(script);

        QTEST(s.form()->findChild<DataControl *>("Data1")->caption(), "counter");
        QCOMPARE(s.text("Text4"), name);
        QTEST(s.form()->findChild<QLabel *>("FindNote")->text(), "note");
        // Data1_Reposition ran: the sex list shows the current row's sex.
        const QString sex = s.reg.value(accomplices ? "SELECT sex FROM TBL_Complici WHERE Nume = ?"
                                                    : "SELECT sex FROM TBL_Zavoni WHERE Nume = ?",
                                        {name}).toString();
        QCOMPARE(s.form()->findChild<QComboBox *>("Combo1")->currentText(), sex);
        // The strip lies below the designed controls, which stay where they were.
        auto *bar = s.form()->findChild<QWidget *>("FindBar");
        QCOMPARE(placed(), designed);
        QCOMPARE(s.form()->height(), height + (bar->isVisible() ? bar->height() : 0));
        QVERIFY(!s.form()->findChild<CnpHint *>()->toolTip().isEmpty());
        QCOMPARE(s.form()->findChild<QTableView *>("DBGrid1")->horizontalHeader()
                     ->isSortIndicatorShown(),
                 script.count("sort=") % 3 != 0);

        // Esc in the strip closes the strip only.
        if (bar->isVisible()) {
            QTest::keyClick(s.form()->findChild<QLineEdit *>("FindText"), Qt::Key_Escape);
            QVERIFY(bar->isHidden());
            QCOMPARE(s.form()->height(), height);
            QVERIFY(s.form()->isVisible());
        }
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
    // Growing capitals stay whole; pasted cells lose the line break, cut between characters.
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
    columns<bool, QString, QString, bool, QString>(
        "accomplices", "box", "typed", "sectorEnabled", "shown");

    const auto row = [](const char *tag, bool accomplices, const char *box, const QString &typed,
                        bool sectorEnabled, const QString &shown) {
        QTest::newRow(tag) << accomplices << box << typed << sectorEnabled << shown;
    };
    row("surname, comma-below letters", false, "Text4", "  ăâîșț x ", true, "ĂÂÎȘȚ X");
    // Only spaces are trimmed: a tab stays where it is, with the spaces inside it.
    row("surname, tabs kept", false, "Text4", " \t ion\t ", true, "\t ION\t");
    row("card number: trim only", false, "Text3", " ab1\t ", true, "ab1\t");
    row("birth date: as typed", false, "Text9", " 1.2.1970 ", true, " 1.2.1970 ");
    row("CNP, letters", false, "Text1", "12A45", true, "12");
    row("CNP, empty", false, "Text1", "", true, "0");
    row("CNP, leading zero", false, "Text1", "012", true, "12");
    row("CNP, blanks inside", false, "Text1", " 279 1231 12", true, "279123112");
    row("CNP, exponent", false, "Text1", "1e3", true, "1000");
    // The sector rule follows each change of the locality, before it is left.
    row("Bucharest, blanks around", false, "Text13", "  Bucuresti  ", true, "BUCURESTI");
    row("Bucharest and more", false, "Text13", "bucuresti 2", false, "BUCURESTI 2");
    row("Bucharest after a tab", false, "Text13", "\tbucuresti", false, "\tBUCURESTI");
    row("comma-below s", false, "Text13", " bucurești", false, "BUCUREȘTI");
    row("accomplice, card number", true, "Text3", " ab12 ", true, "AB12");
    row("accomplice, flat", true, "Text16", " 12b", true, "12B");
    row("accomplice, locality emptied", true, "Text11", "", false, "");
}

void TestPersons::findAndJump_data()
{
    columns<bool, QString, QString, QString, QString>(
        "accomplices", "script", "counter", "name", "note");

    const QString fromStart = "S-a continuat de la începutul listei";
    QTest::newRow("as typed keeps a matching row")
        << false << "Ctrl+F|find=stefan" << "1/5" << "ȘTEFAN" << "";
    QTest::newRow("F3: the cedilla spelling") << false << "Ctrl+F|find=stefan|F3" << "3/5"
                                              << "ŞTEFĂNESCU" << "";
    QTest::newRow("Enter, a given name's start, then past the end")
        << false << "Ctrl+F|find=stefan|Return|Return|Return" << "1/5" << "ȘTEFAN" << fromStart;
    QTest::newRow("Shift+F3 past the start")
        << false << "Ctrl+F|find=stef|Shift+F3" << "5/5" << "ALBU"
        << "S-a continuat de la sfârșitul listei";
    QTest::newRow("not found: the row stays") << false << "Ctrl+F|find=ste xyz" << "1/5"
                                              << "ȘTEFAN" << "Nu a fost găsit";
    QTest::newRow("women only") << false << "Command11|Ctrl+F|find=stefan" << "2/3"
                                << "ŞTEFĂNESCU" << "";
    QTest::newRow("a gap the register did not record")
        << false << "sql=DELETE FROM TBL_Zavoni WHERE Nume = 'POPESCU'|sql=DELETE FROM TBL_Goluri"
                    "|Command11|Command12|Ctrl+F|find=tiriac" << "3/4" << "ȚIRIAC" << "";
    QTest::newRow("none in edit mode") << false << "Command2|Ctrl+F|F3|goto=3" << "1/5"
                                       << "ȘTEFAN" << "";
    QTest::newRow("jump") << false << "goto=4" << "4/5" << "ȚIRIAC" << "";
    QTest::newRow("sorted by name") << false << "sort=0" << "1/5" << "ALBU" << "";
    QTest::newRow("sorted, jump") << false << "sort=0|goto=3" << "3/5" << "ȘTEFAN" << "";
    QTest::newRow("reversed") << false << "sort=0|sort=0" << "1/5" << "ȚIRIAC" << "";
    QTest::newRow("back to the register's order") << false << "sort=0|sort=0|sort=0" << "1/5"
                                                   << "ȘTEFAN" << "";
    QTest::newRow("find follows the sort") << false << "sort=0|Ctrl+F|find=stef|F3|F3"
                                           << "4/5" << "ŞTEFĂNESCU" << "";
    QTest::newRow("women keep the sort") << false << "sort=0|Command11|Ctrl+End" << "3/3"
                                         << "ŞTEFĂNESCU" << "";
    QTest::newRow("accomplices, reversed") << true << "sort=0|sort=0" << "1/3" << "ȚONE" << "";
    QTest::newRow("accomplices, past the end") << true << "goto=3|Ctrl+F|find=po|F3"
                                               << "1/3" << "POPA" << fromStart;
}

QTEST_MAIN(TestPersons)
#include "tst_persons.moc"
