#include "app/screenchain.h"
#include "common/scriptedmessages.h"
#include "common/testregister.h"
#include "common/uidriver.h"
#include "widgets/datacontrol.h"
#include "data/recordset.h"
#include "screens/common/lockablecombobox.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

namespace {

const QString Browse = "Command1 Command2 Command5 Command6 Command9 Command11 Command13 Data1 "
                       "DBGrid1";
const QString BrowseEmpty = "Command1 Command6 Command11 Command13 DBGrid1";
const QString Editing = "Command3 Command4 Command6";
const QString NewCnp = "2791231123456";
const QString P0 = "1800101123400", P1 = "1800101123401";
const QString Emoji = "\U0001F600";

// The message boxes: icon ("x" critical, "!" exclamation), title, text, buttons.
const QString MissingCnp = "x Cheia primară. Obligatoriu trebuie specificat CNP-ul ! [OK]";
const QString ShortCnp = "! Cheia primară. Codul Numeric Personal (CNP) trebuie să contină 13 "
                         "caractere. [OK]";
const QString NoName = "! Date insuficiente. Trebuie completat cel putin unul din câmpurile: "
                       "NUME, PRENUME, PORECLA 1, PORECLA 2. [OK]";
const QString Duplicate = "! CNP identic. Mai există un zavon cu acest CNP ! [OK]";
const QString AskDelete = "x Stergere. Sunteti sigur că doriti să stergeti acest zavon ? "
                          "[Yes*/No]";
const QString AskClose = "! Închidere. Datele introduse nu au fost salvate. Renuntati la ele si "
                         "închideti fereastra ? [Yes/No*]";

// A fresh register, the chain, and the persons screen opened over them.
struct Session
{
    TestRegister reg;
    ScriptedMessages messages;
    ScreenChain chain;
    QWidget *form = nullptr;

    bool open()
    {
        chain.open(ScreenKind::Persons);
        form = chain.screen(ScreenKind::Persons);
        return form && UiDriver::activate(form);
    }
    // "Name" clicks, "Name=text" types (a list takes the text as a key), ">Last" presses
    // an arrow of the navigator, "Esc" the key, "X" the window's close control, "?yes"
    // answers the next question; "!refuse" and "!accept" switch the engine's storing.
    void run(const QString &script)
    {
        for (const QString &step : script.split('|', Qt::SkipEmptyParts)) {
            const qsizetype eq = step.indexOf('=');
            if (step == "!refuse")
                reg.exec("CREATE TRIGGER refuse BEFORE INSERT ON TBL_Zavoni "
                         "BEGIN SELECT RAISE(ABORT, 'refused'); END");
            else if (step == "!accept")
                reg.exec("DROP TRIGGER refuse");
            else if (step == "?yes")
                messages.answer(Messages::Answer::Yes);
            else if (step == "Esc")
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            else if (step == "X")
                form->close();
            else if (step.startsWith('>'))
                QTest::mouseClick(form->findChild<QWidget *>(step.mid(1)), Qt::LeftButton);
            else if (eq > 0)
                UiDriver::type(form, step.left(eq), step.mid(eq + 1));
            else
                UiDriver::click(form, step);
        }
    }
    QString text(const QString &box) const { return form->findChild<QLineEdit *>(box)->text(); }
    LockableComboBox *list(const QString &name) const
    {
        return form->findChild<LockableComboBox *>(name);
    }
    QString counter() const { return form->findChild<DataControl *>("Data1")->caption(); }
    QString focus() const { return QApplication::focusWidget()->objectName(); }
    QString state() const
    {
        if (!chain.screen(ScreenKind::Persons))
            return "closed";
        QStringList on;
        for (const char *name : {"Command1", "Command2", "Command3", "Command4", "Command5",
                                 "Command6", "Command9", "Command11", "Command13", "Command12",
                                 "Data1", "DBGrid1"}) {
            if (form->findChild<QWidget *>(name)->isEnabled())
                on << name;
        }
        return on.join(' ');
    }
    QString boxes() const
    {
        QStringList all;
        for (const Messages::Request &box : messages.shown()) {
            const bool question = box.buttons == Messages::Buttons::YesNo;
            all << (box.icon == Messages::Icon::Critical ? "x " : "! ") + box.title + " "
                       + box.text
                       + (!question ? " [OK]"
                          : box.defaultAnswer == Messages::Answer::Yes ? " [Yes*/No]"
                                                                       : " [Yes/No*]");
        }
        return all.join(" / ");
    }
    // The stored person, one text: Nume|Prenume|Porecla2|Localitate|sex|sector.
    QString stored(const QString &cnp)
    {
        return reg.value("SELECT ifnull(Nume, '') || '|' || ifnull(Prenume, '') || '|' "
                         "|| ifnull(Porecla2, '') || '|' || ifnull(Localitate, '') || '|' "
                         "|| ifnull(sex, '') || '|' || ifnull(sector, '') "
                         "FROM TBL_Zavoni WHERE CNP_C = ?", {cnp}).toString();
    }
};

} // namespace

class TestPersons : public QObject
{
    Q_OBJECT

private slots:
    void operatorScripts_data();
    void operatorScripts();
    void browsingStoresNothing_data();
    void browsingStoresNothing();
    void fieldRules_data();
    void fieldRules();
};

void TestPersons::operatorScripts_data()
{
    QTest::addColumn<int>("persons");
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("boxes");
    QTest::addColumn<QString>("focus");
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("counter");
    QTest::addColumn<QString>("sex");
    QTest::addColumn<QString>("cnp");
    QTest::addColumn<QString>("stored");

    // Browsing and the sex filters; P0 is a man, P1 a woman, the third a man.
    const QString noWoman = "Command1 Command6 Command13 Command12 DBGrid1";
    QTest::newRow("empty table") << 0 << "" << "" << "" << BrowseEmpty << "0/0" << "" << P0 << "";
    QTest::newRow("all persons") << 3 << "" << "" << "" << Browse << "1/3" << "M" << P0
                                 << "P0||||M|1";
    QTest::newRow("women") << 3 << "Command11" << "" << "" << "Command1 Command2 Command5 "
                              "Command6 Command9 Command13 Command12 Data1 DBGrid1"
                           << "1/1" << "F" << P1 << "P1||||F|2";
    QTest::newRow("women, then men") << 3 << "Command11|Command13" << "" << "" << "Command1 "
                                        "Command2 Command5 Command6 Command9 Command11 "
                                        "Command12 Data1 DBGrid1" << "1/2" << "M" << P0
                                     << "P0||||M|1";
    QTest::newRow("no woman") << 1 << "Command11" << "" << "" << noWoman << "0/0" << "" << P0
                              << "P0||||M|1";
    QTest::newRow("no woman, then all") << 1 << "Command11|Command12" << "" << "" << Browse
                                        << "1/1" << "M" << P0 << "P0||||M|1";
    // An edit ended with no rows leaves the grid off; a filter bringing rows
    // back enables the navigator only, the end of the next edit the grid.
    QTest::newRow("rows back after an empty edit")
        << 1 << "Command11|Command1|Command4|Command12" << "" << ""
        << "Command1 Command2 Command5 Command6 Command9 Command11 Command13 Data1" << "1/1"
        << "M" << P0 << "P0||||M|1";
    QTest::newRow("then an edit ends") << 1 << "Command11|Command1|Command4|Command12|Command2|"
                                              "Command4" << "" << "" << Browse << "1/1" << "M"
                                       << P0 << "P0||||M|1";

    QTest::newRow("Adaugă") << 3 << "Command1" << "" << "Text1" << Editing << "1/3" << ""
                            << NewCnp << "";
    // "Salvează": the checks in their order, each leaving the screen in edit mode.
    // Leaving the CNP box writes 0 there: only a stored empty CNP, never entered, is missing.
    QTest::newRow("CNP never entered")
        << 3 << ">Last|Command2|Text6=|Combo1=F|Command3" << MissingCnp << "Text1" << Editing
        << "3/3" << "M" << "" << "|ION|||M|";
    QTest::newRow("CNP left empty") << 3 << "Command1|Text1=|Command3" << ShortCnp << "Text1"
                                    << Editing << "1/3" << "" << NewCnp << "";
    QTest::newRow("CNP of 12 digits, no name")
        << 3 << "Command1|Text1=279123112345|Command3" << ShortCnp << "Text1" << Editing << "1/3"
        << "" << NewCnp << "";
    // Sex and sector are in the pending row although the names check failed after them.
    QTest::newRow("no name") << 3 << "Command1|Text1=" + NewCnp + "|Combo1=F|Command3"
                             << NoName << "Text4" << Editing << "1/3" << "F" << NewCnp << "";
    QTest::newRow("an empty cell pasted as the name")
        << 3 << "Command1|Text1=" + NewCnp + "|Text4=^\r\n|Command3" << NoName << "Text4"
        << Editing << "1/3" << "M" << NewCnp << "";
    QTest::newRow("CNP written out longer than a CNP")
        << 3 << "Command1|Text1=9e14|>Text4"
        << "! Cheia primară. Valoarea 900000000000000 are 15 caractere, dar câmpul poate "
           "avea cel mult 13. Corectați ce ați introdus. [OK]"
        << "Text1" << Editing << "1/3" << "" << NewCnp << "";

    // Storing, from the woman in sector 2, so that what "Adaugă" presets shows.
    const QString add = ">Next|Command1|Text1=" + NewCnp + "|Text8=zed |";
    // Outside Bucharest the list is disabled and keeps the 1 that "Adaugă" put there.
    QTest::newRow("add outside Bucharest") << 3 << add + "Text13=Cluj|Command3" << "" << ""
                                           << Browse << "4/4" << "M" << NewCnp
                                           << "||ZED|CLUJ|M|1";
    QTest::newRow("add in sector 4, a woman")
        << 3 << add + "Text13=bucuresti|Combo1=F|Combo2=4|Command3" << "" << "" << Browse
        << "4/4" << "F" << NewCnp << "||ZED|BUCURESTI|F|4";
    // Capitals that grow are kept whole; pasted cells lose their line break and
    // are cut to the limit between whole characters.
    QTest::newRow("grown, pasted")
        << 3 << add + "Text4=Großmann-Schönberger|Text6=^abcdefghijklmnopqrs" + Emoji + Emoji
                   + "|Text8=^zed\r\n|Command3"
        << "" << "" << Browse << "4/4" << "M" << NewCnp
        << "GROSSMANN-SCHÖNBERGER|ABCDEFGHIJKLMNOPQRS" + Emoji + "|ZED||M|1";
    // Any failure but a repeated CNP keeps the pending row for another try.
    QTest::newRow("engine refuses, then accepts")
        << 3 << "!refuse|" + add + "Command3|!accept|Command3" << "" << "" << Browse << "4/4"
        << "M" << NewCnp << "||ZED||M|1";
    // The last person becomes current, not the one changed.
    QTest::newRow("modify the first") << 3 << "Command2|Text6=ion|Command3" << "" << "" << Browse
                                      << "3/3" << "M" << P0 << "P0|ION|||M|1";
    QTest::newRow("duplicate CNP on add")
        << 3 << add + "Text1=" + P0 + "|Command3" << Duplicate << "" << Browse << "2/3" << "F"
        << P0 << "P0||||M|1";
    QTest::newRow("duplicate CNP on modify")
        << 3 << ">Next|Command2|Text4=nou|Text1=" + P0 + "|Command3" << Duplicate << "" << Browse
        << "2/3" << "F" << P1 << "P1||||F|2";
    QTest::newRow("cancel an add") << 3 << add + "Command4" << "" << "" << Browse << "2/3" << "F"
                                   << NewCnp << "";

    // "Sterge", and closing.
    QTest::newRow("delete, No") << 3 << "Command5" << AskDelete << "" << Browse << "1/3" << "M"
                                << P0 << "P0||||M|1";
    QTest::newRow("delete, Yes") << 3 << "?yes|Command5" << AskDelete << "" << Browse << "2/2"
                                 << "M" << P0 << "";
    QTest::newRow("delete the only one") << 1 << "?yes|Command5" << AskDelete << "" << BrowseEmpty
                                         << "0/0" << "" << P0 << "";
    const QString typed = "Command1|Text1=" + NewCnp + "|Text4=ion|";
    QTest::newRow("close while browsing") << 1 << "Esc" << "" << "" << "closed" << "" << ""
                                          << P0 << "P0||||M|1";
    QTest::newRow("close while adding, No, then save")
        << 1 << typed + "Esc|Command3" << AskClose << "" << Browse << "2/2" << "M" << NewCnp
        << "ION||||M|1";
    QTest::newRow("Înapoi while adding, Yes") << 1 << "?yes|" + typed + "Command6" << AskClose
                                              << "" << "closed" << "" << "" << NewCnp << "";
    QTest::newRow("close control while adding, Yes") << 1 << "?yes|" + typed + "X" << AskClose
                                                     << "" << "closed" << "" << "" << NewCnp
                                                     << "";
}

void TestPersons::operatorScripts()
{
    QFETCH(int, persons);
    QFETCH(QString, state);
    QFETCH(QString, cnp);
    Session s;
    if (persons > 0)
        s.reg.addPerson(P0, "P0", "M", {{"sector", 1}});
    if (persons > 1)
        s.reg.addPerson(P1, "P1", "F", {{"sector", 2}});
    if (persons > 2)
        s.reg.addPerson("", "", "M", {{"Prenume", "ION"}});
    QVERIFY(s.open());
    QCOMPARE(s.focus(), QStringLiteral("Command1"));
    QFETCH(QString, script);
    s.run(script);

    QTEST(s.boxes(), "boxes");
    QFETCH(QString, focus);
    if (!focus.isEmpty())
        QCOMPARE(s.focus(), focus);
    QCOMPARE(s.state(), state);
    QTEST(s.stored(cnp), "stored");
    if (state == "closed")
        return;
    QTEST(s.counter(), "counter");
    const QVariant sex = s.form->findChild<DataControl *>("Data1")->recordset()->value("sex");
    QTEST(sex.toString(), "sex");
    if (state == Browse)
        QCOMPARE(s.list("Combo1")->currentText(), sex.toString());
}

void TestPersons::browsingStoresNothing_data()
{
    QTest::addColumn<QString>("sex");
    QTest::addColumn<QVariant>("sector");
    QTest::addColumn<QString>("sexShown");
    QTest::addColumn<QString>("sectorShown");

    QTest::newRow("values of the lists") << "F" << QVariant(5) << "F" << "5";
    QTest::newRow("unknown sex") << "X" << QVariant(2) << "" << "2";
    QTest::newRow("lower-case sex") << "f" << QVariant(3) << "" << "3";
    QTest::newRow("no sector") << "F" << QVariant() << "F" << "";
    QTest::newRow("sector 9") << "M" << QVariant(9) << "M" << "";
}

void TestPersons::browsingStoresNothing()
{
    QFETCH(QString, sex);
    QFETCH(QVariant, sector);
    Session s;
    s.reg.addPerson(P0, "popescu ", "F", {{"Localitate", "Bucuresti"}, {"sector", 6}});
    s.reg.addPerson(P1, "B", sex, {{"Localitate", "Iasi"}, {"sector", sector}});
    QVERIFY(s.open());
    LockableComboBox *sectors = s.list("Combo2");
    QVERIFY(sectors->isEnabled() && sectors->isLocked());
    // Tabbing through locked boxes shows the normal form...
    UiDriver::focus(s.form, "Text4");
    UiDriver::focus(s.form, "Text6");
    QCOMPARE(s.text("Text4"), QStringLiteral("POPESCU"));

    s.run(">Last");
    QCOMPARE(s.text("Text4"), QStringLiteral("B"));
    QTEST(s.list("Combo1")->currentText(), "sexShown");
    QTEST(sectors->currentText(), "sectorShown");
    QVERIFY(!sectors->isEnabled());
    s.run(">First");
    QCOMPARE(sectors->currentText(), QStringLiteral("6"));
    QVERIFY(sectors->isEnabled());
    // ...but only shows it.
    QCOMPARE(s.text("Text4"), QStringLiteral("popescu "));
    QCOMPARE(s.stored(P0), QStringLiteral("popescu |||Bucuresti|F|6"));
    QCOMPARE(s.stored(P1), "B|||Iasi|" + sex + "|" + sector.toString());
}

void TestPersons::fieldRules_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("sectorEnabled");
    QTest::addColumn<QString>("shown");

    QTest::newRow("surname, comma-below letters") << "Text4" << "  ăâîșț x " << true << "ĂÂÎȘȚ X";
    QTest::newRow("nickname, cedilla letters") << "Text7" << "şţ ab" << true << "ŞŢ AB";
    QTest::newRow("card series") << "Text2" << "ăb" << true << "ĂB";
    QTest::newRow("initial") << "Text5" << "ș" << true << "Ș";
    QTest::newRow("flat") << "Text18" << " 3a " << true << "3A";
    QTest::newRow("card number: trim only") << "Text3" << " ab1 " << true << "ab1";
    QTest::newRow("birth date: as typed") << "Text9" << " 1.2.1970 " << true << " 1.2.1970 ";
    QTest::newRow("CNP, letters") << "Text1" << "12A45" << true << "12";
    QTest::newRow("CNP, empty") << "Text1" << "" << true << "0";
    QTest::newRow("CNP, leading zero") << "Text1" << "012" << true << "12";
    QTest::newRow("CNP, 13 digits") << "Text1" << NewCnp << true << NewCnp;
    QTest::newRow("CNP, blanks inside") << "Text1" << " 279 1231 12" << true << "279123112";
    QTest::newRow("CNP, exponent") << "Text1" << "1e3" << true << "1000";
    // The sector rule follows each change of the locality, before it is left.
    QTest::newRow("Bucharest, blanks around") << "Text13" << "  Bucuresti  " << true
                                              << "BUCURESTI";
    QTest::newRow("Bucharest and more") << "Text13" << "bucuresti 2" << false << "BUCURESTI 2";
    QTest::newRow("comma-below s") << "Text13" << " bucurești" << false << "BUCUREȘTI";
    QTest::newRow("another town") << "Text13" << "Cluj" << false << "CLUJ";
}

void TestPersons::fieldRules()
{
    QFETCH(QString, box);
    QFETCH(QString, typed);
    Session s;
    QVERIFY(s.open());
    s.run("Command1|Text13=bucuresti|Combo2=3|" + box + "=" + typed);
    QCOMPARE(s.text(box), typed);
    QTEST(s.list("Combo2")->isEnabled(), "sectorEnabled");
    UiDriver::focus(s.form, "Text6");
    QTEST(s.text(box), "shown");
    // The rule never touches the value itself.
    QCOMPARE(s.list("Combo2")->currentText(), QStringLiteral("3"));
}

QTEST_MAIN(TestPersons)
#include "tst_persons.moc"
