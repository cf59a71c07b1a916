#include "common/screensession.h"

#include "app/form1.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

// The road an operator takes every day, from the start window to the articles
// screen and back, storing an offence, an accomplice and an article on the way.
class TestRoad : public QObject
{
    Q_OBJECT

private slots:
    void typicalRoad();
    void screensComeBackFresh();
};

namespace {

const QString Cnp = "2000000000002";

// The person's header on a screen above the persons screen, Label11 to Label20.
QString header(QWidget *screen)
{
    QStringList labels;
    for (int i = 11; i <= 20; ++i)
        labels << screen->findChild<QLabel *>(QString("Label%1").arg(i))->text();
    return labels.join('|');
}

} // namespace

void TestRoad::typicalRoad()
{
    ScreenSession s;
    s.reg.addPerson("1000000000001", "POPESCU");
    s.reg.addPerson(Cnp, "ȘTEFĂNESCU", "F",
                    {{"Initiala", "I"}, {"Prenume", "ANA"}, {"Serie_buletin", "RX"},
                     {"Numar_buletin", "123456"}, {"Porecla1", "NASU"}, {"Porecla2", "ZÂNA"},
                     {"Data_nasterii", "01.01.1970"}});
    const QString person = Cnp + "|ȘTEFĂNESCU|I|ANA|F|RX|123456|NASU|ZÂNA|01.01.1970";
    Form1 form1(&s.chain);
    QVERIFY(UiDriver::activate(&form1));
    QCOMPARE(form1.windowTitle(), QString("Evidenta zavonilor"));
    QCOMPARE(s.focus(), QString("Command2"));
    QCOMPARE(form1.findChild<QPushButton *>("Command1")->text(), QString("Evidentă zavoni"));
    QCOMPARE(form1.findChild<QPushButton *>("Command2")->text(), QString("Închide programul"));

    UiDriver::click(&form1, "Command1");
    QVERIFY(s.open(ScreenKind::Persons));
    QCOMPARE(s.form()->windowModality(), Qt::ApplicationModal);
    QVERIFY(s.form()->windowTitle().startsWith("Persoanele zavone - "));
    s.run("Next");
    QCOMPARE(s.counter(), QString("2/2"));

    QVERIFY(s.open(ScreenKind::Offences));
    QVERIFY(s.form()->windowTitle().startsWith("Infractiuni comise - "));
    QCOMPARE(header(s.form()), person);
    QCOMPARE(s.counter(), QString("0/0"));
    s.run("Command1|Combo1=L|Text1=a primit bani|Option1|Text3=1500 lei|Command3");
    QCOMPARE(s.counter(), QString("1/1"));
    const qint64 code = s.reg.value("SELECT COD_infractiune FROM TBL_Infractiuni WHERE CNP_C = ? "
                                    "AND Infractiune = 'LUARE DE MITĂ' AND Pedeapsa = 'A' "
                                    "AND Amenda = '1500'", {Cnp}).toLongLong();
    QVERIFY(code > 0);

    QVERIFY(s.open(ScreenKind::Accomplices));
    QVERIFY(s.form()->windowTitle().startsWith("Complici - "));
    QCOMPARE(header(s.form()), person);
    s.run("Command1|Text1=3000000000003|Text4=ionescu|Command3");
    QCOMPARE(s.counter(), QString("1/1"));
    QCOMPARE(s.reg.count("TBL_Complicitate", "CNP = '3000000000003' AND COD_INFRACTIUNE = ?",
                         {code}), 1);
    // Esc does what "Înapoi" does.
    s.run("Esc");
    QVERIFY(!s.form());

    QVERIFY(s.open(ScreenKind::Articles));
    QVERIFY(s.form()->windowTitle().startsWith("Articole din ziare - "));
    QCOMPARE(header(s.form()), person);
    QCOMPARE(s.text("Label25"), QString("LUARE DE MITĂ"));
    s.run("Command1|Text2=gazeta de sud|Text1=Un articol.|Command3");
    QCOMPARE(s.reg.count("TBL_Articole", "Cod_infractiune = ? AND Publicatie = 'GAZETA DE SUD'",
                         {code}), 1);
    // The window's close control does it too.
    s.run("X");
    QCOMPARE(s.chain.stack(), (QList<ScreenKind>{ScreenKind::Persons, ScreenKind::Offences}));

    QVERIFY(s.open(ScreenKind::Offences));
    s.run("Command6");
    QVERIFY(s.open(ScreenKind::Persons));
    s.run("Command6");
    QVERIFY(s.chain.stack().isEmpty());
    QVERIFY(form1.isVisible());
    QCOMPARE(s.boxes(), QString());
    UiDriver::click(&form1, "Command2");
    QVERIFY(!form1.isVisible());
}

void TestRoad::screensComeBackFresh()
{
    ScreenSession s;
    s.reg.addPerson("1000000000001", "ION");
    s.reg.addPerson("1000000000002", "ANA", "F");
    QVERIFY(s.open(ScreenKind::Persons, -1));
    QCOMPARE(s.counter(), QString("2/2"));
    s.run("X");
    QVERIFY(s.open(ScreenKind::Persons));
    QCOMPARE(s.counter(), QString("1/2"));
}

QTEST_MAIN(TestRoad)
#include "tst_road.moc"
