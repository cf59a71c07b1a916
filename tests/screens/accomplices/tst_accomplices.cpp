#include "app/screenchain.h"
#include "common/scriptedmessages.h"
#include "common/testregister.h"
#include "common/uidriver.h"
#include "data/datacontrol.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include <memory>

using Messages::Answer;
using Messages::Icon;

namespace {

const QString Person = QStringLiteral("1700101400011");
// The person's offences, in the order the offences screen lists them.
enum Offence { Bribe, Theft, Forgery, Fraud };
const QString IonescuF = QStringLiteral("2800202400021"); // bribe and theft; sector 3
const QString MarinescuF = QStringLiteral("2800303400032"); // bribe; no sector
const QString VasileM = QStringLiteral("1800404400043");    // bribe; sector 5
const QString DobreM = QStringLiteral("1800505400054");     // theft
const QString StanF = QStringLiteral("2900606400065");      // the only one of the fraud
const QString NewCnp = QStringLiteral("1851212400076");
const QStringList BribeNames{"IONESCU", "MARINESCU", "VASILE"};

} // namespace

class TestAccomplices : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void filters_data();
    void filters();
    void sectorRule_data();
    void sectorRule();
    void fieldRules_data();
    void fieldRules();
    void addStoresAccompliceAndLink();
    void saveChecks_data();
    void saveChecks();
    void failedChecksLeaveNoLinkBehind();
    void reuseOnAdd_data();
    void reuseOnAdd();
    void modify_data();
    void modify();
    void leavingAnAdd_data();
    void leavingAnAdd();
    void deleteAccomplice_data();
    void deleteAccomplice();
    void offenceReadAtEachOpening();

private:
    bool openAccomplices(int offence);
    QWidget *form() const { return m_chain->screen(ScreenKind::Accomplices); }
    QLineEdit *box(const QString &name) const { return form()->findChild<QLineEdit *>(name); }
    QString listText(const QString &name) const
    {
        return form()->findChild<QComboBox *>(name)->currentText();
    }
    bool enabled(const QString &name) const
    {
        return form()->findChild<QWidget *>(name)->isEnabled();
    }
    QString counter() const { return form()->findChild<DataControl *>("Data1")->caption(); }
    QStringList listedNames() const;
    void click(const QString &name) { UiDriver::click(form(), name); }
    void type(const QString &name, const QString &text) { UiDriver::type(form(), name, text); }
    void pick(const QString &listName, char key);
    void next(QWidget *window)
    {
        QTest::mouseClick(window->findChild<QToolButton *>("Next"), Qt::LeftButton);
    }
    int links(const QString &cnp, const QString &where = "1");

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
                  r.addOffence(Person, "UZ DE FALS", "S"),
                  r.addOffence(Person, "ÎNSELĂCIUNE", "S")};
    r.addAccomplice(IonescuF, "IONESCU", "F", m_offences[Bribe],
                    {{"Localitate", "BUCURESTI"}, {"sector", 3}});
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
    // A screen the test closed is deleted later; its connections go before the file.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    m_messages.reset();
    m_register.reset();
}

bool TestAccomplices::openAccomplices(int offence)
{
    QWidget *offences = m_chain->screen(ScreenKind::Offences);
    auto *data = offences->findChild<DataControl *>("Data1");
    QTest::mouseClick(data->findChild<QToolButton *>("First"), Qt::LeftButton);
    for (int i = 0; i < offence; ++i)
        next(data);
    if (data->recordset()->value("cod_infractiune").toLongLong() != m_offences[offence])
        return false;
    UiDriver::click(offences, "Command7");
    return form() && UiDriver::activate(form());
}

QStringList TestAccomplices::listedNames() const
{
    QAbstractItemModel *model = form()->findChild<QTableView *>("DBGrid1")->model();
    QStringList names;
    for (int row = 0; row < model->rowCount(); ++row)
        names << model->index(row, 0).data().toString();
    return names;
}

void TestAccomplices::pick(const QString &listName, char key)
{
    auto *list = form()->findChild<QComboBox *>(listName);
    list->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(list, key);
}

int TestAccomplices::links(const QString &cnp, const QString &where)
{
    return m_register->count("TBL_Complicitate", "CNP = ? AND " + where, {cnp});
}

void TestAccomplices::filters_data()
{
    QTest::addColumn<int>("offence");
    QTest::addColumn<QStringList>("presses");
    QTest::addColumn<QString>("counter");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("filterInForce");

    QTest::newRow("opened") << int(Bribe) << QStringList{} << "1/3" << BribeNames << "Command9";
    QTest::newRow("women") << int(Bribe) << QStringList{"Command7"} << "1/2"
                           << QStringList{"IONESCU", "MARINESCU"} << "Command7";
    QTest::newRow("men") << int(Bribe) << QStringList{"Command8"} << "1/1"
                         << QStringList{"VASILE"} << "Command8";
    QTest::newRow("women, then all") << int(Bribe) << QStringList{"Command7", "Command9"}
                                     << "1/3" << BribeNames << "Command9";
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
    for (const QString button : {"Command7", "Command8", "Command9"})
        QCOMPARE(enabled(button), button != filterInForce);
    for (const char *control : {"Command2", "Command5", "Data1", "DBGrid1"})
        QCOMPARE(enabled(control), !names.isEmpty());
    QVERIFY(enabled("Command1") && !enabled("Command3") && !enabled("Command4"));
    QVERIFY(box("Text1")->isReadOnly());
    if (presses.isEmpty())
        QVERIFY(form()->findChild<QWidget *>("Command1")->hasFocus());
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
    QCOMPARE(enabled("Combo2"), sectorEnabled);
    QCOMPARE(box("Text11")->text(), typed); // settled only on leaving the box
}

void TestAccomplices::fieldRules_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("left");

    QTest::newRow("CNP of 13 digits") << "Text1" << "2800202400021" << "2800202400021";
    QTest::newRow("CNP after a space") << "Text1" << " 123456789012" << "123456789012";
    QTest::newRow("CNP left empty") << "Text1" << "" << "0";
    QTest::newRow("CNP digits then letters") << "Text1" << "12A45" << "12";
    QTest::newRow("identity card number") << "Text3" << " ab12 " << "AB12";
    QTest::newRow("name between spaces") << "Text4" << "  ion vasile  " << "ION VASILE";
    QTest::newRow("Romanian letters") << "Text8" << "ţăndărică " << "ŢĂNDĂRICĂ";
    QTest::newRow("birth date kept as typed") << "Text9" << " 1.2.1980 " << " 1.2.1980 ";
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
    UiDriver::focus(form(), "Combo1");
    QCOMPARE(box(name)->text(), left);
}

void TestAccomplices::addStoresAccompliceAndLink()
{
    QVERIFY(openAccomplices(Theft));
    QCOMPARE(listText("Combo1"), "F");
    click("Command1");
    QCOMPARE(listText("Combo1"), "M");
    QCOMPARE(listText("Combo2"), "1");
    QCOMPARE(box("Text4")->text(), QString());
    QVERIFY(box("Text1")->hasFocus());
    for (const char *control : {"Command1", "Command2", "Command5", "Command7", "Command8",
                                "Command9", "Data1", "DBGrid1"})
        QVERIFY2(!enabled(control), control);

    type("Text1", NewCnp);
    type("Text4", "georgescu");
    type("Text11", "bucuresti");
    pick("Combo1", 'F');
    pick("Combo2", '4');
    click("Command3");

    QCOMPARE(m_messages->count(), 0);
    QCOMPARE(counter(), "3/3");
    QCOMPARE(listedNames(), QStringList({"IONESCU", "DOBRE", "GEORGESCU"}));
    QCOMPARE(box("Text4")->text(), "GEORGESCU");
    QVERIFY(box("Text1")->isReadOnly() && !enabled("Command3"));
    for (const char *button : {"Command1", "Command2", "Command5", "Command7", "Command8",
                               "Command9"})
        QVERIFY2(enabled(button), button);
    QCOMPARE(m_register->value("SELECT Nume || sex || Localitate || typeof(sector) || sector "
                               "FROM TBL_Complici WHERE CNP = ?", {NewCnp}).toString(),
             "GEORGESCUFBUCURESTIinteger4");
    QCOMPARE(links(NewCnp), 1);
    QCOMPARE(links(NewCnp, QString("COD_INFRACTIUNE = %1").arg(m_offences[Theft])), 1);
}

void TestAccomplices::saveChecks_data()
{
    QTest::addColumn<QString>("cnp");
    QTest::addColumn<QString>("nickname");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("focus");

    const QString shortCnp("Codul Numeric Personal (CNP) trebuie să contină 13 caractere.");
    QTest::newRow("CNP left empty becomes 0")
        << "" << "" << "Cheia primară." << shortCnp << "Text1";
    QTest::newRow("twelve digits, no names: the CNP first")
        << "123456789012" << "" << "Cheia primară." << shortCnp << "Text1";
    QTest::newRow("no names")
        << NewCnp << "" << "Date insuficiente."
        << "Trebuie completat cel putin unul din câmpurile: NUME, PRENUME, PORECLA 1, PORECLA 2."
        << "Text4";
    QTest::newRow("a second nickname is enough") << NewCnp << "ZIZI" << "" << "" << "";
}

void TestAccomplices::saveChecks()
{
    QFETCH(QString, cnp);
    QFETCH(QString, nickname);
    QFETCH(QString, title);
    QFETCH(QString, text);
    QFETCH(QString, focus);

    QVERIFY(openAccomplices(Bribe));
    click("Command1");
    type("Text1", cnp);
    type("Text8", nickname);
    type("Text12", "strada mare");
    click("Command3");

    const bool stored = title.isEmpty();
    QCOMPARE(m_register->count("TBL_Complici"), stored ? 6 : 5);
    QCOMPARE(m_register->count("TBL_Complicitate"), stored ? 7 : 6);
    QCOMPARE(enabled("Command3"), !stored);
    if (stored)
        return;
    QCOMPARE(m_messages->count(), 1);
    QCOMPARE(m_messages->last().title, title);
    QCOMPARE(m_messages->last().text, text);
    QCOMPARE(int(m_messages->last().icon), int(Icon::Exclamation));
    QVERIFY(form()->findChild<QWidget *>(focus)->hasFocus());
    QCOMPARE(box("Text12")->text(), "STRADA MARE");
}

void TestAccomplices::failedChecksLeaveNoLinkBehind()
{
    QVERIFY(openAccomplices(Bribe));
    click("Command1");
    type("Text1", "2991111400087");
    click("Command3");
    click("Command3");
    QCOMPARE(m_messages->count(), 2);
    QCOMPARE(m_messages->last().title, "Date insuficiente.");

    // The link takes the CNP of the save that succeeds, not of those that failed.
    type("Text1", NewCnp);
    type("Text6", "maria");
    click("Command3");
    QCOMPARE(m_messages->count(), 2);
    QCOMPARE(counter(), "4/4");
    QCOMPARE(links(NewCnp, QString("COD_INFRACTIUNE = %1").arg(m_offences[Bribe])), 1);
    QCOMPARE(m_register->count("TBL_Complicitate"), 7);
}

void TestAccomplices::reuseOnAdd_data()
{
    QTest::addColumn<QString>("cnp");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("current");
    QTest::addColumn<int>("links");

    QTest::newRow("recorded for another offence")
        << DobreM << "" << BribeNames + QStringList{"DOBRE"} << "DOBRE" << 2;
    QTest::newRow("already an accomplice of this offence")
        << VasileM << "" << BribeNames << "VASILE" << 1;
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
    click("Command1");
    type("Text1", cnp);
    type("Text4", "altcineva");
    type("Text11", "bucuresti");
    pick("Combo2", '6');
    click("Command3");

    QCOMPARE(m_messages->count(), 1);
    QCOMPARE(m_messages->last().title, "Există deja.");
    QCOMPARE(m_messages->last().text,
             "Mai există un complice cu acest CNP ! Datele personale ale complicelui vor fi "
             "preluate din vechea înregistrare.");
    QCOMPARE(int(m_messages->last().icon), int(Icon::Exclamation));
    QCOMPARE(listedNames(), names);
    QCOMPARE(counter(), QStringLiteral("%1/%1").arg(names.size()));
    QCOMPARE(box("Text4")->text(), current);
    QVERIFY(box("Text1")->isReadOnly() && !enabled("Command3"));
    QVERIFY(enabled("Command7") && enabled("Command8") && enabled("Command9"));
    QCOMPARE(m_register->count("TBL_Complici"), 5);
    QCOMPARE(m_register->count("TBL_Complici", "Nume = 'ALTCINEVA' OR sector = 6"), 0);
    QCOMPARE(this->links(cnp), links);
    QCOMPARE(this->links(cnp, QString("COD_INFRACTIUNE = %1").arg(m_offences[Bribe])), 1);
}

void TestAccomplices::modify_data()
{
    QTest::addColumn<QString>("cnp");
    QTest::addColumn<int>("messages");
    QTest::addColumn<QString>("stored");

    QTest::newRow("changes stored") << MarinescuF << 0 << MarinescuF + " MARIN M ANA";
    QTest::newRow("CNP of another recorded accomplice")
        << IonescuF << 1 << MarinescuF + " MARINESCU F ANA";
}

void TestAccomplices::modify()
{
    QFETCH(QString, cnp);
    QFETCH(int, messages);
    QFETCH(QString, stored);

    QVERIFY(openAccomplices(Bribe));
    next(form());
    click("Command2");
    type("Text1", cnp);
    type("Text4", "marin");
    pick("Combo1", 'M');
    click("Command3");

    QCOMPARE(m_messages->count(), messages);
    QVERIFY(!enabled("Command3"));
    QCOMPARE(counter(), "3/3");
    QCOMPARE(m_register->value("SELECT CNP || ' ' || Nume || ' ' || sex || ' ' || Prenume "
                               "FROM TBL_Complici WHERE rowid = 2").toString(),
             stored);
    QCOMPARE(m_register->count("TBL_Complici"), 5);
    QCOMPARE(m_register->count("TBL_Complicitate"), 6);
}

void TestAccomplices::leavingAnAdd_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("open");

    QTest::newRow("Anulează") << "Command4" << int(Answer::No) << true;
    QTest::newRow("Înapoi, staying") << "Command6" << int(Answer::No) << true;
    QTest::newRow("Înapoi, leaving") << "Command6" << int(Answer::Yes) << false;
}

void TestAccomplices::leavingAnAdd()
{
    QFETCH(QString, button);
    QFETCH(int, answer);
    QFETCH(bool, open);

    QVERIFY(openAccomplices(Bribe));
    click("Command1");
    type("Text1", NewCnp);
    type("Text4", "nesalvat");
    m_messages->answer(Answer(answer));
    click(button);

    QCOMPARE(m_messages->count(), button == "Command6" ? 1 : 0);
    QCOMPARE(form() != nullptr, open);
    if (form() && button == "Command4") {
        QCOMPARE(counter(), "1/3");
        QCOMPARE(box("Text4")->text(), "IONESCU");
        QCOMPARE(listText("Combo1"), "F");
        QVERIFY(box("Text4")->isReadOnly() && enabled("Command2"));
    } else if (form()) {
        QVERIFY(enabled("Command3"));
        QCOMPARE(box("Text4")->text(), "NESALVAT");
    }
    QCOMPARE(m_register->count("TBL_Complici"), 5);
    QCOMPARE(links(NewCnp), 0);
}

void TestAccomplices::deleteAccomplice_data()
{
    QTest::addColumn<int>("offence");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QString>("cnp");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<int>("accompliceRows");
    QTest::addColumn<int>("links");

    QTest::newRow("shared, answered No") << int(Bribe) << false << IonescuF << BribeNames << 1 << 2;
    QTest::newRow("shared, answered Yes") << int(Bribe) << true << IonescuF
                                          << QStringList{"MARINESCU", "VASILE"} << 1 << 1;
    QTest::newRow("the only one") << int(Fraud) << true << StanF << QStringList{} << 0 << 0;
}

void TestAccomplices::deleteAccomplice()
{
    QFETCH(int, offence);
    QFETCH(bool, yes);
    QFETCH(QString, cnp);
    QFETCH(QStringList, names);
    QFETCH(int, accompliceRows);
    QFETCH(int, links);

    QVERIFY(openAccomplices(offence));
    m_messages->answer(yes ? Answer::Yes : Answer::No);
    click("Command5");
    QCOMPARE(m_messages->count(), 1);
    QCOMPARE(m_messages->last().title, "Stergere.");
    QCOMPARE(m_messages->last().text, "Sunteti sigur că doriti să stergeti acest complice ?");
    QCOMPARE(int(m_messages->last().icon), int(Icon::Critical));
    QCOMPARE(int(m_messages->last().buttons), int(Messages::Buttons::YesNo));

    QCOMPARE(listedNames(), names);
    const qsizetype count = names.size();
    QCOMPARE(counter(), QStringLiteral("%1/%2").arg(yes ? count : 1).arg(count));
    QCOMPARE(m_register->count("TBL_Complici", "CNP = ?", {cnp}), accompliceRows);
    QCOMPARE(this->links(cnp), links);
    for (const char *control : {"Command2", "Command5", "Data1", "DBGrid1"})
        QCOMPARE(enabled(control), count > 0);
    QVERIFY(enabled("Command1") && enabled("Command6"));
}

void TestAccomplices::offenceReadAtEachOpening()
{
    QVERIFY(openAccomplices(Bribe));
    QCOMPARE(form()->findChild<QLabel *>("Label40")->text(), "LUARE DE MITĂ");
    QCOMPARE(listedNames(), BribeNames);
    click("Command6");
    QVERIFY(!form());

    QVERIFY(openAccomplices(Theft));
    QCOMPARE(form()->findChild<QLabel *>("Label40")->text(), "FURT");
    QCOMPARE(listedNames(), QStringList({"IONESCU", "DOBRE"}));
    QCOMPARE(counter(), "1/2");
    // The shared accomplice shows the same recorded data for each offence.
    QCOMPARE(box("Text11")->text(), "BUCURESTI");
    QCOMPARE(listText("Combo2"), "3");
    QVERIFY(enabled("Combo2"));
    // A row without a sector leaves the list showing the previous one.
    next(form());
    QCOMPARE(listText("Combo1"), "M");
    QCOMPARE(listText("Combo2"), "3");
    QVERIFY(!enabled("Combo2"));
}

QTEST_MAIN(TestAccomplices)
#include "tst_accomplices.moc"
