#include "common/scriptedmessages.h"
#include "common/testregister.h"
#include "common/uidriver.h"

#include "app/form1.h"
#include "app/screenchain.h"
#include "widgets/datacontrol.h"

#include <QPushButton>
#include <QTest>

// The start window and the modal chain of screens above it.
class TestChain : public QObject
{
    Q_OBJECT

private slots:
    void startWindow();
    void chainOpensAndClosesInOrder();
    void screensComeBackFresh();
};

void TestChain::startWindow()
{
    TestRegister reg;
    ScreenChain chain;
    Form1 form1(&chain);
    QVERIFY(UiDriver::activate(&form1));
    QCOMPARE(form1.windowTitle(), QString("Evidenta zavonilor"));
    QCOMPARE(QApplication::focusWidget()->objectName(), QString("Command2"));
    QCOMPARE(form1.findChild<QPushButton *>("Command1")->text(), QString("Evidentă zavoni"));
    QCOMPARE(form1.findChild<QPushButton *>("Command2")->text(), QString("Închide programul"));
    UiDriver::click(&form1, "Command2");
    QVERIFY(!form1.isVisible());
}

void TestChain::chainOpensAndClosesInOrder()
{
    TestRegister reg;
    reg.addPerson("1000000000001", "ION");
    reg.addOffence("1000000000001", "FURT", "A", {{"Descriere", "d"}, {"Amenda", "5"}});
    ScriptedMessages messages;
    ScreenChain chain;
    Form1 form1(&chain);
    QVERIFY(UiDriver::activate(&form1));

    UiDriver::click(&form1, "Command1");
    QWidget *form2 = chain.screen(ScreenKind::Persons);
    QVERIFY(form2);
    QCOMPARE(form2->objectName(), QString("Form2"));
    QVERIFY(form2->isVisible());
    QCOMPARE(form2->windowModality(), Qt::ApplicationModal);
    QVERIFY(form2->windowTitle().startsWith("Persoanele zavone - "));
    QCOMPARE(form2->findChild<DataControl *>("Data1")->caption(), QString("1/1"));

    UiDriver::click(form2, "Command9");
    QWidget *form5 = chain.screen(ScreenKind::Offences);
    QVERIFY(form5);
    QVERIFY(form5->windowTitle().startsWith("Infractiuni comise - "));
    QCOMPARE(form5->findChild<DataControl *>("Data1")->caption(), QString("1/1"));

    UiDriver::click(form5, "Command7");
    QWidget *form3 = chain.screen(ScreenKind::Accomplices);
    QVERIFY(form3);
    QVERIFY(form3->windowTitle().startsWith("Complici - "));
    QCOMPARE(chain.stack(), (QList<ScreenKind>{ScreenKind::Persons, ScreenKind::Offences,
                                              ScreenKind::Accomplices}));
    // Esc does what "Înapoi" does.
    QVERIFY(UiDriver::activate(form3));
    QTest::keyClick(form3, Qt::Key_Escape);
    QVERIFY(!chain.screen(ScreenKind::Accomplices));

    UiDriver::click(form5, "Command8");
    QWidget *form4 = chain.screen(ScreenKind::Articles);
    QVERIFY(form4);
    QVERIFY(form4->windowTitle().startsWith("Articole din ziare - "));
    // The window's close control does it too.
    form4->close();
    QVERIFY(!chain.screen(ScreenKind::Articles));

    UiDriver::click(form5, "Command6");
    QVERIFY(!chain.screen(ScreenKind::Offences));
    form2->close();
    QVERIFY(chain.stack().isEmpty());
    QCOMPARE(messages.count(), 0);
}

void TestChain::screensComeBackFresh()
{
    TestRegister reg;
    reg.addPerson("1000000000001", "ION");
    reg.addPerson("1000000000002", "ANA", "F");
    ScreenChain chain;
    chain.open(ScreenKind::Persons);
    QWidget *first = chain.screen(ScreenKind::Persons);
    first->findChild<DataControl *>("Data1")->recordset()->moveLast();
    QCOMPARE(first->findChild<DataControl *>("Data1")->caption(), QString("2/2"));
    first->close();
    QVERIFY(!chain.screen(ScreenKind::Persons));
    chain.open(ScreenKind::Persons);
    QWidget *second = chain.screen(ScreenKind::Persons);
    QVERIFY(second);
    QCOMPARE(second->findChild<DataControl *>("Data1")->caption(), QString("1/2"));
}

QTEST_MAIN(TestChain)
#include "tst_chain.moc"
