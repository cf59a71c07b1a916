#include "common/scriptedmessages.h"
#include "common/testregister.h"
#include "common/uidriver.h"

#include "app/form1.h"
#include "app/screenchain.h"
#include "widgets/datacontrol.h"
#include "screens/common/lockablecombobox.h"

#include <QLabel>
#include <QRadioButton>
#include <QTest>

// The road an operator takes every day, from the start window to the articles
// screen and back, storing an offence, an accomplice and an article on the way.
class TestRoad : public QObject
{
    Q_OBJECT

private slots:
    void typicalRoad();
};

void TestRoad::typicalRoad()
{
    TestRegister reg;
    reg.addPerson("1000000000001", "POPESCU");
    reg.addPerson("2000000000002", "ȘTEFĂNESCU", "F", {{"Prenume", "ANA"}});
    ScriptedMessages messages;
    ScreenChain chain;
    Form1 form1(&chain);
    QVERIFY(UiDriver::activate(&form1));

    UiDriver::click(&form1, "Command1");
    QWidget *persons = chain.screen(ScreenKind::Persons);
    auto *personsData = persons->findChild<DataControl *>("Data1");
    QCOMPARE(personsData->caption(), QString("1/2"));
    personsData->findChild<QWidget *>("Next")->setFocus();
    QTest::mouseClick(personsData->findChild<QWidget *>("Next"), Qt::LeftButton);
    QCOMPARE(personsData->caption(), QString("2/2"));

    UiDriver::click(persons, "Command9");
    QWidget *offences = chain.screen(ScreenKind::Offences);
    QVERIFY(UiDriver::activate(offences));
    QCOMPARE(offences->findChild<QLabel *>("Label11")->text(), QString("2000000000002"));
    QCOMPARE(offences->findChild<QLabel *>("Label12")->text(), QString("ȘTEFĂNESCU"));
    auto *offencesData = offences->findChild<DataControl *>("Data1");
    QCOMPARE(offencesData->caption(), QString("0/0"));

    UiDriver::click(offences, "Command1");
    offences->findChild<LockableComboBox *>("Combo1")->setListText("LUARE DE MITĂ");
    UiDriver::type(offences, "Text1", "a primit bani");
    QTest::mouseClick(offences->findChild<QRadioButton *>("Option1"), Qt::LeftButton);
    UiDriver::type(offences, "Text3", "1500 lei");
    UiDriver::click(offences, "Command3");
    QCOMPARE(messages.count(), 0);
    QCOMPARE(offencesData->caption(), QString("1/1"));
    const qint64 code = reg.value("SELECT COD_infractiune FROM TBL_Infractiuni "
                                  "WHERE CNP_C = '2000000000002' AND Infractiune = 'LUARE DE MITĂ' "
                                  "AND Pedeapsa = 'A' AND Amenda = '1500'")
                            .toLongLong();
    QVERIFY(code > 0);

    UiDriver::click(offences, "Command7");
    QWidget *accomplices = chain.screen(ScreenKind::Accomplices);
    QVERIFY(UiDriver::activate(accomplices));
    QCOMPARE(accomplices->findChild<DataControl *>("Data1")->caption(), QString("0/0"));
    UiDriver::click(accomplices, "Command1");
    UiDriver::type(accomplices, "Text1", "3000000000003");
    UiDriver::type(accomplices, "Text4", "ionescu");
    UiDriver::click(accomplices, "Command3");
    QCOMPARE(messages.count(), 0);
    QCOMPARE(accomplices->findChild<DataControl *>("Data1")->caption(), QString("1/1"));
    QCOMPARE(reg.count("TBL_Complici", "CNP = '3000000000003' AND Nume = 'IONESCU'"), 1);
    QCOMPARE(reg.count("TBL_Complicitate", "CNP = '3000000000003' AND COD_INFRACTIUNE = ?",
                       {code}),
             1);
    UiDriver::click(accomplices, "Command6");
    QVERIFY(!chain.screen(ScreenKind::Accomplices));

    QVERIFY(UiDriver::activate(offences));
    UiDriver::click(offences, "Command8");
    QWidget *articles = chain.screen(ScreenKind::Articles);
    QVERIFY(UiDriver::activate(articles));
    QCOMPARE(articles->findChild<QLabel *>("Label25")->text(), QString("LUARE DE MITĂ"));
    UiDriver::click(articles, "Command1");
    UiDriver::type(articles, "Text2", "gazeta de sud");
    UiDriver::type(articles, "Text1", "Un articol.");
    UiDriver::click(articles, "Command3");
    QCOMPARE(messages.count(), 0);
    QCOMPARE(reg.count("TBL_Articole", "Cod_infractiune = ? AND Publicatie = 'GAZETA DE SUD'",
                       {code}),
             1);
    UiDriver::click(articles, "Command6");

    QVERIFY(UiDriver::activate(offences));
    UiDriver::click(offences, "Command6");
    QCOMPARE(chain.stack(), QList<ScreenKind>{ScreenKind::Persons});
    QVERIFY(UiDriver::activate(persons));
    UiDriver::click(persons, "Command6");
    QVERIFY(chain.stack().isEmpty());
    QVERIFY(form1.isVisible());
    QCOMPARE(messages.count(), 0);
}

QTEST_MAIN(TestRoad)
#include "tst_road.moc"
