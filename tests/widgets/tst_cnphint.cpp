#include "widgets/cnphint.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

// The mark beside a CNP box, fed by typing into real boxes: what its tool tip
// says for valid codes and for each kind of fault.
class TestCnpHint : public QObject
{
    Q_OBJECT

private slots:
    void tellsWhatIsWrong_data();
    void tellsWhatIsWrong();
};

void TestCnpHint::tellsWhatIsWrong_data()
{
    QTest::addColumn<QString>("cnp");
    QTest::addColumn<QString>("sex");
    QTest::addColumn<QString>("birthDate");
    QTest::addColumn<QString>("tip");

    QTest::newRow("valid") << "1850315401231" << "M" << "15.03.1985" << "CNP valid";
    QTest::newRow("date written year first")
        << "1850315401231" << "M" << "1985-03-15" << "CNP valid";
    QTest::newRow("date not a date: nothing to compare")
        << "1850315401231" << "" << "martie" << "CNP valid";
    QTest::newRow("29 February 2000") << "6000229400117" << "F" << "" << "CNP valid";
    QTest::newRow("registered anywhere since 2024") << "1850315700129" << "" << ""
                                                    << "CNP valid";
    QTest::newRow("foreigner: no sex told") << "9000101700013" << "F" << "" << "CNP valid";
    QTest::newRow("nothing typed") << "" << "M" << "" << "";
    QTest::newRow("sex disagrees") << "1850315401231" << "F" << ""
                                   << "Sexul ales (F) nu se potrivește cu CNP-ul (M)";
    QTest::newRow("resident woman, sex disagrees")
        << "8001014400174" << "M" << "" << "Sexul ales (M) nu se potrivește cu CNP-ul (F)";
    QTest::newRow("birth date disagrees")
        << "1850315401231" << "M" << "16/03/1985"
        << "Data nașterii nu se potrivește cu CNP-ul (15.03.1985)";
    QTest::newRow("control digit") << "1850315401232" << "" << ""
                                   << "Cifra de control greșită: ar trebui să fie 1";
    QTest::newRow("month 13") << "1851315401232" << "" << "" << "Luna 13 nu există";
    QTest::newRow("29 February 1985") << "2850229400111" << "" << ""
                                      << "Ziua 29 nu există în februarie 1985";
    QTest::newRow("31 April") << "1850431400129" << "" << ""
                              << "Ziua 31 nu există în aprilie 1985";
    QTest::newRow("county") << "1850315530121" << "" << "" << "Cod de județ necunoscut: 53";
    QTest::newRow("first digit 0") << "0850315401231" << "" << ""
                                   << "Prima cifră nu poate fi 0";
    QTest::newRow("serial 000") << "1850315400002" << "" << ""
                                << "Numărul de ordine 000 nu se atribuie";
    QTest::newRow("too short") << "185031540" << "" << ""
                               << "CNP-ul are 9 caractere în loc de 13";
    QTest::newRow("a letter") << "18503154O1231" << "" << ""
                              << "CNP-ul poate conține numai cifre";
    QTest::newRow("two faults at once")
        << "1851315401231" << "" << "" << "Luna 13 nu există\nCifra de control greșită: "
                                          "ar trebui să fie 2";
}

void TestCnpHint::tellsWhatIsWrong()
{
    QFETCH(QString, cnp);
    QFETCH(QString, sex);
    QFETCH(QString, birthDate);
    QFETCH(QString, tip);

    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *cnpBox = new QLineEdit(&window);
    auto *sexList = new QComboBox(&window);
    sexList->addItems({"", "M", "F"});
    auto *dateBox = new QLineEdit(&window);
    auto *hint = new CnpHint(&window);
    for (QWidget *w : {static_cast<QWidget *>(cnpBox), static_cast<QWidget *>(sexList),
                       static_cast<QWidget *>(dateBox), static_cast<QWidget *>(hint)})
        layout->addWidget(w);
    hint->watch(cnpBox, sexList, dateBox);
    window.show();

    sexList->setCurrentText(sex);
    QTest::keyClicks(dateBox, birthDate);
    QTest::keyClicks(cnpBox, cnp);

    QCOMPARE(hint->toolTip(), tip);
    QCOMPARE(hint->pixmap().isNull(), cnp.isEmpty());
    // Typing on past 13 characters is judged at once, not only on leaving.
    if (!cnp.isEmpty()) {
        QTest::keyClick(cnpBox, Qt::Key_5);
        QVERIFY(hint->toolTip().startsWith("CNP-ul are"));
    }
}

QTEST_MAIN(TestCnpHint)
#include "tst_cnphint.moc"
