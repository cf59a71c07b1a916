#include "app/screenchain.h"
#include "common/scriptedmessages.h"
#include "common/testregister.h"
#include "common/uidriver.h"
#include "data/datacontrol.h"
#include "data/recordset.h"
#include "screens/common/lockablecombobox.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

using Messages::Icon;

namespace {

const QString Browse = QStringLiteral(
    "Command1 Command2 Command5 Command6 Command9 Command11 Command13 Data1 DBGrid1");
const QString BrowseEmpty = QStringLiteral("Command1 Command6 Command11 Command13 DBGrid1");
const QString Editing = QStringLiteral("Command3 Command4 Command6");

QString cnpOf(int i)
{
    return QString::number(1800101123400LL + i);
}

// A fresh register, the chain, and the persons screen opened over them.
struct Session
{
    TestRegister reg;
    ScriptedMessages messages;
    ScreenChain chain;
    QWidget *form = nullptr;

    // Persons P0, P1... with the given sexes, in this order.
    void addPersons(const QStringList &sexes)
    {
        for (int i = 0; i < sexes.size(); ++i)
            reg.addPerson(cnpOf(i), QStringLiteral("P%1").arg(i), sexes.at(i));
    }
    bool open()
    {
        chain.open(ScreenKind::Persons);
        form = chain.screen(ScreenKind::Persons);
        return form && UiDriver::activate(form);
    }
    QString text(const QString &box) const { return form->findChild<QLineEdit *>(box)->text(); }
    LockableComboBox *list(const QString &name) const
    {
        return form->findChild<LockableComboBox *>(name);
    }
    DataControl *data() const { return form->findChild<DataControl *>(QStringLiteral("Data1")); }
    QString counter() const { return data()->caption(); }
    void click(const QString &name) { UiDriver::click(form, name); }
    void type(const QString &box, const QString &text) { UiDriver::type(form, box, text); }
    void arrow(const char *name)
    {
        QTest::mouseClick(data()->findChild<QWidget *>(QLatin1String(name)), Qt::LeftButton);
    }
    // Picks an item of an unlocked list with the keyboard, as the operator would.
    void choose(const QString &name, int downs)
    {
        UiDriver::focus(form, name);
        for (int i = 0; i < downs; ++i)
            QTest::keyClick(list(name), Qt::Key_Down);
    }
    QString focus() const { return QApplication::focusWidget()->objectName(); }
    QString enabled() const
    {
        QStringList on;
        for (const char *name : {"Command1", "Command2", "Command3", "Command4", "Command5",
                                 "Command6", "Command9", "Command11", "Command13", "Command12",
                                 "Data1", "DBGrid1"}) {
            if (form->findChild<QWidget *>(QLatin1String(name))->isEnabled())
                on << QLatin1String(name);
        }
        return on.join(QLatin1Char(' '));
    }
    QVariant stored(const QString &field, const QString &cnp)
    {
        return reg.value(QStringLiteral("SELECT \"%1\" FROM TBL_Zavoni WHERE CNP_C = ?").arg(field),
                         {cnp});
    }
    int persons() { return reg.count(QStringLiteral("TBL_Zavoni")); }
    void checkMessage(const QString &text, const QString &title, Icon icon)
    {
        QCOMPARE(messages.count(), 1);
        QCOMPARE(messages.last().text, text);
        QCOMPARE(messages.last().title, title);
        QCOMPARE(messages.last().icon, icon);
    }
};

} // namespace

class TestPersons : public QObject
{
    Q_OBJECT

private slots:
    void browseStates_data();
    void browseStates();
    void gridFollowsOnlyTheEditModes();
    void bucharestRuleOnTyping_data();
    void bucharestRuleOnTyping();
    void bucharestRuleOnMoving();
    void valuesOutsideTheLists_data();
    void valuesOutsideTheLists();
    void normalisation_data();
    void normalisation();
    void normalisationInBrowseIsOnlyShown();
    void saveChecks_data();
    void saveChecks();
    void add_data();
    void add();
    void modifyMakesTheLastPersonCurrent();
    void duplicateCnp_data();
    void duplicateCnp();
    void otherStoreFailureKeepsEditing();
    void cancelAdding();
    void remove_data();
    void remove();
    void close_data();
    void close();
};

void TestPersons::browseStates_data()
{
    QTest::addColumn<QStringList>("sexes");
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QString>("counter");
    QTest::addColumn<QString>("enabled");
    QTest::addColumn<QString>("firstName");
    QTest::addColumn<QString>("firstSex");

    const QStringList mfm{"M", "F", "M"};
    const QStringList mm{"M", "M"};
    QTest::newRow("empty table") << QStringList() << QStringList() << "0/0" << BrowseEmpty << ""
                                 << "M";
    QTest::newRow("all persons") << mfm << QStringList() << "1/3" << Browse << "P0" << "M";
    QTest::newRow("women") << mfm << QStringList{"Command11"} << "1/1"
                           << "Command1 Command2 Command5 Command6 Command9 Command13 "
                              "Command12 Data1 DBGrid1"
                           << "P1" << "F";
    QTest::newRow("women, then men")
        << mfm << QStringList{"Command11", "Command13"} << "1/2"
        << "Command1 Command2 Command5 Command6 Command9 Command11 Command12 Data1 DBGrid1"
        << "P0" << "M";
    QTest::newRow("no woman") << mm << QStringList{"Command11"} << "0/0"
                              << "Command1 Command6 Command13 Command12 DBGrid1" << "" << "M";
    QTest::newRow("no woman, then all")
        << mm << QStringList{"Command11", "Command12"} << "1/2" << Browse << "P0" << "M";
}

void TestPersons::browseStates()
{
    QFETCH(QStringList, sexes);
    QFETCH(QStringList, clicks);
    Session s;
    s.addPersons(sexes);
    QVERIFY(s.open());
    QCOMPARE(s.focus(), QStringLiteral("Command1"));
    for (const QString &button : clicks)
        s.click(button);

    QTEST(s.counter(), "counter");
    QTEST(s.enabled(), "enabled");
    QTEST(s.text("Text4"), "firstName");
    QTEST(s.list("Combo1")->currentText(), "firstSex");
}

void TestPersons::gridFollowsOnlyTheEditModes()
{
    Session s;
    QVERIFY(s.open());
    s.click("Command1");
    s.click("Command4");
    QCOMPARE(s.enabled(), QStringLiteral("Command1 Command6 Command11 Command13"));

    // Rows brought back by a filter enable the navigator but not the grid...
    s.reg.addPerson(cnpOf(0), "ANA", "F");
    s.click("Command11");
    QCOMPARE(s.enabled(), QStringLiteral("Command1 Command2 Command5 Command6 Command9 "
                                         "Command13 Command12 Data1"));
    // ...the end of an edit does.
    s.click("Command2");
    s.click("Command4");
    QVERIFY(s.enabled().endsWith(QLatin1String("Data1 DBGrid1")));
}

void TestPersons::bucharestRuleOnTyping_data()
{
    QTest::addColumn<QString>("locality");
    QTest::addColumn<bool>("sectorEnabled");

    QTest::newRow("lower case") << "bucuresti" << true;
    QTest::newRow("blanks around") << "  Bucuresti  " << true;
    QTest::newRow("more after it") << "BUCURESTI 2" << false;
    QTest::newRow("comma-below s") << "București" << false;
    QTest::newRow("another town") << "Cluj" << false;
}

void TestPersons::bucharestRuleOnTyping()
{
    QFETCH(QString, locality);
    Session s;
    QVERIFY(s.open());
    s.click("Command1");
    s.type("Text13", "BUCURESTI");
    s.choose("Combo2", 2);
    s.type("Text13", locality);

    // Still in the box: the rule follows each change, and leaves the value alone.
    QCOMPARE(s.focus(), QStringLiteral("Text13"));
    QTEST(s.list("Combo2")->isEnabled(), "sectorEnabled");
    QCOMPARE(s.list("Combo2")->currentText(), QStringLiteral("3"));
}

void TestPersons::bucharestRuleOnMoving()
{
    Session s;
    s.reg.addPerson(cnpOf(0), "A", "M", {{"Localitate", "Bucuresti"}, {"sector", 3}});
    s.reg.addPerson(cnpOf(1), "B", "F", {{"Localitate", "Iasi"}, {"sector", 5}});
    QVERIFY(s.open());
    LockableComboBox *sector = s.list("Combo2");
    QVERIFY(sector->isEnabled() && sector->isLocked());
    s.arrow("Next");
    QVERIFY(!sector->isEnabled());
    QCOMPARE(sector->currentText(), QStringLiteral("5"));
    s.arrow("Previous");
    QVERIFY(sector->isEnabled());
}

void TestPersons::valuesOutsideTheLists_data()
{
    QTest::addColumn<QString>("sex");
    QTest::addColumn<QVariant>("sector");
    QTest::addColumn<QString>("sexShown");
    QTest::addColumn<QString>("sectorShown");

    QTest::newRow("unknown sex") << "X" << QVariant(2) << "" << "2";
    QTest::newRow("lower-case sex") << "f" << QVariant(3) << "" << "3";
    QTest::newRow("no sector") << "F" << QVariant() << "F" << "";
    QTest::newRow("sector 9") << "M" << QVariant(9) << "M" << "";
}

void TestPersons::valuesOutsideTheLists()
{
    QFETCH(QString, sex);
    QFETCH(QVariant, sector);
    Session s;
    s.reg.addPerson(cnpOf(0), "A", "F", {{"sector", 6}});
    s.reg.addPerson(cnpOf(1), "B", sex, {{"sector", sector}});
    QVERIFY(s.open());

    s.arrow("Last");
    QCOMPARE(s.text("Text4"), QStringLiteral("B"));
    QTEST(s.list("Combo1")->currentText(), "sexShown");
    QTEST(s.list("Combo2")->currentText(), "sectorShown");
    s.arrow("First");
    QCOMPARE(s.list("Combo2")->currentText(), QStringLiteral("6"));
    QCOMPARE(s.stored("sex", cnpOf(1)).toString(), sex);
    QCOMPARE(s.stored("sector", cnpOf(1)).toString(), sector.toString());
}

void TestPersons::normalisation_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");

    QTest::newRow("surname, comma-below letters") << "Text4" << "  ăâîșț x " << "ĂÂÎȘȚ X";
    QTest::newRow("nickname, cedilla letters") << "Text7" << "şţ ab" << "ŞŢ AB";
    QTest::newRow("card series") << "Text2" << "ăb" << "ĂB";
    QTest::newRow("initial") << "Text5" << "ș" << "Ș";
    QTest::newRow("locality") << "Text13" << " bucurești" << "BUCUREȘTI";
    QTest::newRow("flat") << "Text18" << " 3a " << "3A";
    QTest::newRow("card number: trim only") << "Text3" << " ab1 " << "ab1";
    QTest::newRow("birth date: as typed") << "Text9" << " 1.2.1970 " << " 1.2.1970 ";
    QTest::newRow("CNP, letters") << "Text1" << "12A45" << "12";
    QTest::newRow("CNP, empty") << "Text1" << "" << "0";
    QTest::newRow("CNP, leading zero") << "Text1" << "012" << "12";
    QTest::newRow("CNP, 13 digits") << "Text1" << "2791231123456" << "2791231123456";
    QTest::newRow("CNP, blanks inside") << "Text1" << " 279 1231 12" << "279123112";
    QTest::newRow("CNP, exponent") << "Text1" << "1e3" << "1000";
}

void TestPersons::normalisation()
{
    QFETCH(QString, box);
    QFETCH(QString, typed);
    Session s;
    QVERIFY(s.open());
    s.click("Command1");
    s.type(box, typed);
    QCOMPARE(s.text(box), typed);
    UiDriver::focus(s.form, box == "Text6" ? "Text5" : "Text6");
    QTEST(s.text(box), "shown");
}

void TestPersons::normalisationInBrowseIsOnlyShown()
{
    Session s;
    s.reg.addPerson(cnpOf(0), "popescu ", "M");
    QVERIFY(s.open());
    UiDriver::focus(s.form, "Text4");
    UiDriver::focus(s.form, "Text6");
    QCOMPARE(s.text("Text4"), QStringLiteral("POPESCU"));
    s.arrow("Last");
    QCOMPARE(s.text("Text4"), QStringLiteral("popescu "));
}

void TestPersons::saveChecks_data()
{
    QTest::addColumn<bool>("modify");
    QTest::addColumn<QString>("cnp");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("title");
    QTest::addColumn<Icon>("icon");
    QTest::addColumn<QString>("focus");
    QTest::addColumn<QString>("pendingSex");

    const QString missing = "Obligatoriu trebuie specificat CNP-ul !";
    const QString length = "Codul Numeric Personal (CNP) trebuie să contină 13 caractere.";
    const QString names = "Trebuie completat cel putin unul din câmpurile: NUME, PRENUME, "
                          "PORECLA 1, PORECLA 2.";
    // "Adaugă" puts the focus in the CNP box, and leaving it writes 0 there:
    // only a stored empty CNP that the operator never entered is "missing".
    QTest::newRow("CNP never entered") << true << QString() << missing << "Cheia primară."
                                       << Icon::Critical << "Text1" << "M";
    QTest::newRow("CNP left empty") << false << "" << length << "Cheia primară."
                                    << Icon::Exclamation << "Text1" << "";
    QTest::newRow("CNP of 12 digits") << false << "279123112345" << length << "Cheia primară."
                                      << Icon::Exclamation << "Text1" << "";
    // The sex chosen is in the row although the names check failed after it.
    QTest::newRow("no name") << false << "2791231123456" << names << "Date insuficiente."
                             << Icon::Exclamation << "Text4" << "F";
}

void TestPersons::saveChecks()
{
    QFETCH(bool, modify);
    QFETCH(QString, cnp);
    Session s;
    if (modify)
        s.reg.addPerson("", "", "M", {{"Prenume", "ION"}});
    QVERIFY(s.open());
    s.click(modify ? "Command2" : "Command1");
    if (modify)
        s.type("Text6", "");
    else
        s.type("Text1", cnp);
    s.type("Text5", "A");
    s.choose("Combo1", 1);
    s.click("Command3");

    QFETCH(QString, message);
    QFETCH(QString, title);
    QFETCH(Icon, icon);
    s.checkMessage(message, title, icon);
    QCOMPARE(s.messages.last().buttons, Messages::Buttons::Ok);
    QTEST(s.focus(), "focus");
    QCOMPARE(s.enabled(), Editing);
    QTEST(s.data()->recordset()->value("sex").toString(), "pendingSex");
    QCOMPARE(s.persons(), modify ? 1 : 0);
    QCOMPARE(s.stored("Prenume", "").toString(), modify ? QStringLiteral("ION") : QString());
}

void TestPersons::add_data()
{
    QTest::addColumn<QString>("locality");
    QTest::addColumn<int>("sectorDowns");
    QTest::addColumn<int>("sexDowns");
    QTest::addColumn<int>("sector");
    QTest::addColumn<QString>("sex");

    // Outside Bucharest the list is disabled and keeps the 1 that "Adaugă" put there.
    QTest::newRow("outside Bucharest") << "Cluj" << 0 << 0 << 1 << "M";
    QTest::newRow("Bucharest, sector 4, woman") << "bucuresti" << 3 << 1 << 4 << "F";
}

void TestPersons::add()
{
    QFETCH(QString, locality);
    QFETCH(int, sectorDowns);
    QFETCH(int, sexDowns);
    Session s;
    s.addPersons({"F", "M"});
    QVERIFY(s.open());
    s.click("Command1");
    QCOMPARE(s.focus(), QStringLiteral("Text1"));
    s.type("Text1", cnpOf(9));
    s.type("Text8", "zed ");
    s.type("Text13", locality);
    s.choose("Combo1", sexDowns);
    if (sectorDowns)
        s.choose("Combo2", sectorDowns);
    s.click("Command3");

    QCOMPARE(s.messages.count(), 0);
    QCOMPARE(s.counter(), QStringLiteral("3/3"));
    QCOMPARE(s.enabled(), Browse);
    QCOMPARE(s.text("Text8"), QStringLiteral("ZED"));
    QCOMPARE(s.stored("Porecla2", cnpOf(9)).toString(), QStringLiteral("ZED"));
    QCOMPARE(s.stored("Localitate", cnpOf(9)).toString(), locality.toUpper());
    QVERIFY(s.stored("Nume", cnpOf(9)).isNull());
    QTEST(s.stored("sector", cnpOf(9)).toInt(), "sector");
    QTEST(s.stored("sex", cnpOf(9)).toString(), "sex");
}

void TestPersons::modifyMakesTheLastPersonCurrent()
{
    Session s;
    s.addPersons({"F", "M", "M"});
    QVERIFY(s.open());
    s.click("Command2");
    QCOMPARE(s.enabled(), Editing);
    s.type("Text6", "ion");
    s.click("Command3");

    QCOMPARE(s.messages.count(), 0);
    QCOMPARE(s.stored("Prenume", cnpOf(0)).toString(), QStringLiteral("ION"));
    QCOMPARE(s.stored("Nume", cnpOf(0)).toString(), QStringLiteral("P0"));
    QCOMPARE(s.stored("sex", cnpOf(0)).toString(), QStringLiteral("F"));
    QCOMPARE(s.counter(), QStringLiteral("3/3"));
    QCOMPARE(s.text("Text4"), QStringLiteral("P2"));
    QCOMPARE(s.enabled(), Browse);
}

void TestPersons::duplicateCnp_data()
{
    QTest::addColumn<bool>("modify");
    QTest::newRow("adding") << false;
    QTest::newRow("modifying") << true;
}

void TestPersons::duplicateCnp()
{
    QFETCH(bool, modify);
    Session s;
    s.addPersons({"M", "F"});
    QVERIFY(s.open());
    if (modify) {
        s.arrow("Last");
        s.click("Command2");
    } else {
        s.click("Command1");
        s.type("Text4", "NOU");
    }
    s.type("Text1", cnpOf(0));
    s.click("Command3");

    s.checkMessage("Mai există un zavon cu acest CNP !", "CNP identic.", Icon::Exclamation);
    QCOMPARE(s.enabled(), Browse);
    QCOMPARE(s.persons(), 2);
    QCOMPARE(s.stored("Nume", cnpOf(1)).toString(), QStringLiteral("P1"));
    QCOMPARE(s.text("Text1"), modify ? cnpOf(1) : cnpOf(0));
}

void TestPersons::otherStoreFailureKeepsEditing()
{
    Session s;
    s.reg.exec("CREATE TRIGGER refuse BEFORE INSERT ON TBL_Zavoni "
               "BEGIN SELECT RAISE(ABORT, 'refused'); END");
    QVERIFY(s.open());
    s.click("Command1");
    s.type("Text1", cnpOf(3));
    s.type("Text4", "ion");
    s.click("Command3");
    QCOMPARE(s.messages.count(), 0);
    QCOMPARE(s.enabled(), Editing);
    QCOMPARE(s.persons(), 0);

    s.reg.exec("DROP TRIGGER refuse");
    s.click("Command3");
    QCOMPARE(s.stored("Nume", cnpOf(3)).toString(), QStringLiteral("ION"));
    QCOMPARE(s.counter(), QStringLiteral("1/1"));
}

void TestPersons::cancelAdding()
{
    Session s;
    s.addPersons({"M", "F"});
    QVERIFY(s.open());
    s.arrow("Last");
    s.click("Command1");
    QCOMPARE(s.list("Combo1")->currentText(), QStringLiteral("M"));
    s.type("Text1", cnpOf(5));
    s.type("Text4", "nou");
    s.click("Command4");

    QCOMPARE(s.persons(), 2);
    QCOMPARE(s.enabled(), Browse);
    QCOMPARE(s.text("Text4"), QStringLiteral("P1"));
    QCOMPARE(s.list("Combo1")->currentText(), QStringLiteral("F"));
    QCOMPARE(s.counter(), QStringLiteral("2/2"));
}

void TestPersons::remove_data()
{
    QTest::addColumn<int>("persons");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QString>("counter");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("enabled");

    QTest::newRow("answered No") << 3 << false << "1/3" << "P0" << Browse;
    QTest::newRow("answered Yes") << 3 << true << "2/2" << "P2" << Browse;
    QTest::newRow("the only person") << 1 << true << "0/0" << "" << BrowseEmpty;
}

void TestPersons::remove()
{
    QFETCH(int, persons);
    QFETCH(bool, yes);
    Session s;
    s.addPersons(QStringList(persons, "M"));
    QVERIFY(s.open());
    s.messages.answer(yes ? Messages::Answer::Yes : Messages::Answer::No);
    s.click("Command5");

    s.checkMessage("Sunteti sigur că doriti să stergeti acest zavon ?", "Stergere.",
                   Icon::Critical);
    QCOMPARE(s.messages.last().buttons, Messages::Buttons::YesNo);
    QCOMPARE(s.messages.last().defaultAnswer, Messages::Answer::Yes);
    QCOMPARE(s.reg.count("TBL_Zavoni", "CNP_C = ?", {cnpOf(0)}), yes ? 0 : 1);
    QCOMPARE(s.persons(), yes ? persons - 1 : persons);
    QTEST(s.counter(), "counter");
    QTEST(s.text("Text4"), "shown");
    QTEST(s.enabled(), "enabled");
}

void TestPersons::close_data()
{
    QTest::addColumn<bool>("editing");
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("yes");

    QTest::newRow("browsing, Esc") << false << "Esc" << false;
    QTest::newRow("adding, Înapoi, No") << true << "Command6" << false;
    QTest::newRow("adding, Esc, No") << true << "Esc" << false;
    QTest::newRow("adding, Înapoi, Yes") << true << "Command6" << true;
    QTest::newRow("adding, close control, Yes") << true << "window" << true;
}

void TestPersons::close()
{
    QFETCH(bool, editing);
    QFETCH(QString, how);
    QFETCH(bool, yes);
    Session s;
    QVERIFY(s.open());
    if (editing) {
        s.click("Command1");
        s.type("Text1", cnpOf(4));
        s.type("Text4", "ion");
    }
    s.messages.answer(yes ? Messages::Answer::Yes : Messages::Answer::No);
    if (how == "Esc")
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    else if (how == "window")
        s.form->close();
    else
        s.click(how);

    const bool stays = editing && !yes;
    QCOMPARE(s.messages.count(), editing ? 1 : 0);
    QCOMPARE(s.chain.screen(ScreenKind::Persons) != nullptr, stays);
    QCOMPARE(s.persons(), 0);
    if (stays) {
        // The typed row is still pending and can be saved.
        QCOMPARE(s.enabled(), Editing);
        s.click("Command3");
        QCOMPARE(s.stored("Nume", cnpOf(4)).toString(), QStringLiteral("ION"));
    }
}

QTEST_MAIN(TestPersons)
#include "tst_persons.moc"
