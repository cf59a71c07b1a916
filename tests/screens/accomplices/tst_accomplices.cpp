#include "app/screenchain.h"
#include "common/scriptedmessages.h"
#include "common/testregister.h"
#include "common/uidriver.h"
#include "data/datacontrol.h"
#include "data/sourcetexts.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include <memory>

using Messages::Answer;
using Messages::Icon;

namespace {

const QString Person = QStringLiteral("1700101400011");
// Offences of the person, in the order the offences screen lists them.
enum Offence { Bribe, Theft, Forgery, Fraud };
const QString IonescuF = QStringLiteral("2800202400021"); // bribe and theft, Bucharest sector 3
const QString MarinescuF = QStringLiteral("2800303400032"); // bribe, no sector
const QString VasileM = QStringLiteral("1800404400043");    // bribe, Bucharest sector 5
const QString DobreM = QStringLiteral("1800505400054");     // theft only
const QString StanF = QStringLiteral("2900606400065");      // the only one of the fraud
const QString NewCnp = QStringLiteral("1851212400076");

const QString ExistsText = QStringLiteral(
    "Mai există un complice cu acest CNP ! Datele personale ale complicelui vor fi preluate "
    "din vechea înregistrare.");

} // namespace

class TestAccomplices : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void filters_data();
    void filters();
    void repositionFillsLists_data();
    void repositionFillsLists();
    void sectorRule_data();
    void sectorRule();
    void fieldRules_data();
    void fieldRules();
    void addStoresAccompliceAndLink();
    void saveChecks_data();
    void saveChecks();
    void failedCheckLeavesNoLinkBehind();
    void reuseOnAdd_data();
    void reuseOnAdd();
    void modify_data();
    void modify();
    void cancelAdd();
    void closingInEditMode();
    void deleteAccomplice_data();
    void deleteAccomplice();
    void offenceReadAtEachOpening();

private:
    QWidget *openAccomplices(int offence);
    void moveOffencesTo(int offence);
    QWidget *form3() const { return m_chain->screen(ScreenKind::Accomplices); }
    QLineEdit *box(const QString &name) const { return form3()->findChild<QLineEdit *>(name); }
    QComboBox *list(const QString &name) const { return form3()->findChild<QComboBox *>(name); }
    bool enabled(const QString &name) const
    {
        return form3()->findChild<QWidget *>(name)->isEnabled();
    }
    QString counter() const { return form3()->findChild<DataControl *>("Data1")->caption(); }
    QStringList listedNames() const;
    void click(const QString &name) { UiDriver::click(form3(), name); }
    void type(const QString &name, const QString &text) { UiDriver::type(form3(), name, text); }
    void pick(const QString &listName, char key);
    int links(const QString &cnp);
    int links(const QString &cnp, int offence);

    std::unique_ptr<TestRegister> m_register;
    std::unique_ptr<ScriptedMessages> m_messages;
    std::unique_ptr<ScreenChain> m_chain;
    QList<qint64> m_offences;
};

void TestAccomplices::init()
{
    m_register = std::make_unique<TestRegister>();
    TestRegister &r = *m_register;
    r.addPerson(Person, "POPESCU", "M", {{"Prenume", "ION"}});
    m_offences = {r.addOffence(Person, "LUARE DE MITĂ", "A"), r.addOffence(Person, "FURT", "D"),
                  r.addOffence(Person, "UZ DE FALS", "S"), r.addOffence(Person, "ÎNSELĂCIUNE", "S")};
    const QVariantMap bucharest3{{"Localitate", "BUCURESTI"}, {"sector", 3}};
    r.addAccomplice(IonescuF, "IONESCU", "F", m_offences[Bribe], bucharest3);
    r.addAccomplice(MarinescuF, "MARINESCU", "F", m_offences[Bribe],
                    {{"Localitate", "CLUJ-NAPOCA"}, {"Prenume", "ANA"}});
    r.addAccomplice(VasileM, "VASILE", "M", m_offences[Bribe],
                    {{"Localitate", "BUCURESTI"}, {"sector", 5}});
    r.addAccomplice(IonescuF, "IONESCU", "F", m_offences[Theft]);
    r.addAccomplice(DobreM, "DOBRE", "M", m_offences[Theft], {{"Porecla1", "DUDU"}});
    r.addAccomplice(StanF, "STAN", "F", m_offences[Fraud]);

    m_messages = std::make_unique<ScriptedMessages>();
    m_chain = std::make_unique<ScreenChain>();
    m_chain->open(ScreenKind::Persons);
    UiDriver::click(m_chain->screen(ScreenKind::Persons), "Command9");
    QVERIFY(m_chain->screen(ScreenKind::Offences));
}

void TestAccomplices::cleanup()
{
    m_chain.reset();
    // A screen closed by the test is deleted later; its connections go first.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    m_messages.reset();
    m_register.reset();
}

void TestAccomplices::moveOffencesTo(int offence)
{
    QWidget *form5 = m_chain->screen(ScreenKind::Offences);
    auto *data = form5->findChild<DataControl *>("Data1");
    // Until the offences screen selects its own rows, select the person's here.
    if (data->recordset()->recordCount() == 0) {
        data->setRecordSource(SourceTexts::OffencesOfPerson + SourceTexts::quotedKey(Person));
        data->refresh();
    }
    QTest::mouseClick(data->findChild<QToolButton *>("First"), Qt::LeftButton);
    for (int i = 0; i < offence; ++i)
        QTest::mouseClick(data->findChild<QToolButton *>("Next"), Qt::LeftButton);
    QCOMPARE(data->recordset()->value("cod_infractiune").toLongLong(), m_offences[offence]);
}

QWidget *TestAccomplices::openAccomplices(int offence)
{
    moveOffencesTo(offence);
    UiDriver::click(m_chain->screen(ScreenKind::Offences), "Command7");
    QWidget *form = form3();
    if (!form || QTest::currentTestFailed())
        return nullptr;
    UiDriver::activate(form);
    return form;
}

QStringList TestAccomplices::listedNames() const
{
    QAbstractItemModel *model = form3()->findChild<QTableView *>("DBGrid1")->model();
    QStringList names;
    for (int row = 0; row < model->rowCount(); ++row)
        names << model->index(row, 0).data().toString();
    return names;
}

void TestAccomplices::pick(const QString &listName, char key)
{
    QComboBox *combo = list(listName);
    combo->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(combo, key);
}

int TestAccomplices::links(const QString &cnp)
{
    return m_register->count("TBL_Complicitate", "CNP = ?", {cnp});
}

int TestAccomplices::links(const QString &cnp, int offence)
{
    return m_register->count("TBL_Complicitate", "CNP = ? AND COD_INFRACTIUNE = ?",
                             {cnp, m_offences[offence]});
}

void TestAccomplices::filters_data()
{
    QTest::addColumn<int>("offence");
    QTest::addColumn<QStringList>("presses");
    QTest::addColumn<QString>("counter");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("filterInForce");

    const QStringList all{"IONESCU", "MARINESCU", "VASILE"};
    QTest::newRow("opened") << int(Bribe) << QStringList{} << "1/3" << all << "Command9";
    QTest::newRow("women") << int(Bribe) << QStringList{"Command7"} << "1/2"
                           << QStringList{"IONESCU", "MARINESCU"} << "Command7";
    QTest::newRow("men") << int(Bribe) << QStringList{"Command8"} << "1/1"
                         << QStringList{"VASILE"} << "Command8";
    QTest::newRow("women, then all") << int(Bribe) << QStringList{"Command7", "Command9"} << "1/3"
                                     << all << "Command9";
    QTest::newRow("shared with another offence")
        << int(Theft) << QStringList{"Command7"} << "1/1" << QStringList{"IONESCU"} << "Command7";
    QTest::newRow("no accomplices") << int(Forgery) << QStringList{} << "0/0" << QStringList{}
                                    << "Command9";
    QTest::newRow("filter matching none") << int(Fraud) << QStringList{"Command8"} << "0/0"
                                          << QStringList{} << "Command8";
}

void TestAccomplices::filters()
{
    QFETCH(int, offence);
    QFETCH(QStringList, presses);
    QFETCH(QString, counter);
    QFETCH(QStringList, names);
    QFETCH(QString, filterInForce);

    QVERIFY(openAccomplices(offence));
    for (const QString &button : presses)
        click(button);

    QCOMPARE(this->counter(), counter);
    QCOMPARE(listedNames(), names);
    for (const char *button : {"Command7", "Command8", "Command9"})
        QCOMPARE(enabled(button), button != filterInForce);
    const bool any = !names.isEmpty();
    for (const char *control : {"Command2", "Command5", "Data1", "DBGrid1"})
        QCOMPARE(enabled(control), any);
    QVERIFY(enabled("Command1"));
    QVERIFY(!enabled("Command3"));
    QVERIFY(!enabled("Command4"));
    QVERIFY(box("Text1")->isReadOnly());
}

void TestAccomplices::repositionFillsLists_data()
{
    QTest::addColumn<int>("steps");
    QTest::addColumn<QString>("counter");
    QTest::addColumn<QString>("sex");
    QTest::addColumn<QString>("sector");
    QTest::addColumn<bool>("sectorEnabled");

    QTest::newRow("first") << 0 << "1/3" << "F" << "3" << true;
    QTest::newRow("empty sector keeps the previous one") << 1 << "2/3" << "F" << "3" << false;
    QTest::newRow("last") << 2 << "3/3" << "M" << "5" << true;
}

void TestAccomplices::repositionFillsLists()
{
    QFETCH(int, steps);
    QFETCH(QString, counter);
    QFETCH(QString, sex);
    QFETCH(QString, sector);
    QFETCH(bool, sectorEnabled);

    QVERIFY(openAccomplices(Bribe));
    auto *data = form3()->findChild<DataControl *>("Data1");
    for (int i = 0; i < steps; ++i)
        QTest::mouseClick(data->findChild<QToolButton *>("Next"), Qt::LeftButton);
    QCOMPARE(this->counter(), counter);
    QCOMPARE(list("Combo1")->currentText(), sex);
    QCOMPARE(list("Combo2")->currentText(), sector);
    QCOMPARE(list("Combo2")->isEnabled(), sectorEnabled);
}

void TestAccomplices::sectorRule_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("sectorEnabled");

    QTest::newRow("word not complete") << "bucurest" << false;
    QTest::newRow("lower case") << "bucuresti" << true;
    QTest::newRow("trailing space") << "bucuresti " << true;
    QTest::newRow("leading space, mixed case") << " BucuResti" << true;
    QTest::newRow("a further digit") << "bucuresti1" << false;
    QTest::newRow("another town") << "ploiesti" << false;
    QTest::newRow("emptied") << "" << false;
}

void TestAccomplices::sectorRule()
{
    QFETCH(QString, typed);
    QFETCH(bool, sectorEnabled);

    QVERIFY(openAccomplices(Bribe));
    click("Command1");
    type("Text11", "BUCURESTI");
    type("Text11", typed);
    QCOMPARE(list("Combo2")->isEnabled(), sectorEnabled);
    // The rule looks at the text; the text itself changes only on leaving.
    QCOMPARE(box("Text11")->text(), typed);
}

void TestAccomplices::fieldRules_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("left");

    QTest::newRow("CNP of 13 digits") << "Text1" << "2800202400021" << "2800202400021";
    QTest::newRow("CNP after a space") << "Text1" << " 123456789012" << "123456789012";
    QTest::newRow("CNP left empty") << "Text1" << "" << "0";
    QTest::newRow("CNP not a number") << "Text1" << "abc" << "0";
    QTest::newRow("CNP digits then letters") << "Text1" << "12A45" << "12";
    QTest::newRow("identity card series") << "Text2" << "rx" << "RX";
    QTest::newRow("identity card number") << "Text3" << " ab12 " << "AB12";
    QTest::newRow("name between spaces") << "Text4" << "  ion vasile  " << "ION VASILE";
    QTest::newRow("Romanian letter") << "Text5" << "ă" << "Ă";
    QTest::newRow("nickname") << "Text8" << "ţăndărică " << "ŢĂNDĂRICĂ";
    QTest::newRow("birth date kept as typed") << "Text9" << " 1.2.1980 " << " 1.2.1980 ";
    QTest::newRow("county") << "Text10" << "ilfov" << "ILFOV";
    QTest::newRow("town") << "Text11" << " cluj " << "CLUJ";
    QTest::newRow("flat") << "Text16" << " 12b" << "12B";
}

void TestAccomplices::fieldRules()
{
    QFETCH(QString, name);
    QFETCH(QString, typed);
    QFETCH(QString, left);

    QVERIFY(openAccomplices(Bribe));
    click("Command1");
    type(name, typed);
    QCOMPARE(box(name)->text(), typed);
    UiDriver::focus(form3(), "Combo1");
    QCOMPARE(box(name)->text(), left);
}

void TestAccomplices::addStoresAccompliceAndLink()
{
    QVERIFY(openAccomplices(Theft));
    QCOMPARE(counter(), "1/2");
    QCOMPARE(list("Combo1")->currentText(), "F");
    click("Command1");
    QCOMPARE(list("Combo1")->currentText(), "M");
    QCOMPARE(list("Combo2")->currentText(), "1");
    QCOMPARE(box("Text4")->text(), QString());
    QVERIFY(box("Text1")->hasFocus());
    for (const char *button : {"Command1", "Command2", "Command5", "Command7", "Command8",
                               "Command9", "Data1", "DBGrid1"})
        QVERIFY2(!enabled(button), button);

    type("Text1", NewCnp);
    type("Text4", "georgescu");
    type("Text7", "gogu");
    type("Text11", "bucuresti");
    pick("Combo1", 'F');
    pick("Combo2", '4');
    click("Command3");

    QCOMPARE(m_messages->count(), 0);
    QCOMPARE(counter(), "3/3");
    QCOMPARE(listedNames(), QStringList({"IONESCU", "DOBRE", "GEORGESCU"}));
    QCOMPARE(box("Text4")->text(), "GEORGESCU");
    QVERIFY(box("Text1")->isReadOnly());
    for (const char *button : {"Command1", "Command2", "Command5", "Command7", "Command8",
                               "Command9"})
        QVERIFY2(enabled(button), button);
    QVERIFY(!enabled("Command3"));

    QCOMPARE(m_register->count("TBL_Complici", "CNP = ? AND Nume = 'GEORGESCU' AND sex = 'F' "
                                               "AND Localitate = 'BUCURESTI' AND Porecla1 = 'GOGU'",
                               {NewCnp}),
             1);
    QCOMPARE(m_register
                 ->value("SELECT typeof(sector) || sector FROM TBL_Complici WHERE CNP = ?",
                         {NewCnp})
                 .toString(),
             "integer4");
    QCOMPARE(links(NewCnp), 1);
    QCOMPARE(links(NewCnp, Theft), 1);
}

void TestAccomplices::saveChecks_data()
{
    QTest::addColumn<QString>("cnp");
    QTest::addColumn<QString>("nickname");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("icon");
    QTest::addColumn<QString>("focus");

    const QString shortCnp = QStringLiteral(
        "Codul Numeric Personal (CNP) trebuie să contină 13 caractere.");
    QTest::newRow("CNP left empty becomes 0")
        << "" << "" << "Cheia primară." << shortCnp << int(Icon::Exclamation) << "Text1";
    QTest::newRow("twelve digits, no names: the CNP first")
        << "123456789012" << "" << "Cheia primară." << shortCnp << int(Icon::Exclamation)
        << "Text1";
    QTest::newRow("no names")
        << NewCnp << "" << "Date insuficiente."
        << "Trebuie completat cel putin unul din câmpurile: NUME, PRENUME, PORECLA 1, PORECLA 2."
        << int(Icon::Exclamation) << "Text4";
    QTest::newRow("a second nickname is enough") << NewCnp << "ZIZI" << "" << "" << 0 << "";
}

void TestAccomplices::saveChecks()
{
    QFETCH(QString, cnp);
    QFETCH(QString, nickname);
    QFETCH(QString, title);
    QFETCH(QString, text);
    QFETCH(int, icon);
    QFETCH(QString, focus);

    QVERIFY(openAccomplices(Bribe));
    const int before = m_register->count("TBL_Complici");
    click("Command1");
    type("Text1", cnp);
    type("Text8", nickname);
    type("Text12", "strada mare");
    click("Command3");

    if (title.isEmpty()) {
        QCOMPARE(m_messages->count(), 0);
        QCOMPARE(m_register->count("TBL_Complici"), before + 1);
        QCOMPARE(links(cnp, Bribe), 1);
        return;
    }
    QCOMPARE(m_messages->count(), 1);
    QCOMPARE(m_messages->last().title, title);
    QCOMPARE(m_messages->last().text, text);
    QCOMPARE(int(m_messages->last().icon), icon);
    QVERIFY(form3()->findChild<QWidget *>(focus)->hasFocus());
    QVERIFY(enabled("Command3"));
    QCOMPARE(box("Text12")->text(), "STRADA MARE");
    QCOMPARE(m_register->count("TBL_Complici"), before);
    QCOMPARE(m_register->count("TBL_Complicitate"), 6);
}

void TestAccomplices::failedCheckLeavesNoLinkBehind()
{
    QVERIFY(openAccomplices(Bribe));
    click("Command1");
    type("Text1", "2991111400087");
    click("Command3");
    click("Command3");
    QCOMPARE(m_messages->count(), 2);
    QCOMPARE(m_messages->last().title, "Date insuficiente.");

    // The link follows the CNP of the save that succeeds, not of those that failed.
    type("Text1", NewCnp);
    type("Text6", "maria");
    click("Command3");
    QCOMPARE(m_messages->count(), 2);
    QVERIFY(!enabled("Command3"));
    QCOMPARE(links(NewCnp), 1);
    QCOMPARE(links(NewCnp, Bribe), 1);
    QCOMPARE(links("2991111400087"), 0);
    QCOMPARE(m_register->count("TBL_Complicitate"), 7);
    QCOMPARE(counter(), "4/4");
}

void TestAccomplices::reuseOnAdd_data()
{
    QTest::addColumn<QString>("cnp");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("current");
    QTest::addColumn<int>("links");

    QTest::newRow("recorded for another offence")
        << DobreM << "" << QStringList{"IONESCU", "MARINESCU", "VASILE", "DOBRE"} << "DOBRE" << 2;
    QTest::newRow("already an accomplice of this offence")
        << VasileM << "" << QStringList{"IONESCU", "MARINESCU", "VASILE"} << "VASILE" << 1;
    QTest::newRow("filter in force kept")
        << DobreM << "Command7" << QStringList{"IONESCU", "MARINESCU"} << "MARINESCU" << 2;
}

void TestAccomplices::reuseOnAdd()
{
    QFETCH(QString, cnp);
    QFETCH(QString, filter);
    QFETCH(QStringList, names);
    QFETCH(QString, current);
    QFETCH(int, links);

    QVERIFY(openAccomplices(Bribe));
    if (!filter.isEmpty())
        click(filter);
    const int accomplices = m_register->count("TBL_Complici");
    click("Command1");
    type("Text1", cnp);
    type("Text4", "altcineva");
    type("Text11", "bucuresti");
    pick("Combo2", '6');
    click("Command3");

    QCOMPARE(m_messages->count(), 1);
    QCOMPARE(m_messages->last().title, "Există deja.");
    QCOMPARE(m_messages->last().text, ExistsText);
    QCOMPARE(m_messages->last().icon, Icon::Exclamation);
    QCOMPARE(listedNames(), names);
    QCOMPARE(counter(), QStringLiteral("%1/%1").arg(names.size()));
    QCOMPARE(box("Text4")->text(), current);
    QVERIFY(!enabled("Command3"));
    QVERIFY(box("Text1")->isReadOnly());
    QVERIFY(enabled("Command7") && enabled("Command8") && enabled("Command9"));

    QCOMPARE(m_register->count("TBL_Complici"), accomplices);
    QCOMPARE(m_register->count("TBL_Complici", "Nume = 'ALTCINEVA' OR sector = 6"), 0);
    QCOMPARE(this->links(cnp), links);
    QCOMPARE(this->links(cnp, Bribe), 1);
}

void TestAccomplices::modify_data()
{
    QTest::addColumn<QString>("cnp");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("messages");
    QTest::addColumn<QStringList>("stored");

    QTest::newRow("changes stored") << MarinescuF << "marin" << 0
                                    << QStringList{MarinescuF, "MARIN", "M"};
    QTest::newRow("CNP of another recorded accomplice")
        << IonescuF << "marin" << 1 << QStringList{MarinescuF, "MARINESCU", "F"};
}

void TestAccomplices::modify()
{
    QFETCH(QString, cnp);
    QFETCH(QString, name);
    QFETCH(int, messages);
    QFETCH(QStringList, stored);

    QVERIFY(openAccomplices(Bribe));
    QTest::mouseClick(form3()->findChild<QToolButton *>("Next"), Qt::LeftButton);
    QCOMPARE(box("Text4")->text(), "MARINESCU");
    click("Command2");
    type("Text1", cnp);
    type("Text4", name);
    pick("Combo1", 'M');
    click("Command3");

    QCOMPARE(m_messages->count(), messages);
    if (messages)
        QCOMPARE(m_messages->last().title, "Există deja.");
    QVERIFY(!enabled("Command3"));
    QCOMPARE(counter(), "3/3");
    QCOMPARE(m_register
                 ->value("SELECT CNP || ' ' || Nume || ' ' || sex FROM TBL_Complici "
                         "WHERE rowid = 2")
                 .toString(),
             stored.join(' '));
    QCOMPARE(m_register->value("SELECT Prenume FROM TBL_Complici WHERE rowid = 2").toString(),
             "ANA");
    QCOMPARE(m_register->count("TBL_Complici"), 5);
    QCOMPARE(m_register->count("TBL_Complicitate"), 6);
    QCOMPARE(links(IonescuF), 2);
}

void TestAccomplices::cancelAdd()
{
    QVERIFY(openAccomplices(Bribe));
    click("Command1");
    type("Text1", NewCnp);
    type("Text4", "renuntat");
    click("Command4");
    QCOMPARE(counter(), "1/3");
    QCOMPARE(box("Text4")->text(), "IONESCU");
    QCOMPARE(list("Combo1")->currentText(), "F");
    QVERIFY(box("Text4")->isReadOnly());
    QVERIFY(enabled("Command2"));
    QCOMPARE(m_register->count("TBL_Complici"), 5);
}

void TestAccomplices::closingInEditMode()
{
    QVERIFY(openAccomplices(Bribe));
    click("Command1");
    type("Text1", NewCnp);
    type("Text4", "nesalvat");
    m_messages->answer(Answer::No);
    click("Command6");
    QCOMPARE(m_messages->count(), 1);
    QVERIFY(form3());
    QVERIFY(enabled("Command3"));

    m_messages->answer(Answer::Yes);
    click("Command6");
    QVERIFY(!form3());
    QCOMPARE(m_register->count("TBL_Complici"), 5);
    QCOMPARE(links(NewCnp), 0);
}

void TestAccomplices::deleteAccomplice_data()
{
    QTest::addColumn<int>("offence");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QString>("cnp");
    QTest::addColumn<QString>("counter");
    QTest::addColumn<int>("accompliceRows");
    QTest::addColumn<int>("links");

    QTest::newRow("shared, answered No") << int(Bribe) << false << IonescuF << "1/3" << 1 << 2;
    QTest::newRow("shared, answered Yes") << int(Bribe) << true << IonescuF << "2/2" << 1 << 1;
    QTest::newRow("the only one") << int(Fraud) << true << StanF << "0/0" << 0 << 0;
}

void TestAccomplices::deleteAccomplice()
{
    QFETCH(int, offence);
    QFETCH(bool, yes);
    QFETCH(QString, cnp);
    QFETCH(QString, counter);
    QFETCH(int, accompliceRows);
    QFETCH(int, links);

    QVERIFY(openAccomplices(offence));
    m_messages->answer(yes ? Answer::Yes : Answer::No);
    click("Command5");
    QCOMPARE(m_messages->count(), 1);
    QCOMPARE(m_messages->last().title, "Stergere.");
    QCOMPARE(m_messages->last().text, "Sunteti sigur că doriti să stergeti acest complice ?");
    QCOMPARE(m_messages->last().icon, Icon::Critical);
    QCOMPARE(m_messages->last().buttons, Messages::Buttons::YesNo);

    QCOMPARE(this->counter(), counter);
    QCOMPARE(m_register->count("TBL_Complici", "CNP = ?", {cnp}), accompliceRows);
    QCOMPARE(this->links(cnp), links);
    QCOMPARE(this->links(cnp, offence), yes ? 0 : 1);
    const bool any = counter != "0/0";
    for (const char *control : {"Command2", "Command5", "Data1", "DBGrid1"})
        QCOMPARE(enabled(control), any);
    QVERIFY(enabled("Command1") && enabled("Command6"));
    if (offence == Bribe && yes)
        QCOMPARE(listedNames(), QStringList({"MARINESCU", "VASILE"}));
}

void TestAccomplices::offenceReadAtEachOpening()
{
    QVERIFY(openAccomplices(Bribe));
    QCOMPARE(form3()->findChild<QLabel *>("Label40")->text(), "LUARE DE MITĂ");
    QCOMPARE(listedNames(), QStringList({"IONESCU", "MARINESCU", "VASILE"}));
    click("Command6");
    QVERIFY(!form3());

    QVERIFY(openAccomplices(Theft));
    QCOMPARE(form3()->findChild<QLabel *>("Label40")->text(), "FURT");
    QCOMPARE(listedNames(), QStringList({"IONESCU", "DOBRE"}));
    QCOMPARE(counter(), "1/2");
    // The shared accomplice shows the same recorded data for each offence.
    QCOMPARE(box("Text11")->text(), "BUCURESTI");
    QCOMPARE(list("Combo2")->currentText(), "3");

    click("Command1");
    type("Text1", NewCnp);
    type("Text4", "nou");
    click("Command3");
    QCOMPARE(links(NewCnp, Theft), 1);
    QCOMPARE(links(NewCnp), 1);
}

QTEST_MAIN(TestAccomplices)
#include "tst_accomplices.moc"
